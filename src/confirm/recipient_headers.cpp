#include "confirm/recipient_headers.h"

#include <vector>

namespace zv {

RecipientHeaders ReadRecipientHeaders(const HeaderReader& read) {
    std::vector<char> buffer(kHeaderBufferSize);
    const auto one = [&](const char* name) {
        buffer[0] = '\0';
        read(name, buffer.data(), kHeaderCapacity);
        buffer[kHeaderBufferSize - 1] = '\0';
        return std::string(buffer.data());
    };
    RecipientHeaders headers;
    headers.to = one("To");
    headers.cc = one("Cc");
    headers.bcc = one("Bcc");
    return headers;
}

}  // namespace zv
