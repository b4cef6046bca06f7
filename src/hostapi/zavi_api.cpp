#include "hostapi/zavi_api.h"

#include <cstdint>

#include "hostapi/version_rule.h"

namespace zv {

bool TZaviAPI::BindHostApi() {
    if (module_) return true;
    void* module = lookup_.MainModule();
    // Module handles below 32 are error codes from the 16-bit days.
    if (reinterpret_cast<uintptr_t>(module) < 32) return false;
    for (size_t i = 0; i < kRequiredHostFunctionCount; ++i) {
        entries_[i] = lookup_.FindFunction(module, kHostFunctionNames[i]);
        if (!entries_[i]) return false;
    }
    entries_[kSetStatusIndex] = lookup_.FindFunction(module, kHostFunctionNames[kSetStatusIndex]);
    const char* version = lookup_.CallGetVersion(entries_[kGetVersionIndex]);
    if (!HostVersionAccepted(version, entries_[kSetStatusIndex] != nullptr)) return false;
    module_ = module;
    return true;
}

}  // namespace zv
