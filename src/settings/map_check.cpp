#include "map_check.h"

#include "../base/code_page.h"
#include "../base/file_system.h"

namespace zv {

namespace {
void AddFinding(std::string& report, const std::string& finding) {
    if (!report.empty()) report += "\r\n";
    report += finding;
}
}  // namespace

std::string CheckMap(const MapLines& lines, FileSystem& fs, const CodePage& cp) {
    std::string report;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string key = KeyOf(lines[i]);
        for (size_t j = 0; j < i; ++j) {
            if (KeyMatches(KeyOf(lines[j]), key, cp)) {
                AddFinding(report, "アドレス " + key + " が使用されることはありません。");
                break;
            }
        }
    }
    for (const auto& line : lines) {
        const std::string path = PathOf(lines, KeyOf(line), cp);
        if (!IsExistingFile(fs, path)) AddFinding(report, path + " ファイルが存在しません。");
    }
    return report;
}

std::string CheckMapMessage(const std::string& report) {
    return report.empty() ? std::string("エラーはありません。") : report;
}

}  // namespace zv
