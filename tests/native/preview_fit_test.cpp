#include <gtest/gtest.h>

#include <climits>

#include "pictures/preview_fit.h"

namespace zv {
namespace {

struct FitCase {
    const char* what;
    int pic_w, pic_h, area_w, area_h;
    PreviewRect expected;
};

void ExpectFits(const FitCase& c) {
    const PreviewRect r = FitPreview(c.pic_w, c.pic_h, c.area_w, c.area_h);
    EXPECT_EQ(r.left, c.expected.left) << c.what;
    EXPECT_EQ(r.top, c.expected.top) << c.what;
    EXPECT_EQ(r.width, c.expected.width) << c.what;
    EXPECT_EQ(r.height, c.expected.height) << c.what;
}

TEST(FitPreview, PicturesThatFitKeepTheirSizeAndAreCentred) {
    const FitCase cases[] = {
        {"small", 20, 10, 100, 50, {40, 20, 20, 10}},
        {"odd margins round down", 21, 11, 100, 50, {39, 19, 21, 11}},
        {"exactly the area", 100, 50, 100, 50, {0, 0, 100, 50}},
        {"full width, short", 100, 10, 100, 50, {0, 20, 100, 10}},
        {"empty picture", 0, 0, 100, 50, {50, 25, 0, 0}},
        {"one pixel", 1, 1, 2, 2, {0, 0, 1, 1}},
    };
    for (const FitCase& c : cases) ExpectFits(c);
}

TEST(FitPreview, WiderPicturesTakeTheAreaWidthFromTheTopLeft) {
    const FitCase cases[] = {
        {"4:3 photo", 640, 480, 160, 230, {0, 0, 160, 120}},
        {"rounds down", 300, 101, 200, 500, {0, 0, 200, 67}},  // 67.33
        {"rounds half up", 4, 1, 2, 10, {0, 0, 2, 1}},          // 0.5
        {"rounds up", 3, 2, 1, 10, {0, 0, 1, 1}},               // 0.67
        // Only the height overruns, yet the width rule applies and the width grows.
        {"too tall, still wider", 300, 250, 400, 200, {0, 0, 400, 333}},
        {"height overruns the area", 400, 300, 200, 50, {0, 0, 200, 150}},
        {"thin line", 100000, 1, 10, 10, {0, 0, 10, 0}},
    };
    for (const FitCase& c : cases) ExpectFits(c);
}

TEST(FitPreview, TallerAndSquarePicturesTakeTheAreaHeight) {
    const FitCase cases[] = {
        {"portrait, width overruns", 480, 640, 160, 230, {0, 0, 173, 230}},  // 172.5
        {"square", 500, 500, 160, 230, {0, 0, 230, 230}},
        {"only the height too large", 100, 300, 200, 200, {0, 0, 67, 200}},  // 66.67
        {"square, only just too large", 101, 101, 200, 100, {0, 0, 100, 100}},
    };
    for (const FitCase& c : cases) ExpectFits(c);
}

TEST(FitPreview, HostileSizesNeitherOverflowNorDivideByZero) {
    const FitCase cases[] = {
        {"largest sizes", INT_MAX, INT_MAX - 1, 1000, 1000, {0, 0, 1000, 1000}},
        {"largest square", INT_MAX, INT_MAX, INT_MAX, 7, {0, 0, 7, 7}},
        {"negative picture", -5, -5, 10, 10, {5, 5, 0, 0}},
        {"negative width only", -5, 20, 10, 10, {0, 0, 0, 10}},
        {"negative area", 10, 10, -1, -1, {0, 0, 0, 0}},
        {"empty area, wide picture", 10, 5, 0, 0, {0, 0, 0, 0}},
        {"zero-height wide picture", 50, 0, 10, 10, {0, 0, 10, 0}},
    };
    for (const FitCase& c : cases) ExpectFits(c);
}

}  // namespace
}  // namespace zv
