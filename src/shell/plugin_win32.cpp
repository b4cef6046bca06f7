// Library main: start-up, shutdown and the fifteen exported callbacks.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "confirm/outgoing_win32.h"
#include "base/window_classes_win32.h"
#include "hostapi/host_function_names.h"
#include "hostapi/host_module_lookup_win32.h"
#include "hostapi/zavi_api.h"
#include "pictures/picture_win32.h"
#include "settings/settings_entry_win32.h"
#include "shell/plugin_info.h"
#include "shell/plugin_paths.h"

namespace zv {
namespace {

// What lives from library load to unload.
struct PluginState {
    std::unique_ptr<TZaviAPI> host_api;
    std::string ini_file_name;
};

PluginState& Plugin() {
    static PluginState state;
    return state;
}

WindowsHostModuleLookup g_lookup;

// What the callbacks answer the host.
constexpr int32_t kDone = 0;           // the callbacks that do nothing, and the information
constexpr int32_t kSendMessage = 0;    // ZVC_OnOutgoing: the message goes
constexpr int32_t kKeepMessage = -1;   // ZVC_OnOutgoing: the user declined to send it
constexpr int32_t kSetupDone = 1;      // ZVC_OnPlugInSetup, whatever the user did

std::string OwnModulePath(HMODULE module) {
    // Grow past MAX_PATH rather than cut the path: a cut path would name the wrong map file.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(module, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) throw std::runtime_error("GetModuleFileName");
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768) throw std::runtime_error("module path too long");
        buffer.resize(buffer.size() * 2);
    }
}

bool InitPlugin(HMODULE module) noexcept {
    try {
        PluginState& state = Plugin();
        state.host_api = std::make_unique<TZaviAPI>(g_lookup);
        if (!state.host_api->BindHostApi()) return false;
        state.ini_file_name = IniFileNameFor(OwnModulePath(module));
        InitPictureSupport();
        return true;
    } catch (...) {
        return false;
    }
}

void PluginExitProc() noexcept {
    UnregisterWindowClasses();
    Plugin().host_api.reset();
}

// Runs a callback's work so that no exception reaches the host.
template <typename Work>
int32_t Guarded(int32_t on_failure, Work work) noexcept {
    try {
        return work();
    } catch (...) {
        return on_failure;
    }
}

}  // namespace
}  // namespace zv

using zv::Guarded;
using zv::kDone;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);
            return zv::InitPlugin(instance) ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            zv::PluginExitProc();
            break;
    }
    return TRUE;
}

int32_t WINAPI ZVC_OnStart() { return kDone; }
int32_t WINAPI ZVC_OnExit() { return kDone; }
int32_t WINAPI ZVC_OnMenuInit(intptr_t, intptr_t, intptr_t) { return kDone; }
int32_t WINAPI ZVC_OnOpenFolder(intptr_t) { return kDone; }
int32_t WINAPI ZVC_OnOpenMail(intptr_t) { return kDone; }
int32_t WINAPI ZVC_OnEveryMinute() { return kDone; }
int32_t WINAPI ZVC_OnOpenCompose(intptr_t, intptr_t) { return kDone; }

int32_t WINAPI ZVC_OnOutgoing(HWND compose_window, int32_t mode) {
    return Guarded(zv::kSendMessage, [&]() -> int32_t {
        if (mode == 1 || mode == 2) return zv::kSendMessage;
        const auto get_header = reinterpret_cast<zv::CompGetSpecifiedHeaderFn>(
            zv::Plugin().host_api->Function(zv::kCompGetSpecifiedHeaderIndex));
        return zv::ConfirmOutgoingMessage(compose_window, get_header, zv::Plugin().ini_file_name) ? zv::kSendMessage
                                                                                                 : zv::kKeepMessage;
    });
}

int32_t WINAPI ZVC_OnKeyDispatch(intptr_t, intptr_t, intptr_t) { return kDone; }
int32_t WINAPI ZVC_OnRetrieve(intptr_t, intptr_t) { return kDone; }
int32_t WINAPI ZVC_OnSend(intptr_t) { return kDone; }
int32_t WINAPI ZVC_OnFinishRetrieve(intptr_t) { return kDone; }

int32_t WINAPI ZVC_OnPlugInSetup(intptr_t) {
    return Guarded(zv::kSetupDone, [] {
        zv::RunSettingsWindow(zv::Plugin().ini_file_name);
        return zv::kSetupDone;
    });
}

int32_t WINAPI ZVC_OnPlugInInfo(char* record) {
    return Guarded(kDone, [&] {
        zv::FillPluginInfo(record);
        return kDone;
    });
}

int32_t WINAPI ZVC_OnDragDrop(intptr_t, intptr_t, intptr_t, intptr_t) { return kDone; }

}  // extern "C"
