#pragma once
// The lookup rule for many keys of one map: the first line whose key equals a line's key,
// ignoring case, found through an index of the keys' sort keys instead of a scan from the
// first line each time.
#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "map/picture_map.h"

namespace zv {

class CodePage;

class PathLookup {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // Refers to `lines`, which must outlive it and stay unchanged.
    PathLookup(const MapLines& lines, const CodePage& cp);

    // The line whose path PathOf(lines, KeyOf(lines[line]), cp) gives, or kNone.
    size_t LineFor(size_t line);
    // That path: PathOf(lines, KeyOf(lines[line]), cp).
    std::string PathFor(size_t line);

private:
    void IndexThrough(size_t line);
    bool Equal(size_t line, std::string_view key) const;
    size_t ScanFor(std::string_view key);

    const MapLines& lines_;
    const CodePage& cp_;
    // Lines before this one are in the index. It grows as far as a lookup needs.
    size_t indexed_ = 0;
    // Lines with "=" grouped by a hash of their key's sort key, in file order: every line
    // whose key equals another's is in that one's group (and, rarely, lines that are not).
    std::unordered_map<size_t, size_t> last_of_group_;
    std::vector<size_t> first_of_group_, next_in_group_;
    // Lines with "=" whose key has no sort key, the first of each distinct key only.
    std::vector<size_t> without_sort_key_;
    std::map<std::string, size_t, std::less<>> without_sort_key_seen_;
    // Keys without a sort key, looked up by a scan once each.
    std::map<std::string, size_t, std::less<>> scanned_;
};

}  // namespace zv
