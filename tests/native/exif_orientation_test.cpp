// The Exif orientation read from hostile bytes, and the decoded bitmap turned by it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "exif_fixtures.h"
#include "pictures/exif_orientation.h"
#include "pictures/jpeg_upright.h"

namespace zv {
namespace {

using fixtures::ExifOrientationBody;
using fixtures::kExifEntryAt;
using fixtures::kExifEntryCountAt;
using fixtures::kExifEntryEnd;
using fixtures::kExifIfdOffsetAt;
using fixtures::kExifTiffStart;

void Set16(std::string& s, size_t at, unsigned v, bool big) {
    s[at + (big ? 1 : 0)] = static_cast<char>(v & 0xFF);
    s[at + (big ? 0 : 1)] = static_cast<char>(v >> 8);
}
void Set32(std::string& s, size_t at, unsigned long v, bool big) {
    Set16(s, at + (big ? 2 : 0), v & 0xFFFF, big);
    Set16(s, at + (big ? 0 : 2), v >> 16, big);
}

TEST(ExifOrientation, ReadsTheTagOrFallsBackToAsStored) {
    // Each case: the body with one orientation entry of this value, edited.
    using Edit = std::function<void(std::string& body, bool big)>;
    const Edit none = [](std::string&, bool) {};
    struct Case {
        const char* what;
        unsigned value;
        Edit edit;
        int expected;
    } cases[] = {
        {"value 1", 1, none, 1},
        {"value 5", 5, none, 5},
        {"value 6", 6, none, 6},
        {"value 8", 8, none, 8},
        {"value 0", 0, none, 1},
        {"value 9", 9, none, 1},
        {"value 0x0600 (6 read in the other byte order)", 0x0600, none, 1},
        {"type LONG", 6, [](std::string& s, bool big) { Set16(s, kExifEntryAt + 2, 4, big); }, 1},
        {"type BYTE", 6, [](std::string& s, bool big) { Set16(s, kExifEntryAt + 2, 1, big); }, 1},
        {"count 2", 6, [](std::string& s, bool big) { Set32(s, kExifEntryAt + 4, 2, big); }, 1},
        {"count 0", 6, [](std::string& s, bool big) { Set32(s, kExifEntryAt + 4, 0, big); }, 1},
        {"another tag only", 6, [](std::string& s, bool big) { Set16(s, kExifEntryAt, 0x0110, big); }, 1},
        {"no entries", 6, [](std::string& s, bool big) { Set16(s, kExifEntryCountAt, 0, big); }, 1},
        {"more entries counted than there are", 6,
         [](std::string& s, bool big) {
             Set16(s, kExifEntryAt, 0x0110, big);
             Set16(s, kExifEntryCountAt, 0xFFFF, big);
         },
         1},
        {"the tag after another entry", 3,
         [](std::string& s, bool big) {
             std::string other = s.substr(kExifEntryAt, 12);
             Set16(other, 0, 0x010F, big);  // make
             s.insert(kExifEntryAt, other);
             Set16(s, kExifEntryCountAt, 2, big);
         },
         3},
        {"IFD0 further on", 7,
         [](std::string& s, bool big) {
             s.insert(kExifEntryCountAt, "padding!");
             Set32(s, kExifIfdOffsetAt, 16, big);
         },
         7},
        {"IFD0 at the end", 6,
         [](std::string& s, bool big) { Set32(s, kExifIfdOffsetAt, s.size() - kExifTiffStart, big); }, 1},
        {"IFD0 outside", 6, [](std::string& s, bool big) { Set32(s, kExifIfdOffsetAt, 0xFFFFFFF0UL, big); }, 1},
        {"IFD0 at the largest offset", 6,
         [](std::string& s, bool big) { Set32(s, kExifIfdOffsetAt, 0xFFFFFFFFUL, big); }, 1},
        {"not 42", 6, [](std::string& s, bool big) { Set16(s, kExifTiffStart + 2, 43, big); }, 1},
        {"no byte order", 6, [](std::string& s, bool) { s[kExifTiffStart + 1] = s[kExifTiffStart] == 'I' ? 'M' : 'I'; },
         1},
        {"not Exif", 6, [](std::string& s, bool) { s[3] = 'g'; }, 1},
        {"the name only", 6, [](std::string& s, bool) { s.resize(kExifTiffStart); }, 1},
        {"empty", 6, [](std::string& s, bool) { s.clear(); }, 1},
    };
    for (const Case& c : cases)
        for (bool big : {false, true}) {
            std::string body = ExifOrientationBody(c.value, big);
            c.edit(body, big);
            EXPECT_EQ(OrientationInExif(body), c.expected) << c.what << (big ? " (MM)" : " (II)");
        }
}

TEST(ExifOrientation, ASegmentCutShortReadsTheTagOnlyWhenItsEntryIsWhole) {
    for (bool big : {false, true}) {
        const std::string whole = ExifOrientationBody(6, big);
        for (size_t length = 0; length <= whole.size(); ++length) {
            // A copy of exactly that length, so that a read past it is seen by the sanitizers.
            const std::string cut = whole.substr(0, length);
            EXPECT_EQ(OrientationInExif(cut), length >= kExifEntryEnd ? 6 : 1) << length << (big ? " MM" : " II");
        }
    }
}

// A small JPEG-like file: SOI, the segments, SOS. The marker walk needs nothing more.
std::string Segment(unsigned marker, const std::string& body) {
    std::string s{'\xFF', static_cast<char>(marker)};
    s += static_cast<char>((body.size() + 2) >> 8);
    s += static_cast<char>((body.size() + 2) & 0xFF);
    return s + body;
}
const std::string kSoi("\xFF\xD8", 2);
const std::string kScan = Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) + "data";

TEST(ExifOrientation, FindsTheFirstExifApp1BeforeTheScans) {
    const std::string xmp = std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33);
    const std::string jfif = std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14);
    struct Case {
        const char* what;
        std::string file;
        int expected;
    } cases[] = {
        {"right after SOI", kSoi + Segment(0xE1, ExifOrientationBody(6)) + kScan, 6},
        {"after JFIF", kSoi + Segment(0xE0, jfif) + Segment(0xE1, ExifOrientationBody(8, true)) + kScan, 8},
        {"after an XMP APP1", kSoi + Segment(0xE1, xmp) + Segment(0xE1, ExifOrientationBody(3)) + kScan, 3},
        {"before an XMP APP1", kSoi + Segment(0xE1, ExifOrientationBody(3)) + Segment(0xE1, xmp) + kScan, 3},
        {"the first of two",
         kSoi + Segment(0xE1, ExifOrientationBody(5)) + Segment(0xE1, ExifOrientationBody(7)) + kScan, 5},
        {"a damaged first one", kSoi + Segment(0xE1, ExifOrientationBody(9)) + Segment(0xE1, ExifOrientationBody(7)) + kScan,
         1},
        {"after fill bytes", kSoi + "\xFF\xFF" + Segment(0xE1, ExifOrientationBody(2)) + kScan, 2},
        {"only an XMP APP1", kSoi + Segment(0xE1, xmp) + kScan, 1},
        {"in an APP2", kSoi + Segment(0xE2, ExifOrientationBody(6)) + kScan, 1},
        {"after the scan", kSoi + kScan + Segment(0xE1, ExifOrientationBody(6)), 1},
        {"no SOI", Segment(0xE1, ExifOrientationBody(6)) + kScan, 1},
        {"garbage before it", kSoi + "x" + Segment(0xE1, ExifOrientationBody(6)) + kScan, 1},
        {"segment length past the file", kSoi + Segment(0xE1, ExifOrientationBody(6)).substr(0, 20), 1},
        {"segment length 1", kSoi + "\xFF\xE1\x00\x01" + ExifOrientationBody(6), 1},
        {"no body but the name", kSoi + Segment(0xE1, std::string("Exif\0\0", 6)) + kScan, 1},
        {"empty", "", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(JpegOrientation(c.file), c.expected) << c.what;
}

TEST(ExifOrientation, TheSegmentFoundIsTheBodyInsideTheFile) {
    const std::string body = ExifOrientationBody(6);
    const std::string file = kSoi + Segment(0xE0, "JFIF") + Segment(0xE1, body) + kScan;
    const std::string_view found = ExifSegmentOf(file);
    EXPECT_EQ(found, body);
    EXPECT_EQ(found.data(), file.data() + 2 + 8 + 4);
}

// Stored 3 x 2, pixels a b c / d e f; the upright picture for each orientation, row by row.
TEST(JpegUpright, TurnsAndMirrorsEveryOrientation) {
    struct Case {
        int orientation;
        int width, height;
        const char* rows;
    } cases[] = {
        {1, 3, 2, "abc" "def"}, {2, 3, 2, "cba" "fed"}, {3, 3, 2, "fed" "cba"}, {4, 3, 2, "def" "abc"},
        {5, 2, 3, "ad" "be" "cf"}, {6, 2, 3, "da" "eb" "fc"}, {7, 2, 3, "fc" "eb" "da"}, {8, 2, 3, "cf" "be" "ad"},
    };
    for (const int bits : {8, 24}) {
        const int pixel = bits / 8;
        for (const Case& c : cases) {
            ZvJpegImage image{};
            image.width = 3;
            image.height = 2;
            image.bits = bits;
            image.stride = (3 * pixel + 3) & ~3;
            image.rows_done = 2;
            image.palette_size = 7;
            image.pixels = static_cast<unsigned char*>(std::malloc(size_t(image.stride) * 2));
            std::memset(image.pixels, '#', size_t(image.stride) * 2);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x)
                    for (int b = 0; b < pixel; ++b)
                        image.pixels[y * image.stride + x * pixel + b] = static_cast<unsigned char>("abcdef"[y * 3 + x] + 16 * b);

            ASSERT_TRUE(TurnUpright(image, c.orientation));
            const std::string what = std::to_string(c.orientation) + " at " + std::to_string(bits) + " bits";
            ASSERT_EQ(image.width, c.width) << what;
            ASSERT_EQ(image.height, c.height) << what;
            EXPECT_EQ(image.stride, (c.width * pixel + 3) & ~3) << what;
            EXPECT_EQ(image.rows_done, c.height) << what << ": decoded whole";
            EXPECT_EQ(image.palette_size, 7) << what;
            std::string rows;
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const unsigned char* p = image.pixels + y * image.stride + x * pixel;
                    rows += static_cast<char>(p[0]);
                    for (int b = 1; b < pixel; ++b) EXPECT_EQ(p[b], p[0] + 16 * b) << what << ": a pixel's bytes stay together";
                }
            EXPECT_EQ(rows, c.rows) << what;
            std::free(image.pixels);
        }
    }
}

