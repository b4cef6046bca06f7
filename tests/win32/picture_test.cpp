// Loading every kind of picture file and drawing it into a 90 x 120 tile, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "base/app_error.h"
#include "base/handles_win32.h"
#include "picture_fixtures.h"
#include "pictures/picture_win32.h"
#include "drawn_tile.h"
#include "substitute_host.h"

namespace zv {
namespace {

using fixtures::Rgb;
constexpr Rgb kRed{255, 0, 0}, kGreen{0, 160, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

class Pictures : public ::testing::Test {
protected:
    void SetUp() override {
        InitPictureSupport();
        folder = host::MakeTempFolder("zvpic");
    }
    void TearDown() override { host::RemoveFolder(folder); }

    std::string Put(const std::string& name, const std::string& bytes) {
        const std::string path = folder + "\\" + name;
        host::WriteFileBytes(path, bytes);
        return path;
    }
    // The message LoadPicture fails with, or "" when it loads.
    std::string LoadMessage(Picture& picture, const std::string& path) {
        try {
            LoadPicture(picture, path);
            return "";
        } catch (const AppError& e) {
            return e.what();
        }
    }

    std::string folder;
};

TEST_F(Pictures, LoadAcceptsOrRefusesWithTheReadersMessages) {
    const std::string jpeg = fixtures::SolidJpeg(16, 16, kRed);
    std::string cut_palette = fixtures::SolidBmp(4, 4, kRed, 8);
    cut_palette.resize(14 + 40 + 100);  // ends inside the 256-entry colour table
    std::string cursor = fixtures::SolidIcon(16, kRed);
    cursor[2] = 2;
    std::string icon_type0 = fixtures::SolidIcon(16, kRed);
    icon_type0[2] = 0;

    struct Case {
        const char* name;
        std::string bytes;
        std::string message;  // "" for a successful load
        int width, height;    // of a successful load
    } cases[] = {
        {"a.JPG", jpeg, "", 16, 16},
        {"a.Jpeg", jpeg, "", 16, 16},
        {"a.jpe", jpeg, "拡張子 .jpe の画像形式は処理できません"},
        {"a.gif", "GIF89a", "拡張子 .gif の画像形式は処理できません"},
        {"a.PNG", "x", "拡張子 .PNG の画像形式は処理できません"},
        {"photo", jpeg, "拡張子 . の画像形式は処理できません"},
        {"jpeg-named.bmp", jpeg, "ビットマップイメージが不正です"},
        {"empty.bmp", "", "", 0, 0},
        {"short.bmp", "BM\x10\0\0\0", "ストリームからの読み込みエラー"},
        {"cut-palette.bmp", cut_palette, "ストリームからの読み込みエラー"},
        {"core.bmp", fixtures::CoreHeaderBmp(7, 5, kRed), "", 7, 5},
        {"mono.bmp", fixtures::SolidBmp(9, 3, kRed, 1), "", 9, 3},
        {"empty.ico", "", "ストリームからの読み込みエラー"},
        {"cursor.ico", cursor, "アイコンイメージが不正です"},
        {"type0.ico", icon_type0, "", GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)},
        {"a.ico", fixtures::SolidIcon(32, kRed), "", 32, 32},
        {"placeable.emf", fixtures::SolidPlaceableWmf(1440, 720, 1440, kRed), "", 96, 48},
        {"inch0.wmf", fixtures::SolidPlaceableWmf(192, 96, 0, kRed), "", 192, 96},
        {"enhanced.wmf", fixtures::SolidEmf(50, 40, kRed), ""},
        {"bare.wmf", fixtures::SolidBareWmf(100, 100, kRed), "メタファイルが不正です"},
        {"empty.wmf", "", "メタファイルが不正です"},
        {"empty.jpg", "", "", 0, 0},
        {"not-a-jpeg.jpg", "plain text, not a picture", "JPEG エラー #"},
    };
    for (const Case& c : cases) {
        Picture picture;
        const std::string path = Put(c.name, c.bytes);
        const std::string message = LoadMessage(picture, path);
        if (c.message == "JPEG エラー #") {
            EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.name << ": " << message;
            EXPECT_GT(message.size(), c.message.size()) << "the code follows";
            continue;
        }
        EXPECT_EQ(message, c.message) << c.name;
        if (!c.message.empty()) {
            EXPECT_TRUE(picture.Empty()) << c.name;
        } else if (c.width || c.height) {
            EXPECT_EQ(picture.Width(), c.width) << c.name;
            EXPECT_EQ(picture.Height(), c.height) << c.name;
        }
    }
}

TEST_F(Pictures, AnEmptyPictureHasNoKindAndDrawsNothing) {
    Picture picture;
    EXPECT_EQ(picture.Kind(), std::nullopt);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_TRUE(DrawnTile(picture).AllNear(0, 0, 90, 120, {1, 2, 3})) << "the background stays";
    ASSERT_EQ(LoadMessage(picture, Put("a.ico", fixtures::SolidIcon(16, kRed))), "");
    EXPECT_EQ(picture.Kind(), PictureKind::Icon);
    picture.Clear();
    EXPECT_EQ(picture.Kind(), std::nullopt);
    EXPECT_EQ(picture.Height(), 0);
}

TEST_F(Pictures, FilesThatCannotBeOpened) {
    Picture picture;
    const std::string missing = folder + "\\missing.bmp";
    EXPECT_EQ(LoadMessage(picture, missing), "ファイル " + missing + " は開けません");
    const std::string dir = folder + "\\dir.bmp";
    CreateDirectoryA(dir.c_str(), nullptr);
    EXPECT_EQ(LoadMessage(picture, dir), "ファイル " + dir + " は開けません");
    const std::string busy = Put("busy.bmp", fixtures::SolidBmp(2, 2, kRed));
    UniqueFile writer(CreateFileA(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(LoadMessage(picture, busy), "ファイル " + busy + " は開けません");
    writer.reset();
    EXPECT_EQ(LoadMessage(picture, busy), "");
    // The dot in the folder name does not make an extension.
    CreateDirectoryA((folder + "\\pic.d").c_str(), nullptr);
    EXPECT_EQ(LoadMessage(picture, Put("pic.d\\photo", "x")), "拡張子 . の画像形式は処理できません");
}

TEST_F(Pictures, AFailedLoadKeepsThePreviousImage) {
    Picture picture;
    ASSERT_EQ(LoadMessage(picture, Put("a.bmp", fixtures::SolidBmp(12, 34, kRed))), "");
    EXPECT_NE(LoadMessage(picture, Put("b.bmp", "BM")), "");
    EXPECT_EQ(picture.Width(), 12);
    EXPECT_TRUE(DrawnTile(picture).AllNear(0, 0, 90, 120, kRed));
}

// A 32-bit bitmap with a V4 (108-byte) header whose colour masks sit inside the header.
std::string V4BitfieldsBmp(int width, int height, Rgb colour) {
    std::string b = fixtures::SolidBmp(width, height, colour, 32);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
    };
    b.insert(14 + 40, std::string(68, '\0'));
    put32(14, 108);
    put32(14 + 16, 3);  // BI_BITFIELDS
    put32(14 + 40, 0x00FF0000);
    put32(14 + 44, 0x0000FF00);
    put32(14 + 48, 0x000000FF);
    put32(10, 14 + 108);
    put32(2, uint32_t(b.size()));
    return b;
}

TEST_F(Pictures, BitmapsAndJpegsFillTheWholeTile) {
    const auto halves = [](int x, int) { return x < 450 ? kRed : kBlue; };
    struct Case {
        const char* name;
        std::string bytes;
        int tolerance;
    } cases[] = {
        {"solid24.bmp", fixtures::SolidBmp(10, 10, kGreen), 0},
        {"solid8.bmp", fixtures::SolidBmp(3, 7, kGreen, 8), 0},
        {"solid4.bmp", fixtures::SolidBmp(5, 5, kGreen, 4), 0},
        {"solid32.bmp", fixtures::SolidBmp(200, 300, kGreen, 32), 0},
        {"core.bmp", fixtures::CoreHeaderBmp(4, 4, kGreen), 0},
        {"v4-bitfields.bmp", V4BitfieldsBmp(6, 6, kGreen), 0},
        {"solid.jpg", fixtures::SolidJpeg(640, 480, kGreen), 6},
        {"gray.jpg", fixtures::SolidJpeg(64, 64, Rgb{128, 128, 128}, 90, true), 6},
    };
    for (const Case& c : cases) {
        Picture picture;
        ASSERT_EQ(LoadMessage(picture, Put(c.name, c.bytes)), "") << c.name;
        const Rgb expected = std::string(c.name) == "gray.jpg" ? Rgb{128, 128, 128} : kGreen;
        EXPECT_TRUE(DrawnTile(picture).AllNear(0, 0, 90, 120, expected, c.tolerance)) << c.name;
    }
    // 900 x 600, left half red, right half blue: squeezed sideways, the halves meet mid-tile.
    for (const char* name : {"wide.bmp", "wide.jpg"}) {
        Picture picture;
        const std::string bytes = std::string(name) == "wide.bmp" ? fixtures::PatternBmp(900, 600, halves)
                                                                  : fixtures::PatternJpeg(900, 600, halves);
        ASSERT_EQ(LoadMessage(picture, Put(name, bytes)), "") << name;
        DrawnTile tile(picture);
        EXPECT_TRUE(tile.AllNear(0, 0, 43, 120, kRed, 12)) << name;
        EXPECT_TRUE(tile.AllNear(47, 0, 90, 120, kBlue, 12)) << name;
    }
}

TEST_F(Pictures, IconSitsUnscaledAtTheTopLeft) {
    Picture picture;
    ASSERT_EQ(LoadMessage(picture, Put("a.ico", fixtures::SolidIcon(32, kRed))), "");
    DrawnTile tile(picture);
    EXPECT_TRUE(tile.AllNear(0, 0, 32, 32, kRed));
    EXPECT_TRUE(tile.IsBackground(32, 0));
    EXPECT_TRUE(tile.IsBackground(0, 32));
    EXPECT_TRUE(tile.IsBackground(89, 119));
}

TEST_F(Pictures, MetafilesAreScaledToTheTile) {
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"a.emf", fixtures::SolidEmf(20, 10, kBlue)},
             {"a.wmf", fixtures::SolidPlaceableWmf(2880, 1920, 1440, kBlue)}}) {
        Picture picture;
        ASSERT_EQ(LoadMessage(picture, Put(name, bytes)), "") << name;
        DrawnTile tile(picture);
        EXPECT_TRUE(tile.AllNear(1, 1, 88, 118, kBlue)) << name << ": blue at " << tile.Bounds(kBlue);
    }
}

