// What the drawing gets from a bitmap file's bytes: the header as a BITMAPINFOHEADER, the masks
// and the RGBQUAD colour table after it, and the pixel rows. The expected bytes are written out
// here field by field, apart from the code that builds them.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "picture_fixtures.h"
#include "pictures/dib_for_drawing.h"
#include "test_support.h"

namespace zv {
namespace {

using testing::MessageOf;

std::string Le16(uint32_t v) { return {char(v & 0xFF), char(v >> 8 & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A BITMAPINFOHEADER; `size` other than 40 is padded with `extra` to that length.
std::string InfoHeader(uint32_t size, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                       uint32_t size_image, uint32_t used, const std::string& extra = "") {
    std::string h = Le32(size) + Le32(uint32_t(width)) + Le32(uint32_t(height)) + Le16(1) + Le16(bits) +
                    Le32(compression) + Le32(size_image) + Le32(2835) + Le32(2835) + Le32(used) + Le32(used);
    h += extra;
    h.resize(size, '\x5A');
    return h;
}

std::string File(const std::string& dib, uint32_t off_bits) { return "BM" + Le32(14 + uint32_t(dib.size())) + Le32(0) + Le32(off_bits) + dib; }

std::string Bytes(const std::vector<char>& v) { return {v.begin(), v.end()}; }
std::string Bytes(const std::vector<unsigned char>& v) { return {v.begin(), v.end()}; }

const std::string kMasks = Le32(0xF800) + Le32(0x07E0) + Le32(0x001F);

TEST(DibForDrawing, HeadersMasksTablesAndPixels) {
    const std::string two_colours = std::string("\x10\x20\x30\x00", 4) + std::string("\x40\x50\x60\x00", 4);
    const std::string rows_1bit = std::string("\x80\0\0\0", 4) + std::string("\x40\0\0\0", 4);  // 2 x 2
    const std::string rows_16bit = std::string("\x11\x22\x33\x44\x55\x66\x77\x88", 8);         // 2 x 2
    const std::string core = Le32(12) + Le16(2) + Le16(2) + Le16(1) + Le16(1);
    const std::string v5 = InfoHeader(124, 2, -2, 16, 3, 8, 0, kMasks);
    const std::string rle = std::string("\x02\x01\x00\x00\x02\x02", 6);  // two runs, an end of line, no end
    struct Case {
        const char* name;
        std::string file;
        std::string info;  // what the drawing gets
        std::string bits;
        int width, height, bit_count;
        size_t colours;
    } cases[] = {
        {"1-bit, two colours used", File(InfoHeader(40, 2, 2, 1, 0, 0, 2) + two_colours + rows_1bit, 62),
         InfoHeader(40, 2, 2, 1, 0, 0, 2) + two_colours, rows_1bit, 2, 2, 1, 2},
        {"core header widened, triples as quads",
         File(core + "\x10\x20\x30\x40\x50\x60" + rows_1bit, 32),
         Le32(40) + Le32(2) + Le32(2) + Le16(1) + Le16(1) + std::string(24, '\0') + two_colours, rows_1bit, 2, 2, 1,
         2},
        {"bit fields after a 40-byte header, top-down", File(InfoHeader(40, 2, -2, 16, 3, 8, 0) + kMasks + rows_16bit, 66),
         InfoHeader(40, 2, -2, 16, 3, 8, 0) + kMasks, rows_16bit, 2, 2, 16, 0},
        {"V5 header cut to 40 bytes, its masks after them", File(v5 + rows_16bit, 138),
         InfoHeader(40, 2, -2, 16, 3, 8, 0) + kMasks, rows_16bit, 2, 2, 16, 0},
        {"pixels where the file header says, past a gap", File(InfoHeader(40, 2, 2, 16, 0, 0, 0) + "gap!" + rows_16bit, 58),
         InfoHeader(40, 2, 2, 16, 0, 0, 0), rows_16bit, 2, 2, 16, 0},
        {"pixels cut short: zeros", File(InfoHeader(40, 2, 2, 16, 0, 0, 0) + rows_16bit.substr(0, 5), 54),
         InfoHeader(40, 2, 2, 16, 0, 0, 0), rows_16bit.substr(0, 5) + std::string(3, '\0'), 2, 2, 16, 0},
        {"RLE8 closed by an end of bitmap, its size in the header",
         File(InfoHeader(40, 4, 2, 8, 1, 0, 2) + two_colours + rle, 62),
         InfoHeader(40, 4, 2, 8, 1, 8, 2) + two_colours, rle + std::string("\0\x01", 2), 4, 2, 8, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DibForDrawing dib = DibFromBitmapFile(c.file);
        EXPECT_EQ(Bytes(dib.info), c.info);
        EXPECT_EQ(Bytes(dib.bits), c.bits);
        EXPECT_EQ(dib.width, c.width);
        EXPECT_EQ(dib.height, c.height);
        EXPECT_EQ(dib.bit_count, c.bit_count);
        EXPECT_EQ(dib.colours, c.colours);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(dib.ColourTable()), c.colours * 4),
                  c.info.substr(c.info.size() - c.colours * 4));
    }
}

TEST(DibForDrawing, EmptyFilesAndRefusalsAsTheHeaderReaderHasThem) {
    EXPECT_TRUE(DibFromBitmapFile("").info.empty()) << "a zero-byte file is the empty bitmap";
    EXPECT_EQ(DibFromBitmapFile("").width, 0);
    const std::string bmp = fixtures::SolidBmp(3, 3, {1, 2, 3});
    EXPECT_EQ(MessageOf([&] { DibFromBitmapFile(bmp.substr(0, 9)); }), "ストリームからの読み込みエラー");
    EXPECT_EQ(MessageOf([&] { DibFromBitmapFile("MB" + bmp.substr(2)); }), "ビットマップイメージが不正です");
    EXPECT_EQ(MessageOf([&] { DibFromPackedDib(bmp.substr(14, 20)); }), "ストリームからの読み込みエラー");
}

TEST(DibForDrawing, AResourceDibHasItsPixelsRightAfterItsTable) {
    std::ifstream in(ZV_SOURCE_DIR "/src/resources/failed.bmp", std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(file.size(), 14u + 40u + 64u);
    // As the resource compiler stores it: the file without its 14-byte header.
    const DibForDrawing dib = DibFromPackedDib(file.substr(14));
    EXPECT_EQ(dib.width, 90);
    EXPECT_EQ(dib.height, 120);
    EXPECT_EQ(dib.colours, 16u);
    EXPECT_EQ(Bytes(dib.info).substr(40), file.substr(14 + 40, 64));
    EXPECT_EQ(Bytes(dib.bits), file.substr(14 + 40 + 64));
    EXPECT_EQ(dib.bits.size(), 48u * 120u) << "90 pixels of 4 bits, rows of whole 32-bit words";
}

}  // namespace
}  // namespace zv
