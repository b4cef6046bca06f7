#pragma once
// Finding and working the plug-in's windows from a driver thread, as a user would: every call
// is bounded in time, since the plug-in's thread may be stuck and the driver must not be.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace demo {

// The plug-in's cancel button, in both its windows.
constexpr char kCancelText[] = "ｷｬﾝｾﾙ";
// How long a window of the plug-in may take to appear.
constexpr DWORD kAppearTimeoutMs = 15000;

using WindowTest = std::function<bool(HWND)>;

// SendMessage with a timeout; `failed` when the window does not answer.
LRESULT Ask(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0, LRESULT failed = 0);
std::string TextOf(HWND window);
// Window texts are in the ANSI code page; the report is read as UTF-8.
std::string Printable(const std::string& text);
std::string ClassOf(HWND window);
bool WaitFor(DWORD timeout_ms, const std::function<bool()>& ready);
// The topmost visible top-level window of this process that passes the test.
HWND TopLevel(const WindowTest& test);
HWND WaitForTopLevel(DWORD timeout_ms, const WindowTest& test);
// A window inside `root`, at any depth.
HWND Descendant(HWND root, const WindowTest& test);
// The children of one class, top first.
std::vector<HWND> ChildrenByTop(HWND root, const char* window_class);
bool OwnedBy(HWND window, HWND owner);
// The child, at any depth, whose text is `text`.
HWND ButtonWithText(HWND window, const char* text);
// Closed or hidden.
bool Gone(HWND window);
// The pointer in the screen's corner: a hint under it would cover part of a screenshot.
void ParkPointer();
// Photographs the window's frame once the last change has painted.
bool ShootWindow(HWND window, const std::string& path);

}  // namespace demo
