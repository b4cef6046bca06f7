#include "map/path_lookup.h"

#include <functional>

#include "base/code_page.h"

namespace zv {

PathLookup::PathLookup(const MapLines& lines, const CodePage& cp)
    : lines_(lines), cp_(cp), first_of_group_(lines.size(), kNone), next_in_group_(lines.size(), kNone) {}

void PathLookup::IndexThrough(size_t line) {
    std::string sort_key;
    for (; indexed_ <= line && indexed_ < lines_.size(); ++indexed_) {
        const std::string& text = lines_[indexed_];
        const size_t eq = text.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = text.substr(0, eq);
        if (!cp_.SortKeyIgnoringCase(key, sort_key)) {
            // Later lines with the same bytes can never be the first.
            if (without_sort_key_seen_.emplace(key, indexed_).second) without_sort_key_.push_back(indexed_);
            continue;
        }
        const auto [last, added] = last_of_group_.emplace(std::hash<std::string>()(sort_key), indexed_);
        if (added) {
            first_of_group_[indexed_] = indexed_;
        } else {
            next_in_group_[last->second] = indexed_;
            first_of_group_[indexed_] = first_of_group_[last->second];
            last->second = indexed_;
        }
    }
}

bool PathLookup::Equal(size_t line, std::string_view key) const {
    return cp_.EqualIgnoringCase(std::string(KeyViewOf(lines_[line])), std::string(key));
}

size_t PathLookup::ScanFor(std::string_view key) {
    const auto seen = scanned_.find(key);
    if (seen != scanned_.end()) return seen->second;
    size_t found = kNone;
    for (size_t j = 0; j < lines_.size() && found == kNone; ++j)
        if (lines_[j].find('=') != std::string::npos && Equal(j, key)) found = j;
    scanned_.emplace(std::string(key), found);
    return found;
}

size_t PathLookup::LineFor(size_t line) {
    if (line >= lines_.size()) return kNone;
    const std::string_view key = KeyViewOf(lines_[line]);
    // A line without "=" looks up the empty key; a key without a sort key is looked up by a scan.
    if (lines_[line].find('=') == std::string::npos) return ScanFor(key);
    IndexThrough(line);
    if (first_of_group_[line] == kNone) return ScanFor(key);
    size_t found = kNone;
    for (size_t j = first_of_group_[line]; j != kNone && j <= line; j = next_in_group_[j])
        if (Equal(j, key)) {
            found = j;
            break;
        }
    // Only a comparison that does not find a key equal to itself leaves nothing found here.
    if (found == kNone) return ScanFor(key);
    for (size_t j : without_sort_key_) {
        if (j >= found) break;
        if (Equal(j, key)) return j;
    }
    return found;
}

std::string PathLookup::PathFor(size_t line) {
    const size_t found = LineFor(line);
    return found == kNone ? std::string() : PathAfterEquals(lines_[found]);
}

}  // namespace zv
