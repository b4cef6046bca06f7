#include "pictures/jpeg_dc_scans.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "pictures/byte_reader.h"

// The checks follow what libjpeg-turbo 2.1 does with the scans the view leaves out (jdmarker.c
// get_sos, jdinput.c, jdphuff.c start_pass_phuff_decoder, jdhuff.c jpeg_make_d_derived_tbl)
// and when it smooths DC values (jdcoefct.c smoothing_ok, decompress_smooth_data).

namespace zv {
namespace {

constexpr unsigned kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kDqt = 0xDB, kDri = 0xDD, kDht = 0xC4, kSof2 = 0xC2,
                   kCom = 0xFE;

// libjpeg has four tables of each kind, and a scan can only name the frame's first four
// components; a frame with more has a component no scan reaches, so it is refused anyway.
constexpr int kTables = 4;
constexpr int kMaxComponents = 4;
// Block smoothing looks at coefficients 0..9.
constexpr int kSmoothed = 10;

struct Component {
    int id = 0;
    int h = 1, v = 1;  // sampling factors
    // At 1/8 libjpeg gives a component sampled at half the frame's rate or less both ways a
    // 2x2 or larger inverse DCT rather than upsampling it, and that uses AC coefficients: such
    // a component keeps its AC scans.
    bool needs_ac = false;
    bool scanned = false;
    // libjpeg's coef_bits: the Al of the last scan that carried each coefficient, -1 before any;
    // and the same as it was before the component's last scan, which smoothing uses for the
    // rows after a damaged last scan.
    int bits[kSmoothed];
    int bits_before_last[kSmoothed];
};

struct Frame {
    Component components[kMaxComponents];
    int count = 0;  // 0 until the frame header
};

struct ScanHeader {
    int count = 0;
    int component[kMaxComponents] = {-1, -1, -1, -1};  // index in the frame of each
    int ac_table[kMaxComponents] = {};
    int ss = 0, se = 0, ah = 0, al = 0;
};

enum class AcTable { kUndefined, kUsable, kBadCounts };

// libjpeg refuses a table whose counts leave a code of all ones (jpeg_make_d_derived_tbl).
bool CountsFit(const unsigned char* counts) {
    long code = 0;
    for (int length = 1; length <= 16; ++length) {
        code += counts[length - 1];
        if (code >= (1L << length)) return false;
        code <<= 1;
    }
    return true;
}

// get_dht: tables read while more than 16 bytes are left, then exactly none.
bool ReadDht(ByteReader body, AcTable* ac) {
    while (body.Left() > 16) {
        const unsigned index = body.U8();
        const unsigned char* counts = body.Take(16);
        size_t count = 0;
        for (int i = 0; i < 16; ++i) count += counts[i];
        if (count > 256 || !body.Skip(count)) return false;
        if (index & 0x10) {
            if (index - 0x10 >= kTables) return false;
            ac[index - 0x10] = CountsFit(counts) ? AcTable::kUsable : AcTable::kBadCounts;
        } else if (index >= kTables) {
            return false;
        }
    }
    return body.Left() == 0;
}

// get_dqt: 64 values of one or two bytes after each index byte, ending exactly.
bool ReadDqt(ByteReader body) {
    while (body.Left() > 0) {
        const unsigned byte = body.U8();
        const unsigned index = byte & 0x0F, wide = byte >> 4;
        if (index >= kTables || !body.Skip(wide ? 128 : 64)) return false;
    }
    return true;
}

// get_sof: precision, height, width and the components, each an id, its sampling factors and
// its quantisation table.
bool ReadFrameHeader(ByteReader body, Frame& frame) {
    body.U8();  // precision
    const unsigned height = body.Be16(), width = body.Be16();
    const int count = static_cast<int>(body.U8());
    if (!body.ok() || height == 0 || width == 0 || count == 0 || count > kMaxComponents ||
        body.Left() != 3 * size_t(count))
        return false;
    int max_h = 1, max_v = 1;
    for (int c = 0; c < count; ++c) {
        Component& component = frame.components[c];
        component.id = static_cast<int>(body.U8());
        const unsigned sampling = body.U8();
        body.U8();  // quantisation table
        component.h = static_cast<int>(sampling >> 4);
        component.v = static_cast<int>(sampling & 0x0F);
        if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4) return false;
        max_h = std::max(max_h, component.h);
        max_v = std::max(max_v, component.v);
        std::fill(std::begin(component.bits), std::end(component.bits), -1);
        std::fill(std::begin(component.bits_before_last), std::end(component.bits_before_last), -1);
        for (int other = 0; other < c; ++other)
            if (frame.components[other].id == component.id) return false;
    }
    // jdmaster.c jpeg_calc_output_dimensions at the smallest scale.
    for (int c = 0; c < count; ++c)
        frame.components[c].needs_ac =
            max_h % (2 * frame.components[c].h) == 0 && max_v % (2 * frame.components[c].v) == 0;
    frame.count = count;
    return true;
}

// get_sos: the components, each an id and its tables, then Ss, Se, Ah and Al.
bool ReadScanHeader(ByteReader body, const Frame& frame, ScanHeader& scan) {
    scan.count = static_cast<int>(body.U8());
    if (!body.ok() || scan.count < 1 || scan.count > kMaxComponents || body.Left() != 3 + 2 * size_t(scan.count))
        return false;
    // get_sos matches ids against the frame's components and, as it does, takes a
    // component only when the scan position of the same number is still free.
    for (int i = 0; i < scan.count; ++i) {
        const int id = static_cast<int>(body.U8());
        int found = -1;
        for (int c = 0; c < frame.count; ++c)
            if (frame.components[c].id == id && scan.component[c] < 0) {
                found = c;
                break;
            }
        if (found < 0) return false;
        scan.component[i] = found;
        for (int before = 0; before < i; ++before)
            if (scan.component[before] == found) return false;
        scan.ac_table[i] = static_cast<int>(body.U8() & 0x0F);
    }
    scan.ss = static_cast<int>(body.U8());
    scan.se = static_cast<int>(body.U8());
    const unsigned approximation = body.U8();
    scan.ah = static_cast<int>(approximation >> 4);
    scan.al = static_cast<int>(approximation & 0x0F);
    // start_pass_phuff_decoder's checks.
    if (scan.ss == 0 ? scan.se != 0 : (scan.ss > scan.se || scan.se > 63 || scan.count != 1)) return false;
    return (scan.ah == 0 || scan.al == scan.ah - 1) && scan.al <= 13;
}

// What the scan gives each of its components; false where leaving it out of the view
// (`keep` false) would change libjpeg's decoding. `scans` counts this one.
bool TakeScan(const ScanHeader& scan, bool keep, const AcTable* ac_tables, int scans, Frame& frame) {
    for (int i = 0; i < scan.count; ++i) {
        Component& component = frame.components[scan.component[i]];
        // A component's quantisation table is taken at its first scan, so that must
        // be one the view keeps.
        if (!component.scanned && !keep) return false;
        component.scanned = true;
        if (!keep && (scan.ac_table[i] >= kTables || ac_tables[scan.ac_table[i]] != AcTable::kUsable)) return false;
        for (int k = std::min(scan.ss, 1); k < kSmoothed; ++k)
            component.bits_before_last[k] = scans > 1 ? component.bits[k] : 0;
        for (int k = scan.ss; k <= std::min(scan.se, kSmoothed - 1); ++k) component.bits[k] = scan.al;
    }
    return true;
}

// The end of a scan's entropy-coded data: the first marker other than stuffing (FF00), fill
// bytes and RST0-7, as libjpeg's decoder and its marker reader stop there. npos when the
// file ends first.
size_t ScanDataEnd(const unsigned char* data, size_t size, size_t at) {
    for (;;) {
        const void* ff = at < size ? std::memchr(data + at, 0xFF, size - at) : nullptr;
        if (!ff) return std::string::npos;
        at = static_cast<size_t>(static_cast<const unsigned char*>(ff) - data);
        size_t next = at + 1;
        while (next < size && data[next] == 0xFF) ++next;
        if (next >= size) return std::string::npos;
        if (data[next] != 0x00 && (data[next] < 0xD0 || data[next] > 0xD7)) return at;
        at = next + 1;
    }
}

bool AllUnknown(const int* bits) {
    for (int k = 1; k < kSmoothed; ++k)
        if (bits[k] != -1) return false;
    return true;
}

// Smoothing changes a component's DC values where none of its coefficients 1..9 has
// arrived; with the last scan damaged it judges the rows after the damage by the state
// before each component's last scan. It also estimates AC coefficients, which a component
// that keeps them uses. It is off altogether when coefficients 1..9 of every component are
// complete. True when the view decodes without it as the whole file does with it.
bool SmoothingChangesNothing(const Frame& frame, int scans) {
    bool smoothing = false;
    for (int c = 0; c < frame.count; ++c) {
        if (AllUnknown(frame.components[c].bits)) return false;
        for (int k = 1; k < kSmoothed; ++k)
            if (frame.components[c].bits[k] != 0) smoothing = true;
    }
    if (smoothing)
        for (int c = 0; c < frame.count; ++c)
            if (frame.components[c].needs_ac || scans == 1 || AllUnknown(frame.components[c].bits_before_last))
                return false;
    return true;
}

}  // namespace

