#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/app_error.h"
#include "base/code_page.h"
#include "confirm/recipient_headers.h"
#include "shell/plugin_info.h"
#include "shell/plugin_paths.h"

namespace zv {
namespace {

TEST(IniFileName, LastDotOfTheWholePath) {
    EXPECT_EQ(IniFileNameFor("C:\\Mail\\PlugIns\\zvOvisto.dll"), "C:\\Mail\\PlugIns\\zvOvisto.ini");
    EXPECT_EQ(IniFileNameFor("C:\\a.b\\zvOvisto"), "C:\\a.ini");
    EXPECT_EQ(IniFileNameFor("C:\\Mail\\zvOvisto"), "C:\\Mail\\zvOvisto.ini");
    EXPECT_EQ(IniFileNameFor("C:\\Mail\\zv.x.dll"), "C:\\Mail\\zv.x.ini");
}

TEST(PluginInfo, FourTextsAtTheirOffsets) {
    std::vector<char> record(400, '\x7F');
    FillPluginInfo(record.data());
    EXPECT_STREQ(&record[0], "zvOvisto plug-in");
    EXPECT_STREQ(&record[80], "qorvix");
    EXPECT_STREQ(&record[160], "1.0.0");
    EXPECT_STREQ(&record[240], "zvOvisto");
    EXPECT_EQ(record[249], '\x7F');  // nothing beyond the last text's NUL
}

TEST(RecipientHeaders, AsksForToCcBccWithCapacity4095) {
    std::vector<std::pair<std::string, int>> calls;
    const RecipientHeaders h = ReadRecipientHeaders([&](const char* name, char* buffer, int capacity) {
        calls.emplace_back(name, capacity);
        std::strcpy(buffer, (std::string("v-") + name).c_str());
    });
    EXPECT_EQ(calls, (std::vector<std::pair<std::string, int>>{{"To", 4095}, {"Cc", 4095}, {"Bcc", 4095}}));
    EXPECT_EQ(h.to, "v-To");
    EXPECT_EQ(h.cc, "v-Cc");
    EXPECT_EQ(h.bcc, "v-Bcc");
}

TEST(RecipientHeaders, SilentOrOverfillingHostCannotLeakText) {
    // To fills the whole capacity without a NUL; Cc writes nothing; Bcc writes a short text.
    const RecipientHeaders h = ReadRecipientHeaders([&](const char* name, char* buffer, int capacity) {
        if (std::string(name) == "To") std::memset(buffer, 'x', kHeaderBufferSize);
        if (std::string(name) == "Bcc") std::strcpy(buffer, "b");
        (void)capacity;
    });
    EXPECT_EQ(h.to, std::string(4095, 'x'));
    EXPECT_EQ(h.cc, "");
    EXPECT_EQ(h.bcc, "b");
}

TEST(CodePageRules, FindLastOfKeepsDoubleByteCharactersWhole) {
    const ShiftJisCodePage cp;
    EXPECT_EQ(FindLastOf("C:\\pics\\x.jpg", "\\:", cp), 7u);
    EXPECT_EQ(FindLastOf("\x95\x5C", "\\", cp), std::string::npos);
    EXPECT_EQ(FindLastOf("a\\\x95\x5C", "\\", cp), 1u);
    EXPECT_EQ(FindLastOf("", "\\", cp), std::string::npos);
    EXPECT_EQ(cp.ToLower("PHOTO.JPG\x82\x60"), "photo.jpg\x82\x60");  // Ａ stays as it is
}

TEST(Messages, FormatFillsTheOnePlaceholder) {
    EXPECT_EQ(FormatMessageText("ファイル %s は開けません", "C:\\x"), "ファイル C:\\x は開けません");
    EXPECT_EQ(FormatMessageText("JPEG エラー #%d", 42), "JPEG エラー #42");
}

}  // namespace
}  // namespace zv
