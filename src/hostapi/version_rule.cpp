#include "hostapi/version_rule.h"

#include <cstring>

namespace zv {

static unsigned char FoldAsciiUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

int CompareVersionText(const std::string& a, const std::string& b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldAsciiUpper(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldAsciiUpper(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool HostVersionAccepted(const char* version, bool has_set_status) {
    if (has_set_status) return true;
    if (version == nullptr) return false;
    const std::string text(version);
    if (text.size() > 7) return false;
    return CompareVersionText(text, "2.00.06") < 0;
}

}  // namespace zv
