#pragma once
#include <windows.h>

#include <string>

namespace zv {

// Its window class, by which the test harness tells it from other windows.
constexpr char kPlainMessageBoxClass[] = "ZvPlainMessageBox";

// The plain message box: captioned with the application title, no icon, the text wrapped
// to at most half the screen width, one "OK" button that answers Enter and Esc, centred
// on the screen. Modal: the owner and the host's windows are disabled while it is up.
void ShowPlainMessage(HWND owner, const std::string& text);

}  // namespace zv
