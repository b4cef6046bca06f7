#include "map/picture_map.h"

#include <gtest/gtest.h>

#include "base/app_error.h"
#include "base/code_page.h"
#include "memory_file_system.h"
#include "test_support.h"

namespace zv {
namespace {

const ShiftJisCodePage kSjis;
using testing::MessageOf;

TEST(SplitMapText, LineEndRules) {
    struct Case {
        std::string bytes;
        MapLines lines;
    } cases[] = {
        {"", {}},
        {"a=1\r\nb=2\r\n", {"a=1", "b=2"}},
        {"a=1\r\nb=2", {"a=1", "b=2"}},  // last line without terminator
        {"a=1\nb=2\n", {"a=1", "b=2"}},  // LF only
        {"a=1\rb=2\r", {"a=1", "b=2"}},  // lone CR
        {"a\n\rb", {"a", "", "b"}},      // LF CR: a line, then an empty one
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {std::string("a=1\r\nb=2\0c=3\r\n", 14), {"a=1", "b=2"}},  // first NUL ends the text
        {std::string("a=1\r\n\0b", 7), {"a=1"}},                   // empty part before NUL: no line
        {std::string("\0a", 2), {}},
        {"\xEF\xBB\xBFkey=p", {"\xEF\xBB\xBFkey=p"}},  // a byte-order mark stays in the first line
    };
    for (const auto& c : cases) EXPECT_EQ(SplitMapText(c.bytes), c.lines) << ::testing::PrintToString(c.bytes);
}

TEST(JoinMapText, EveryLineEndsWithCrLf) {
    EXPECT_EQ(JoinMapText({}), "");
    EXPECT_EQ(JoinMapText({"a=1", "", "b=2"}), "a=1\r\n\r\nb=2\r\n");
    const std::string sjis = "\x95\x5C=C:\\\x95\x5C\\x.jpg";  // 表: trail byte 0x5C
    EXPECT_EQ(SplitMapText(JoinMapText({sjis})), MapLines{sjis});
}

TEST(KeyAndPath, SplitAtFirstEquals) {
    EXPECT_EQ(KeyOf("a=b=c"), "a");
    EXPECT_EQ(PathAfterEquals("a=b=c"), "b=c");
    EXPECT_EQ(KeyOf("=x"), "");
    EXPECT_EQ(PathAfterEquals("=x"), "x");
    EXPECT_EQ(KeyOf("no equals"), "");
    EXPECT_EQ(PathAfterEquals("no equals"), "");
    EXPECT_EQ(KeyOf(" taro =p"), " taro ");
}

TEST(PathOf, FirstKeyEqualIgnoringCase) {
    const MapLines lines = {"no equals", "Taro=A.jpg", "taro=B.jpg", "=empty.jpg", "ｶﾅ=kana.jpg", "ａ=full.jpg"};
    EXPECT_EQ(PathOf(lines, "taro", kSjis), "A.jpg");
    EXPECT_EQ(PathOf(lines, "TARO", kSjis), "A.jpg");
    EXPECT_EQ(PathOf(lines, "jiro", kSjis), "");
    EXPECT_EQ(PathOf(lines, "", kSjis), "empty.jpg");  // lines without "=" are skipped
    EXPECT_EQ(PathOf(lines, "ｶﾅ", kSjis), "kana.jpg");
    EXPECT_EQ(PathOf(lines, "a", kSjis), "");  // full-width and half-width differ
    EXPECT_EQ(PathOf({"no equals"}, "", kSjis), "");
}

TEST(KeyMatches, ByteSubstringSkippingTrailBytes) {
    struct Case {
        std::string key, header;
        bool matches;
    } cases[] = {
        {"taro", "Taro Yamada <taro@example.jp>", true},
        {"Taro", "taro@example.jp", false},  // case-sensitive
        {"example.jp", "a@example.jp, b@example.jp", true},
        {"", "anything", false},
        {"x", "", false},
        {"taro ", "taro@example.jp", false},  // a trailing blank must be there too
        {"taro ", "taro yamada", true},
        // "\x81\x5C" is one character (―); its trail byte 0x5C must not match "\".
        {"\\", "\x81\x5C", false},
        {"\\", "\x81\x5C\\", true},
        // "ab" in "\x82\xA0" would start on the trail byte 0xA0 only if misaligned.
        {"\xA0\x82", "\x82\xA0\x82\xA0", false},
        {"\x82\xA0", "x\x82\xA0", true},
        {"\xEF\xBB\xBFtaro", "taro@example.jp", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyMatches(c.key, c.header, kSjis), c.matches) << c.key << " in " << c.header;
}

TEST(ReplaceExtension, LastDotAfterTheLastSeparator) {
    struct Case {
        const char* path;
        const char* result;
    } cases[] = {
        {"C:\\Mail\\zvOvisto.ini", "C:\\Mail\\zvOvisto.bak"},
        {"C:\\a.b\\zvOvisto", "C:\\a.b\\zvOvisto.bak"},
        {"C:zv", "C:zv.bak"},
        {"zv.x.ini", "zv.x.bak"},
        {"", ".bak"},
        // 表 ends in 0x5C: the trail byte is not a separator, so the dot before it counts.
        {"C:\\a.\x95\x5C", "C:\\a.bak"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceExtension(c.path, ".bak", kSjis), c.result) << c.path;
}

class MapFileTest : public ::testing::Test {
protected:
    testing::MemoryFileSystem fs;
    const std::string map = "C:\\Mail\\zvOvisto.ini";
    const std::string bak = "C:\\Mail\\zvOvisto.bak";
};

TEST_F(MapFileTest, LoadReplacesTheListByTheFileLines) {
    fs.files[map] = "a=1\r\nb=2";
    MapLines lines = {"old"};
    LoadMap(fs, map, lines);
    EXPECT_EQ(lines, (MapLines{"a=1", "b=2"}));
}

TEST_F(MapFileTest, LoadFailuresKeepTheListAndSayWhy) {
    MapLines lines = {"old"};
    EXPECT_EQ(MessageOf([&] { LoadMap(fs, map, lines); }), "ファイル C:\\Mail\\zvOvisto.ini は開けません");
    fs.files[map] = "a=1";
    fs.unreadable.insert(map);
    EXPECT_EQ(MessageOf([&] { LoadMap(fs, map, lines); }), "ストリームからの読み込みエラー");
    EXPECT_EQ(lines, MapLines{"old"});
}

TEST_F(MapFileTest, SaveKeepsThePreviousMapAsBackup) {
    fs.files[map] = "first\r\n";
    fs.files[bak] = "ancient\r\n";
    SaveMap(fs, map, {"a=1", "b=2"}, kSjis);
    EXPECT_EQ(fs.files[map], "a=1\r\nb=2\r\n");
    EXPECT_EQ(fs.files[bak], "first\r\n");
    SaveMap(fs, map, {"c=3"}, kSjis);
    EXPECT_EQ(fs.files[map], "c=3\r\n");
    EXPECT_EQ(fs.files[bak], "a=1\r\nb=2\r\n");  // one generation deep
    SaveMap(fs, map, {}, kSjis);
    EXPECT_EQ(fs.files[map], "");
    EXPECT_EQ(fs.files.size(), 2u);  // no temporary file left behind
}

TEST_F(MapFileTest, SaveWithoutAPreviousMapMakesNoBackup) {
    SaveMap(fs, map, {"a=1"}, kSjis);
    EXPECT_EQ(fs.files[map], "a=1\r\n");
    EXPECT_EQ(fs.files.count(bak), 0u);
}

TEST_F(MapFileTest, FailedSaveLeavesMapAndBackupAsTheyWere) {
    struct Case {
        const char* name;
        std::function<void(testing::MemoryFileSystem&)> fault;
        const char* message;
    } cases[] = {
        {"folder not writable", [](auto& f) { f.cannot_create = true; },
         "ファイル C:\\Mail\\zvOvisto.ini を作成できません"},
        {"map held open", [this](auto& f) { f.locked.insert(map); },
         "ファイル C:\\Mail\\zvOvisto.ini を作成できません"},
        {"disk full", [](auto& f) { f.fail_write_after = 3; }, "ストリームへの書き込みエラー"},
    };
    for (const auto& c : cases) {
        testing::MemoryFileSystem local;
        local.files[map] = "mine\r\n";
        local.files[bak] = "older\r\n";
        c.fault(local);
        EXPECT_EQ(MessageOf([&] { SaveMap(local, map, {"new=1"}, kSjis); }), c.message) << c.name;
        EXPECT_EQ(local.files[map], "mine\r\n") << c.name;
        EXPECT_EQ(local.files[bak], "older\r\n") << c.name;
        EXPECT_EQ(local.files.size(), 2u) << c.name << ": the temporary file is removed";
    }
}

TEST_F(MapFileTest, IsExistingFileWantsAFileWithADosTime) {
    fs.files["C:\\p\\a.jpg"] = "x";
    fs.files["C:\\p\\old.jpg"] = "x";
    fs.bad_time.insert("C:\\p\\old.jpg");
    fs.directories.insert("C:\\p");
    EXPECT_TRUE(IsExistingFile(fs, "C:\\p\\a.jpg"));
    EXPECT_FALSE(IsExistingFile(fs, "C:\\p\\old.jpg"));
    EXPECT_FALSE(IsExistingFile(fs, "C:\\p"));
    EXPECT_FALSE(IsExistingFile(fs, ""));
    EXPECT_FALSE(IsExistingFile(fs, "C:\\p\\none.jpg"));
}

}  // namespace
}  // namespace zv
