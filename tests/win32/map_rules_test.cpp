// The map's indexed rules with the system's code page under Wine: the sort key that the
// lookup indexes by agrees with the comparison, and the check finds what the plain double
// loops find.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/code_page.h"
#include "map/path_lookup.h"
#include "map_rules_oracle.h"
#include "memory_file_system.h"
#include "settings/map_check.h"

namespace zv {
namespace {

// Texts the comparison treats in every way it can: case in ASCII, full-width letters, Greek
// and Cyrillic (equal but for case), full- and half-width, hiragana and katakana (never equal),
// hyphens and apostrophes (weighed apart), control characters, lone lead bytes and bytes
// that are no character, a byte-order mark.
const std::vector<std::string> kTexts = {
    "taro", "TARO", "Taro", "tar", "taro ", "t-aro", "t'aro", "ta\x01ro", "taro\x01",
    "\x82\x60", "\x82\x81", "A", "a",                               // Ａ ａ A a
    "\x83\x9F", "\x83\xBF", "\x84\x40", "\x84\x70",                 // Α α А а
    "\x83\x4A", "\xB6", "\x82\xA9",                                 // カ ｶ か
    "\x83\x4A\x81\x5B", "\x83\x4A\x81\x5B\x81\x5B", "\x83\x4A-",   // カー カーー カ-
    "\x95\x5C", "\x95\x5C\\", "\\", "\x81", "a\x81", "\x81\x20", "\x80", "\xA0", "\xFD", "\xFF",
    "\xEF\xBB\xBFtaro", "-", "'", " ", "\x01", "\x7F",
};

TEST(SortKeyIgnoringCase, TextsTheComparisonFindsEqualHaveEqualKeys) {
    const CodePage& cp = SystemCodePage();
    std::string ignored;
    EXPECT_FALSE(cp.SortKeyIgnoringCase("", ignored)) << "an empty text has no key; it is looked up by a scan";
    // Every text, and every two of them one after the other.
    std::vector<std::string> texts = kTexts;
    for (const auto& a : kTexts)
        for (const auto& b : kTexts) texts.push_back(a + b);
    std::vector<std::string> keys(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(cp.SortKeyIgnoringCase(texts[i], keys[i])) << ::testing::PrintToString(texts[i]);
    size_t equal_pairs = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t j = i + 1; j < texts.size(); ++j) {
            if (!cp.EqualIgnoringCase(texts[i], texts[j])) continue;
            ++equal_pairs;
            EXPECT_EQ(keys[i], keys[j]) << ::testing::PrintToString(texts[i]) << " " << ::testing::PrintToString(texts[j]);
        }
    }
    EXPECT_GT(equal_pairs, 100u) << "the texts hold pairs equal but for case";
    EXPECT_TRUE(cp.EqualIgnoringCase("\x82\x60", "\x82\x81")) << "full-width letters have case too";
}

TEST(MapCheckIndexed, FindsWhatTheDoubleLoopFindsWithTheSystemsCodePage) {
    const CodePage& cp = SystemCodePage();
    testing::MemoryFileSystem fs;
    testing::AddGeneratedPictures(fs);
    size_t shadowed = 0, missing = 0;
    for (uint32_t seed = 0; seed < 1500; ++seed) {
        const MapLines lines = testing::GeneratedMap(seed, seed < 1000 ? 8 : 40);
        const std::string expected = testing::CheckMapByTheRule(lines, fs, cp);
        ASSERT_EQ(CheckMap(lines, fs, cp), expected) << ::testing::PrintToString(lines);
        shadowed += expected.find("が使用されることはありません。") != std::string::npos;
        missing += expected.find("ファイルが存在しません。") != std::string::npos;
        PathLookup lookup(lines, cp);
        for (size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(lookup.PathFor(i), PathOf(lines, KeyOf(lines[i]), cp)) << i << " of " << ::testing::PrintToString(lines);
    }
    EXPECT_GT(shadowed, 300u);
    EXPECT_GT(missing, 300u);
}

}  // namespace
}  // namespace zv
