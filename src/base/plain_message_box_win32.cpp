#include "base/plain_message_box_win32.h"

#include <algorithm>

#include "base/module_win32.h"
#include "base/app_error.h"
#include "base/layout.h"
#include "base/message_boxes_win32.h"
#include "base/modal_window_win32.h"
#include "base/plain_box_layout.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "base/window_support_win32.h"

namespace zv {
namespace {

constexpr int kMargin = 12, kButtonWidth = 75, kButtonHeight = 25;

// The box's window object: OK, Enter, Esc and the close box end its run.
class PlainBox {
public:
    ModalState& modal() { return modal_; }

private:
    friend struct zv::WindowAccess;
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        LRESULT handled = 0;
        if (HandleDialogKeyMessage(hwnd, message, wparam, lparam, handled)) return handled;
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) modal_.End(ModalResult::kOk);
                return 0;
            case WM_CLOSE:
                modal_.End(ModalResult::kOk);
                return 0;
        }
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }

    ModalState modal_;
};

// The primary screen's work area: the screen less the task bar.
RECT WorkArea() {
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// The height of the box's caption and frame.
int FrameHeight(HWND box) {
    RECT r = {0, 0, 0, 0};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(box, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(box, GWL_EXSTYLE)));
    return r.bottom - r.top;
}

// A read-only view of the text that scrolls; without a border, on the box's face, it looks
// like the label it stands for. Reached with Tab, so the keys can scroll it too.
HWND CreateScrollingText(HWND box, const PlainBoxLayout& layout) {
    return CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
                           layout.text_left, layout.text_top, layout.text_width, layout.text_height, box, nullptr,
                           nullptr, nullptr);
}

// The text as the label would wrap it: no margins, no limit on its length, and every line
// end CR LF, the only one an edit control breaks at.
void SetScrollingText(HWND view, const std::string& text) {
    SendMessageA(view, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    SendMessageA(view, EM_SETLIMITTEXT, 0, 0);
    std::string shown;
    shown.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            shown += "\r\n";
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            shown += "\r\n";
        } else {
            shown += text[i];
        }
    }
    SetWindowTextA(view, shown.c_str());
}

// Moves the window into the work area where centring on the screen took it out.
void KeepInside(HWND window, const RECT& work) {
    RECT r;
    GetWindowRect(window, &r);
    const int top = std::max<int>(work.top, std::min<int>(r.top, work.bottom - (r.bottom - r.top)));
    if (top != r.top) SetWindowPos(window, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ShowPlainMessage(HWND owner, const std::string& text) {
    EnsureWindowClass(kPlainMessageBoxClass, WindowProcOf<PlainBox, HandlerErrors::kQuiet>, 0,
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const UniqueFont font = CreateUiFont();
    const int text_height = TextHeightOf(font.get());
    const int margin = Scaled(kMargin, text_height);
    const int button_width = Scaled(kButtonWidth, text_height), button_height = Scaled(kButtonHeight, text_height);

    // The text's size when wrapped to at most half the screen width.
    RECT text_rect = {0, 0, GetSystemMetrics(SM_CXSCREEN) / 2 - 2 * margin, 0};
    {
        ScopedWindowDc dc(nullptr);
        ScopedSelectObject selected(dc.get(), font.get());
        DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &text_rect,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    }

    PlainBox state;
    const std::string title = ApplicationTitleOfHost();
    UniqueWindow box(CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kPlainMessageBoxClass, title.c_str(),
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner, nullptr, ThisModule(),
                                     &state));
    if (!box) throw AppError("CreateWindow");
    const RECT work = WorkArea();
    const PlainBoxLayout layout =
        LayOutPlainBox({text_rect.right, text_rect.bottom, button_width, button_height, margin,
                        GetSystemMetrics(SM_CXVSCROLL), work.bottom - work.top - FrameHeight(box.get())});
    SetClientSize(box.get(), layout.client_width, layout.client_height);
    HWND view = layout.scrolls ? CreateScrollingText(box.get(), layout)
                               : CreateWindowExA(0, "STATIC", text.c_str(),
                                                 WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                                                 layout.text_left, layout.text_top, layout.text_width,
                                                 layout.text_height, box.get(), nullptr, nullptr, nullptr);
    HWND ok = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                              layout.button_left, layout.button_top, button_width, button_height, box.get(),
                              reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
    for (HWND control : {view, ok})
        if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    if (layout.scrolls && view) SetScrollingText(view, text);
    CentreOnScreen(box.get());
    if (layout.scrolls) KeepInside(box.get(), work);

    ModalShow show;
    show.kind = ModalKind::kOverOwner;
    show.focus = ok;
    RunModal(box.get(), state.modal(), show);
}

}  // namespace zv
