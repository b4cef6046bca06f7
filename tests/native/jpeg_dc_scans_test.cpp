#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>
// jpeglib.h first: jerror.h needs its types.
#include <jerror.h>

#include "jpeg_decoding_support.h"
#include "picture_fixtures.h"
#include "pictures/jpeg_core.h"
#include "pictures/jpeg_dc_scans.h"
#include "pictures/jpeg_image.h"

namespace zv {
namespace {

using fixtures::JpegColour;
using fixtures::JpegScan;
using fixtures::JpegWriting;
using namespace testing_support;

// The segments of a well-formed file, a scan with its entropy-coded data, in the tests' own
// simple reading.
struct Segment {
    unsigned marker;
    size_t start, end;
    int ss = -1;         // of a scan
    int component = -1;  // a scan's first component id
};

std::vector<Segment> Segments(const std::string& f) {
    const auto byte = [&](size_t i) { return i < f.size() ? static_cast<unsigned char>(f[i]) : 0u; };
    std::vector<Segment> out{{0xD8, 0, 2}};
    size_t at = 2;
    while (at + 1 < f.size() && byte(at) == 0xFF) {
        const unsigned marker = byte(at + 1);
        if (marker == 0xD9) {
            out.push_back({marker, at, at + 2});
            break;
        }
        Segment s{marker, at, at + 2 + (byte(at + 2) << 8 | byte(at + 3))};
        if (marker == 0xDA) {
            s.ss = byte(at + 5 + 2 * byte(at + 4));
            s.component = byte(at + 5);
            while (s.end < f.size() && !(byte(s.end) == 0xFF && byte(s.end + 1) != 0 &&
                                         (byte(s.end + 1) < 0xD0 || byte(s.end + 1) > 0xD7)))
                ++s.end;
        }
        out.push_back(s);
        at = s.end;
    }
    return out;
}

// The file without the scans the predicate drops: what a view would be, made without the
// function under test.
std::string Without(const std::string& f, const std::function<bool(const Segment&)>& drop) {
    std::string out;
    for (const Segment& s : Segments(f))
        if (!drop(s)) out += f.substr(s.start, s.end - s.start);
    return out;
}

std::string DcOnly(const std::string& f) {
    return Without(f, [](const Segment& s) { return s.ss > 0; });
}

Segment First(const std::string& f, const std::function<bool(const Segment&)>& pick) {
    for (const Segment& s : Segments(f))
        if (pick(s)) return s;
    throw std::logic_error("no such segment");
}

Segment Last(const std::string& f, const std::function<bool(const Segment&)>& pick) {
    std::optional<Segment> last;
    for (const Segment& s : Segments(f))
        if (pick(s)) last = s;
    if (!last) throw std::logic_error("no such segment");
    return *last;
}

std::string Replaced(const std::string& f, size_t at, size_t count, const std::string& bytes) {
    std::string out = f;
    out.replace(at, count, bytes);
    return out;
}

std::string Inserted(const std::string& f, size_t at, const std::string& bytes) { return Replaced(f, at, 0, bytes); }

// Entropy-coded data changed without making a marker: no byte becomes FF.
std::string Scrambled(const std::string& f, const Segment& scan) {
    std::string out = f;
    const size_t data = scan.start + 2 + ((static_cast<unsigned char>(f[scan.start + 2]) << 8) |
                                          static_cast<unsigned char>(f[scan.start + 3]));
    for (size_t i = data; i < scan.end; ++i)
        if (static_cast<unsigned char>(out[i]) != 0xFF && (i == data || static_cast<unsigned char>(f[i - 1]) != 0xFF))
            out[i] = static_cast<char>((static_cast<unsigned char>(out[i]) * 7 + 3) & 0x7F);
    return out;
}

bool IsLumaAcScan(const Segment& s) { return s.marker == 0xDA && s.ss > 0 && s.component == 1; }
bool IsDcScan(const Segment& s) { return s.marker == 0xDA && s.ss == 0; }

JpegScan Scan(std::vector<int> components, int ss, int se, int ah, int al) {
    return {std::move(components), ss, se, ah, al};
}

JpegWriting Progressive(JpegColour colour = JpegColour::kYCbCr, std::vector<JpegScan> scans = {}) {
    JpegWriting how;
    how.colour = colour;
    how.scans = std::move(scans);
    return how;
}

// Where there is a view, it decodes like the whole file, in colour and with a palette.
::testing::AssertionResult NoViewOrTheSameDecoding(const std::string& file) {
    const std::optional<std::string> view = JpegDcScanView(file);
    if (!view) return ::testing::AssertionSuccess() << "no view";
    for (bool quantize : {false, true}) {
        ::testing::AssertionResult same = SameDecoding(*Decode(*view, false, quantize), *Decode(file, true, quantize));
        if (!same) return same << (quantize ? " (quantized)" : " (colour)");
    }
    return ::testing::AssertionSuccess() << "the same decoding";
}

// The view exists and decodes at 1/8 without smoothing exactly as the whole file does with it,
// in colour and with a palette.
void ExpectViewDecodesLikeTheFile(const std::string& file) {
    const std::optional<std::string> view = JpegDcScanView(file);
    ASSERT_TRUE(view);
    for (bool quantize : {false, true}) {
        SCOPED_TRACE(quantize ? "quantized" : "colour");
        const auto whole = Decode(file, true, quantize);
        // libjpeg cannot quantize CMYK (it has no conversion to RGB): then both fail alike.
        if (!quantize) {
            ASSERT_EQ(whole->code, 0);
            ASSERT_EQ(whole->image.rows_done, whole->image.height);
        }
        EXPECT_TRUE(SameDecoding(*Decode(*view, false, quantize), *whole));
    }
}

TEST(JpegDcScanView, DecodesAtOneEighthLikeTheWholeFile) {
    const std::vector<JpegScan> spectral_only = {
        Scan({0, 1, 2}, 0, 0, 0, 0), Scan({0}, 1, 5, 0, 0), Scan({0}, 6, 63, 0, 0),
        Scan({1}, 1, 63, 0, 0),      Scan({2}, 1, 63, 0, 0),
    };
    const std::vector<JpegScan> approximation = {
        Scan({0, 1, 2}, 0, 0, 0, 2), Scan({0}, 1, 63, 0, 2), Scan({1}, 1, 63, 0, 1), Scan({2}, 1, 63, 0, 1),
        Scan({0, 1, 2}, 0, 0, 2, 1), Scan({0}, 1, 63, 2, 1), Scan({0, 1, 2}, 0, 0, 1, 0), Scan({0}, 1, 63, 1, 0),
        Scan({1}, 1, 63, 1, 0),      Scan({2}, 1, 63, 1, 0),
    };
    // One DC scan per component, AC bands between them and out of order.
    const std::vector<JpegScan> separate_dc = {
        Scan({0}, 0, 0, 0, 0), Scan({0}, 1, 9, 0, 0),  Scan({1}, 0, 0, 0, 0), Scan({2}, 0, 0, 0, 0),
        Scan({2}, 1, 63, 0, 0), Scan({0}, 10, 63, 0, 0), Scan({1}, 1, 63, 0, 0),
    };
    // Stops before the last bits of the AC coefficients: the whole file is decoded with smoothing
    // active, which must leave the DC values alone.
    const std::vector<JpegScan> incomplete = {
        Scan({0, 1, 2}, 0, 0, 0, 1), Scan({0}, 1, 63, 0, 2), Scan({1}, 1, 63, 0, 2), Scan({2}, 1, 63, 0, 2),
        Scan({0}, 1, 63, 2, 1),      Scan({1}, 1, 63, 2, 1), Scan({2}, 1, 63, 2, 1), Scan({0, 1, 2}, 0, 0, 1, 0),
    };
    const std::vector<JpegScan> gray_approximation = {
        Scan({0}, 0, 0, 0, 1), Scan({0}, 1, 2, 0, 1), Scan({0}, 3, 63, 0, 1), Scan({0}, 0, 0, 1, 0),
        Scan({0}, 1, 63, 1, 0),
    };
    const auto with = [](JpegWriting how, const std::function<void(JpegWriting&)>& change) {
        change(how);
        return how;
    };
    struct Case {
        const char* name;
        int width, height;
        JpegWriting how;
    } cases[] = {
        {"standard 4:2:0", 333, 251, Progressive()},
        {"standard 4:4:4", 333, 251, with(Progressive(), [](JpegWriting& h) { h.h_sampling = h.v_sampling = 1; })},
        {"standard 4:2:2", 250, 133, with(Progressive(), [](JpegWriting& h) { h.h_sampling = 2, h.v_sampling = 1; })},
        {"standard gray", 333, 251, Progressive(JpegColour::kGray)},
        {"standard CMYK", 201, 117, Progressive(JpegColour::kCmyk)},
        {"standard YCCK", 201, 117, Progressive(JpegColour::kYcck)},
        {"spectral selection only", 333, 251, Progressive(JpegColour::kYCbCr, spectral_only)},
        {"successive approximation", 333, 251, Progressive(JpegColour::kYCbCr, approximation)},
        {"separate DC scans", 179, 203, Progressive(JpegColour::kYCbCr, separate_dc)},
        {"incomplete progression", 333, 251,
         with(Progressive(JpegColour::kYCbCr, incomplete), [](JpegWriting& h) { h.h_sampling = h.v_sampling = 1; })},
        {"gray approximation", 97, 61, Progressive(JpegColour::kGray, gray_approximation)},
        {"restart every 3 MCUs", 333, 251, with(Progressive(), [](JpegWriting& h) { h.restart_interval = 3; })},
        {"restart every row", 333, 251, with(Progressive(), [](JpegWriting& h) { h.restart_in_rows = 1; })},
        {"restart, approximation", 157, 95,
         with(Progressive(JpegColour::kYCbCr, approximation), [](JpegWriting& h) { h.restart_interval = 1; })},
        {"smaller than a block", 7, 5, Progressive()},
        {"one block column", 8, 300, Progressive()},
        {"one pixel", 1, 1, Progressive()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectViewDecodesLikeTheFile(Photo(c.width, c.height, c.how));
    }
}

TEST(JpegDcScanView, KeepsEverySegmentButTheAcScansOfFullRateComponents) {
    // 4:4:4: only the DC scans stay. 4:2:0: the chroma's AC scans stay too, the luma's go.
    struct Case {
        const char* name;
        int sampling;
        std::function<bool(const Segment&)> left_out;
        size_t max_share;  // the view at most this part of the file
    } cases[] = {
        {"4:4:4", 1, [](const Segment& s) { return s.ss > 0; }, 8},
        {"4:2:0", 2, [](const Segment& s) { return s.ss > 0 && s.component == 1; }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JpegWriting how = Progressive();
        how.h_sampling = how.v_sampling = c.sampling;
        how.restart_interval = 5;
        const std::string photo = Photo(640, 480, how);
        const std::optional<std::string> view = JpegDcScanView(photo);
        ASSERT_TRUE(view);
        EXPECT_EQ(*view, Without(photo, c.left_out));
        EXPECT_LT(view->size() * c.max_share, photo.size()) << view->size() << " of " << photo.size();
        int dc_scans = 0, luma_ac_scans = 0;
        for (const Segment& s : Segments(*view)) {
            dc_scans += IsDcScan(s);
            luma_ac_scans += s.ss > 0 && s.component == 1;
        }
        EXPECT_EQ(dc_scans, 2) << "the standard script's first DC scan and its refinement";
        EXPECT_EQ(luma_ac_scans, 0);
        EXPECT_EQ(Segments(*view).back().marker, 0xD9u);
    }
}

TEST(JpegDcScanView, TheTilePathGivesTheWholeFilesPixelsAtEachScale) {
    const std::string photo = Photo(720, 960, Progressive());
    ASSERT_TRUE(JpegDcScanView(photo));
    JpegImage jpeg(photo);
    const DecodedJpeg& tile = jpeg.DecodeFor(90, 120, false);
    ASSERT_EQ(tile.scale_eighths, 1);
    const auto whole_tile = Decode(photo, true);
    EXPECT_TRUE(SameImage(tile.error_code, tile.image, whole_tile->code, whole_tile->image));
    // Drawn larger: the AC coefficients count, the whole file is decoded.
    const DecodedJpeg& large = jpeg.DecodeFor(360, 480, false);
    ASSERT_EQ(large.scale_eighths, 4);
    const auto whole = Decode(photo, true, false, 4);
    EXPECT_TRUE(SameImage(large.error_code, large.image, whole->code, whole->image));
    const auto dc_only = Decode(DcOnly(photo), false, false, 4);
    EXPECT_FALSE(SameImage(large.error_code, large.image, dc_only->code, dc_only->image))
        << "at 4/8 the DC scans alone give other pixels";
}

TEST(JpegDcScanView, NoViewForFilesThatDecodeOtherwiseWhole) {
    const auto full_rate = [](JpegWriting how) {
        how.h_sampling = how.v_sampling = 1;
        return how;
    };
    JpegWriting baseline = Progressive();
    baseline.progressive = false;
    JpegWriting arithmetic = Progressive();
    arithmetic.arithmetic = true;
    EXPECT_FALSE(JpegDcScanView(Photo(96, 64, baseline)));
    EXPECT_FALSE(JpegDcScanView(Photo(96, 64, arithmetic)));

    // Cr has no AC scan: smoothing moves its DC values in the whole file.
    const std::string no_cr_ac = Photo(
        96, 64,
        full_rate(Progressive(JpegColour::kYCbCr, {Scan({0, 1, 2}, 0, 0, 0, 0), Scan({0}, 1, 63, 0, 0),
                                                    Scan({1}, 1, 63, 0, 0)})));
    EXPECT_FALSE(JpegDcScanView(no_cr_ac));
    EXPECT_FALSE(SameDecoding(*Decode(DcOnly(no_cr_ac), false), *Decode(no_cr_ac, true)));

    // The progression stops short of the AC coefficients' last bit: smoothing estimates the
    // missing bits, and 4:2:0 chroma, decoded through a 2x2 inverse DCT, shows them.
    const std::string incomplete_420 =
        Photo(96, 64, Progressive(JpegColour::kYCbCr, {Scan({0, 1, 2}, 0, 0, 0, 0), Scan({0}, 1, 63, 0, 1),
                                                       Scan({1}, 1, 63, 0, 1), Scan({2}, 1, 63, 0, 1)}));
    EXPECT_FALSE(JpegDcScanView(incomplete_420));
    EXPECT_FALSE(SameDecoding(*Decode(Without(incomplete_420, IsLumaAcScan), false), *Decode(incomplete_420, true)));

    // Each component's last scan is its first AC scan, with bits still missing. Whole, the
    // DC values are kept; but when the last scan is damaged, smoothing judges the rows after
    // the damage by the state before those scans, where no AC coefficient had arrived, and
    // moves their DC values.
    const std::string first_ac_last = Photo(
        96, 64,
        full_rate(Progressive(JpegColour::kYCbCr, {Scan({0, 1, 2}, 0, 0, 0, 0), Scan({0}, 1, 63, 0, 1),
                                                    Scan({1}, 1, 63, 0, 1), Scan({2}, 1, 63, 0, 1)})));
    EXPECT_FALSE(JpegDcScanView(first_ac_last));
    EXPECT_TRUE(SameDecoding(*Decode(DcOnly(first_ac_last), false), *Decode(first_ac_last, true)));
    const Segment last = Last(first_ac_last, [](const Segment& s) { return s.marker == 0xDA; });
    const std::string damaged = Replaced(first_ac_last, last.start + 10, last.end - last.start - 10, "\x5A");
    EXPECT_FALSE(JpegDcScanView(damaged));
    EXPECT_FALSE(SameDecoding(*Decode(DcOnly(damaged), false), *Decode(damaged, true)));

    // Cr's AC scan moved before its DC scan, and its quantisation table redefined between
    // them: libjpeg takes a component's table at its first scan, so the whole file uses the
    // old one, a view without the AC scan the new one.
    const std::string separate = Photo(
        96, 64,
        full_rate(Progressive(JpegColour::kYCbCr, {Scan({0}, 0, 0, 0, 0), Scan({1}, 0, 0, 0, 0), Scan({2}, 0, 0, 0, 0),
                                                    Scan({0}, 1, 63, 0, 0), Scan({1}, 1, 63, 0, 0),
                                                    Scan({2}, 1, 63, 0, 0)})));
    const std::vector<Segment> segments = Segments(separate);
    size_t cr_dc = 0, cr_ac = 0;
    for (size_t i = 1; i < segments.size(); ++i) {
        if (segments[i].marker == 0xDA && segments[i].component == 3) (segments[i].ss == 0 ? cr_dc : cr_ac) = i;
    }
    ASSERT_TRUE(cr_dc > 1 && cr_ac > cr_dc && segments[cr_ac - 1].marker == 0xC4 && segments[cr_dc - 1].marker == 0xC4);
    const size_t moved_start = segments[cr_ac - 1].start, moved_end = segments[cr_ac].end;
    const std::string table_1 = std::string("\xFF\xDB\x00\x43\x01", 5) + std::string(64, '\x07');
    const std::string ac_first = separate.substr(0, segments[cr_dc - 1].start) +
                                 separate.substr(moved_start, moved_end - moved_start) + table_1 +
                                 separate.substr(segments[cr_dc - 1].start, moved_start - segments[cr_dc - 1].start) +
                                 separate.substr(moved_end);
    ASSERT_EQ(Decode(ac_first, true)->code, 0);
    EXPECT_FALSE(JpegDcScanView(ac_first));
    EXPECT_FALSE(SameDecoding(*Decode(DcOnly(ac_first), false), *Decode(ac_first, true)));
}

TEST(JpegDcScanView, DamagedFilesGiveNoViewOrTheSameDecoding) {
    JpegWriting how = Progressive();
    how.restart_interval = 2;
    const std::string f = Photo(120, 88, how);
    const Segment dc = First(f, IsDcScan), ac = First(f, IsLumaAcScan);
    const Segment app0 = First(f, [](const Segment& s) { return s.marker == 0xE0; });
    const Segment sof = First(f, [](const Segment& s) { return s.marker == 0xC2; });
    ASSERT_EQ(ac.start + 10 < ac.end, true);
    // The first luma AC scan's header: FF DA, length, 1 component (id, tables), Ss, Se, Ah/Al.
    const auto header = [&](size_t offset, char value) { return Replaced(f, ac.start + offset, 1, {value}); };
    const std::string two_components("\xFF\xDA\x00\x0A\x02\x01\x00\x02\x11\x01\x05\x02", 12);
    // AC table 0 with three codes of length 1.
    const std::string bad_table =
        std::string("\xFF\xC4\x00\x16\x10\x03", 6) + std::string(15, '\0') + std::string("\x01\x02\x03", 3);

    enum Expect { kNoView, kView, kEither };
    struct Case {
        const char* name;
        std::string bytes;
        Expect view;
        int whole_error;  // libjpeg's code for the whole file, -1: not looked at
        bool in_left_out_scan = false;
    } cases[] = {
        {"cut inside the first DC scan", f.substr(0, dc.end - 30), kNoView, 0},
        {"cut inside an AC scan header", f.substr(0, ac.start + 6), kNoView, JERR_BAD_PROGRESSION},
        {"cut inside an AC scan", f.substr(0, ac.end - 10), kNoView, 0},
        {"cut before EOI", f.substr(0, f.size() - 2), kNoView, 0},
        {"cut inside EOI", f.substr(0, f.size() - 1), kNoView, 0},
        {"AC scan with Se below Ss", header(7, 6), kNoView, JERR_BAD_PROGRESSION, true},
        {"AC scan with Se past 63", header(8, 64), kNoView, JERR_BAD_PROGRESSION, true},
        {"AC scan of two components", Replaced(f, ac.start, 10, two_components), kNoView, JERR_BAD_PROGRESSION,
         true},
        {"AC scan with an undefined table", header(6, 0x03), kNoView, JERR_NO_HUFF_TABLE, true},
        {"AC scan with table 7", header(6, 0x07), kNoView, JERR_NO_HUFF_TABLE, true},
        {"AC refinement with Al not Ah-1", header(9, 0x31), kNoView, JERR_BAD_PROGRESSION, true},
        {"AC scan with Al 14", header(9, 0x0E), kNoView, JERR_BAD_PROGRESSION, true},
        {"AC scan of an unknown component", header(5, 9), kNoView, JERR_BAD_COMPONENT_ID, true},
        {"AC table with too many short codes", Inserted(f, ac.start, bad_table), kNoView, JERR_BAD_HUFF_TABLE, true},
        {"garbage between header segments", Inserted(f, app0.end, "\x12\x34"), kNoView, 0},
        {"unknown marker", Inserted(f, ac.start, std::string("\xFF\xF7\x00\x04\x00\x00", 6)), kNoView,
         JERR_UNKNOWN_MARKER},
        {"TEM marker", Inserted(f, ac.start, "\xFF\x01"), kNoView, 0},
        {"RST between header segments", Inserted(f, app0.end, "\xFF\xD3"), kNoView, 0},
        {"DNL segment", Inserted(f, ac.start, std::string("\xFF\xDC\x00\x04\x00\x58", 6)), kNoView, 0},
        {"DAC segment", Inserted(f, ac.start, std::string("\xFF\xCC\x00\x04\x10\x05", 6)), kNoView, -1},
        {"second SOF", Inserted(f, ac.start, f.substr(sof.start, sof.end - sof.start)), kNoView, JERR_SOF_DUPLICATE},
        {"second SOI", Inserted(f, ac.start, "\xFF\xD8"), kNoView, JERR_SOI_DUPLICATE},
        {"luma AC scan before the DC scan", Inserted(Replaced(f, ac.start, ac.end - ac.start, ""), dc.start,
                                                      f.substr(ac.start, ac.end - ac.start)),
         kNoView, -1},
        {"AC scan data scrambled", Scrambled(f, ac), kView, 0},
        {"DC scan data scrambled", Scrambled(f, dc), kView, -1},
        {"garbage after an AC scan", Inserted(f, ac.end, "\x12\x34\xFF\x00\xFF\xD5"), kView, 0},
        {"comment between scans", Inserted(f, ac.end, std::string("\xFF\xFE\x00\x05" "abc", 7)), kView, 0},
        {"bytes after EOI", f + "trailing", kView, 0},
        {"DC scan with Se 1", Replaced(f, dc.start + 5 + 2 * 3 + 1, 1, "\x01"), kEither, JERR_BAD_PROGRESSION},
    };
    // The scans a view leaves out, found by the component id also when it is not the frame's.
    const auto luma_ac = [](const Segment& s) { return s.ss > 0 && s.component != 2 && s.component != 3; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::string> view = JpegDcScanView(c.bytes);
        if (c.view != kEither) {
            EXPECT_EQ(view.has_value(), c.view == kView);
        }
        EXPECT_TRUE(NoViewOrTheSameDecoding(c.bytes));
        if (c.whole_error < 0) continue;
        EXPECT_EQ(Decode(c.bytes, true)->code, c.whole_error);
        // The error is in a scan a view would leave out: without it the file decodes.
        if (c.in_left_out_scan) {
            EXPECT_EQ(Decode(Without(c.bytes, luma_ac), false)->code, 0);
        }
    }
}

// Every cut and a damaged byte at many places: no view, or the same decoding.
TEST(JpegDcScanView, CutsAndDamagedBytesGiveNoViewOrTheSameDecoding) {
    for (int sampling : {1, 2}) {
        JpegWriting how = Progressive();
        how.h_sampling = how.v_sampling = sampling;
        how.restart_interval = 3;
        const std::string f = Photo(56, 40, how, 9);
        ASSERT_TRUE(JpegDcScanView(f));
        for (size_t size = 0; size < f.size(); size += 3) {
            SCOPED_TRACE("cut at " + std::to_string(size));
            EXPECT_FALSE(JpegDcScanView(f.substr(0, size))) << "no EOI";
        }
        for (size_t at = 0; at < f.size(); at += 2)
            for (unsigned char value : {0x00, 0xFF, 0x20, 0x11}) {
                SCOPED_TRACE("byte " + std::to_string(at) + " set to " + std::to_string(value));
                EXPECT_TRUE(NoViewOrTheSameDecoding(Replaced(f, at, 1, std::string(1, char(value)))));
            }
    }
}

}  // namespace
}  // namespace zv
