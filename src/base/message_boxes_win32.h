#pragma once
#include <windows.h>

#include <string>

namespace zv {

// Caption of both boxes, from the host executable's name.
std::string ApplicationTitleOfHost();

// The stop-icon box for an error raised inside an event handler.
void ShowErrorBox(HWND owner, const std::string& message);

// Runs an event handler: an error ends it and is shown in the error box; nothing leaves.
template <typename Handler>
void RunHandler(HWND owner, Handler handler) noexcept;

}  // namespace zv

#include "message_boxes_win32.inl"
