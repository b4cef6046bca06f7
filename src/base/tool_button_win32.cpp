#include "base/tool_button_win32.h"

#include <commctrl.h>

namespace zv {
namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK ToolButtonProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS) {
        // A button takes the focus as it is pressed, before it captures the mouse; handing it
        // straight back leaves the press, and the click, as they are.
        const HWND previous = reinterpret_cast<HWND>(wparam);
        if (previous && previous != hwnd && IsChild(GetAncestor(hwnd, GA_ROOT), previous) &&
            IsWindowVisible(previous) && IsWindowEnabled(previous)) {
            SetFocus(previous);
            return 0;
        }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ToolButtonProc, kSubclassId);
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace

void MakeToolButton(HWND button) { SetWindowSubclass(button, ToolButtonProc, kSubclassId, 0); }

}  // namespace zv
