#include "plain_message_box_win32.h"

#include "module_win32.h"
#include "app_error.h"
#include "layout.h"
#include "message_boxes_win32.h"
#include "window_classes_win32.h"
#include "window_support_win32.h"

namespace zv {
namespace {

constexpr int kMargin = 12, kButtonWidth = 75, kButtonHeight = 25;

struct BoxState {
    bool done = false;
};

LRESULT CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    LRESULT handled = 0;
    if (HandleDialogKeyMessage(hwnd, message, wparam, lparam, handled)) return handled;
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
            break;
        case WM_COMMAND:
            if ((LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) && state) state->done = true;
            return 0;
        case WM_CLOSE:
            if (state) state->done = true;
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace

void ShowPlainMessage(HWND owner, const std::string& text) {
    EnsureWindowClass(kPlainMessageBoxClass, BoxProc, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const UniqueFont font = CreateUiFont();
    const int text_height = TextHeightOf(font.get());
    const int margin = Scaled(kMargin, text_height);

    // The text's size when wrapped to at most half the screen width.
    RECT text_rect = {0, 0, GetSystemMetrics(SM_CXSCREEN) / 2 - 2 * margin, 0};
    {
        ScopedWindowDc dc(nullptr);
        ScopedSelectObject selected(dc.get(), font.get());
        DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &text_rect,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    }
    const int button_w = Scaled(kButtonWidth, text_height), button_h = Scaled(kButtonHeight, text_height);
    const int client_w = std::max<int>(text_rect.right, button_w) + 2 * margin;
    const int client_h = text_rect.bottom + button_h + 3 * margin;

    BoxState state;
    const std::string title = ApplicationTitleOfHost();
    UniqueWindow box(CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kPlainMessageBoxClass, title.c_str(),
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner, nullptr, ThisModule(),
                                     &state));
    if (!box) throw AppError("CreateWindow");
    SetClientSize(box.get(), client_w, client_h);
    HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX |
                                 SS_EDITCONTROL, margin, margin, text_rect.right, text_rect.bottom, box.get(),
                                 nullptr, nullptr, nullptr);
    HWND ok = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                              (client_w - button_w) / 2, client_h - margin - button_h, button_w, button_h, box.get(),
                              reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
    for (HWND control : {label, ok})
        if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    CentreOnScreen(box.get());

    TaskWindowsDisabled host_disabled(box.get());
    ShowWindow(box.get(), SW_SHOW);
    SetFocus(ok);
    RunModalLoop(box.get(), state.done);
    // Give the activation back to the owner before the box goes.
    if (owner) SetActiveWindow(owner);
}

}  // namespace zv
