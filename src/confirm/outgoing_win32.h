#pragma once
#include <windows.h>

namespace zv {

// Reads the recipients from the compose window and lets the user confirm them. True when
// the message may go (confirmed, or nothing to show).
bool ConfirmOutgoingMessage(HWND compose_window);

}  // namespace zv
