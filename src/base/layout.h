#pragma once
// Window layouts as data: positions are designed for a 12-pixel text height and scaled by
// the ratio of the font's real text height to that.

namespace zv {

constexpr int kDesignTextHeight = 12;
constexpr int kDesignDpi = 96;

// The windows' font size, 9 points, in pixels on a screen of `dpi` dots per inch (rounded
// as MulDiv does): 12 at 96, 15 at 120, 18 at 144. A dpi the system cannot tell (0 or
// less) counts as 96.
int UiFontPixels(int dpi);

// value × text_height / 12, rounded to the nearest pixel.
int Scaled(int value, int text_height);

enum class ControlKind { Label, Button, DefaultButton, ScrollBox, Picture, Edit, ListBox, SmallButton, Panel };

struct LayoutEntry {
    const char* name;
    ControlKind kind;
    int id;
    int left, top, width, height;  // at the design text height; a label's size follows its text
    const char* caption;
};

}  // namespace zv
