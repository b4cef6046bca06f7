#include "base/app_error.h"

namespace zv {
namespace {

// The pattern with its one `token` ("%s" or "%d") replaced by `value`.
std::string Fill(const char* pattern, const char* token, const std::string& value) {
    std::string out = pattern;
    const size_t at = out.find(token);
    if (at != std::string::npos) out.replace(at, 2, value);
    return out;
}

}  // namespace

std::string FormatMessageText(const char* pattern, const std::string& arg) { return Fill(pattern, "%s", arg); }

std::string FormatMessageText(const char* pattern, int arg) { return Fill(pattern, "%d", std::to_string(arg)); }

}  // namespace zv
