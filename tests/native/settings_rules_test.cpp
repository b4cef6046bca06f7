#include <gtest/gtest.h>

#include "base/code_page.h"
#include "memory_file_system.h"
#include "settings/entry_rules.h"
#include "settings/map_check.h"

namespace zv {
namespace {

const ShiftJisCodePage kSjis;

TEST(MapCheck, ReportsShadowedKeysThenMissingFiles) {
    testing::MemoryFileSystem fs;
    fs.files = {{"C:\\a.jpg", "x"}, {"C:\\b.jpg", "x"}};
    struct Case {
        const char* name;
        MapLines lines;
        std::string report;
    } cases[] = {
        {"empty list", {}, ""},
        {"taro then taro.yamada", {"taro=C:\\a.jpg", "taro.yamada=C:\\b.jpg"},
         "アドレス taro.yamada が使用されることはありません。"},
        {"taro.yamada then taro", {"taro.yamada=C:\\a.jpg", "taro=C:\\b.jpg"}, ""},
        {"same key, second file missing", {"taro=C:\\a.jpg", "taro=C:\\none.jpg"},
         "アドレス taro が使用されることはありません。"},
        {"same key, first file missing", {"taro=C:\\none.jpg", "taro=C:\\a.jpg"},
         "アドレス taro が使用されることはありません。\r\n"
         "C:\\none.jpg ファイルが存在しません。\r\nC:\\none.jpg ファイルが存在しません。"},
        // Keys equal but for case: no shadowing, and both resolve to the first one's path.
        {"keys differing in case", {"Taro=C:\\a.jpg", "taro=C:\\none.jpg"}, ""},
        {"a line without =", {"taro=C:\\a.jpg", "no equals"}, " ファイルが存在しません。"},
        {"line without = finds a line starting with =", {"no equals", "=C:\\b.jpg"}, ""},
        {"one finding per line", {"a=C:\\a.jpg", "b=C:\\a.jpg", "ab=C:\\b.jpg"},
         "アドレス ab が使用されることはありません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckMap(c.lines, fs, kSjis), c.report) << c.name;
    EXPECT_EQ(CheckMapMessage(""), "エラーはありません。");
    EXPECT_EQ(CheckMapMessage("x"), "x");
}

TEST(EntryRules, SplitAndJoin) {
    EXPECT_EQ(SplitForEditing("a=b=c").address, "a");
    EXPECT_EQ(SplitForEditing("a=b=c").file_name, "b=c");
    EXPECT_EQ(SplitForEditing("C:\\x.jpg").address, "");
    EXPECT_EQ(SplitForEditing("C:\\x.jpg").file_name, "C:\\x.jpg");
    EXPECT_EQ(LineFrom({" taro ", "C:\\x.jpg"}), " taro =C:\\x.jpg");
}

TEST(EntryRules, ValidationOrderAndMessages) {
    testing::MemoryFileSystem fs;
    fs.files = {{"C:\\a.txt", "not a picture"}};
    fs.directories = {"C:\\dir"};
    struct Case {
        EditFields fields;
        EntryProblem problem;
    } cases[] = {
        {{"", "C:\\a.txt"}, EntryProblem::EmptyAddress},
        {{" \t\x01 ", "C:\\a.txt"}, EntryProblem::EmptyAddress},
        {{"\x81\x40", "C:\\a.txt"}, EntryProblem::None},  // a full-width space is not a blank
        {{"a=b", "C:\\none.jpg"}, EntryProblem::AddressHasEquals},  // "=" wins over the path
        {{" taro ", "C:\\a.txt"}, EntryProblem::None},             // any existing file will do
        {{"taro", "C:\\none.jpg"}, EntryProblem::NoSuchPicture},
        {{"taro", "C:\\dir"}, EntryProblem::NoSuchPicture},
        {{"taro", ""}, EntryProblem::NoSuchPicture},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidateEntry(c.fields, fs), c.problem) << c.fields.address << " | " << c.fields.file_name;
    EXPECT_STREQ(EntryProblemMessage(EntryProblem::EmptyAddress), "アドレスを入力して下さい。");
    EXPECT_STREQ(EntryProblemMessage(EntryProblem::AddressHasEquals), "アドレスに\"=\"は使用できません。");
    EXPECT_STREQ(EntryProblemMessage(EntryProblem::NoSuchPicture), "有効な画像ファイルを指定して下さい。");
}

TEST(EntryRules, InitialDirectory) {
    struct Case {
        const char *name, *dir;
    } cases[] = {
        {"C:\\x.jpg", "C:\\"},       {"C:\\pics\\x.jpg", "C:\\pics"}, {"\\x.jpg", "\\"},
        {"x.jpg", ""},               {"", ""},                       {"C:x.jpg", "C:"},
        {"\\\\srv\\x.jpg", "\\\\srv"}, {"C:\\pics\\\\x.jpg", "C:\\pics\\\\"},
        // 表 (0x95 0x5C) then "\": the trail byte is not a "\" before it.
        {"C:\\\x95\x5C\\x.jpg", "C:\\\x95\x5C"},
    };
    for (const auto& c : cases) EXPECT_EQ(InitialDirectoryOf(c.name, kSjis), c.dir) << c.name;
}

TEST(EntryRules, VersionFromTheProductVersion) {
    EXPECT_EQ(VersionText(0x00010000, 0x00000000), "1.0.0");
    EXPECT_EQ(VersionText(0x0002000A, 0x00030004), "2.10.3");
}

}  // namespace
}  // namespace zv
