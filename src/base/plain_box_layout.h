#pragma once
// Where the plain message box puts its text and its button. A text taller than the screen's
// work area allows goes into a scrolling view as tall as fits, so the button stays on the
// screen; a shorter one is laid out as it always was.

namespace zv {

struct PlainBoxMeasures {
    int text_width, text_height;  // the text wrapped to its width
    int button_width, button_height;
    int margin;
    int scroll_bar_width;
    int max_client_height;  // the work area's height less the box's caption and frame
};

struct PlainBoxLayout {
    int client_width, client_height;
    int text_left, text_top, text_width, text_height;  // the view, its scroll bar included
    int button_left, button_top;
    bool scrolls;
};

PlainBoxLayout LayOutPlainBox(const PlainBoxMeasures& m);

}  // namespace zv
