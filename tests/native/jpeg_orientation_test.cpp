// Photographs stored turned or mirrored, with their Exif orientation: every decoding gives the
// upright picture, at every scale, in colour, quantized and gray, from the whole file and from
// a progressive file's DC scans.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "exif_fixtures.h"
#include "pictures/jpeg_dc_scans.h"
#include "pictures/jpeg_image.h"

namespace zv {
namespace {

using fixtures::JpegColour;
using fixtures::JpegWriting;
using fixtures::kQuarterColours;
using fixtures::Rgb;

// Upright 720 x 960: a 90 x 120 tile decodes it at 1/8.
constexpr int kWidth = 720, kHeight = 960;

// The mean colour of a square around (x, y): quantized output is dithered.
Rgb MeanAround(const ZvJpegImage& image, int x, int y, int half) {
    long sum[3] = {};
    int count = 0;
    for (int yy = y - half; yy <= y + half; ++yy)
        for (int xx = x - half; xx <= x + half; ++xx) {
            const unsigned char* p = image.pixels + size_t(image.stride) * yy + size_t(xx) * (image.bits / 8);
            const unsigned char rgb[3] = {image.bits == 8 ? image.palette[*p][0] : p[2],
                                          image.bits == 8 ? image.palette[*p][1] : p[1],
                                          image.bits == 8 ? image.palette[*p][2] : p[0]};
            for (int c = 0; c < 3; ++c) sum[c] += rgb[c];
            ++count;
        }
    return {uint8_t(sum[0] / count), uint8_t(sum[1] / count), uint8_t(sum[2] / count)};
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

Rgb Expected(int quarter, bool gray) {
    const Rgb c = kQuarterColours[quarter];
    if (!gray) return c;
    const uint8_t v = fixtures::GrayOf(c);
    return {v, v, v};
}

// The four quarters of the decoded image in their upright places.
::testing::AssertionResult StandsUpright(const ZvJpegImage& image, bool gray) {
    if (!image.pixels) return ::testing::AssertionFailure() << "no pixels";
    const int half = std::max(1, image.width / 16);
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int x = image.width * (quarter % 2 ? 3 : 1) / 4, y = image.height * (quarter / 2 ? 3 : 1) / 4;
        const Rgb seen = MeanAround(image, x, y, half);
        if (!Near(seen, Expected(quarter, gray), 24))
            return ::testing::AssertionFailure() << "quarter " << quarter << " is " << int(seen.r) << "," << int(seen.g)
                                                 << "," << int(seen.b);
    }
    return ::testing::AssertionSuccess();
}

TEST(JpegOrientation, EveryOrientationDecodesUprightAtEveryScale) {
    struct Kind {
        const char* what;
        JpegColour colour;
        bool progressive;
        bool quantize;
    } kinds[] = {
        {"baseline", JpegColour::kYCbCr, false, false},
        {"progressive", JpegColour::kYCbCr, true, false},
        {"quantized", JpegColour::kYCbCr, false, true},
        {"gray", JpegColour::kGray, false, false},
    };
    for (const Kind& kind : kinds)
        for (int orientation = 1; orientation <= 8; ++orientation) {
            JpegWriting how;
            how.colour = kind.colour;
            how.progressive = kind.progressive;
            const std::string file =
                fixtures::OrientedQuartersJpeg(orientation, kWidth, kHeight, how, orientation % 2 == 0);
            // The DC-scan path is the one taken at 1/8.
            if (kind.progressive) {
                ASSERT_TRUE(JpegDcScanView(file).has_value());
            }
            for (int scale = 1; scale <= 8; ++scale) {
                const std::string what = std::string(kind.what) + ", orientation " + std::to_string(orientation) +
                                         ", scale " + std::to_string(scale) + "/8";
                JpegImage jpeg(file);
                EXPECT_EQ(jpeg.Width(), kWidth) << what;
                EXPECT_EQ(jpeg.Height(), kHeight) << what;
                const int dest_width = zv_jpeg_scaled_size(kWidth, scale),
                          dest_height = zv_jpeg_scaled_size(kHeight, scale);
                const DecodedJpeg& d = jpeg.DecodeFor(dest_width, dest_height, kind.quantize);
                ASSERT_EQ(d.error_code, 0) << what;
                EXPECT_EQ(d.scale_eighths, scale) << what;
                EXPECT_EQ(d.image.width, dest_width) << what;
                EXPECT_EQ(d.image.height, dest_height) << what;
                EXPECT_EQ(d.image.bits, kind.quantize || kind.colour == JpegColour::kGray ? 8 : 24) << what;
                EXPECT_TRUE(StandsUpright(d.image, kind.colour == JpegColour::kGray)) << what;
            }
        }
}

TEST(JpegOrientation, APortraitPhotoStoredLyingChoosesItsScaleByItsUprightSides) {
    // 4032 x 3024 with orientation 6, shrunk to 504 x 378 stored: a 90 x 120 tile needs 2/8 of
    // the upright 378 x 504 (95 x 126); taken as stored, 1/8 would leave it 63 high.
    JpegWriting how;
    how.progressive = false;
    JpegImage jpeg(fixtures::OrientedQuartersJpeg(6, 378, 504, how));
    EXPECT_EQ(jpeg.Width(), 378);
    EXPECT_EQ(jpeg.Height(), 504);
    const DecodedJpeg& d = jpeg.DecodeFor(90, 120, false);
    EXPECT_EQ(d.scale_eighths, 2);
    EXPECT_EQ(d.image.width, 95);
    EXPECT_EQ(d.image.height, 126);
    EXPECT_TRUE(StandsUpright(d.image, false));
}

TEST(JpegOrientation, ADamagedTagDecodesAsStored) {
    JpegWriting how;
    how.progressive = false;
    // Orientation 1's picture, stored upright, with a tag that must be ignored.
    const std::string upright = fixtures::OrientedQuartersJpeg(1, 64, 48, how);
    for (unsigned value : {0u, 9u, 0xFFFFu}) {
        JpegImage jpeg(fixtures::WithApp1(upright, fixtures::ExifOrientationBody(value)));
        EXPECT_EQ(jpeg.Width(), 64) << value;
        EXPECT_EQ(jpeg.Height(), 48) << value;
        EXPECT_TRUE(StandsUpright(jpeg.DecodeFor(64, 48, false).image, false)) << value;
    }
}

}  // namespace
}  // namespace zv
