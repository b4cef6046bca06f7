#include "base/message_text.h"

#include "base/code_page.h"

namespace zv {

std::string ApplicationTitle(const std::string& exe_path, const CodePage& cp) {
    const size_t slash = FindLastOf(exe_path, "\\:/", cp);
    std::string name = slash == std::string::npos ? exe_path : exe_path.substr(slash + 1);
    name = name.substr(0, name.find('.'));  // "." is never a trail byte
    if (name.empty()) return name;
    const size_t first = (cp.IsLeadByte(static_cast<unsigned char>(name[0])) && name.size() > 1) ? 2 : 1;
    return name.substr(0, first) + cp.ToLower(name.substr(first));
}

std::string ErrorBoxText(const std::string& message, const CodePage& cp) {
    if (message.empty()) return message;
    // The last character's first byte: its lead byte when it is a double-byte character.
    size_t last = 0;
    for (size_t i = 0; i < message.size(); ++i) {
        last = i;
        if (cp.IsLeadByte(static_cast<unsigned char>(message[i])) && i + 1 < message.size()) ++i;
    }
    return static_cast<unsigned char>(message[last]) > '.' ? message + "." : message;
}

}  // namespace zv
