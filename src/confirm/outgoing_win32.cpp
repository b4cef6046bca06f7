#include "outgoing_win32.h"

#include "../hostapi/host_function_names.h"
#include "../shell/plugin_state_win32.h"
#include "recipient_headers.h"
#include "show_address_form_win32.h"

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
    TShowAddressForm form;
    form.SetMapFile(Plugin().ini_file_name);
    return form.ConfirmRecipients(headers.to, headers.cc, headers.bcc) == 1;
}

}  // namespace zv
