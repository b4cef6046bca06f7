#include "settings_entry_win32.h"

namespace zv {

void RunSettingsWindow(const std::string&) {
    // The settings window is not built yet.
}

}  // namespace zv
