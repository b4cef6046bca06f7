#include <gtest/gtest.h>

#include <cstdlib>

#include "base/app_error.h"
#include "base/code_page.h"
#include "picture_fixtures.h"
#include "pictures/jpeg_image.h"
#include "pictures/picture_formats.h"
#include "pictures/picture_headers.h"
#include "test_support.h"

namespace zv {
namespace {

const ShiftJisCodePage kSjis;

using testing::MessageOf;

TEST(PictureFormats, ExtensionRuleAndTableSearch) {
    struct Case {
        const char* path;
        const char* extension;
        const char* found;  // extension of the entry found, or null
    } cases[] = {
        {"C:\\p\\a.JPG", "JPG", "jpg"},     {"photo.Jpeg", "Jpeg", "jpeg"}, {"a.jpe", "jpe", nullptr},
        {"a.gif", "gif", nullptr},          {"C:\\pic\\photo", "", nullptr}, {"C:\\pic.d\\photo", "", nullptr},
        {"C:photo", "", nullptr},           {"x.tar.BMP", "BMP", "bmp"},     {"a.", "", nullptr},
        {"\x95\x5C.ico", "ico", "ico"},  // 表 ends in 0x5C, which is not a folder separator here
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtensionOf(c.path, kSjis), c.extension) << c.path;
        const PictureFormat* f = FindPictureFormat(ExtensionOf(c.path, kSjis), kSjis);
        if (c.found) {
            ASSERT_NE(f, nullptr) << c.path;
            EXPECT_EQ(f->extension, c.found);
        } else {
            EXPECT_EQ(f, nullptr) << c.path;
        }
    }
    EXPECT_EQ(PictureFormatTable().size(), 6u);
}

TEST(PictureFormats, FilterChoicesInDialogOrder) {
    const auto choices = PictureFilterChoices();
    const std::pair<const char*, const char*> expected[] = {
        {"すべてのファイル (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)", "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf"},
        {"JPEG イメージファイル (*.jpg)", "*.jpg"},
        {"JPEG イメージファイル (*.jpeg)", "*.jpeg"},
        {"ビットマップ (*.bmp)", "*.bmp"},
        {"アイコン (*.ico)", "*.ico"},
        {"エンハンス メタファイル (*.emf)", "*.emf"},
        {"メタファイル (*.wmf)", "*.wmf"},
    };
    ASSERT_EQ(choices.size(), std::size(expected));
    for (size_t i = 0; i < choices.size(); ++i) {
        EXPECT_EQ(choices[i].text, expected[i].first);
        EXPECT_EQ(choices[i].pattern, expected[i].second);
    }
}

TEST(BitmapHeader, AcceptanceAndMessages) {
    const fixtures::Rgb red{255, 0, 0};
    std::string two_planes = fixtures::SolidBmp(2, 2, red);
    two_planes[14 + 12] = 2;
    std::string odd_header = fixtures::SolidBmp(2, 2, red);
    odd_header[14] = 20;
    std::string bad_depth = fixtures::SolidBmp(2, 2, red);
    bad_depth[14 + 14] = 7;
    std::string huge = fixtures::SolidBmp(2, 2, red);
    huge[14 + 4] = huge[14 + 5] = huge[14 + 6] = 0;
    huge[14 + 7] = 0x40;  // a width of a billion pixels with four bytes of data
    std::string cut_pixels = fixtures::SolidBmp(10, 10, red);
    cut_pixels.resize(cut_pixels.size() - 35);
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"24-bit", fixtures::SolidBmp(3, 3, red), ""},
        {"core header", fixtures::CoreHeaderBmp(3, 3, red), ""},
        {"1 to 13 bytes", "BM\0\0\0\0\0\0\0\0\0\0\0", "ストリームからの読み込みエラー"},
        {"header cut short", fixtures::SolidBmp(3, 3, red).substr(0, 30), "ストリームからの読み込みエラー"},
        {"colour table cut short", fixtures::SolidBmp(3, 3, red, 8).substr(0, 14 + 40 + 10), "ストリームからの読み込みエラー"},
        {"not BM", "MB" + fixtures::SolidBmp(3, 3, red).substr(2), "ビットマップイメージが不正です"},
        {"JPEG bytes", fixtures::SolidJpeg(8, 8, red), "ビットマップイメージが不正です"},
        {"two planes", two_planes, "ビットマップイメージが不正です"},
        {"20-byte header", odd_header, "ビットマップイメージが不正です"},
        {"7 bits per pixel", bad_depth, "ビットマップイメージが不正です"},
        {"billion pixels wide", huge, "ビットマップイメージが不正です"},
        {"pixels cut short", cut_pixels, ""},
    };
    for (const auto& c : cases) {
        bool empty = true;
        EXPECT_EQ(MessageOf([&] { ParseBitmapFile(c.bytes, empty); }), c.message) << c.name;
    }
    bool empty = false;
    ParseBitmapFile("", empty);
    EXPECT_TRUE(empty);
    const DibLayout cut = ParseBitmapFile(cut_pixels, empty);
    EXPECT_EQ(cut.bits_size, 10u * 32u);
    EXPECT_EQ(cut.bits_available, 10u * 32u - 35u);  // taken as far as they go
}

