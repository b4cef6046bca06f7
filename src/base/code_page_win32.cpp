#include <windows.h>

#include "base/code_page.h"

namespace zv {
namespace {

class WindowsCodePage : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override { return IsDBCSLeadByte(byte) != FALSE; }

    bool EqualIgnoringCase(const std::string& a, const std::string& b) const override {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                              b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
    }

    // The key CompareStringA compares by, with the same locale and flag. An empty text has
    // none (LCMapStringA refuses a length of 0).
    bool SortKeyIgnoringCase(const std::string& text, std::string& key) const override {
        if (text.empty() || text.size() > 0x7FFFFFFF) return false;
        const int length = static_cast<int>(text.size());
        const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
        const int size = LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length, nullptr, 0);
        if (size <= 0) return false;
        key.resize(static_cast<size_t>(size));
        const int written = LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length,
                                         reinterpret_cast<LPSTR>(&key[0]), size);
        if (written <= 0) return false;
        key.resize(static_cast<size_t>(written));
        return true;
    }

    std::string ToLower(const std::string& text) const override {
        std::string out = text;
        if (!out.empty()) CharLowerBuffA(&out[0], static_cast<DWORD>(out.size()));
        return out;
    }
};

}  // namespace

const CodePage& SystemCodePage() {
    static const WindowsCodePage cp;
    return cp;
}

}  // namespace zv