bool JpegDcScanViewInto(std::string_view file, std::string& view) {
    view.clear();
    const auto* data = reinterpret_cast<const unsigned char*>(file.data());
    const size_t size = file.size();
    if (size < 2 || data[0] != 0xFF || data[1] != kSoi) return false;

    view.reserve(size / 4);
    view.append(file.substr(0, 2));

    Frame frame;
    AcTable ac_tables[kTables] = {};
    int scans = 0;

    size_t at = 2;
    for (;;) {
        // Between segments only a marker, after any fill bytes.
        if (at >= size || data[at] != 0xFF) return false;
        while (at < size && data[at] == 0xFF) ++at;
        if (at >= size) return false;
        const unsigned marker = data[at++];
        if (marker == kEoi) {
            view.append("\xFF\xD9", 2);
            break;
        }
        ByteReader rest(data + at, size - at);
        const size_t length = rest.Be16();
        if (!rest.ok() || length < 2 || length > size - at) return false;
        const ByteReader body(data + at + 2, length - 2);
        const size_t start = at - 2;  // the marker's own FF; fill bytes before it are dropped
        size_t end = at + length;
        bool keep = true;

        if (marker == kSof2) {
            if (frame.count != 0 || !ReadFrameHeader(body, frame)) return false;
        } else if (marker == kDht) {
            if (!ReadDht(body, ac_tables)) return false;
        } else if (marker == kDqt) {
            if (!ReadDqt(body)) return false;
        } else if (marker == kDri) {
            if (length != 4) return false;
        } else if ((marker >= 0xE0 && marker <= 0xEF) || marker == kCom) {
            // APPn and COM: skipped by length.
        } else if (marker == kSos) {
            ScanHeader scan;
            if (frame.count == 0 || !ReadScanHeader(body, frame, scan)) return false;
            keep = scan.ss == 0 || frame.components[scan.component[0]].needs_ac;
            if (!TakeScan(scan, keep, ac_tables, ++scans, frame)) return false;
            end = ScanDataEnd(data, size, end);
            if (end == std::string::npos) return false;
        } else {
            // Other frame types, DAC, DNL, a second SOI, RST or TEM between segments, reserved
            // codes.
            return false;
        }
        if (keep) view.append(file.substr(start, end - start));
        at = end;
    }
    return scans != 0 && SmoothingChangesNothing(frame, scans);
}

std::optional<std::string> JpegDcScanView(std::string_view file) {
    std::string view;
    if (!JpegDcScanViewInto(file, view)) return std::nullopt;
    return view;
}

}  // namespace zv