// The FAILED bitmap as the source tree holds it, decoded here independently.
std::vector<Rgb> PlaceholderPixels() {
    const std::string bytes = host::ReadFileBytes(ZV_SOURCE_DIR "/src/resources/failed.bmp");
    std::vector<Rgb> out(90 * 120);
    const auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
               uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
    };
    const size_t palette = 14 + u32(14), bits = u32(10);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 90; ++x) {
            const uint8_t byte = bytes[bits + size_t(119 - y) * 48 + x / 2];
            const int index = x % 2 ? byte & 15 : byte >> 4;
            const size_t e = palette + index * 4;
            out[y * 90 + x] = {uint8_t(bytes[e + 2]), uint8_t(bytes[e + 1]), uint8_t(bytes[e])};
        }
    return out;
}

TEST_F(Pictures, FailuresShowThePlaceholderPixelForPixel) {
    const std::vector<Rgb> expected = PlaceholderPixels();
    for (const std::string& path : {folder + "\\missing.jpg", Put("bad.bmp", "BM not really"), folder + "\\x.png"}) {
        Picture picture;
        LoadPictureOrPlaceholder(picture, path);
        ASSERT_FALSE(picture.Empty()) << path;
        EXPECT_EQ(picture.Width(), 90);
        EXPECT_EQ(picture.Height(), 120);
        DrawnTile tile(picture);
        int differing = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 90; ++x) differing += tile.At(x, y) != expected[y * 90 + x];
        EXPECT_EQ(differing, 0) << path;
    }
}

