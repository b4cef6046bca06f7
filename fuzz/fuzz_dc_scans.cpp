// The DC-scan view of a progressive JPEG (JpegDcScanView) on hostile bytes, alone and fast,
// with checks of its own; fuzz_jpeg compares the view's decoding with the whole file's.
// Where there is a view, it must be:
//   - the input's SOI, then whole segments and scans of the input in their order (fill bytes
//     before a marker left out), then EOI;
//   - no longer than the input;
//   - made of scans that start at Ss = 0, but for the AC scans of a component subsampled both
//     ways, which libjpeg's scaling at 1/8 still needs;
// and nothing outside the input may be read (libFuzzer hands the input in a buffer of its
// exact size, so AddressSanitizer sees a read past it).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "pictures/jpeg_dc_scans.h"

namespace {

struct Segment {
    std::string_view bytes;  // from the marker's own FF to the next marker's fill bytes
    unsigned marker;
};

unsigned Byte(std::string_view f, size_t i) { return i < f.size() ? static_cast<unsigned char>(f[i]) : 0x100; }

// The input's segments after SOI, in this test's own plain reading; it stops where the reading
// does not go on (the view exists only for files it reads whole).
std::vector<Segment> Segments(std::string_view f) {
    std::vector<Segment> out;
    size_t at = 2;
    while (Byte(f, at) == 0xFF) {
        while (Byte(f, at) == 0xFF && Byte(f, at + 1) == 0xFF) ++at;  // fill bytes
        const size_t start = at;
        const unsigned marker = Byte(f, at + 1);
        if (marker > 0xFF) break;
        if (marker == 0xD9) {
            out.push_back({f.substr(start, 2), marker});
            break;
        }
        const size_t length = (Byte(f, at + 2) << 8) | Byte(f, at + 3);
        if (Byte(f, at + 3) > 0xFF || length < 2 || start + 2 + length > f.size()) break;
        size_t end = start + 2 + length;
        if (marker == 0xDA) {
            // Entropy-coded data: up to an FF (the first of a run) before anything but 00 or RSTn.
            for (;;) {
                while (end < f.size() && Byte(f, end) != 0xFF) ++end;
                size_t next = end + 1;
                while (Byte(f, next) == 0xFF) ++next;
                const unsigned after = Byte(f, next);
                if (after > 0xFF) return out;
                if (after != 0x00 && (after < 0xD0 || after > 0xD7)) break;
                end = next + 1;
            }
        }
        out.push_back({f.substr(start, end - start), marker});
        at = end;
    }
    return out;
}

// Components of the frame by id, with whether libjpeg needs their AC coefficients at 1/8.
struct Frame {
    std::vector<int> ids;
    std::vector<bool> needs_ac;
};

Frame FrameOf(const std::vector<Segment>& segments) {
    Frame frame;
    for (const Segment& s : segments) {
        if (s.marker != 0xC2 || s.bytes.size() < 10) continue;
        const size_t count = Byte(s.bytes, 9);
        int max_h = 1, max_v = 1;
        for (size_t c = 0; c < count && 12 + 3 * c < s.bytes.size(); ++c) {
            max_h = std::max<int>(max_h, Byte(s.bytes, 11 + 3 * c) >> 4);
            max_v = std::max<int>(max_v, Byte(s.bytes, 11 + 3 * c) & 0x0F);
        }
        for (size_t c = 0; c < count && 12 + 3 * c < s.bytes.size(); ++c) {
            const int h = Byte(s.bytes, 11 + 3 * c) >> 4, v = Byte(s.bytes, 11 + 3 * c) & 0x0F;
            frame.ids.push_back(static_cast<int>(Byte(s.bytes, 10 + 3 * c)));
            frame.needs_ac.push_back(h > 0 && v > 0 && max_h % (2 * h) == 0 && max_v % (2 * v) == 0);
        }
        break;
    }
    return frame;
}

// A kept scan either starts at Ss = 0 or is one component's that libjpeg needs AC of.
bool ScanMayStay(std::string_view scan, const Frame& frame) {
    const size_t in_scan = Byte(scan, 4);
    const unsigned ss = Byte(scan, 5 + 2 * in_scan);
    if (ss == 0) return true;
    if (in_scan != 1) return false;
    for (size_t c = 0; c < frame.ids.size(); ++c)
        if (frame.ids[c] == static_cast<int>(Byte(scan, 5))) return frame.needs_ac[c];
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> view = zv::JpegDcScanView(file);
    std::string into = "left over from an earlier view";
    const bool made = zv::JpegDcScanViewInto(file, into);
    ZV_FUZZ_CHECK(made == view.has_value());
    if (!view) return 0;
    ZV_FUZZ_CHECK(into == *view);  // the same, whatever the buffer held before
    ZV_FUZZ_CHECK(view->size() <= size);
    ZV_FUZZ_CHECK(view->size() >= 4 && view->compare(0, 2, "\xFF\xD8") == 0);
    ZV_FUZZ_CHECK(view->compare(view->size() - 2, 2, "\xFF\xD9") == 0);

    const std::vector<Segment> segments = Segments(file);
    ZV_FUZZ_CHECK(!segments.empty() && segments.back().marker == 0xD9);
    const Frame frame = FrameOf(segments);
    // Greedy: each of the input's segments, in order, either stands next in the view or is
    // left out; a scan that stands there must be one the view may keep.
    const std::string_view rest(*view);
    size_t at = 2;
    for (size_t i = 0; i + 1 < segments.size(); ++i) {
        const Segment& s = segments[i];
        if (rest.substr(at, s.bytes.size()) != s.bytes) continue;
        if (s.marker == 0xDA) ZV_FUZZ_CHECK(ScanMayStay(s.bytes, frame));
        at += s.bytes.size();
    }
    ZV_FUZZ_CHECK(at == view->size() - 2);
    return 0;
}
