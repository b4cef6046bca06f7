#pragma once
#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace zv {

// This library's own module: window classes, dialogs and resources belong to it, not to
// the host's executable.
inline HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

}  // namespace zv
