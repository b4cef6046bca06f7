#pragma once
// What the text rules need from the system's ANSI code page. Data texts are bytes and
// never pass through a conversion; only these three questions are asked of the system.
#include <string>

namespace zv {

class CodePage {
public:
    virtual ~CodePage() = default;
    virtual bool IsLeadByte(unsigned char byte) const = 0;
    // The user default locale's comparison with only letter case ignored.
    virtual bool EqualIgnoringCase(const std::string& a, const std::string& b) const = 0;
    // That comparison's own sort key: texts it finds equal have equal keys, so equal keys
    // are where to look for equal texts. False when the system gives no key for the text
    // (then only EqualIgnoringCase can tell).
    virtual bool SortKeyIgnoringCase(const std::string& text, std::string& key) const = 0;
    // The system's ANSI lower-casing.
    virtual std::string ToLower(const std::string& text) const = 0;
};

// Code page 932 (Shift-JIS) with ASCII-only case folding: what the native build assumes,
// so the rules behave as on the target systems.
class ShiftJisCodePage : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    bool EqualIgnoringCase(const std::string& a, const std::string& b) const override;
    bool SortKeyIgnoringCase(const std::string& text, std::string& key) const override;
    std::string ToLower(const std::string& text) const override;
};

// The running system's code page (Windows), or ShiftJisCodePage elsewhere.
const CodePage& SystemCodePage();

// Index of the last byte of `text` that is one of `chars`, never counting the trail byte
// of a double-byte character; std::string::npos when there is none.
size_t FindLastOf(const std::string& text, const char* chars, const CodePage& cp);

}  // namespace zv
