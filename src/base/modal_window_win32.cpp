#include "modal_window_win32.h"

#include "window_support_win32.h"

namespace zv {

ModalResult RunModal(HWND window, ModalState& state, const ModalShow& show) {
    TaskWindowsDisabled others_disabled(window);
    if (show.before_show) show.before_show();
    ShowWindow(window, SW_SHOW);
    if (show.kind == ModalKind::kTopLevel) SetForegroundWindow(window);
    SetFocus(show.focus);
    state = ModalState();
    RunModalLoop(window, state.done_, show.on_idle);
    if (show.kind == ModalKind::kTopLevel) ShowWindow(window, SW_HIDE);
    return state.result_ == ModalResult::kOk ? ModalResult::kOk : ModalResult::kCancel;
}

}  // namespace zv
