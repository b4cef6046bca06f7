#include "confirm/recipient_rows.h"

#include "base/code_page.h"

namespace zv {

std::vector<TileFill> MatchingTiles(const MapLines& map, const std::string& header, PathLookup& lookup,
                                    const CodePage& cp) {
    std::vector<TileFill> tiles;
    const SearchedText searched(header, cp);
    for (size_t i = 0; i < map.size(); ++i) {
        const std::string_view key = KeyViewOf(map[i]);
        if (!searched.Contains(key)) continue;
        tiles.push_back({std::string(key), lookup.PathFor(i)});
        if (tiles.size() == kMaxTilesPerRow) break;
    }
    return tiles;
}

std::vector<TileFill> MatchingTiles(const MapLines& map, const std::string& header, const CodePage& cp) {
    PathLookup lookup(map, cp);
    return MatchingTiles(map, header, lookup, cp);
}

std::string TileHint(const TileFill& tile) { return tile.key + "\r\n" + tile.path; }

std::string ShownHint(const std::string& hint, const CodePage& cp) {
    for (size_t i = 0; i < hint.size(); ++i) {
        if (hint[i] == '|') return hint.substr(0, i);
        if (cp.IsLeadByte(static_cast<unsigned char>(hint[i]))) ++i;
    }
    return hint;
}

RowsInUse ShrinkToRows(int, int cc_count, int bcc_count) {
    if (bcc_count > 0) return {424, true, true};
    if (cc_count > 0) return {300, true, false};
    return {173, false, false};
}

}  // namespace zv
