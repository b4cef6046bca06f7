#include "pictures/picture_formats.h"

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/messages.h"

namespace zv {

const std::vector<PictureFormat>& PictureFormatTable() {
    static const std::vector<PictureFormat> table = {
        {"wmf", kTextWmfFormat, PictureKind::Metafile},
        {"emf", kTextEmfFormat, PictureKind::Metafile},
        {"ico", kTextIconFormat, PictureKind::Icon},
        {"bmp", kTextBitmapFormat, PictureKind::Bitmap},
        {"jpeg", kTextJpegFormat, PictureKind::Jpeg},
        {"jpg", kTextJpegFormat, PictureKind::Jpeg},
    };
    return table;
}

std::string ExtensionOf(const std::string& path, const CodePage& cp) {
    const size_t at = FindLastOf(path, ".\\:", cp);
    if (at == std::string::npos || path[at] != '.') return std::string();
    return path.substr(at + 1);
}

const PictureFormat* FindPictureFormat(const std::string& extension, const CodePage& cp) {
    const std::string lower = cp.ToLower(extension);
    const auto& table = PictureFormatTable();
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (it->extension == lower) return &*it;
    return nullptr;
}

std::vector<FilterChoice> PictureFilterChoices() {
    const auto& table = PictureFormatTable();
    std::vector<FilterChoice> choices;
    std::string all;
    for (auto it = table.rbegin(); it != table.rend(); ++it) {
        const std::string pattern = "*." + it->extension;
        choices.push_back({it->description + " (" + pattern + ")", pattern});
        if (!all.empty()) all += ";";
        all += pattern;
    }
    choices.insert(choices.begin(), {FormatMessageText(kTextAllFilesFilter, all), all});
    return choices;
}

}  // namespace zv
