#include "base/plain_box_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zv {
namespace {

// Text, button 75 × 25 at a 12-pixel text height (81 × 27 at 13), margin 12 (13), scroll bar 16.
PlainBoxMeasures Measures(int text_width, int text_height, int max_client_height) {
    return {text_width, text_height, 81, 27, 13, 16, max_client_height};
}

TEST(PlainBoxLayout, AShortTextIsLaidOutAsAlways) {
    struct Case {
        int text_width, text_height;
    } cases[] = {{300, 13}, {40, 13}, {627, 800}, {627, 987 - 27 - 39}};
    for (const Case& c : cases) {
        const PlainBoxLayout box = LayOutPlainBox(Measures(c.text_width, c.text_height, 987));
        EXPECT_FALSE(box.scrolls) << c.text_height;
        EXPECT_EQ(box.client_width, std::max(c.text_width, 81) + 26);
        EXPECT_EQ(box.client_height, c.text_height + 27 + 39);
        EXPECT_EQ(box.text_left, 13);
        EXPECT_EQ(box.text_top, 13);
        EXPECT_EQ(box.text_width, c.text_width);
        EXPECT_EQ(box.text_height, c.text_height);
        EXPECT_EQ(box.button_left, (box.client_width - 81) / 2);
        EXPECT_EQ(box.button_top, box.client_height - 13 - 27);
    }
}

TEST(PlainBoxLayout, ATallerTextScrollsInABoxAsTallAsFits) {
    for (int text_height : {987 - 27 - 39 + 1, 5000, 2000000}) {
        const PlainBoxLayout box = LayOutPlainBox(Measures(627, text_height, 987));
        EXPECT_TRUE(box.scrolls);
        EXPECT_EQ(box.client_height, 987);
        EXPECT_EQ(box.text_width, 627 + 16) << "the scroll bar beside the text";
        EXPECT_EQ(box.client_width, 627 + 16 + 26);
        EXPECT_EQ(box.text_top + box.text_height + 13, box.button_top) << "the view ends a margin above OK";
        EXPECT_EQ(box.button_top + 27 + 13, 987) << "OK a margin above the bottom";
    }
}

TEST(PlainBoxLayout, AWorkAreaTooSmallForAnythingStillKeepsAView) {
    const PlainBoxLayout box = LayOutPlainBox(Measures(300, 500, 50));
    EXPECT_TRUE(box.scrolls);
    EXPECT_EQ(box.text_height, 27);
    EXPECT_EQ(box.button_top, box.text_top + 27 + 13);
}

}  // namespace
}  // namespace zv
