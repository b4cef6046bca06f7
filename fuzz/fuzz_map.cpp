// The picture map's text rules on hostile bytes: a map file as it is read, lines matched
// against a header, the key lookup, the map check, the round trip through saving, the ".bak"
// name. The check and the matching find what the rules' plain loops find.
// The input is the map file; the bytes after its first NUL (where SplitMapText stops) are the
// header, or, without a NUL, the last line.
#include <cstdint>
#include <string>

#include "base/app_error.h"
#include "base/code_page.h"
#include "confirm/recipient_rows.h"
#include "fuzz_check.h"
#include "map/picture_map.h"
#include "map_rules_oracle.h"
#include "memory_file_system.h"
#include "settings/map_check.h"

namespace {

bool HasLineBreakOrNul(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

// The round trip the map's save and load make: a real property for lines without CR, LF, NUL.
void CheckRoundTrip(const zv::MapLines& lines) {
    for (const auto& line : lines)
        if (HasLineBreakOrNul(line)) return;
    const std::string joined = zv::JoinMapText(lines);
    ZV_FUZZ_CHECK(zv::SplitMapText(joined) == lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const zv::ShiftJisCodePage cp;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const zv::MapLines lines = zv::SplitMapText(bytes);
        for (const auto& line : lines) ZV_FUZZ_CHECK(!HasLineBreakOrNul(line));

        const size_t nul = bytes.find('\0');
        const std::string header =
            nul != std::string::npos ? bytes.substr(nul + 1) : (lines.empty() ? std::string() : lines.back());

        // PathOf scans the lines for each key: bound the quadratic part so a unit stays fast.
        const size_t looked_up = lines.size() < 64 ? lines.size() : 64;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const std::string key = zv::KeyOf(line);
            const std::string path = zv::PathAfterEquals(line);
            const bool has_equals = line.find('=') != std::string::npos;
            if (has_equals) ZV_FUZZ_CHECK(key + "=" + path == line);
            else ZV_FUZZ_CHECK(key.empty() && path.empty());

            const bool matches = zv::KeyMatches(key, header, cp);
            // A match is an occurrence; candidates on trail bytes are only ever skipped.
            if (matches) ZV_FUZZ_CHECK(!key.empty() && header.find(key) != std::string::npos);

            if (i < looked_up && has_equals) {
                // The first line with an equal key (ignoring case) gives the path; line i is one.
                const std::string found = zv::PathOf(lines, key, cp);
                bool seen = false;
                for (size_t j = 0; j <= i && !seen; ++j)
                    seen = lines[j].find('=') != std::string::npos &&
                           cp.EqualIgnoringCase(zv::KeyOf(lines[j]), key) && zv::PathAfterEquals(lines[j]) == found;
                ZV_FUZZ_CHECK(seen);
            }

            const std::string backup = zv::ReplaceExtension(line, ".bak", cp);
            ZV_FUZZ_CHECK(backup.size() >= 4 && backup.compare(backup.size() - 4, 4, ".bak") == 0);
            ZV_FUZZ_CHECK(line.compare(0, backup.size() - 4, backup, 0, backup.size() - 4) == 0);
        }

        const std::vector<zv::TileFill> tiles = zv::MatchingTiles(lines, header, cp);
        ZV_FUZZ_CHECK(tiles.size() <= static_cast<size_t>(zv::kMaxTilesPerRow));
        for (const auto& tile : tiles) zv::ShownHint(zv::TileHint(tile), cp);
        const std::vector<zv::TileFill> by_the_rule = zv::testing::MatchingTilesByTheRule(lines, header, cp);
        ZV_FUZZ_CHECK(tiles.size() == by_the_rule.size());
        for (size_t t = 0; t < tiles.size(); ++t)
            ZV_FUZZ_CHECK(tiles[t].key == by_the_rule[t].key && tiles[t].path == by_the_rule[t].path);

        // The rule's check is quadratic: bounded, as the lookups above. The paths of even length
        // exist, so that both kinds of finding come up.
        if (lines.size() <= looked_up) {
            zv::testing::MemoryFileSystem fs;
            for (const auto& line : lines) {
                const std::string path = zv::PathAfterEquals(line);
                if (path.size() % 2 == 0) fs.files[path] = "";
            }
            ZV_FUZZ_CHECK(zv::CheckMap(lines, fs, cp) == zv::testing::CheckMapByTheRule(lines, fs, cp));
        }

        CheckRoundTrip(lines);
        // Lines the settings window may hold: the input cut at 0x01 bytes, any bytes at all.
        zv::MapLines edited;
        size_t at = 0;
        for (;;) {
            const size_t stop = bytes.find('\x01', at);
            edited.push_back(bytes.substr(at, stop == std::string::npos ? std::string::npos : stop - at));
            if (stop == std::string::npos) break;
            at = stop + 1;
        }
        CheckRoundTrip(edited);
    } catch (const zv::AppError&) {
    }
    return 0;
}
