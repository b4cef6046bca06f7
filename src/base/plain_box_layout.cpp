#include "base/plain_box_layout.h"

#include <algorithm>

namespace zv {

PlainBoxLayout LayOutPlainBox(const PlainBoxMeasures& m) {
    PlainBoxLayout box{};
    box.text_left = box.text_top = m.margin;
    box.text_width = m.text_width;
    box.text_height = m.text_height;
    const int around_text = m.button_height + 3 * m.margin;
    box.scrolls = m.text_height + around_text > m.max_client_height;
    if (box.scrolls) {
        box.text_width += m.scroll_bar_width;
        // However small the work area, the view keeps a button's height.
        box.text_height = std::max(m.max_client_height - around_text, m.button_height);
    }
    box.client_width = std::max(box.text_width, m.button_width) + 2 * m.margin;
    box.client_height = box.text_height + around_text;
    box.button_left = (box.client_width - m.button_width) / 2;
    box.button_top = box.client_height - m.margin - m.button_height;
    return box;
}

}  // namespace zv
