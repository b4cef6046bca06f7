#pragma once
// Where the file-open dialog's preview area draws a picture.

namespace zv {

struct PreviewRect {
    int left, top, width, height;
};

// A picture that fits the area is shown at its own size, centred. A larger one is scaled so
// that its longer side (the height for a square) matches the area's, from the area's
// top-left corner; the other side may then overrun the area and is clipped by the caller.
// Negative sizes count as 0.
PreviewRect FitPreview(int pic_w, int pic_h, int area_w, int area_h);

}  // namespace zv