TEST(IconHeader, AcceptanceAndMessages) {
    std::string icon = fixtures::SolidIcon(16, {0, 0, 255});
    auto with_type = [&](char type) {
        std::string b = icon;
        b[2] = type;
        return b;
    };
    EXPECT_EQ(MessageOf([&] { ParseIconFile(icon); }), "");
    EXPECT_TRUE(ParseIconFile(with_type(0)).standard_icon);
    EXPECT_EQ(MessageOf([&] { ParseIconFile(with_type(2)); }), "アイコンイメージが不正です");
    EXPECT_EQ(MessageOf([&] { ParseIconFile(""); }), "ストリームからの読み込みエラー");
    EXPECT_EQ(MessageOf([&] { ParseIconFile(icon.substr(0, 5)); }), "ストリームからの読み込みエラー");
    EXPECT_EQ(MessageOf([&] { ParseIconFile(icon.substr(0, 12)); }), "ストリームからの読み込みエラー");
    // The directory is whole but the image lies past the end of the file.
    EXPECT_EQ(MessageOf([&] { ParseIconFile(icon.substr(0, 30)); }), "アイコンイメージが不正です");
    const IconChoice c = ParseIconFile(icon);
    EXPECT_EQ(c.width, 16);
    EXPECT_EQ(c.image_offset + c.image_size, icon.size());
}

