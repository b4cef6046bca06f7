#pragma once
// The map's matching and check rules written the plainest way, one double loop each, as the
// oracle that the indexed ones are compared with; and the maps they are compared on.
#include <cstdint>
#include <string>
#include <vector>

#include "confirm/recipient_rows.h"
#include "map/picture_map.h"

namespace zv {
class CodePage;
class FileSystem;
}  // namespace zv

namespace zv::testing {

class MemoryFileSystem;

// Every candidate start tried in turn, stepping over trail bytes.
bool KeyMatchesByTheRule(const std::string& key, const std::string& header, const CodePage& cp);
// For each line every earlier key, then for each line PathOf from the first line.
std::string CheckMapByTheRule(const MapLines& lines, FileSystem& fs, const CodePage& cp);
std::vector<TileFill> MatchingTilesByTheRule(const MapLines& map, const std::string& header, const CodePage& cp);

// Pictures the generated maps name: "C:\a.jpg" and "C:\b.jpg" exist, "C:\dir" is a folder,
// "C:\none.jpg" and "" are missing.
void AddGeneratedPictures(MemoryFileSystem& fs);

// A map of up to `max_lines` lines made from few pieces, so that keys often hold, equal or
// differ only in case from one another: ASCII letters in both cases, "\", double-byte
// characters whose trail byte is "\" or a letter, a lone lead byte; lines without "=",
// lines starting with "=".
MapLines GeneratedMap(uint32_t seed, size_t max_lines);
// A header made of the same pieces and of keys of `map`.
std::string GeneratedHeader(uint32_t seed, const MapLines& map);

}  // namespace zv::testing
