#include "base/window_object_win32.h"

#include <exception>
#include <new>

#include "base/message_boxes_win32.h"
#include "base/messages.h"

namespace zv {

namespace {
void* ObjectOf(HWND hwnd) noexcept { return reinterpret_cast<void*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

constexpr char kFocusKept[] = "ZvFocusKept";

// Kept when the window is deactivated, and when it is disabled: that drops the focus before
// any deactivation, as a box over the window disables it first.
void KeepFocus(HWND hwnd) noexcept {
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) SetPropA(hwnd, kFocusKept, focus);
}

// As the dialog manager does for dialogs: the control that had the focus gets it back when the
// window is activated again, not the frame. True when it did.
bool FocusGivenBack(HWND hwnd, WPARAM wparam) noexcept {
    if (LOWORD(wparam) == WA_INACTIVE || HIWORD(wparam)) return false;  // HIWORD: minimised
    const HWND kept = static_cast<HWND>(GetPropA(hwnd, kFocusKept));
    if (!kept || !IsChild(hwnd, kept) || !IsWindowVisible(kept) || !IsWindowEnabled(kept)) return false;
    SetFocus(kept);
    return true;
}
}  // namespace

void* WindowObjectOf(HWND hwnd, const char* class_name) noexcept {
    char name[64] = {};
    if (!hwnd || !GetClassNameA(hwnd, name, sizeof name) || lstrcmpA(name, class_name) != 0) return nullptr;
    return ObjectOf(hwnd);
}

ScopedPaint::ScopedPaint(HWND hwnd) noexcept : hwnd_(hwnd), ps_(), dc_(BeginPaint(hwnd, &ps_)) {}

ScopedPaint::~ScopedPaint() { EndPaint(hwnd_, &ps_); }

namespace window_object {

void HandlerFailed(HWND hwnd, UINT message, HandlerErrors errors) noexcept {
    // A paint that failed before BeginPaint would otherwise come back at once, for ever.
    if (message == WM_PAINT) ValidateRect(hwnd, nullptr);
    if (errors != HandlerErrors::kShown) return;
    try {
        throw;
    } catch (const std::bad_alloc&) {
        try {
            ShowErrorBox(hwnd, kMsgOutOfMemory);
        } catch (...) {
        }
    } catch (const std::exception& e) {
        try {
            ShowErrorBox(hwnd, e.what());
        } catch (...) {
        }
    } catch (...) {
    }
}

LRESULT Dispatch(const Shape& shape, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    if (message == WM_NCCREATE) {
        void* made = nullptr;
        if (shape.make) {
            if (!RunGuarded(hwnd, message, shape.errors, [&] { made = shape.make(hwnd); })) return FALSE;
        } else {
            made = reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams;
        }
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    }
    void* object = ObjectOf(hwnd);
    // Messages before WM_NCCREATE, or for a window made without an object.
    if (!object) return DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_CANCELMODE || (message == WM_ACTIVATE && LOWORD(wparam) == WA_INACTIVE)) KeepFocus(hwnd);
    if (message == WM_ACTIVATE && FocusGivenBack(hwnd, wparam)) return 0;
    LRESULT result = 0;  // also after a failure: FALSE for WM_NCCREATE, so the window is not made
    if (!RunGuarded(hwnd, message, shape.errors,
                    [&] { result = shape.on_message(object, hwnd, message, wparam, lparam); }) &&
        message == WM_CREATE)
        result = -1;  // the window is not made, and WM_NCDESTROY frees its object
    if (message == WM_NCDESTROY) {
        RemovePropA(hwnd, kFocusKept);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (shape.destroy) shape.destroy(object);
    }
    return result;
}

}  // namespace window_object
}  // namespace zv