TEST_F(Pictures, JpegDecodingErrorsAreReportedOnceAndNotRetried) {
    Picture picture;
    ASSERT_EQ(LoadMessage(picture, Put("empty.jpg", "")), "");
    DrawnTile first(picture);
    const int code = picture.TakeDecodeError();
    EXPECT_GT(code, 0) << "libjpeg's code for empty input";
    DrawnTile second(picture);
    EXPECT_EQ(picture.TakeDecodeError(), 0) << "not decoded, nor reported, again";
    EXPECT_TRUE(second.IsBackground(45, 60));
}

TEST_F(Pictures, JpegCutShortShowsItsUpperPartWithoutError) {
    // Red on top, then noise that makes up most of the compressed data; cut inside the noise.
    std::string jpeg = fixtures::PatternJpeg(90, 120, [](int x, int y) {
        if (y < 24) return kRed;
        const uint32_t h = uint32_t(x * 7919 + y * 104729) * 2654435761u;
        return Rgb{uint8_t(h >> 24), uint8_t(h >> 16), uint8_t(h >> 8)};
    });
    jpeg.resize(jpeg.size() * 2 / 3);
    Picture picture;
    ASSERT_EQ(LoadMessage(picture, Put("cut.jpg", jpeg)), "");
    DrawnTile tile(picture);
    EXPECT_EQ(picture.TakeDecodeError(), 0);
    EXPECT_TRUE(tile.AllNear(0, 0, 90, 16, kRed, 8));
}

}  // namespace
}  // namespace zv
