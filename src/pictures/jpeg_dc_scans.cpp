#include "jpeg_dc_scans.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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

enum class AcTable { kUndefined, kUsable, kBadCounts };

unsigned Be16(const unsigned char* p) { return (unsigned{p[0]} << 8) | p[1]; }

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
bool ReadDht(const unsigned char* body, size_t size, AcTable* ac) {
    size_t at = 0;
    while (size - at > 16) {
        const unsigned index = body[at];
        const unsigned char* counts = body + at + 1;
        size_t count = 0;
        for (int i = 0; i < 16; ++i) count += counts[i];
        at += 17;
        if (count > 256 || count > size - at) return false;
        at += count;
        if (index & 0x10) {
            if (index - 0x10 >= kTables) return false;
            ac[index - 0x10] = CountsFit(counts) ? AcTable::kUsable : AcTable::kBadCounts;
        } else if (index >= kTables) {
            return false;
        }
    }
    return at == size;
}

// get_dqt: 64 values of one or two bytes after each index byte, ending exactly.
bool ReadDqt(const unsigned char* body, size_t size) {
    size_t at = 0;
    while (at < size) {
        const unsigned index = body[at] & 0x0F, wide = body[at] >> 4;
        if (index >= kTables) return false;
        const size_t table = 1 + (wide ? 128 : 64);
        if (table > size - at) return false;
        at += table;
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

}  // namespace

bool JpegDcScanViewInto(std::string_view file, std::string& view) {
    view.clear();
    const auto* data = reinterpret_cast<const unsigned char*>(file.data());
    const size_t size = file.size();
    if (size < 2 || data[0] != 0xFF || data[1] != kSoi) return false;

    view.reserve(size / 4);
    view.append(file.substr(0, 2));

    Component components[kMaxComponents];
    int component_count = 0;  // 0 until the frame
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
        if (size - at < 2) return false;
        const size_t length = Be16(data + at);
        if (length < 2 || length > size - at) return false;
        const unsigned char* body = data + at + 2;
        const size_t body_size = length - 2;
        const size_t start = at - 2;  // the marker's own FF; fill bytes before it are dropped
        size_t end = at + length;
        bool keep = true;

        if (marker == kSof2) {
            if (component_count != 0 || body_size < 6) return false;
            const unsigned height = Be16(body + 1), width = Be16(body + 3);
            const int count = body[5];
            if (height == 0 || width == 0 || count == 0 || count > kMaxComponents ||
                body_size != 6 + 3 * size_t(count))
                return false;
            int max_h = 1, max_v = 1;
            for (int c = 0; c < count; ++c) {
                Component& component = components[c];
                component.id = body[6 + 3 * c];
                component.h = body[7 + 3 * c] >> 4;
                component.v = body[7 + 3 * c] & 0x0F;
                if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4) return false;
                max_h = std::max(max_h, component.h);
                max_v = std::max(max_v, component.v);
                std::fill(std::begin(component.bits), std::end(component.bits), -1);
                std::fill(std::begin(component.bits_before_last), std::end(component.bits_before_last), -1);
                for (int other = 0; other < c; ++other)
                    if (components[other].id == component.id) return false;
            }
            // jdmaster.c jpeg_calc_output_dimensions at the smallest scale.
            for (int c = 0; c < count; ++c)
                components[c].needs_ac =
                    max_h % (2 * components[c].h) == 0 && max_v % (2 * components[c].v) == 0;
            component_count = count;
        } else if (marker == kDht) {
            if (!ReadDht(body, body_size, ac_tables)) return false;
        } else if (marker == kDqt) {
            if (!ReadDqt(body, body_size)) return false;
        } else if (marker == kDri) {
            if (length != 4) return false;
        } else if ((marker >= 0xE0 && marker <= 0xEF) || marker == kCom) {
            // APPn and COM: skipped by length.
        } else if (marker == kSos) {
            if (component_count == 0 || body_size < 1) return false;
            const int in_scan = body[0];
            if (in_scan < 1 || in_scan > kMaxComponents || body_size != 4 + 2 * size_t(in_scan)) return false;
            // get_sos matches ids against the frame's components and, as it does, takes a
            // component only when the scan position of the same number is still free.
            int scan_component[kMaxComponents] = {-1, -1, -1, -1};
            int ac_table[kMaxComponents] = {};
            for (int i = 0; i < in_scan; ++i) {
                const int id = body[1 + 2 * i];
                int found = -1;
                for (int c = 0; c < component_count; ++c)
                    if (components[c].id == id && scan_component[c] < 0) {
                        found = c;
                        break;
                    }
                if (found < 0) return false;
                scan_component[i] = found;
                for (int before = 0; before < i; ++before)
                    if (scan_component[before] == found) return false;
                ac_table[i] = body[2 + 2 * i] & 0x0F;
            }
            const int ss = body[1 + 2 * in_scan], se = body[2 + 2 * in_scan];
            const int ah = body[3 + 2 * in_scan] >> 4, al = body[3 + 2 * in_scan] & 0x0F;
            keep = ss == 0 || components[scan_component[0]].needs_ac;
            // start_pass_phuff_decoder's checks.
            if (ss == 0 ? se != 0 : (ss > se || se > 63 || in_scan != 1)) return false;
            if ((ah != 0 && al != ah - 1) || al > 13) return false;
            ++scans;
            for (int i = 0; i < in_scan; ++i) {
                Component& component = components[scan_component[i]];
                // A component's quantisation table is taken at its first scan, so that must
                // be one the view keeps.
                if (!component.scanned && !keep) return false;
                component.scanned = true;
                if (!keep && (ac_table[i] >= kTables || ac_tables[ac_table[i]] != AcTable::kUsable))
                    return false;
                for (int k = std::min(ss, 1); k < kSmoothed; ++k)
                    component.bits_before_last[k] = scans > 1 ? component.bits[k] : 0;
                for (int k = ss; k <= std::min(se, kSmoothed - 1); ++k) component.bits[k] = al;
            }
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
    if (scans == 0) return false;

    // Smoothing changes a component's DC values where none of its coefficients 1..9 has
    // arrived; with the last scan damaged it judges the rows after the damage by the state
    // before each component's last scan. It also estimates AC coefficients, which a component
    // that keeps them uses. It is off altogether when coefficients 1..9 of every component are
    // complete.
    bool smoothing = false;
    for (int c = 0; c < component_count; ++c) {
        if (AllUnknown(components[c].bits)) return false;
        for (int k = 1; k < kSmoothed; ++k)
            if (components[c].bits[k] != 0) smoothing = true;
    }
    if (smoothing)
        for (int c = 0; c < component_count; ++c)
            if (components[c].needs_ac || scans == 1 || AllUnknown(components[c].bits_before_last))
                return false;
    return true;
}

std::optional<std::string> JpegDcScanView(std::string_view file) {
    std::string view;
    if (!JpegDcScanViewInto(file, view)) return std::nullopt;
    return view;
}

}  // namespace zv