// A decoding that stopped after the first of two stored rows: which upright rows from the top
// are decoded whole.
TEST(JpegUpright, RowsDoneCountTheUprightRowsDecodedWhole) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        ZvJpegImage image{};
        image.width = 3;
        image.height = 2;
        image.bits = 8;
        image.stride = 4;
        image.rows_done = 1;
        image.pixels = static_cast<unsigned char*>(std::calloc(8, 1));
        ASSERT_TRUE(TurnUpright(image, orientation));
        // Only as stored and mirrored left to right is the stored top row still the top row.
        EXPECT_EQ(image.rows_done, orientation <= 2 ? 1 : 0) << orientation;
        std::free(image.pixels);
    }
}

TEST(JpegUpright, LeavesAnImageWithoutPixelsOrAnOrientationOfNoTurnAlone) {
    ZvJpegImage none{};
    none.width = 3;
    none.height = 2;
    EXPECT_TRUE(TurnUpright(none, 6));
    EXPECT_EQ(none.width, 3);
    EXPECT_EQ(none.pixels, nullptr);

    unsigned char pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int orientation : {0, 1, 9, -6}) {
        ZvJpegImage image{};
        image.width = 2;
        image.height = 1;
        image.bits = 24;
        image.stride = 8;
        image.pixels = pixels;
        EXPECT_TRUE(TurnUpright(image, orientation));
        EXPECT_EQ(image.pixels, pixels) << orientation;
        EXPECT_EQ(image.width, 2) << orientation;
    }
}

}  // namespace
}  // namespace zv
