#include "base/window_support_win32.h"

#include <cstring>

#include <commctrl.h>

#include "base/module_win32.h"
#include "base/app_error.h"
#include "base/tool_button_win32.h"
#include "base/window_classes_win32.h"

namespace zv {

UniqueWindow CreateDialogFrame(const char* class_name, WNDPROC proc, const char* caption, void* param) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    EnsureWindowClass(class_name, proc, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    UniqueWindow window(CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, class_name, caption,
                                        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr,
                                        nullptr, ThisModule(), param));
    if (!window) throw AppError("CreateWindow");
    return window;
}

UniqueFont CreateUiFont() {
    // The screen's dots per inch as this process is told them: a host that is not aware of
    // them is told 96, and the system enlarges its windows itself.
    int dpi = 0;
    {
        ScopedWindowDc screen(nullptr);
        if (screen.get()) dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    UniqueFont font(CreateFontA(-UiFontPixels(dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                "ＭＳ Ｐゴシック"));
    if (!font) throw AppError("CreateFont");
    return font;
}

int TextHeightOf(HFONT font) {
    ScopedWindowDc screen(nullptr);
    ScopedSelectObject selected(screen.get(), font);
    TEXTMETRICA metrics = {};
    if (!GetTextMetricsA(screen.get(), &metrics) || metrics.tmHeight <= 0) return kDesignTextHeight;
    return metrics.tmHeight;
}

HWND CreateControl(HWND parent, const LayoutEntry& entry, int text_height, HFONT font) {
    const char* window_class = "STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    int width = Scaled(entry.width, text_height);
    int height = Scaled(entry.height, text_height);
    switch (entry.kind) {
        case ControlKind::Label:
            // A label with "&" gives its Alt key to the control after it.
            style |= SS_LEFT | (entry.caption && std::strchr(entry.caption, '&') ? 0 : SS_NOPREFIX);
            break;
        case ControlKind::Button:
            window_class = "BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::SmallButton:  // a tool button: clicked, never tabbed to, takes no focus
            window_class = "BUTTON";
            style |= BS_PUSHBUTTON;
            break;
        case ControlKind::DefaultButton:
            window_class = "BUTTON";
            style |= BS_DEFPUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::Edit:
            window_class = "EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            ex_style = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::ListBox:
            window_class = "LISTBOX";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
            ex_style = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Panel:
            style |= SS_SUNKEN;
            break;
        case ControlKind::ScrollBox:
        case ControlKind::Picture:
            throw AppError("CreateControl: kind has its own window class");
    }
    HWND hwnd = CreateWindowExA(ex_style, window_class, entry.caption ? entry.caption : "", style,
                                Scaled(entry.left, text_height), Scaled(entry.top, text_height), width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), nullptr, nullptr);
    if (!hwnd) throw AppError("CreateWindow");
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (entry.kind == ControlKind::SmallButton) MakeToolButton(hwnd);
    if (entry.kind == ControlKind::Label) {
        // A label is as large as its text.
        ScopedWindowDc dc(hwnd);
        ScopedSelectObject selected(dc.get(), font);
        RECT size = {};
        const char* text = entry.caption ? entry.caption : "";
        DrawTextA(dc.get(), text, -1, &size,
                  DT_CALCRECT | DT_SINGLELINE | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
        SetWindowPos(hwnd, nullptr, 0, 0, size.right, size.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return hwnd;
}

TaskWindowsDisabled::TaskWindowsDisabled(HWND except) : except_(except) {
    EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK TaskWindowsDisabled::Disable(HWND hwnd, LPARAM param) {
    auto* self = reinterpret_cast<TaskWindowsDisabled*>(param);
    if (hwnd != self->except_ && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        try {
            self->disabled_.push_back(hwnd);
        } catch (...) {
            return FALSE;
        }
        EnableWindow(hwnd, FALSE);
    }
    return TRUE;
}

void TaskWindowsDisabled::EnableAgain() noexcept {
    for (HWND hwnd : disabled_)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    disabled_.clear();
}

void RunModalLoop(HWND window, const bool& done, const std::function<void()>& on_idle) {
    MSG msg;
    BYTE lead_byte = 0;  // of a double-byte character, held until its second byte comes
    // Also ends when the window is destroyed by anyone: nothing could end the run after that.
    while (!done && IsWindow(window)) {
        if (on_idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            on_idle();
            if (done || !IsWindow(window)) break;
        }
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got < 0) return;
        // A double-byte character comes as two WM_CHARs, lead byte first. Wine's
        // IsDialogMessageA and DispatchMessageA convert each byte on its own, so a control
        // would get neither: the two are joined and dispatched as one character. No dialog key
        // or mnemonic is a double-byte character.
        if (msg.message == WM_CHAR && (lead_byte || IsDBCSLeadByte(static_cast<BYTE>(msg.wParam)))) {
            if (!lead_byte) {
                lead_byte = static_cast<BYTE>(msg.wParam);
                continue;
            }
            const char both[2] = {static_cast<char>(lead_byte), static_cast<char>(msg.wParam)};
            lead_byte = 0;
            wchar_t wide = 0;
            if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, both, 2, &wide, 1) == 1) {
                msg.wParam = wide;
                DispatchMessageW(&msg);
            }
            continue;
        }
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

bool HandleDialogKeyMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    if (message == DM_GETDEFID) {
        result = MAKELRESULT(IDOK, DC_HASDEFID);
        return true;
    }
    if (message != WM_NEXTDLGCTL) return false;
    result = 0;
    HWND target = LOWORD(lparam) ? reinterpret_cast<HWND>(wparam)
                                 : GetNextDlgTabItem(window, GetFocus(), wparam != 0 ? TRUE : FALSE);
    if (!target || !IsChild(window, target)) return true;
    SetFocus(target);
    if (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(target, EM_SETSEL, 0, -1);
    return true;
}

HWND CreateHintControl(HWND owner) {
    return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ThisModule(),
                           nullptr);
}

void AddHint(HWND hints, HWND owner, HWND control, const std::string& text) {
    if (!hints || !control) return;
    std::string copy = text;  // the control copies the text; the API wants it writable
    TOOLINFOA tool = {sizeof tool};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = &copy[0];
    SendMessageA(hints, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void SetClientSize(HWND window, int width, int height) {
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnScreen(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT RectIn(HWND child, HWND parent) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace zv
