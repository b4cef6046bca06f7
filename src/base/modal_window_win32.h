#pragma once
// One way to run a window modally: the thread's other windows (the host's) are disabled while
// it is up, it is shown with the focus where the caller wants it, and messages are pumped
// until one of its handlers ends the run or the window is destroyed.
#include <windows.h>

#include <functional>

#include "base/modal_result.h"
#include "base/window_support_win32.h"

namespace zv {

struct ModalShow;

// A modal window's run, as its handlers see it.
class ModalState {
public:
    // Ends the loop once the current message is handled; kept from the moment the run starts.
    void End(ModalResult result) noexcept {
        result_ = result;
        done_ = true;
    }

private:
    friend ModalResult RunModal(HWND, ModalState&, const ModalShow&);
    ModalResult result_ = ModalResult::kNone;
    bool done_ = false;
};

enum class ModalKind {
    // A window of its own: brought to the foreground.
    kTopLevel,
    // A tool window over its owner: only takes the focus.
    kOverOwner,
};

struct ModalShow {
    ModalKind kind = ModalKind::kTopLevel;
    HWND focus = nullptr;                // gets the focus once the window is shown
    std::function<void()> before_show;   // runs with the other windows already disabled
    std::function<void()> on_idle;       // runs whenever the queue is empty
};

// The rule of every modal run, ours and the system's boxes and dialogs alike: the thread's
// active window is remembered and its other windows disabled; at the end they are enabled
// first, then ours is hidden, then the remembered window is activated again if it still can
// be. Otherwise the system finds no enabled window to activate when ours goes, and the host
// (or the window under a box) loses activation and the keyboard to another program.
class ModalScope {
public:
    explicit ModalScope(HWND ours = nullptr);  // `ours` stays enabled, and is hidden at the end
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    HWND ours_;
    HWND active_;
    TaskWindowsDisabled disabled_;
};

// Runs a system box or dialog, which pumps messages of its own, under the same rule.
template <typename Call>
auto RunSystemModal(Call&& call) {
    ModalScope scope;
    return call();
}

// kOk when a handler ended the run with kOk; kCancel otherwise, also when WM_QUIT ended it or
// the window was destroyed.
ModalResult RunModal(HWND window, ModalState& state, const ModalShow& show);

}  // namespace zv
