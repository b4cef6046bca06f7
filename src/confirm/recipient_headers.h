#pragma once
// Reading the To, Cc and Bcc headers of the message being sent, through the host.
#include <functional>
#include <string>

namespace zv {

struct RecipientHeaders {
    std::string to, cc, bcc;
};

constexpr int kHeaderBufferSize = 4096;
// One less than the buffer, so the text fits whether or not the host counts the NUL.
constexpr int kHeaderCapacity = kHeaderBufferSize - 1;

// Asks the host for one header: (name, buffer, capacity). Its result is not used.
using HeaderReader = std::function<void(const char* name, char* buffer, int capacity)>;

// One buffer serves the three calls. It is emptied before each call and closed with a NUL
// at its last byte after it, so a host that writes nothing, or fills it without a NUL,
// cannot make us read stale text or past the end.
RecipientHeaders ReadRecipientHeaders(const HeaderReader& read);

}  // namespace zv
