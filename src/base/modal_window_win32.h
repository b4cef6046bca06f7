#pragma once
// One way to run a window modally: the thread's other windows (the host's) are disabled while
// it is up, it is shown with the focus where the caller wants it, and messages are pumped
// until one of its handlers ends the run.
#include <windows.h>

#include <functional>

#include "modal_result.h"

namespace zv {

struct ModalShow;

// A modal window's run, as its handlers see it.
class ModalState {
public:
    // Ends the loop once the current message is handled.
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
    // A window of its own: brought to the foreground, and hidden before the other windows are
    // enabled again.
    kTopLevel,
    // A tool window over its owner: only takes the focus, and stays up until the caller
    // destroys it, after the owner is enabled again, so that activation returns to the owner.
    kOverOwner,
};

struct ModalShow {
    ModalKind kind = ModalKind::kTopLevel;
    HWND focus = nullptr;                // gets the focus once the window is shown
    std::function<void()> before_show;   // runs with the other windows already disabled
    std::function<void()> on_idle;       // runs whenever the queue is empty
};

// kOk when a handler ended the run with kOk; kCancel otherwise, also when WM_QUIT ended it.
ModalResult RunModal(HWND window, ModalState& state, const ModalShow& show);

}  // namespace zv
