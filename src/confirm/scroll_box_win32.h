#pragma once
// A row's scroll box: no border, a horizontal scroll bar once its tiles pass its width,
// the tiles following the thumb while it is dragged.
#include <windows.h>

namespace zv {

class ScrollBox {
public:
    static HWND Create(HWND parent, int id, int left, int top, int width, int height);
    static ScrollBox* From(HWND hwnd);

    // The right edge of the content, in unscrolled client coordinates.
    void SetContentWidth(int width);
    int Position() const { return position_; }

private:
    explicit ScrollBox(HWND hwnd) : hwnd_(hwnd) {}
    friend struct WindowAccess;
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void OnHScroll(int request);
    void ScrollTo(int position);
    void UpdateBar();
    int ClientWidth() const;

    HWND hwnd_;
    int content_width_ = 0;
    int position_ = 0;
};

constexpr int kScrollLinePixels = 8;

}  // namespace zv
