#pragma once
// How a modal window ended. OK and cancel have the values of IDOK and IDCANCEL.

namespace zv {

enum class ModalResult { kNone = 0, kOk = 1, kCancel = 2 };

}  // namespace zv
