#pragma once
// The preview window of the file-open dialog: the picture at its own size in a modal tool
// window centred on the screen.
#include <windows.h>

#include "base/messages.h"  // kPreviewCaption, the window's caption and the hint of the button that opens it
#include "pictures/picture_win32.h"

namespace zv {

// Runs the window modally over `owner` (the file-open dialog). Throws AppError when the
// window cannot be made.
void ShowPreviewWindow(HWND owner, Picture& picture);

// Draws the picture into `dest`, clipped to `clip`, discarding any decoding error: neither
// the dialog's pane nor the preview window reports one.
void DrawClipped(HDC dc, Picture& picture, const RECT& dest, const RECT& clip);

}  // namespace zv
