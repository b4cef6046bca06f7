#include "shell/plugin_paths.h"

namespace zv {

std::string IniFileNameFor(const std::string& library_path) {
    const size_t dot = library_path.rfind('.');
    if (dot == std::string::npos) return library_path + ".ini";
    return library_path.substr(0, dot) + ".ini";
}

}  // namespace zv
