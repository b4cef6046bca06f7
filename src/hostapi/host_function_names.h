#pragma once
// The host's exported functions by name, in the order the binding looks them up: the
// required names, then ZVA_SetStatus.
#include <cstddef>

#include "hostapi/host_function_list.h"

namespace zv {

// Their positions in kHostFunctionNames.
enum class HostFunction : size_t {
#define ZV_HOST_FUNCTION_ENUM(name, called) name,
    ZV_ALL_HOST_FUNCTIONS(ZV_HOST_FUNCTION_ENUM)
#undef ZV_HOST_FUNCTION_ENUM
};

#define ZV_HOST_FUNCTION_ONE(name, called) +1
constexpr size_t kRequiredHostFunctionCount = 0 ZV_REQUIRED_HOST_FUNCTIONS(ZV_HOST_FUNCTION_ONE);
constexpr size_t kHostFunctionCount = 0 ZV_ALL_HOST_FUNCTIONS(ZV_HOST_FUNCTION_ONE);
#undef ZV_HOST_FUNCTION_ONE
extern const char* const kHostFunctionNames[kHostFunctionCount];

// Positions of the entries the plug-in calls or tests for.
constexpr size_t kGetVersionIndex = static_cast<size_t>(HostFunction::ZVA_GetVersion);
constexpr size_t kCompGetSpecifiedHeaderIndex = static_cast<size_t>(HostFunction::ZVA_CompGetSpecifiedHeader);
constexpr size_t kSetStatusIndex = static_cast<size_t>(HostFunction::ZVA_SetStatus);

}  // namespace zv
