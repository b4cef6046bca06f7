#pragma once
// The host's exported functions, in the order the binding looks them up: the 54 required
// names, then ZVA_SetStatus.
#include <cstddef>

namespace zv {

constexpr size_t kRequiredHostFunctionCount = 54;
constexpr size_t kHostFunctionCount = 55;
extern const char* const kHostFunctionNames[kHostFunctionCount];

// Positions in kHostFunctionNames of the entries the plug-in calls or tests for.
constexpr size_t kGetVersionIndex = 0;
constexpr size_t kCompGetSpecifiedHeaderIndex = 34;
constexpr size_t kSetStatusIndex = 54;

}  // namespace zv
