#include "base/code_page.h"

#include <cstring>

namespace zv {

bool ShiftJisCodePage::IsLeadByte(unsigned char b) const {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

static char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool ShiftJisCodePage::EqualIgnoringCase(const std::string& a, const std::string& b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            // A double-byte character is compared whole; its trail byte is not a letter.
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// Letters outside double-byte characters lower-cased: equal exactly when EqualIgnoringCase
// says so, as both read the double-byte characters from the same lead bytes.
bool ShiftJisCodePage::SortKeyIgnoringCase(const std::string& text, std::string& key) const {
    key = ToLower(text);
    return true;
}

std::string ShiftJisCodePage::ToLower(const std::string& text) const {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(out[i]))) {
            ++i;
            continue;
        }
        out[i] = AsciiLower(out[i]);
    }
    return out;
}

size_t FindLastOf(const std::string& text, const char* chars, const CodePage& cp) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (cp.IsLeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;  // a lone lead byte at the end is skipped with nothing after it
            continue;
        }
        if (text[i] != '\0' && std::strchr(chars, text[i])) found = i;
    }
    return found;
}

#ifndef _WIN32
const CodePage& SystemCodePage() {
    static const ShiftJisCodePage cp;
    return cp;
}
#endif

}  // namespace zv
