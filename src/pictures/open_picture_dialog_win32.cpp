#include "pictures/open_picture_dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/app_error.h"
#include "base/messages.h"
#include "base/file_system.h"
#include "base/handles_win32.h"
#include "base/modal_window_win32.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "base/window_support_win32.h"
#include "map/picture_map.h"
#include "base/module_win32.h"
#include "pictures/picture_formats.h"
#include "pictures/picture_win32.h"
#include "pictures/preview_fit.h"
#include "pictures/preview_window_win32.h"

namespace zv {
namespace {

constexpr char kAreaClass[] = "ZvOpenPreviewArea";

constexpr int kTextId = 0x0A01, kButtonId = 0x0A02, kAreaId = 0x0A03;
constexpr int kPaneWidthUnits = 112;  // the template's width right of stc32, in dialog units
constexpr int kMargin = 4;            // pixels around and between the pane's parts
// Longer paths than this are not offered by the dialog; it bounds what a hostile reply can make us allocate.
constexpr size_t kPathLimit = 32768;

// One run's preview pane, in the template's child dialog, which the hook procedure runs.
struct Pane {
    HWND dialog = nullptr;
    HWND text = nullptr, button = nullptr, area = nullptr;  // children, destroyed with the dialog
    UniqueBitmap glyph;
    UniqueWindow tooltip;
    Picture picture;

    // The preview area's messages: the area is a window of its own whose object is the pane.
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

Pane* PaneOf(HWND dialog) { return reinterpret_cast<Pane*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// The pane keeps its width at the dialog's right edge, right of the standard controls'
// place (stc32), and spans the dialog's height. A sizeable dialog widens the standard
// controls but need not widen stc32, so its right edge alone would let them cover the pane.
void LayoutPane(const Pane& pane) {
    if (!pane.text || !pane.button || !pane.area) return;
    RECT client;
    GetClientRect(pane.dialog, &client);
    RECT units = {kPaneWidthUnits, 0, 0, 0};
    MapDialogRect(pane.dialog, &units);
    int left = client.right - units.left;
    if (const HWND standard = GetDlgItem(pane.dialog, stc32))
        left = std::max(left, static_cast<int>(RectIn(standard, pane.dialog).right));
    left += kMargin;
    const int right = std::max(left, static_cast<int>(client.right) - kMargin);
    const int top = kMargin;
    BITMAP glyph = {};
    if (!pane.glyph || !GetObjectA(pane.glyph.get(), sizeof glyph, &glyph)) glyph.bmWidth = glyph.bmHeight = 16;
    const int button_w = glyph.bmWidth + 8, button_h = glyph.bmHeight + 6;
    const int area_top = top + button_h + kMargin;
    // The dialog's size grip lies over its bottom right corner, which is the pane's: the area
    // ends above it, or the grip would hide a corner of the picture (and a larger part of it
    // on a screen of more dots per inch, where the grip is larger).
    const int bottom_margin = std::max(kMargin, GetSystemMetrics(SM_CYHSCROLL));
    const int bottom = std::max(area_top, static_cast<int>(client.bottom) - bottom_margin);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(pane.text, nullptr, left, top, std::max(0, right - left - button_w - kMargin), button_h, flags);
    SetWindowPos(pane.button, nullptr, std::max(left, right - button_w), top, button_w, button_h, flags);
    SetWindowPos(pane.area, nullptr, left, area_top, right - left, bottom - area_top, flags);
}

// The full path the dialog would return now, or "" when it has none.
std::string CurrentPath(HWND file_dialog) {
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const LRESULT needed = SendMessageA(file_dialog, CDM_GETFILEPATH, static_cast<WPARAM>(buffer.size()),
                                            reinterpret_cast<LPARAM>(buffer.data()));
        if (needed <= 0 || static_cast<size_t>(needed) > kPathLimit) return "";
        if (static_cast<size_t>(needed) <= buffer.size())
            return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
        buffer.assign(static_cast<size_t>(needed), '\0');
    }
    return "";
}

// Shows the selected file in the pane, or nothing when it is not a readable picture.
void ShowSelection(Pane& pane) noexcept {
    bool loaded = false;
    try {
        const std::string path = CurrentPath(GetParent(pane.dialog));
        if (!path.empty() && IsExistingFile(SystemFileSystem(), path) &&
            GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            LoadPicture(pane.picture, path);
            loaded = true;
        }
    } catch (...) {
        // The pane shows no messages: an unreadable file just shows no picture.
    }
    if (!loaded) pane.picture.Clear();
    char line[64];
    if (loaded)
        std::snprintf(line, sizeof line, " (%dx%d)", pane.picture.Width(), pane.picture.Height());
    else
        std::snprintf(line, sizeof line, "%s", kNoPictureLine);
    if (pane.text) SetWindowTextA(pane.text, line);
    if (pane.button) EnableWindow(pane.button, loaded);
    if (pane.area) InvalidateRect(pane.area, nullptr, FALSE);
}

void PaintArea(HWND area, HDC dc, Pane* pane) {
    RECT client;
    GetClientRect(area, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (!pane) return;
    if (pane->picture.Empty()) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(pane->dialog, WM_GETFONT, 0, 0));
        ScopedSelectObject selected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, kNoPicture, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    const PreviewRect fit = FitPreview(pane->picture.Width(), pane->picture.Height(), client.right, client.bottom);
    const RECT dest = {fit.left, fit.top, fit.left + fit.width, fit.top + fit.height};
    DrawClipped(dc, pane->picture, dest, client);
}

LRESULT Pane::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers it all
        case WM_PAINT:
        case WM_PRINTCLIENT:
            PaintFor(hwnd, message, wparam, [&](HDC dc) { PaintArea(hwnd, dc, this); });
            return 0;
        case WM_LBUTTONDBLCLK:
            // Told to the pane as a static control would tell it.
            SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), STN_DBLCLK),
                         reinterpret_cast<LPARAM>(hwnd));
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

