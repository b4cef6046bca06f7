// Decodings that share one scratch, one after another as a thread of the window's decoding
// ahead runs them, against each picture decoded alone in fresh memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>
// jpeglib.h first: jerror.h needs its types.
#include <jerror.h>

#include "jpeg_decoding_support.h"
#include "picture_fixtures.h"
#include "pictures/jpeg_image.h"
#include "pictures/jpeg_scratch.h"

namespace zv {
namespace {

using fixtures::JpegColour;
using fixtures::JpegScan;
using fixtures::JpegWriting;
using namespace testing_support;

struct Picture {
    const char* name;
    std::string bytes;
};

// Pictures of every kind the tiles meet, of different sizes so that blocks are reused across
// sizes; the damaged ones stop partway through, leaving their coefficients in the scratch.
// Those of 720 x 960 and more decode at 1/8 for the tile, progressive ones from their DC-scan
// view in the scratch's room; the others at 2/8 or more, from the whole file.
std::vector<Picture> Pictures() {
    JpegWriting progressive444;
    progressive444.h_sampling = progressive444.v_sampling = 1;
    JpegWriting progressive420;
    JpegWriting approximation;  // DC in two steps, the AC bands of each component after
    approximation.h_sampling = approximation.v_sampling = 1;
    approximation.scans = {{{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 63, 0, 0}, {{1}, 1, 63, 0, 0},
                           {{2}, 1, 63, 0, 0},      {{0, 1, 2}, 0, 0, 1, 0}};
    JpegWriting baseline;
    baseline.progressive = false;
    JpegWriting gray;
    gray.colour = JpegColour::kGray;
    JpegWriting cmyk;
    cmyk.colour = JpegColour::kCmyk;
    JpegWriting ycck_baseline;
    ycck_baseline.colour = JpegColour::kYcck;
    ycck_baseline.progressive = false;

    const std::string good = Photo(720, 960, progressive444, 3);
    return {
        {"progressive 4:4:4", good},
        {"cut short progressive", Photo(800, 1040, progressive444, 4).substr(0, 60000)},
        {"progressive 4:2:0", Photo(736, 980, progressive420, 5)},
        {"fatal in its second scan", fixtures::WithSecondFrameHeader(Photo(760, 1000, progressive444, 6))},
        {"successive approximation", Photo(600, 800, approximation, 7)},
        {"zero bytes", ""},
        {"baseline", Photo(960, 720, baseline, 8)},
        {"gray progressive", Photo(720, 960, gray, 9)},
        {"cut short baseline", Photo(700, 500, baseline, 10).substr(0, 20000)},
        {"cmyk progressive", Photo(744, 970, cmyk, 11)},
        {"ycck baseline", Photo(400, 560, ycck_baseline, 12)},
        {"the first again", good},
    };
}

::testing::AssertionResult SameDecoded(const DecodedJpeg& a, const DecodedJpeg& b) {
    if (a.scale_eighths != b.scale_eighths) return ::testing::AssertionFailure() << "scales differ";
    return SameImage(a.error_code, a.image, b.error_code, b.image);
}

TEST(JpegScratch, DecodingsInOneScratchShowWhatEachShowsAlone) {
    const std::vector<Picture> pictures = Pictures();
    std::vector<JpegImage> alone;
    for (const Picture& p : pictures) {
        alone.emplace_back(p.bytes);
        alone.back().DecodeFor(90, 120, false);
    }
    ASSERT_NE(alone[3].DecodeFor(90, 120, false).error_code, 0) << "the fatal one fails";
    ASSERT_NE(alone[5].DecodeFor(90, 120, false).error_code, 0) << "the empty one fails";

    JpegScratch scratch;
    // Forwards, then backwards: each damaged picture follows a good one and is followed by one.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t k = 0; k < pictures.size(); ++k) {
            const size_t i = pass == 0 ? k : pictures.size() - 1 - k;
            for (bool quantize : {false, true}) {
                JpegImage shared(pictures[i].bytes);
                JpegImage fresh(pictures[i].bytes);
                EXPECT_TRUE(SameDecoded(shared.DecodeFor(90, 120, quantize, &scratch),
                                        fresh.DecodeFor(90, 120, quantize)))
                    << pictures[i].name << (quantize ? ", quantised" : "") << ", pass " << pass;
            }
        }
    }
    EXPECT_GT(scratch.HeldBytes(), size_t(720 * 960 * 3 * 2)) << "the coefficients of the 4:4:4 photo were held";
    // The same photo again takes only blocks the scratch has.
    JpegImage again(pictures.front().bytes);
    again.DecodeFor(90, 120, false, &scratch);
    const size_t made = scratch.BlocksMade();
    JpegImage once_more(pictures.front().bytes);
    once_more.DecodeFor(90, 120, false, &scratch);
    EXPECT_EQ(scratch.BlocksMade(), made);
}

TEST(JpegScratch, AScratchThatCannotGrowFailsAsMemoryRunningOutDoes) {
    JpegWriting progressive444;
    progressive444.h_sampling = progressive444.v_sampling = 1;
    const std::string large = Photo(1200, 900, progressive444, 13);  // 6.5 MB of coefficients
    JpegScratch scratch(1 << 20);

    JpegImage jpeg(large);
    const DecodedJpeg& failed = jpeg.DecodeFor(90, 120, false, &scratch);
    EXPECT_EQ(failed.error_code, JERR_OUT_OF_MEMORY) << "libjpeg's own error, shown as JPEG エラー #n";
    EXPECT_EQ(failed.image.rows_done, 0);
    EXPECT_EQ(jpeg.TakeErrorToReport(), JERR_OUT_OF_MEMORY);
    EXPECT_LE(scratch.HeldBytes(), size_t(1) << 20);

    // Nothing is left in use: a picture that fits decodes in the same scratch as it does alone.
    const std::string small = Photo(300, 200, progressive444, 14);
    JpegImage shared(small), fresh(small);
    EXPECT_TRUE(SameDecoded(shared.DecodeFor(90, 120, false, &scratch), fresh.DecodeFor(90, 120, false)));
    // And the large one decodes in fresh memory.
    JpegImage alone(large);
    EXPECT_EQ(alone.DecodeFor(90, 120, false).error_code, 0);
}

// Decoding ahead of a paint while other decodings hold the memory: running out is not the
// picture's result. What the file itself makes fail is kept and reported once, as the paint's
// own decoding would.
TEST(JpegScratch, DecodingAheadLeavesOnlyRunningOutOfMemoryToThePaint) {
    JpegWriting progressive444;
    progressive444.h_sampling = progressive444.v_sampling = 1;
    const std::string large = Photo(1200, 900, progressive444, 13);  // 6.5 MB of coefficients
    const std::string fatal = fixtures::WithSecondFrameHeader(Photo(300, 200, progressive444, 15));
    struct Case {
        const char* name;
        const std::string& bytes;
        size_t scratch_bytes;
        bool kept;       // the decoding ahead is the picture's result
        int error_code;  // of the picture's result
    };
    const Case cases[] = {
        {"out of memory", large, 1 << 20, false, 0},
        {"fits", large, SIZE_MAX, true, 0},
        {"damaged, fits", fatal, SIZE_MAX, true, JERR_SOF_DUPLICATE},
        {"damaged, out of memory first", fatal, 16 * 1024, false, JERR_SOF_DUPLICATE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JpegScratch scratch(c.scratch_bytes);
        JpegImage ahead(c.bytes), alone(c.bytes);
        const long given_up = JpegDecodingsAheadGivenUpSoFar();
        ahead.DecodeAhead(90, 120, false, scratch);
        EXPECT_EQ(JpegDecodingsAheadGivenUpSoFar() - given_up, c.kept ? 0 : 1);
        EXPECT_EQ(ahead.IsDecodedFor(90, 120), c.kept);
        EXPECT_FALSE(ahead.WorthDecodingAhead(90, 120)) << "decoded, or left to the paint";
        EXPECT_EQ(ahead.TakeErrorToReport(), c.kept ? c.error_code : 0);

        const long decodings = JpegDecodingsSoFar();
        const DecodedJpeg& painted = ahead.DecodeFor(90, 120, false);
        EXPECT_EQ(JpegDecodingsSoFar() - decodings, c.kept ? 0 : 1) << "the paint decodes only what was left";
        EXPECT_EQ(painted.error_code, c.error_code);
        EXPECT_EQ(ahead.TakeErrorToReport(), c.kept ? 0 : c.error_code) << "reported once in all";
        EXPECT_EQ(ahead.TakeErrorToReport(), 0);
        EXPECT_TRUE(SameDecoded(painted, alone.DecodeFor(90, 120, false)));
    }
}

// Wider photos one after another: each decoding's small buffers must not take the larger
// blocks the one before gave back, or its coefficients would go to fresh memory and the
// scratch would hold two decodings' worth.
TEST(JpegScratch, HoldsAboutWhatOneDecodingNeeds) {
    JpegWriting progressive444;
    progressive444.h_sampling = progressive444.v_sampling = 1;
    JpegScratch shared;
    std::string last;
    for (int width : {720, 880, 1040, 1200}) {
        last = Photo(width, 960, progressive444, uint32_t(width));
        JpegImage jpeg(last);
        ASSERT_EQ(jpeg.DecodeFor(90, 120, false, &shared).error_code, 0) << width;
    }
    JpegScratch alone;
    JpegImage jpeg(last);
    ASSERT_EQ(jpeg.DecodeFor(90, 120, false, &alone).error_code, 0);
    ASSERT_GT(alone.HeldBytes(), size_t(1200 * 960 * 3 * 2));
    EXPECT_LE(shared.HeldBytes(), alone.HeldBytes() + 256 * 1024)
        << "the last photo alone needs " << alone.HeldBytes() << " bytes";
}

TEST(JpegScratch, BlocksAreReusedByBestFitAndSmallerUnusedOnesGo) {
    JpegScratch scratch;
    void* a = scratch.Take(1000);
    void* b = scratch.Take(3000);
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(scratch.Give(a));
    EXPECT_TRUE(scratch.Give(b));
    int outside = 0;
    EXPECT_FALSE(scratch.Give(&outside)) << "not one of its blocks";

    EXPECT_EQ(scratch.Take(900), a) << "the smallest that fits";
    EXPECT_EQ(scratch.Take(900), b) << "the next that fits";
    EXPECT_EQ(scratch.BlocksMade(), 2u);
    scratch.Give(a);
    scratch.Give(b);
    void* big = scratch.Take(200 * 1024);
    ASSERT_NE(big, nullptr);
    scratch.Give(big);
    void* small = scratch.Take(4000);
    EXPECT_NE(small, big) << "a block over twice the request and 64 KB more is left for its own size";
    scratch.Give(small);

    void* c = scratch.Take(300 * 1024);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(scratch.HeldBytes(), 300u * 1024) << "the unused blocks too small for it were released";

    JpegScratch limited(4000);
    void* d = limited.Take(3000);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(limited.Take(1500), nullptr) << "past its limit";
    EXPECT_EQ(limited.HeldBytes(), 3000u);
    limited.Give(d);
    EXPECT_NE(limited.Take(3500), nullptr) << "the unused 3000, too small for it, make room";
    EXPECT_EQ(limited.HeldBytes(), 3500u);
}

}  // namespace
}  // namespace zv
