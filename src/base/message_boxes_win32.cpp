#include "base/message_boxes_win32.h"

#include "base/code_page.h"
#include "base/message_text.h"
#include "base/modal_window_win32.h"

namespace zv {

std::string ApplicationTitleOfHost() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return ApplicationTitle(path, SystemCodePage());
}

void ShowErrorBox(HWND owner, const std::string& message) {
    const std::string text = ErrorBoxText(message, SystemCodePage());
    const std::string title = ApplicationTitleOfHost();
    // Task-modal without an owner, so the host's windows are disabled all the same.
    const UINT style = MB_OK | MB_ICONSTOP | (owner ? 0 : MB_TASKMODAL);
    RunSystemModal([&] { return MessageBoxA(owner, text.c_str(), title.c_str(), style); });
}

}  // namespace zv
