#pragma once
#include "hostapi/zavi_api.h"

namespace zv {

// Looks the host's functions up in the process's main executable (not this library).
class WindowsHostModuleLookup : public HostModuleLookup {
public:
    void* MainModule() override;
    void* FindFunction(void* module, const char* name) override;
    const char* CallGetVersion(void* function) override;
};

}  // namespace zv
