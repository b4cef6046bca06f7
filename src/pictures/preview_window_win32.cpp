#include "pictures/preview_window_win32.h"

#include <algorithm>

#include "base/app_error.h"
#include "base/handles_win32.h"
#include "base/layout.h"
#include "base/modal_window_win32.h"
#include "base/module_win32.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "base/window_support_win32.h"

namespace zv {
namespace {

constexpr char kPreviewClass[] = "ZvPicturePreview";
constexpr int kPreviewBorder = 5;  // at a 12-pixel text height, scaled like the windows' layouts
constexpr int kEmptyPreviewWidth = 200, kEmptyPreviewHeight = 150;

// The preview window's object, for the length of its modal loop.
class PreviewWindow {
public:
    PreviewWindow(Picture& picture, int border) : picture_(picture), border_(border) {}
    ModalState& modal() { return modal_; }

private:
    friend struct zv::WindowAccess;  // not a new one in this unnamed namespace
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void Paint(HWND hwnd, HDC dc);

    Picture& picture_;
    int border_;
    ModalState modal_;
};

void PreviewWindow::Paint(HWND hwnd, HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT panel = client;
    InflateRect(&panel, -border_, -border_);
    if (panel.right <= panel.left || panel.bottom <= panel.top) return;
    FillRect(dc, &panel, GetSysColorBrush(COLOR_WINDOW));
    if (!picture_.Empty()) DrawClipped(dc, picture_, panel, panel);
}

LRESULT PreviewWindow::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            PaintFor(hwnd, message, wparam, [&](HDC dc) { Paint(hwnd, dc); });
            return 0;
        case WM_KEYDOWN:
            if (wparam != VK_ESCAPE) break;
            [[fallthrough]];
        case WM_CLOSE:
            // Ends the loop; the window is destroyed by its owner in ShowPreviewWindow.
            modal_.End(ModalResult::kCancel);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDCANCEL) modal_.End(ModalResult::kCancel);  // Esc, through the dialog keys
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace

void DrawClipped(HDC dc, Picture& picture, const RECT& dest, const RECT& clip) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    picture.Draw(dc, dest);
    RestoreDC(dc, saved);
    picture.TakeDecodeError();
}

void ShowPreviewWindow(HWND owner, Picture& picture) {
    EnsureWindowClass(kPreviewClass, WindowProcOf<PreviewWindow, HandlerErrors::kQuiet>, CS_HREDRAW | CS_VREDRAW);
    const int border = Scaled(kPreviewBorder, TextHeightOf(CreateUiFont().get()));
    PreviewWindow preview(picture, border);
    UniqueWindow window(CreateWindowExA(WS_EX_TOOLWINDOW, kPreviewClass, kPreviewCaption,
                                        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, 0, 0, 0, owner,
                                        nullptr, ThisModule(), &preview));
    if (!window) throw AppError("CreateWindow");
    // Bounded so the sums cannot overflow; the system keeps the window within its largest size anyway.
    constexpr int kLargest = 0x7FFF;
    const int width = picture.Empty() ? kEmptyPreviewWidth : std::min(picture.Width(), kLargest) + 2 * border;
    const int height = picture.Empty() ? kEmptyPreviewHeight : std::min(picture.Height(), kLargest) + 2 * border;
    SetClientSize(window.get(), width, height);
    CentreOnScreen(window.get());
    ModalShow show;
    show.kind = ModalKind::kOverOwner;
    show.focus = window.get();
    RunModal(window.get(), preview.modal(), show);
}

}  // namespace zv
