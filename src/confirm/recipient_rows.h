#pragma once
// Which tiles fill a row, and how tall the window is for the rows in use.
#include <string>
#include <vector>

#include "map/path_lookup.h"
#include "map/picture_map.h"

namespace zv {

class CodePage;

constexpr int kMaxTilesPerRow = 20;

struct TileFill {
    std::string key;
    std::string path;  // looked up by key, ignoring case: the first such entry's path
};

// Entries whose key occurs in the header, in map order, at most 20. `lookup` is over `map`;
// a send's three headers share one.
std::vector<TileFill> MatchingTiles(const MapLines& map, const std::string& header, PathLookup& lookup,
                                    const CodePage& cp);
std::vector<TileFill> MatchingTiles(const MapLines& map, const std::string& header, const CodePage& cp);

// The tile's hint: key, CR LF, path.
std::string TileHint(const TileFill& tile);
// What a hint shows: the text before its first "|" (a trail byte 0x7C is not one).
std::string ShownHint(const std::string& hint, const CodePage& cp);

struct RowsInUse {
    int client_height;  // at the design text height: 173, 300 or 424
    bool cc_label_visible;
    bool bcc_label_visible;
};

RowsInUse ShrinkToRows(int to_count, int cc_count, int bcc_count);

}  // namespace zv
