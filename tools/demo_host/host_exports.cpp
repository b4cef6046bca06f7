// The host API the plug-in binds to when it loads: every name must be present in this
// executable. Only the version and the compose header lookup do anything here.
#include "demo_host.h"
#include "hostapi/host_function_list.h"

#define HOST_EXPORT extern "C" __declspec(dllexport)
// The plug-in never calls these; they only need to exist.
#define HOST_STUB_0(name) \
    HOST_EXPORT int WINAPI name() { return 0; }

HOST_EXPORT const char* WINAPI ZVA_GetVersion() { return "2.00.06"; }

HOST_EXPORT int WINAPI ZVA_CompGetSpecifiedHeader(HWND compose, const char* name, char* buffer, int capacity) {
    return demo::AnswerHeader(compose, name, buffer, capacity);
}

#define HOST_STUB_1(name)  // answered above
#define HOST_STUB(name, called) HOST_STUB_##called(name)
ZV_ALL_HOST_FUNCTIONS(HOST_STUB)
