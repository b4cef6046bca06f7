#include "shell/plugin_info.h"

#include <cstring>

#include "base/messages.h"

namespace zv {

void FillPluginInfo(char* record) {
    // The host owns the record; each text, with its NUL, is far shorter than its field.
    std::strcpy(record + kPluginInfoNameOffset, kTextPluginName);
    std::strcpy(record + kPluginInfoVendorOffset, kTextPluginVendor);
    std::strcpy(record + kPluginInfoVersionOffset, kTextPluginVersion);
    std::strcpy(record + kPluginInfoDescriptionOffset, kTextPluginDescription);
}

}  // namespace zv