TEST(MetafileHeader, EitherFormByContent) {
    const fixtures::Rgb c{0, 255, 0};
    EXPECT_TRUE(ParseMetafile(fixtures::SolidEmf(10, 10, c)).enhanced);
    const MetafileLayout p = ParseMetafile(fixtures::SolidPlaceableWmf(1440, 720, 1440, c));
    EXPECT_FALSE(p.enhanced);
    int w = 0, h = 0;
    PlaceableSizeInPixels(p, w, h);
    EXPECT_EQ(w, 96);
    EXPECT_EQ(h, 48);
    PlaceableSizeInPixels(ParseMetafile(fixtures::SolidPlaceableWmf(200, 100, 0, c)), w, h);
    EXPECT_EQ(w, 200) << "0 units per inch counts as 96";
    std::string bad_sum = fixtures::SolidPlaceableWmf(100, 100, 96, c);
    bad_sum[20] ^= 1;
    for (const std::string& bytes : {fixtures::SolidBareWmf(10, 10, c), bad_sum, std::string(),
                                     fixtures::SolidEmf(10, 10, c).substr(0, 100)})
        EXPECT_EQ(MessageOf([&] { ParseMetafile(bytes); }), "メタファイルが不正です");

    // What the platform's conversion would refuse is refused here, before it.
    const std::string emf = fixtures::SolidEmf(10, 10, c), wmf = fixtures::SolidPlaceableWmf(100, 100, 96, c);
    const auto with16 = [](std::string b, size_t at, uint16_t v) {
        return b.replace(at, 2, {char(v & 0xFF), char(v >> 8)});
    };
    const auto stated_bytes = [&](uint32_t n) { return with16(with16(emf, 48, uint16_t(n)), 50, uint16_t(n >> 16)); };
    struct Case {
        const char* name;
        std::string bytes;
        bool refused;
    } cases[] = {
        {"enhanced, cut short of the size it states", emf.substr(0, emf.size() - 4), true},
        {"enhanced, stating a size not in whole records", stated_bytes(uint32_t(emf.size()) - 2), true},
        {"enhanced, stating less than it holds", stated_bytes(uint32_t(emf.size()) - 4), false},
        {"placeable, an odd byte after its words", wmf + "x", true},
        {"placeable, header of 10 words", with16(wmf, 22 + 2, 10), true},
        {"placeable, type 3", with16(wmf, 22, 3), true},
        {"placeable, type 2 (on disk)", with16(wmf, 22, 2), false},
        {"placeable, version 0x200", with16(wmf, 22 + 4, 0x200), true},
        {"placeable, version 0x100", with16(wmf, 22 + 4, 0x100), false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(MessageOf([&] { ParseMetafile(k.bytes); }), k.refused ? "メタファイルが不正です" : "") << k.name;
}

TEST(JpegScale, SmallestEighthThatCoversTheTarget) {
    struct Case {
        int width, height, dest_width, dest_height, scale;
    } cases[] = {
        {4000, 3000, 90, 120, 1}, {640, 480, 90, 120, 2},  {90, 120, 90, 120, 8},  {100, 130, 90, 120, 8},
        {720, 960, 90, 120, 1},   {721, 961, 90, 120, 1},  {712, 952, 90, 120, 2}, {900, 600, 90, 120, 2},
        {640, 480, 640, 480, 8},  {10, 10, 90, 120, 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseJpegScale(c.width, c.height, c.dest_width, c.dest_height), c.scale)
            << c.width << "x" << c.height;
}

TEST(JpegImage, HeaderAtLoadDecodingWhenDrawnAtTheNeededScale) {
    const fixtures::Rgb green{0, 200, 0};
    JpegImage jpeg(fixtures::SolidJpeg(800, 600, green));
    EXPECT_EQ(jpeg.Width(), 800);
    EXPECT_EQ(jpeg.Height(), 600);
    const DecodedJpeg& small = jpeg.DecodeFor(90, 120, false);
    EXPECT_EQ(small.scale_eighths, 2);
    EXPECT_EQ(small.image.width, 200);
    EXPECT_EQ(small.image.height, 150);
    EXPECT_EQ(small.image.bits, 24);
    EXPECT_EQ(small.error_code, 0);
    const unsigned char* p = small.image.pixels + 75 * small.image.stride + 100 * 3;
    EXPECT_NEAR(p[1], 200, 6);  // BGR
    EXPECT_EQ(&jpeg.DecodeFor(90, 120, false), &small) << "no second decoding for the same tile";
    const DecodedJpeg& large = jpeg.DecodeFor(800, 600, false);
    EXPECT_EQ(large.scale_eighths, 8);
    EXPECT_EQ(large.image.width, 800);
}

TEST(JpegImage, QuantisedAndGrayOutputUseAPaletteOfAtMost236) {
    JpegImage colour(fixtures::PatternJpeg(64, 64, [](int x, int y) {
        return fixtures::Rgb{uint8_t(x * 4), uint8_t(y * 4), uint8_t((x + y) * 2)};
    }));
    const DecodedJpeg& q = colour.DecodeFor(64, 64, true);
    EXPECT_EQ(q.image.bits, 8);
    EXPECT_GT(q.image.palette_size, 1);
    EXPECT_LE(q.image.palette_size, 236);
    JpegImage gray(fixtures::SolidJpeg(32, 32, {90, 90, 90}, 90, true));
    EXPECT_TRUE(gray.Grayscale());
    const DecodedJpeg& g = gray.DecodeFor(32, 32, true);
    EXPECT_EQ(g.image.bits, 8);
    for (int i = 0; i < g.image.palette_size; ++i) {
        EXPECT_EQ(g.image.palette[i][0], g.image.palette[i][1]);
        EXPECT_EQ(g.image.palette[i][1], g.image.palette[i][2]);
    }
}

TEST(JpegImage, ErrorsCarryLibjpegsCode) {
    EXPECT_EQ(MessageOf([] { JpegImage("not a jpeg"); }).rfind("JPEG エラー #", 0), 0u);
    JpegImage empty{std::string()};  // zero bytes load; the error comes with the first draw
    EXPECT_EQ(empty.Width(), 0);
    const DecodedJpeg& d = empty.DecodeFor(90, 120, false);
    EXPECT_GT(d.error_code, 0);
    EXPECT_EQ(empty.TakeErrorToReport(), d.error_code);
    EXPECT_EQ(empty.TakeErrorToReport(), 0);
    empty.DecodeFor(90, 120, false);
    EXPECT_EQ(empty.TakeErrorToReport(), 0) << "a failed decoding is not repeated";
}

}  // namespace
}  // namespace zv
