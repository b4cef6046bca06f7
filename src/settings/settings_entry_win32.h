#pragma once
#include <string>

namespace zv {

// Opens the settings window on the map file and runs it modally.
void RunSettingsWindow(const std::string& ini_file_name);

}  // namespace zv
