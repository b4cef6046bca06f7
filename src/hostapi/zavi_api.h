#pragma once
// TZaviAPI: the host's exported functions, resolved by name in the host's main executable.
#include <cstddef>

#include "hostapi/host_function_names.h"

namespace zv {

// How the binding reaches the host process; the Windows implementation uses the main
// executable's module and GetProcAddress.
class HostModuleLookup {
public:
    virtual ~HostModuleLookup() = default;
    // The module that started the process; null when there is none.
    virtual void* MainModule() = 0;
    virtual void* FindFunction(void* module, const char* name) = 0;
    // Calls ZVA_GetVersion at the given address; null when it gave no text.
    virtual const char* CallGetVersion(void* function) = 0;
};

class TZaviAPI {
public:
    explicit TZaviAPI(HostModuleLookup& lookup) : lookup_(lookup) {}

    bool BindHostApi();
    bool IsBound() const { return module_ != nullptr; }
    void* Function(size_t index) const { return entries_[index]; }

private:
    HostModuleLookup& lookup_;
    void* entries_[kHostFunctionCount] = {};
    void* module_ = nullptr;
};

}  // namespace zv
