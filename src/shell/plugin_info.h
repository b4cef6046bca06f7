#pragma once
// The host's plug-in information record: fixed 80-byte text fields.
#include <cstddef>

namespace zv {

constexpr size_t kPluginInfoNameOffset = 0;
constexpr size_t kPluginInfoVendorOffset = 80;
constexpr size_t kPluginInfoVersionOffset = 160;
constexpr size_t kPluginInfoDescriptionOffset = 240;

void FillPluginInfo(char* record);

}  // namespace zv
