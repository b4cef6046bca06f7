#include "settings/settings_entry_win32.h"

#include "settings/config_window_win32.h"

namespace zv {

void RunSettingsWindow(const std::string& ini_file_name) {
    TConfigWindow window(ini_file_name);
    window.ShowModal();
}

}  // namespace zv
