#include "outgoing_win32.h"

#include "../hostapi/host_function_names.h"
#include "../shell/plugin_state_win32.h"
#include "recipient_headers.h"

namespace zv {

namespace {
using CompGetSpecifiedHeaderFn = int(WINAPI*)(HWND, const char*, char*, int);
}

bool ConfirmOutgoingMessage(HWND compose_window) {
    const auto get_header =
        reinterpret_cast<CompGetSpecifiedHeaderFn>(Plugin().host_api->Function(kCompGetSpecifiedHeaderIndex));
    const RecipientHeaders headers = ReadRecipientHeaders([&](const char* name, char* buffer, int capacity) {
        get_header(compose_window, name, buffer, capacity);
    });
    (void)headers;  // the confirmation window comes next; until then every message goes
    return true;
}

}  // namespace zv
