#pragma once
// The one shape of this library's windows. A window's object is a class with
//     LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// fixed to the window once, at WM_NCCREATE, and every message after that reaches it through
// one guard. Nothing leaves a window procedure. An error leaving OnMessage ends that message
// with 0 (FALSE for WM_NCCREATE and -1 for WM_CREATE, so the window is not made); a window
// the user works in shows it in the error box and goes on, a control or pane stays as it was
// without a word, as no box may come from inside its drawing. A paint that fails still ends
// its painting. A top-level window gives the focus back to the control that had it when it
// is activated again, after a box or dialog over it, as a dialog does.
#include <windows.h>

namespace zv {

// What the user sees of an error that leaves a window's handler.
enum class HandlerErrors {
    kShown,   // in the error box: the error's message (an AppError's is the user's text), or
              // "Out of memory"; what is no std::exception is not shown
    kQuiet,   // nothing: the window stays as it was
};

// Where a window's object comes from.
enum class ObjectSource {
    kCreateParam,  // the creator's, passed as CreateWindowEx's last argument; it outlives the window
    kOwnNew,       // made by the window at WM_NCCREATE (`new T(hwnd)`) and deleted at WM_NCDESTROY
};

// A window class whose OnMessage (and, for kOwnNew, its constructor from the HWND) is
// private befriends this.
struct WindowAccess {
    template <typename T>
    static LRESULT OnMessage(T* object, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        return object->OnMessage(hwnd, message, wparam, lparam);
    }
    template <typename T>
    static T* Make(HWND hwnd) {
        return new T(hwnd);
    }
};

// The window procedure of the windows whose object is a T; give it to EnsureWindowClass.
template <typename T, HandlerErrors kErrors, ObjectSource kSource = ObjectSource::kCreateParam>
LRESULT CALLBACK WindowProcOf(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// The object fixed to a window of the class `class_name`; null before WM_NCCREATE, after
// WM_NCDESTROY, and for a null window or one of another class (names up to 63 characters).
void* WindowObjectOf(HWND hwnd, const char* class_name) noexcept;

// Runs a handler that is not a window procedure (a dialog hook) under the same guard. True
// when it returned normally.
template <typename Handler>
bool RunGuarded(HWND hwnd, UINT message, HandlerErrors errors, Handler&& handler) noexcept;

// The painting of a WM_PAINT, begun and ended with the scope: it ends even when the paint throws.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND hwnd) noexcept;
    ~ScopedPaint();
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const noexcept { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_;
    HDC dc_;
};

// One paint routine for WM_PAINT (inside a ScopedPaint) and WM_PRINTCLIENT (on the DC it
// brings): calls paint(dc).
template <typename Paint>
void PaintFor(HWND hwnd, UINT message, WPARAM wparam, Paint&& paint) {
    if (message == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wparam));
        return;
    }
    ScopedPaint painting(hwnd);
    paint(painting.dc());
}

namespace window_object {

struct Shape {
    LRESULT (*on_message)(void* object, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void* (*make)(HWND hwnd);   // kOwnNew: at WM_NCCREATE
    void (*destroy)(void* object);  // kOwnNew: at WM_NCDESTROY
    HandlerErrors errors;
};

LRESULT Dispatch(const Shape& shape, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
// Called inside a catch block: applies the policy to the error in flight.
void HandlerFailed(HWND hwnd, UINT message, HandlerErrors errors) noexcept;

template <typename T>
LRESULT CallObject(void* object, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return WindowAccess::OnMessage(static_cast<T*>(object), hwnd, message, wparam, lparam);
}
template <typename T>
void* MakeObject(HWND hwnd) {
    return WindowAccess::Make<T>(hwnd);
}
template <typename T>
void DestroyObject(void* object) {
    delete static_cast<T*>(object);
}

}  // namespace window_object

template <typename T, HandlerErrors kErrors, ObjectSource kSource>
LRESULT CALLBACK WindowProcOf(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    using namespace window_object;
    if constexpr (kSource == ObjectSource::kOwnNew) {
        static constexpr Shape kShape = {&CallObject<T>, &MakeObject<T>, &DestroyObject<T>, kErrors};
        return Dispatch(kShape, hwnd, message, wparam, lparam);
    } else {
        static constexpr Shape kShape = {&CallObject<T>, nullptr, nullptr, kErrors};
        return Dispatch(kShape, hwnd, message, wparam, lparam);
    }
}

template <typename Handler>
bool RunGuarded(HWND hwnd, UINT message, HandlerErrors errors, Handler&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (...) {
        window_object::HandlerFailed(hwnd, message, errors);
        return false;
    }
}

}  // namespace zv
