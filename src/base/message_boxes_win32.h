#pragma once
#include <windows.h>

#include <string>

namespace zv {

// Caption of both boxes, from the host executable's name.
std::string ApplicationTitleOfHost();

// The stop-icon box for an error raised inside an event handler.
void ShowErrorBox(HWND owner, const std::string& message);

}  // namespace zv
