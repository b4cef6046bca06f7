#pragma once
// The image control: a child window that owns one picture and draws it stretched to fill
// itself. A fatal JPEG decoding error met while painting is shown once, after the paint.
#include <windows.h>

#include <string>

#include "pictures/picture_win32.h"

namespace zv {

class PictureControl {
public:
    static HWND Create(HWND parent, int id, int left, int top, int width, int height);
    // The control behind a window made by Create; null for any other window.
    static PictureControl* From(HWND hwnd);

    Picture& picture() { return picture_; }
    // Repaint after the picture was loaded or replaced.
    void Changed() { InvalidateRect(hwnd_, nullptr, FALSE); }
    HWND hwnd() const { return hwnd_; }

private:
    explicit PictureControl(HWND hwnd) : hwnd_(hwnd) {}
    friend struct WindowAccess;
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void Paint(HDC dc);

    HWND hwnd_;
    Picture picture_;
};

}  // namespace zv
