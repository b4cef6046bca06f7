// The indexed check, lookup and matching against the plain double loops of the rules, over
// many generated maps.
#include <gtest/gtest.h>

#include "base/code_page.h"
#include "map/path_lookup.h"
#include "map_rules_oracle.h"
#include "memory_file_system.h"
#include "settings/map_check.h"

namespace zv {
namespace {

const ShiftJisCodePage kSjis;

std::string Shown(const MapLines& lines) { return ::testing::PrintToString(lines); }

// Map sizes: many small maps, where every case meets every other, and some large ones.
struct Sizes {
    uint32_t seeds;
    size_t max_lines;
} const kSizes[] = {{4000, 8}, {1500, 40}, {40, 600}};

TEST(MapCheckIndexed, FindsWhatTheDoubleLoopFinds) {
    testing::MemoryFileSystem fs;
    testing::AddGeneratedPictures(fs);
    size_t shadowed = 0, missing = 0, clean = 0;
    for (const Sizes& size : kSizes) {
        for (uint32_t seed = 0; seed < size.seeds; ++seed) {
            const MapLines lines = testing::GeneratedMap(seed + size.max_lines * 100000, size.max_lines);
            const std::string expected = testing::CheckMapByTheRule(lines, fs, kSjis);
            ASSERT_EQ(CheckMap(lines, fs, kSjis), expected) << Shown(lines);
            shadowed += expected.find("が使用されることはありません。") != std::string::npos;
            missing += expected.find("ファイルが存在しません。") != std::string::npos;
            clean += expected.empty();
        }
    }
    // The maps reach every kind of report.
    EXPECT_GT(shadowed, 1000u);
    EXPECT_GT(missing, 1000u);
    EXPECT_GT(clean, 100u);
}

TEST(MapCheckIndexed, TrailBytesAndCase) {
    testing::MemoryFileSystem fs;
    testing::AddGeneratedPictures(fs);
    const std::string a = "=C:\\a.jpg";
    struct Case {
        const char* name;
        MapLines lines;
        std::string report;
    } cases[] = {
        // ア is 0x83 0x41: its trail byte is "A", where no match may start.
        {"a letter as a trail byte", {"A" + a, "\x83\x41" + a}, ""},
        {"the same letter after the character", {"A" + a, "\x83\x41" "A" + a},
         "アドレス \x83\x41" "A が使用されることはありません。"},
        // 表 is 0x95 0x5C: its trail byte is "\".
        {"\\ as a trail byte", {"\\" + a, "x\x95\x5C" + a}, ""},
        {"a double-byte key inside a longer one", {"\x95\x5C" + a, "x\x95\x5C" + a},
         "アドレス x\x95\x5C が使用されることはありません。"},
        {"keys equal but for case", {"Ab" + a, "aB" + a, "AB=C:\\none.jpg"}, ""},
        {"an empty key and lines without =", {"=C:\\none.jpg", "no equals", "x" + a},
         "C:\\none.jpg ファイルが存在しません。\r\nC:\\none.jpg ファイルが存在しません。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(testing::CheckMapByTheRule(c.lines, fs, kSjis), c.report) << c.name;
        EXPECT_EQ(CheckMap(c.lines, fs, kSjis), c.report) << c.name;
    }
}

TEST(PathLookup, GivesWhatPathOfGives) {
    for (const Sizes& size : kSizes) {
        for (uint32_t seed = 0; seed < size.seeds; ++seed) {
            const MapLines lines = testing::GeneratedMap(seed + 7, size.max_lines);
            PathLookup lookup(lines, kSjis);
            // From the last line back, so the index grows in the largest steps.
            for (size_t i = lines.size(); i-- > 0;)
                ASSERT_EQ(lookup.PathFor(i), PathOf(lines, KeyOf(lines[i]), kSjis)) << i << " of " << Shown(lines);
        }
    }
}

TEST(MatchingTilesIndexed, MatchesWhatTheDoubleLoopMatches) {
    size_t matched = 0;
    for (const Sizes& size : kSizes) {
        for (uint32_t seed = 0; seed < size.seeds; ++seed) {
            const MapLines map = testing::GeneratedMap(seed + 13, size.max_lines);
            PathLookup lookup(map, kSjis);
            for (uint32_t h = 0; h < 3; ++h) {
                const std::string header = testing::GeneratedHeader(seed * 3 + h, map);
                const std::vector<TileFill> expected = testing::MatchingTilesByTheRule(map, header, kSjis);
                const std::vector<TileFill> found = MatchingTiles(map, header, lookup, kSjis);
                ASSERT_EQ(found.size(), expected.size()) << ::testing::PrintToString(header) << Shown(map);
                for (size_t t = 0; t < found.size(); ++t) {
                    ASSERT_EQ(found[t].key, expected[t].key);
                    ASSERT_EQ(found[t].path, expected[t].path);
                }
                for (const auto& line : map)
                    ASSERT_EQ(KeyMatches(KeyOf(line), header, kSjis),
                              testing::KeyMatchesByTheRule(KeyOf(line), header, kSjis));
                matched += !expected.empty();
            }
        }
    }
    EXPECT_GT(matched, 1000u);
}

}  // namespace
}  // namespace zv
