#include "picture_formats.h"

#include "../base/code_page.h"

namespace zv {

const std::vector<PictureFormat>& PictureFormatTable() {
    static const std::vector<PictureFormat> table = {
        {"wmf", "メタファイル", PictureKind::Metafile},
        {"emf", "エンハンス メタファイル", PictureKind::Metafile},
        {"ico", "アイコン", PictureKind::Icon},
        {"bmp", "ビットマップ", PictureKind::Bitmap},
        {"jpeg", "JPEG イメージファイル", PictureKind::Jpeg},
        {"jpg", "JPEG イメージファイル", PictureKind::Jpeg},
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
    choices.insert(choices.begin(), {"すべてのファイル (" + all + ")", all});
    return choices;
}

}  // namespace zv
