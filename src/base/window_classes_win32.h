#pragma once
// Window classes of this library. They are unregistered when the library unloads: a class
// left behind would point into unloaded code when the host loads the library again.
#include <windows.h>

namespace zv {

// Registers the class once (hInstance is this module); throws AppError on failure.
void EnsureWindowClass(const char* name, WNDPROC proc, UINT style = 0, HBRUSH background = nullptr);
void UnregisterWindowClasses() noexcept;

}  // namespace zv
