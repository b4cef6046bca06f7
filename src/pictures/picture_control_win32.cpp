#include "pictures/picture_control_win32.h"

#include "base/app_error.h"
#include "base/message_boxes_win32.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "base/messages.h"
#include "base/module_win32.h"

namespace zv {
namespace {

constexpr char kClassName[] = "ZvPictureControl";
constexpr UINT kReportDecodeError = WM_APP + 1;

}  // namespace

HWND PictureControl::Create(HWND parent, int id, int left, int top, int width, int height) {
    EnsureWindowClass(kClassName, WindowProcOf<PictureControl, HandlerErrors::kQuiet, ObjectSource::kOwnNew>,
                      CS_DBLCLKS);
    HWND hwnd = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, left, top, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (!hwnd) throw AppError("CreateWindow");
    return hwnd;
}

PictureControl* PictureControl::From(HWND hwnd) {
    return static_cast<PictureControl*>(WindowObjectOf(hwnd, kClassName));
}

void PictureControl::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    // What lies behind a picture that does not cover the control (an icon) is the window colour.
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    picture_.Draw(dc, client);
}

// A failed paint leaves the control as it was; the window goes on.
LRESULT PictureControl::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers it all
        case WM_PAINT:
        case WM_PRINTCLIENT:
            PaintFor(hwnd, message, wparam, [this](HDC dc) { Paint(dc); });
            // Shown after the paint is done, not from inside it.
            if (const int code = picture_.TakeDecodeError())
                PostMessageA(hwnd, kReportDecodeError, static_cast<WPARAM>(code), 0);
            return 0;
        case kReportDecodeError:
            ShowErrorBox(GetAncestor(hwnd, GA_ROOT), FormatMessageText(kMsgJpegError, static_cast<int>(wparam)));
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace zv
