#include "confirm/scroll_box_win32.h"

#include "base/app_error.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "base/module_win32.h"
#include "confirm/tiles_ahead_win32.h"

namespace zv {
namespace {
constexpr char kClassName[] = "ZvScrollBox";
}

HWND ScrollBox::Create(HWND parent, int id, int left, int top, int width, int height) {
    EnsureWindowClass(kClassName, WindowProcOf<ScrollBox, HandlerErrors::kQuiet, ObjectSource::kOwnNew>, 0,
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, left,
                                top, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ThisModule(), nullptr);
    if (!hwnd) throw AppError("CreateWindow");
    return hwnd;
}

ScrollBox* ScrollBox::From(HWND hwnd) {
    return static_cast<ScrollBox*>(WindowObjectOf(hwnd, kClassName));
}

int ScrollBox::ClientWidth() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.right;
}

void ScrollBox::SetContentWidth(int width) {
    content_width_ = width;
    UpdateBar();
}

void ScrollBox::UpdateBar() {
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS};
    si.nMin = 0;
    si.nMax = content_width_ > 0 ? content_width_ - 1 : 0;
    si.nPage = static_cast<UINT>(ClientWidth());
    si.nPos = position_;
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
    ShowScrollBar(hwnd_, SB_HORZ, content_width_ > ClientWidth());
    ShowScrollBar(hwnd_, SB_VERT, FALSE);
}

void ScrollBox::ScrollTo(int position) {
    const int limit = content_width_ - ClientWidth();
    if (position > limit) position = limit;
    if (position < 0) position = 0;
    if (position == position_) return;
    DecodeTilesAheadInView(hwnd_, position - position_);
    ScrollWindowEx(hwnd_, position_ - position, 0, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    position_ = position;
    SCROLLINFO si = {sizeof si, SIF_POS};
    si.nPos = position_;
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
}

void ScrollBox::OnHScroll(int request) {
    SCROLLINFO si = {sizeof si, SIF_TRACKPOS};
    switch (request) {
        case SB_LINELEFT: ScrollTo(position_ - kScrollLinePixels); break;
        case SB_LINERIGHT: ScrollTo(position_ + kScrollLinePixels); break;
        case SB_PAGELEFT: ScrollTo(position_ - ClientWidth()); break;
        case SB_PAGERIGHT: ScrollTo(position_ + ClientWidth()); break;
        case SB_LEFT: ScrollTo(0); break;
        case SB_RIGHT: ScrollTo(content_width_); break;
        case SB_THUMBTRACK:  // the pictures move while the thumb is dragged
        case SB_THUMBPOSITION:
            GetScrollInfo(hwnd_, SB_HORZ, &si);
            ScrollTo(si.nTrackPos);
            break;
    }
}

LRESULT ScrollBox::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_HSCROLL) {
        OnHScroll(LOWORD(wparam));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace zv
