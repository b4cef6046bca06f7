#include "base/modal_window_win32.h"

namespace zv {

ModalScope::ModalScope(HWND ours) : ours_(ours), active_(GetActiveWindow()), disabled_(ours) {}

ModalScope::~ModalScope() {
    disabled_.EnableAgain();
    if (ours_ && IsWindow(ours_)) ShowWindow(ours_, SW_HIDE);
    if (!active_ || !IsWindow(active_) || !IsWindowVisible(active_) || !IsWindowEnabled(active_)) return;
    // The foreground too, unless the user has gone to another program meanwhile.
    const HWND foreground = GetForegroundWindow();
    if (!foreground || GetWindowThreadProcessId(foreground, nullptr) == GetCurrentThreadId())
        SetForegroundWindow(active_);
    SetActiveWindow(active_);
}

ModalResult RunModal(HWND window, ModalState& state, const ModalShow& show) {
    state = ModalState();
    {
        ModalScope scope(window);
        if (show.before_show) show.before_show();
        if (!state.done_ && IsWindow(window)) {
            ShowWindow(window, SW_SHOW);
            if (show.kind == ModalKind::kTopLevel) SetForegroundWindow(window);
            if (!state.done_ && IsWindow(show.focus)) SetFocus(show.focus);
        }
        RunModalLoop(window, state.done_, show.on_idle);
    }
    return state.result_ == ModalResult::kOk ? ModalResult::kOk : ModalResult::kCancel;
}

}  // namespace zv
