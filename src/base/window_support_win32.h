#pragma once
// The small window framework both windows share: the font and its scale, controls built
// from a layout table, disabling the host's windows, and the modal loop.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/handles_win32.h"
#include "base/layout.h"

namespace zv {

// A hidden top-level window with a fixed dialog frame, of this library's class
// `class_name`; `param` reaches WM_NCCREATE. Throws AppError.
UniqueWindow CreateDialogFrame(const char* class_name, WNDPROC proc, const char* caption, void* param);

// "ＭＳ Ｐゴシック" at 9 points on this screen (12 pixels at 96 dots per inch), Shift-JIS, or
// whatever the system substitutes for it.
UniqueFont CreateUiFont();
// The font's text height in pixels on this screen.
int TextHeightOf(HFONT font);

// Creates the control of a layout entry, scaled, with the font set.
HWND CreateControl(HWND parent, const LayoutEntry& entry, int text_height, HFONT font);

// Disables the thread's other enabled top-level windows (the host's) for its lifetime, or until
// EnableAgain. Windows disabled before stay disabled.
class TaskWindowsDisabled {
public:
    explicit TaskWindowsDisabled(HWND except);
    ~TaskWindowsDisabled() { EnableAgain(); }
    void EnableAgain() noexcept;
    TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
    TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

private:
    HWND except_;
    std::vector<HWND> disabled_;
    static BOOL CALLBACK Disable(HWND hwnd, LPARAM self);
};

// Pumps messages, with dialog keys (Tab, Enter, Esc), until `done` is set, the window is
// destroyed, or WM_QUIT comes (which is posted again for the host's own loop). `on_idle` runs
// whenever the queue is empty.
void RunModalLoop(HWND window, const bool& done, const std::function<void()>& on_idle = nullptr);

// The messages the dialog keys send to a window that is not a dialog: DM_GETDEFID (Enter
// presses IDOK) and WM_NEXTDLGCTL (labels' Alt keys, Tab move the focus). True when handled.
bool HandleDialogKeyMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

// A tooltip control for the hints of `owner`'s controls; null when it cannot be made (hints
// are not essential). It goes with its owner.
HWND CreateHintControl(HWND owner);
// Shows `text` while the pointer rests on `control`, a child of `owner`.
void AddHint(HWND hints, HWND owner, HWND control, const std::string& text);

// Sets the client area's size, keeping the window's style.
void SetClientSize(HWND window, int width, int height);
// Centres the window on the primary screen.
void CentreOnScreen(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT RectIn(HWND child, HWND parent);

}  // namespace zv
