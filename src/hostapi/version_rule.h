#pragma once
// Which hosts get the plug-in: those older than 2.00.06, and any host that has ZVA_SetStatus.
#include <string>

namespace zv {

// Byte comparison after folding a-z to upper case; a prefix sorts first. <0, 0 or >0.
int CompareVersionText(const std::string& a, const std::string& b);

// `version` is null when the host's version call gave no text; such a host is treated as
// an unknown, recent one and needs ZVA_SetStatus.
bool HostVersionAccepted(const char* version, bool has_set_status);

}  // namespace zv
