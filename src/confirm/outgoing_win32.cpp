#include "confirm/outgoing_win32.h"

#include "confirm/recipient_headers.h"
#include "confirm/show_address_form_win32.h"

namespace zv {

bool ConfirmOutgoingMessage(HWND compose_window, CompGetSpecifiedHeaderFn get_header, const std::string& map_file) {
    const RecipientHeaders headers = ReadRecipientHeaders([&](const char* name, char* buffer, int capacity) {
        get_header(compose_window, name, buffer, capacity);
    });
    TShowAddressForm form;
    form.SetMapFile(map_file);
    return form.ConfirmRecipients(headers.to, headers.cc, headers.bcc) == ModalResult::kOk;
}

}  // namespace zv
