#include "map/picture_map.h"

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/messages.h"

namespace zv {

MapLines SplitMapText(const std::string& bytes) {
    MapLines lines;
    const size_t end = bytes.find('\0');
    const size_t size = end == std::string::npos ? bytes.size() : end;
    size_t at = 0;
    while (at < size) {
        size_t stop = at;
        while (stop < size && bytes[stop] != '\r' && bytes[stop] != '\n') ++stop;
        lines.emplace_back(bytes, at, stop - at);
        at = stop;
        if (at < size && bytes[at] == '\r') ++at;
        if (at < size && bytes[at] == '\n') ++at;
    }
    return lines;
}

std::string JoinMapText(const MapLines& lines) {
    size_t total = 0;
    for (const auto& line : lines) total += line.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string KeyOf(const std::string& line) { return std::string(KeyViewOf(line)); }

std::string_view KeyViewOf(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string_view() : std::string_view(line).substr(0, eq);
}

std::string PathAfterEquals(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string PathOf(const MapLines& lines, const std::string& key, const CodePage& cp) {
    for (const auto& line : lines) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (cp.EqualIgnoringCase(line.substr(0, eq), key)) return line.substr(eq + 1);
    }
    return std::string();
}

bool KeyMatches(const std::string& key, const std::string& header, const CodePage& cp) {
    if (key.empty() || header.size() < key.size()) return false;
    return SearchedText(header, cp).Contains(key);
}

SearchedText::SearchedText(std::string_view text, const CodePage& cp) : text_(text), starts_(text.size(), false) {
    for (size_t i = 0; i < text.size(); ++i) {
        starts_[i] = true;
        // The byte after a lead byte is its trail byte, whatever its value.
        if (cp.IsLeadByte(static_cast<unsigned char>(text[i]))) ++i;
    }
}

bool SearchedText::Contains(std::string_view key) const {
    if (key.empty()) return false;
    for (size_t at = text_.find(key); at != std::string_view::npos; at = text_.find(key, at + 1))
        if (starts_[at]) return true;
    return false;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension, const CodePage& cp) {
    const size_t at = FindLastOf(path, "\\:.", cp);
    if (at != std::string::npos && path[at] == '.') return path.substr(0, at) + extension;
    return path + extension;
}

void LoadMap(FileSystem& fs, const std::string& path, MapLines& lines) {
    lines = SplitMapText(ReadWholeFile(fs, path));
}

void SaveMap(FileSystem& fs, const std::string& path, const MapLines& lines, const CodePage& cp) {
    const std::string temp = ReplaceExtension(path, ".tmp", cp);
    const std::string backup = ReplaceExtension(path, ".bak", cp);
    const auto fail_create = [&] {
        fs.Delete(temp);
        throw AppError(FormatMessageText(kMsgCannotCreateFile, path));
    };
    switch (fs.WriteNew(temp, JoinMapText(lines))) {
        case WriteResult::Ok:
            break;
        case WriteResult::CannotCreate:
            fail_create();
            break;
        case WriteResult::WriteError:
            fs.Delete(temp);
            throw AppError(kMsgStreamWriteError);
    }
    // A map held open by someone else cannot be replaced; find that out before the
    // ".bak" is touched, so both stay as they were.
    if (!fs.CanReplace(path)) fail_create();
    fs.Delete(backup);
    const bool backed_up = fs.Rename(path, backup);
    if (!fs.Rename(temp, path)) {
        if (backed_up) fs.Rename(backup, path);
        fail_create();
    }
}

bool IsExistingFile(FileSystem& fs, const std::string& path) {
    const FoundFile found = fs.FindFirst(path);
    return found.found && !found.is_directory && found.has_dos_time;
}

}  // namespace zv
