#include "plugin_info.h"

#include <cstring>

namespace zv {

void FillPluginInfo(char* record) {
    // The host owns the record; each text, with its NUL, is far shorter than its field.
    std::strcpy(record + kPluginInfoNameOffset, "zvOvisto plug-in");
    std::strcpy(record + kPluginInfoVendorOffset, "qorvix");
    std::strcpy(record + kPluginInfoVersionOffset, "1.0.0");
    std::strcpy(record + kPluginInfoDescriptionOffset, "zvOvisto");
}

}  // namespace zv