void CreatePane(Pane& pane) {
    HWND dialog = pane.dialog;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    pane.text = CreateWindowExA(0, "STATIC", kNoPictureLine, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX |
                                SS_CENTERIMAGE | SS_ENDELLIPSIS, 0, 0, 0, 0, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), ThisModule(), nullptr);
    pane.button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON |
                                  BS_BITMAP, 0, 0, 0, 0, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), ThisModule(), nullptr);
    pane.area = CreateWindowExA(WS_EX_CLIENTEDGE, kAreaClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAreaId)), ThisModule(), &pane);
    if (!pane.text || !pane.button || !pane.area) throw AppError("CreateWindow");
    if (font) {
        SendMessageA(pane.text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageA(pane.button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    pane.glyph.reset(static_cast<HBITMAP>(
        LoadImageA(ThisModule(), "PREVIEWGLYPH", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (pane.glyph)
        SendMessageA(pane.button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(pane.glyph.get()));
    pane.tooltip.reset(CreateHintControl(dialog));
    AddHint(pane.tooltip.get(), dialog, pane.button, kPreviewCaption);
    LayoutPane(pane);
}

UINT_PTR HookMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* pane = reinterpret_cast<Pane*>(reinterpret_cast<const OPENFILENAMEA*>(lparam)->lCustData);
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pane));
        pane->dialog = hwnd;
        CreatePane(*pane);
        return TRUE;
    }
    Pane* pane = PaneOf(hwnd);
    if (!pane) return 0;
    switch (message) {
        case WM_SIZE:
            LayoutPane(*pane);
            break;
        case WM_NOTIFY: {
            const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lparam);
            if (notify->hdr.code == CDN_INITDONE) LayoutPane(*pane);
            if (notify->hdr.code == CDN_SELCHANGE) ShowSelection(*pane);
            break;
        }
        case WM_COMMAND:
            if ((LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) ||
                (LOWORD(wparam) == kAreaId && HIWORD(wparam) == STN_DBLCLK)) {
                ShowPreviewWindow(GetParent(hwnd), pane->picture);
                return TRUE;
            }
            break;
        case WM_DESTROY:
            // The tooltip, owned by the dialog, may already have gone with it.
            if (IsWindow(pane->tooltip.get()))
                pane->tooltip.reset();
            else
                pane->tooltip.release();
            pane->text = pane->button = pane->area = nullptr;
            break;
    }
    return 0;
}

// Whatever fails, the dialog goes on without it.
UINT_PTR CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    UINT_PTR result = 0;
    RunGuarded(hwnd, message, HandlerErrors::kQuiet, [&] { result = HookMessage(hwnd, message, wparam, lparam); });
    return result;
}

}  // namespace

OpenPictureDialog::OpenPictureDialog() = default;

void OpenPictureDialog::SetInitialDir(const std::string& dir) { initial_dir_ = dir; }

bool OpenPictureDialog::Execute(HWND owner, std::string& path) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    EnsureWindowClass(kAreaClass, WindowProcOf<Pane, HandlerErrors::kQuiet>, CS_DBLCLKS);

    const std::vector<FilterChoice> choices = PictureFilterChoices();
    std::string filter;
    for (const FilterChoice& c : choices) {
        filter += c.text;
        filter += '\0';
        filter += c.pattern;
        filter += '\0';
    }
    filter += '\0';
    if (filter_index_ < 1 || filter_index_ > choices.size()) filter_index_ = 1;

    std::vector<char> file(kPathLimit, '\0');
    Pane pane;
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = ThisModule();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = filter_index_;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initial_dir_.empty() ? nullptr : initial_dir_.c_str();
    // OFN_NOCHANGEDIR: the host's current folder must not move with the user's browsing.
    // No must-exist flags: a name typed for a file that is not there yet is returned as typed.
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                OFN_NOCHANGEDIR;
    ofn.lCustData = reinterpret_cast<LPARAM>(&pane);
    ofn.lpfnHook = HookProc;
    ofn.lpTemplateName = "DLGTEMPLATE";

    const BOOL chosen = RunSystemModal([&] { return GetOpenFileNameA(&ofn); });
    if (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= choices.size()) filter_index_ = ofn.nFilterIndex;
    if (!chosen) return false;
    path.assign(file.data(), strnlen(file.data(), file.size()));
    return true;
}

}  // namespace zv
