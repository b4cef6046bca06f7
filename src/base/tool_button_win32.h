#pragma once
#include <windows.h>

namespace zv {

// Makes a push button a tool button: a click runs its action and leaves the focus where it
// was, so the keys still work in the control the user is in.
void MakeToolButton(HWND button);

}  // namespace zv
