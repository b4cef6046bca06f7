#include "settings/map_check.h"

#include <unordered_map>

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "map/path_lookup.h"
#include "settings/shadowed_keys.h"

namespace zv {

namespace {
void AddFinding(std::string& report, const std::string& finding) {
    if (!report.empty()) report += "\r\n";
    report += finding;
}
}  // namespace

std::string CheckMap(const MapLines& lines, FileSystem& fs, const CodePage& cp) {
    std::string report;
    for (size_t i : ShadowedLines(lines, cp))
        AddFinding(report, FormatMessageText(kMsgUnusedAddress, KeyOf(lines[i])));
    // Each key's path is found once through the index, each distinct path tested once.
    PathLookup lookup(lines, cp);
    std::unordered_map<std::string, bool> exists;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string path = lookup.PathFor(i);
        auto known = exists.find(path);
        if (known == exists.end()) known = exists.emplace(path, IsExistingFile(fs, path)).first;
        if (!known->second) AddFinding(report, FormatMessageText(kMsgMissingFile, path));
    }
    return report;
}

std::string CheckMapMessage(const std::string& report) {
    return report.empty() ? std::string(kMsgCheckFoundNothing) : report;
}

}  // namespace zv
