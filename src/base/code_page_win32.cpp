#include <windows.h>

#include "code_page.h"

namespace zv {
namespace {

class WindowsCodePage : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override { return IsDBCSLeadByte(byte) != FALSE; }

    bool EqualIgnoringCase(const std::string& a, const std::string& b) const override {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                              b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
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
