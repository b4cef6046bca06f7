#pragma once
#include <windows.h>

#include <string>

namespace zv {

// The host's ZVA_CompGetSpecifiedHeader: a compose window's header by name into a buffer.
using CompGetSpecifiedHeaderFn = int(WINAPI*)(HWND compose, const char* name, char* buffer, int capacity);

// Reads the recipients from the compose window through the host's header function and lets
// the user confirm them against the picture map in `map_file`. True when the message may go
// (confirmed, or nothing to show).
bool ConfirmOutgoingMessage(HWND compose_window, CompGetSpecifiedHeaderFn get_header, const std::string& map_file);

}  // namespace zv
