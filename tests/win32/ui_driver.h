#pragma once
// Drives the plug-in's windows from a second thread, as a user would, while the host's
// thread sits in the callback's modal loop. Every wait has a timeout.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/handles_win32.h"

namespace zv::host {

struct ChildInfo {
    HWND hwnd;
    std::string class_name;
    std::string text;
    RECT rect;  // in the top-level window's client coordinates
    bool visible;
    bool enabled;
};

// Waits for a visible top-level window with this caption; null after the timeout.
HWND WaitForWindow(const char* caption, int timeout_ms = 10000);
// Waits until the window is gone.
bool WaitForWindowGone(HWND window, int timeout_ms = 10000);
// A drive's last step: waits for the window to go, and if it stays, closes it, and first every
// box or dialog its thread shows (their modal loops would keep the window, and the test, open
// for good). True once the window is gone.
bool CloseLeftOpen(HWND window, int grace_ms = 5000);

// Waits for a message box with this caption that is shown and holds its text; null after the
// timeout. A box found while it is still being built has neither, and an answer posted to it
// then closes it unread.
HWND WaitForMessageBox(const char* caption, int timeout_ms = 5000);
// Reads the box's text, answers it with `button` and waits until it is gone; the text.
std::string AnswerMessageBox(HWND box, int button);

std::vector<ChildInfo> ChildrenOf(HWND window);
// The first child with this text, or one with every field empty.
ChildInfo ChildWithText(HWND window, const std::string& text);
SIZE ClientSize(HWND window);
// A window's rectangle in the client coordinates of `top` (an ancestor, or its parent).
RECT RectIn(HWND window, HWND top);

// The client area's pixels, read from the screen.
class Screenshot {
public:
    explicit Screenshot(HWND window);
    COLORREF At(int x, int y) const;
    int width() const { return width_; }
    int height() const { return height_; }
    bool SavePng(const std::string& path) const;  // via a BMP next to it; no-op on failure

private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

// The control with the keyboard focus in the thread of `window`, read from another thread.
HWND FocusOf(HWND window);

// A visible top-level window of this thread standing in for the host's compose window, made
// the active and foreground window, as it is when the host calls the plug-in.
UniqueWindow MakeActiveHostWindow();

// Polls `ready` until it holds; false after the timeout.
bool WaitUntil(const std::function<bool()>& ready, int timeout_ms = 5000);

// The screen's dots per inch, as this process is told them.
int ScreenDpi();
// The text height of "ＭＳ Ｐゴシック" at 9 points on this screen (12 pixels at 96 dots per
// inch), measured here.
int MeasuredTextHeight();
int ScaledBy(int value, int text_height);

// A window's lengths against its layout, which gives them for a 12-pixel text height (96 dots
// per inch): each must be its layout value times the measured scale, text height / 12, within
// a pixel of rounding.
class ScaledLengths {
public:
    explicit ScaledLengths(int text_height) : text_height_(text_height) {}
    void Length(const std::string& what, long measured, int layout);
    // A rectangle's place and size; a negative size is not checked (a label's follows its text).
    void Rect(const std::string& what, const RECT& r, int left, int top, int width = -1, int height = -1);
    // The lengths that are off, one a line; empty when all are right.
    std::string Off() const { return off_; }

private:
    int text_height_;
    std::string off_;
};

// Runs `drive` on a thread while `call` runs here. The drive reads the windows with
// messages sent to this thread, so this thread answers them until the drive ends: the call
// may return, and its window go, while the drive is still in such a read.
class Driver {
public:
    explicit Driver(std::function<void()> drive);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

private:
    UniqueHandle finished_;
    std::thread thread_;
};

}  // namespace zv::host
