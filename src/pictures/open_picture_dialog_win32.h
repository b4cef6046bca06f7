#pragma once
// The file-open dialog for choosing a picture, with a preview pane beside the standard
// controls. It belongs to the settings window and remembers the user's filter choice
// from one run to the next while it lives.
#include <windows.h>

#include <string>

namespace zv {

class OpenPictureDialog {
public:
    OpenPictureDialog();
    // The folder the dialog opens in; empty leaves it to the system.
    void SetInitialDir(const std::string& dir);
    // Runs the dialog modally over `owner`. True with the chosen path (which need not exist)
    // in `path`; false, with `path` untouched, when the user cancels or the dialog fails.
    // Throws AppError when the preview's window class cannot be registered.
    bool Execute(HWND owner, std::string& path);

private:
    std::string initial_dir_;
    DWORD filter_index_ = 1;  // 1-based, as the dialog counts
};

}  // namespace zv
