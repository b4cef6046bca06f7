#include <windows.h>

#include "hostapi/host_module_lookup_win32.h"

namespace zv {

void* WindowsHostModuleLookup::MainModule() { return GetModuleHandleA(nullptr); }

void* WindowsHostModuleLookup::FindFunction(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

const char* WindowsHostModuleLookup::CallGetVersion(void* function) {
    using GetVersionFn = const char*(WINAPI*)();
    return reinterpret_cast<GetVersionFn>(function)();
}

}  // namespace zv
