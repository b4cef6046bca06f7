#include "base/layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace zv {
namespace {

TEST(Layout, TheFontIsNinePointsAtTheScreensDpi) {
    struct Case {
        int dpi, pixels;
    } cases[] = {
        {96, 12},  {120, 15}, {144, 18}, {168, 21}, {192, 24},
        {100, 13},  // 12.5 rounds up
        {0, 12},    {-1, 12},   // the system could not tell: as at 96
        {72, 9},    {INT_MAX, 1200},
    };
    for (const Case& c : cases) EXPECT_EQ(UiFontPixels(c.dpi), c.pixels) << c.dpi;
}

TEST(Layout, LengthsScaleWithTheTextHeightRoundedToTheNearestPixel) {
    struct Case {
        int value, text_height, scaled;
    } cases[] = {
        {634, 12, 634}, {634, 13, 687}, {634, 16, 845}, {634, 20, 1057},  // 634 × 20 / 12 = 1056.67
        {5, 13, 5},     {5, 20, 8},     {6, 13, 7},     {-6, 13, -7},      // 6.5 away from zero
        {0, 20, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scaled(c.value, c.text_height), c.scaled) << c.value << " at " << c.text_height;
}

}  // namespace
}  // namespace zv
