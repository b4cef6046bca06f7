#pragma once
// What lives from library load to unload: the bound host API, the map file's path and the
// library's own module handle (windows, dialogs and resources must use it, not the host's).
#include <windows.h>

#include <memory>
#include <string>

#include "../hostapi/zavi_api.h"

namespace zv {

struct PluginState {
    HMODULE module = nullptr;
    std::unique_ptr<TZaviAPI> host_api;
    std::string ini_file_name;
};

PluginState& Plugin();

}  // namespace zv
