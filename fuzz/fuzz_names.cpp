// The name and text rules on hostile bytes, with the Shift-JIS code page the target systems
// use: a picture path's extension and format, the map's name from the library path, the
// window title from the host's path, the error box text, a tile's hint, FindLastOf.
// The input is cut at its first NUL: the text before it, the characters to look for after it.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/message_text.h"
#include "confirm/recipient_rows.h"
#include "fuzz_check.h"
#include "pictures/picture_formats.h"
#include "shell/plugin_paths.h"

namespace {
bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const zv::ShiftJisCodePage cp;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t nul = bytes.find('\0');
    const std::string text = bytes.substr(0, nul);
    const std::string chars = nul == std::string::npos ? std::string("\\:.") : bytes.substr(nul + 1);
    try {
        const std::string extension = zv::ExtensionOf(text, cp);
        ZV_FUZZ_CHECK(EndsWith(text, extension));
        if (const zv::PictureFormat* format = zv::FindPictureFormat(extension, cp)) {
            ZV_FUZZ_CHECK(cp.ToLower(extension) == format->extension);
        }
        zv::FindPictureFormat(text, cp);

        const std::string ini = zv::IniFileNameFor(text);
        ZV_FUZZ_CHECK(EndsWith(ini, ".ini") && ini.size() <= text.size() + 4);
        ZV_FUZZ_CHECK(StartsWith(text, ini.substr(0, ini.size() - 4)));

        const std::string title = zv::ApplicationTitle(text, cp);
        ZV_FUZZ_CHECK(title.size() <= text.size());

        const std::string box = zv::ErrorBoxText(text, cp);
        ZV_FUZZ_CHECK(box == text || box == text + ".");

        const std::string hint = zv::ShownHint(bytes, cp);
        ZV_FUZZ_CHECK(StartsWith(bytes, hint));

        const std::string lower = cp.ToLower(bytes);
        ZV_FUZZ_CHECK(lower.size() == bytes.size() && cp.EqualIgnoringCase(bytes, lower));
        // The sort key the lookup index groups by: equal keys exactly for texts equal but for case
        // (the text against its lower-cased self, and the two halves of the input).
        std::string key, other;
        ZV_FUZZ_CHECK(cp.SortKeyIgnoringCase(bytes, key) && cp.SortKeyIgnoringCase(lower, other) && key == other);
        const std::string front = bytes.substr(0, bytes.size() / 2), back = bytes.substr(bytes.size() / 2);
        ZV_FUZZ_CHECK(cp.SortKeyIgnoringCase(front, key) && cp.SortKeyIgnoringCase(back, other));
        ZV_FUZZ_CHECK((key == other) == cp.EqualIgnoringCase(front, back));

        // FindLastOf takes a C string of characters: the part after the NUL, up to the next.
        const std::string set = chars.c_str();
        const size_t last = zv::FindLastOf(text, set.c_str(), cp);
        if (last != std::string::npos) {
            ZV_FUZZ_CHECK(last < text.size() && text[last] != '\0' && set.find(text[last]) != std::string::npos);
        }
        const size_t in_bytes = zv::FindLastOf(bytes, set.c_str(), cp);
        ZV_FUZZ_CHECK(in_bytes == std::string::npos || in_bytes < bytes.size());
    } catch (const zv::AppError&) {
    }
    return 0;
}
