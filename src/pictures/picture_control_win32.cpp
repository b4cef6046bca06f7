#include "picture_control_win32.h"

#include "../base/app_error.h"
#include "../base/message_boxes_win32.h"
#include "../base/window_classes_win32.h"
#include "../base/messages.h"
#include "../base/module_win32.h"

namespace zv {
namespace {

constexpr char kClassName[] = "ZvPictureControl";
constexpr UINT kReportDecodeError = WM_APP + 1;

}  // namespace

HWND PictureControl::Create(HWND parent, int id, int left, int top, int width, int height) {
    EnsureWindowClass(kClassName, WindowProc, CS_DBLCLKS);
    HWND hwnd = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, left, top, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (!hwnd) throw AppError("CreateWindow");
    return hwnd;
}

PictureControl* PictureControl::From(HWND hwnd) {
    char name[sizeof kClassName + 1] = {};
    if (!hwnd || !GetClassNameA(hwnd, name, sizeof name) || lstrcmpA(name, kClassName) != 0) return nullptr;
    return reinterpret_cast<PictureControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void PictureControl::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    // What lies behind a picture that does not cover the control (an icon) is the window colour.
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    picture_.Draw(dc, client);
}

LRESULT CALLBACK PictureControl::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<PictureControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    try {
        switch (message) {
            case WM_NCCREATE:
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PictureControl(hwnd)));
                break;
            case WM_NCDESTROY:
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                delete self;
                break;
            case WM_ERASEBKGND:
                return 1;  // the paint covers it all
            case WM_PAINT:
            case WM_PRINTCLIENT: {
                if (!self) break;
                PAINTSTRUCT ps;
                HDC dc = message == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wparam);
                self->Paint(dc);
                if (message == WM_PAINT) EndPaint(hwnd, &ps);
                // Shown after the paint is done, not from inside it.
                if (const int code = self->picture_.TakeDecodeError())
                    PostMessageA(hwnd, kReportDecodeError, static_cast<WPARAM>(code), 0);
                return 0;
            }
            case kReportDecodeError:
                ShowErrorBox(GetAncestor(hwnd, GA_ROOT), FormatMessageText(kMsgJpegError, static_cast<int>(wparam)));
                return 0;
        }
    } catch (...) {
        // A failed paint leaves the control as it was; the window goes on.
        if (message == WM_NCCREATE) return FALSE;
        if (message == WM_PAINT) ValidateRect(hwnd, nullptr);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace zv
