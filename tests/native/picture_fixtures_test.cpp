#include "picture_fixtures.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace zv::fixtures {

void PrintTo(Rgb c, std::ostream* os) { *os << "{" << int(c.r) << "," << int(c.g) << "," << int(c.b) << "}"; }

namespace {

// Little-endian reads that throw past the end, so a short file fails the test.
uint32_t U8(const std::string& b, size_t at) { return static_cast<uint8_t>(b.at(at)); }
uint32_t U16(const std::string& b, size_t at) { return U8(b, at) | U8(b, at + 1) << 8; }
uint32_t U32(const std::string& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }
int32_t I32(const std::string& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }
int16_t I16(const std::string& b, size_t at) { return static_cast<int16_t>(U16(b, at)); }
uint32_t BE16(const std::string& b, size_t at) { return U8(b, at) << 8 | U8(b, at + 1); }

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0};

// ---- .bmp, read the way a Windows reader would ----

struct Bitmap {
    const std::string* bytes;
    uint32_t header_size, offset;
    int width, height, bits;
    std::vector<Rgb> palette;
    size_t row_bytes;

    // (x, y) from the top left; rows are stored bottom-up.
    size_t PixelAt(int x, int y, int bits_per_step) const {
        return offset + row_bytes * (height - 1 - y) + size_t(x) * bits_per_step / 8;
    }
    Rgb At(int x, int y) const {
        const std::string& b = *bytes;
        if (bits >= 24) {
            const size_t p = PixelAt(x, y, bits);
            return {uint8_t(U8(b, p + 2)), uint8_t(U8(b, p + 1)), uint8_t(U8(b, p))};
        }
        const uint32_t byte = U8(b, PixelAt(x, y, bits));
        const int shift = 8 - bits - (x * bits) % 8;  // leftmost pixel in the high bits
        return palette.at((byte >> shift) & ((1u << bits) - 1));
    }
};

Bitmap ReadBmp(const std::string& b) {
    Bitmap bmp{&b, 0, 0, 0, 0, 0, {}, 0};
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 6), 0u);
    bmp.offset = U32(b, 10);
    bmp.header_size = U32(b, 14);
    size_t entry_size = 4;
    if (bmp.header_size == 12) {
        bmp.width = U16(b, 18);
        bmp.height = U16(b, 20);
        EXPECT_EQ(U16(b, 22), 1u);
        bmp.bits = U16(b, 24);
        entry_size = 3;
    } else {
        EXPECT_EQ(bmp.header_size, 40u);
        bmp.width = I32(b, 18);
        bmp.height = I32(b, 22);
        EXPECT_EQ(U16(b, 26), 1u);
        bmp.bits = U16(b, 28);
        EXPECT_EQ(U32(b, 30), 0u);  // BI_RGB
    }
    bmp.row_bytes = (size_t(bmp.width) * bmp.bits + 31) / 32 * 4;
    const size_t entries = bmp.bits <= 8 ? size_t{1} << bmp.bits : 0;
    for (size_t i = 0; i < entries; ++i) {
        const size_t p = 14 + bmp.header_size + i * entry_size;
        bmp.palette.push_back({uint8_t(U8(b, p + 2)), uint8_t(U8(b, p + 1)), uint8_t(U8(b, p))});
    }
    EXPECT_EQ(bmp.offset, 14 + bmp.header_size + entries * entry_size);
    EXPECT_EQ(b.size(), bmp.offset + bmp.row_bytes * bmp.height);
    if (bmp.header_size == 40) {
        EXPECT_EQ(U32(b, 34), bmp.row_bytes * bmp.height);
    }
    return bmp;
}

TEST(PictureFixturesBmp, SolidAtEveryDepth) {
    struct Case {
        int width, height, bits;
        Rgb colour;
    } cases[] = {
        {1, 1, 1, kRed},        {9, 3, 1, {10, 20, 30}},  {33, 2, 1, kWhite},      {1, 1, 4, kBlack},
        {7, 5, 4, {1, 2, 3}},   {3, 4, 8, {200, 100, 50}}, {257, 2, 8, kBlue},    {1, 1, 24, {9, 8, 7}},
        {5, 3, 24, {12, 34, 56}}, {2, 7, 32, {250, 1, 128}}, {640, 480, 24, kGreen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " at " << c.bits << " bits");
        const std::string bytes = SolidBmp(c.width, c.height, c.colour, c.bits);
        const Bitmap bmp = ReadBmp(bytes);
        EXPECT_EQ(bmp.width, c.width);
        EXPECT_EQ(bmp.height, c.height);  // positive: bottom-up
        EXPECT_EQ(bmp.bits, c.bits);
        if (c.bits <= 8) {
            ASSERT_EQ(bmp.palette.size(), size_t{1} << c.bits);
            EXPECT_EQ(bmp.palette[0], c.colour);
            EXPECT_NE(bmp.palette[1], c.colour);  // a wrong index must show
        }
        int wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) wrong += bmp.At(x, y) != c.colour;
        EXPECT_EQ(wrong, 0);
        if (c.bits == 32) {
            EXPECT_EQ(U8(bytes, bmp.offset + 3), 0u);  // the unused fourth byte
        }
    }
}

TEST(PictureFixturesBmp, PatternTopLeftOrigin) {
    const auto f = [](int x, int y) { return Rgb{uint8_t(x * 16), uint8_t(y * 16), uint8_t(x ^ y)}; };
    const std::pair<int, int> sizes[] = {{1, 1}, {7, 5}, {3, 9}, {16, 2}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h);
        const std::string bytes = PatternBmp(w, h, f);
        const Bitmap bmp = ReadBmp(bytes);
        EXPECT_EQ(bmp.width, w);
        EXPECT_EQ(bmp.height, h);
        EXPECT_EQ(bmp.bits, 24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) EXPECT_EQ(bmp.At(x, y), f(x, y)) << x << "," << y;
    }
}

TEST(PictureFixturesBmp, CoreHeader) {
    struct Case {
        int width, height;
        Rgb colour;
    } cases[] = {{1, 1, kRed}, {5, 3, {40, 50, 60}}, {300, 2, kBlue}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
        const std::string bytes = CoreHeaderBmp(c.width, c.height, c.colour);
        const Bitmap bmp = ReadBmp(bytes);
        EXPECT_EQ(bmp.header_size, 12u);
        EXPECT_EQ(bmp.offset, 26u);
        EXPECT_EQ(bmp.width, c.width);
        EXPECT_EQ(bmp.height, c.height);
        EXPECT_EQ(bmp.bits, 24);
        for (auto [x, y] : {std::pair{0, 0}, {c.width - 1, 0}, {0, c.height - 1}, {c.width - 1, c.height - 1}})
            EXPECT_EQ(bmp.At(x, y), c.colour) << x << "," << y;
    }
}

// ---- .ico ----

TEST(PictureFixturesIcon, OneOpaqueImage) {
    struct Case {
        int size;
        Rgb colour;
    } cases[] = {{1, kRed}, {16, {10, 20, 30}}, {31, kWhite}, {48, kBlack}, {256, {90, 180, 45}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size);
        const std::string b = SolidIcon(c.size, c.colour);
        EXPECT_EQ(U16(b, 0), 0u);
        EXPECT_EQ(U16(b, 2), 1u);  // icon, not cursor
        EXPECT_EQ(U16(b, 4), 1u);
        EXPECT_EQ(U8(b, 6), uint32_t(c.size % 256));  // 256 is written as 0
        EXPECT_EQ(U8(b, 7), uint32_t(c.size % 256));
        EXPECT_EQ(U8(b, 8), 0u);
        EXPECT_EQ(U8(b, 9), 0u);
        EXPECT_EQ(U16(b, 10), 1u);
        EXPECT_EQ(U16(b, 12), 32u);
        const uint32_t bytes_in_res = U32(b, 14), image = U32(b, 18);
        EXPECT_EQ(image, 22u);
        EXPECT_EQ(size_t{image} + bytes_in_res, b.size());

        const size_t mask_row = (size_t(c.size) + 31) / 32 * 4;
        const size_t colour_bytes = size_t(c.size) * c.size * 4;
        EXPECT_EQ(U32(b, image), 40u);
        EXPECT_EQ(I32(b, image + 4), c.size);
        EXPECT_EQ(I32(b, image + 8), 2 * c.size);  // colour image and mask
        EXPECT_EQ(U16(b, image + 12), 1u);
        EXPECT_EQ(U16(b, image + 14), 32u);
        EXPECT_EQ(U32(b, image + 16), 0u);
        EXPECT_EQ(bytes_in_res, 40 + colour_bytes + mask_row * c.size);

        int wrong = 0;
        for (size_t p = image + 40; p < image + 40 + colour_bytes; p += 4)
            wrong += Rgb{uint8_t(U8(b, p + 2)), uint8_t(U8(b, p + 1)), uint8_t(U8(b, p))} != c.colour ||
                     U8(b, p + 3) != 255;
        EXPECT_EQ(wrong, 0);
        const std::string mask = b.substr(image + 40 + colour_bytes);
        EXPECT_EQ(mask, std::string(mask_row * c.size, '\0'));
    }
}

// ---- enhanced metafile ----

TEST(PictureFixturesEmf, RecordsWalkToTheEnd) {
    struct Case {
        int width, height;
        Rgb colour;
        int32_t frame_right, frame_bottom;  // inclusive, 0.01 mm at 96 dpi
    } cases[] = {
        {1, 1, kRed, 25, 25},                  // 26.46 rounds to 26, less one as inclusive
        {96, 48, {10, 20, 30}, 2539, 1269},    // one inch by half an inch
        {333, 7, {200, 100, 50}, 8810, 184},  // 8810.6 and 185.2 rounded, less one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
        const std::string b = SolidEmf(c.width, c.height, c.colour);
        EXPECT_EQ(U32(b, 40), 0x464D4520u);
        EXPECT_EQ(U32(b, 48), b.size());

        struct Record {
            uint32_t type;
            size_t at;
        };
        std::vector<Record> records;
        size_t at = 0;
        while (at < b.size()) {
            const uint32_t type = U32(b, at), size = U32(b, at + 4);
            ASSERT_GE(size, 8u);
            ASSERT_EQ(size % 4, 0u);
            ASSERT_LE(at + size, b.size());
            records.push_back({type, at});
            at += size;
            if (type == 14) break;  // EMR_EOF
        }
        EXPECT_EQ(at, b.size());
        ASSERT_EQ(records.size(), 6u);
        EXPECT_EQ(U32(b, 52), records.size());
        const uint32_t types[] = {1, 39, 37, 37, 43, 14};
        for (size_t i = 0; i < 6; ++i) EXPECT_EQ(records[i].type, types[i]) << i;

        EXPECT_EQ(I32(b, 8), 0);  // bounds, device pixels
        EXPECT_EQ(I32(b, 12), 0);
        EXPECT_EQ(I32(b, 16), c.width - 1);
        EXPECT_EQ(I32(b, 20), c.height - 1);
        EXPECT_EQ(I32(b, 24), 0);
        EXPECT_EQ(I32(b, 28), 0);
        EXPECT_EQ(I32(b, 32), c.frame_right);
        EXPECT_EQ(I32(b, 36), c.frame_bottom);
        EXPECT_GE(U16(b, 56), 2u);  // the brush plus the reserved slot 0
        // The reference device is 96 dpi both ways: pixels * 25.4 == millimetres * 96.
        EXPECT_EQ(I32(b, 72) * 254, I32(b, 80) * 960);
        EXPECT_EQ(I32(b, 76) * 254, I32(b, 84) * 960);

        const size_t brush = records[1].at, select_brush = records[2].at, select_pen = records[3].at;
        EXPECT_EQ(U32(b, brush + 12), 0u);  // BS_SOLID
        EXPECT_EQ(U32(b, brush + 16), c.colour.r | c.colour.g << 8 | c.colour.b << 16);
        EXPECT_EQ(U32(b, select_brush + 8), U32(b, brush + 8));
        EXPECT_LT(U32(b, brush + 8), U16(b, 56));
        EXPECT_EQ(U32(b, select_pen + 8), 0x80000008u);  // stock NULL_PEN
        // Played back, a rectangle without a pen fills up to right - 1 and bottom - 1.
        const size_t rect = records[4].at;
        EXPECT_EQ(I32(b, rect + 8), 0);
        EXPECT_EQ(I32(b, rect + 12), 0);
        EXPECT_EQ(I32(b, rect + 16) - 1, I32(b, 16));
        EXPECT_EQ(I32(b, rect + 20) - 1, I32(b, 20));
        const size_t eof = records[5].at;
        EXPECT_EQ(U32(b, eof + 8), 0u);
        EXPECT_EQ(U32(b, eof + 16), U32(b, eof + 4));  // nSizeLast
    }
}

// ---- Windows metafile ----

// Walks the records of a Windows metafile starting at `at`; returns the offset past
// META_EOF and the (function, offset) of every record.
std::vector<std::pair<uint32_t, size_t>> WalkWmf(const std::string& b, size_t at, uint32_t& max_record) {
    std::vector<std::pair<uint32_t, size_t>> records;
    EXPECT_EQ(U16(b, at), 1u);
    EXPECT_EQ(U16(b, at + 2), 9u);
    EXPECT_EQ(U16(b, at + 4), 0x0300u);
    EXPECT_EQ(U32(b, at + 6), (b.size() - at) / 2);
    EXPECT_EQ(U16(b, at + 10), 2u);  // a brush and a pen
    EXPECT_EQ(U16(b, at + 16), 0u);
    const uint32_t declared_max = U32(b, at + 12);
    size_t p = at + 18;
    max_record = 0;
    while (p < b.size()) {
        const uint32_t words = U32(b, p), function = U16(b, p + 4);
        if (words < 3 || p + 2 * size_t{words} > b.size()) {
            ADD_FAILURE() << "record at " << p << " has " << words << " words";
            break;
        }
        records.emplace_back(function, p);
        max_record = std::max(max_record, words);
        p += 2 * size_t{words};
        if (function == 0) {
            EXPECT_EQ(words, 3u);
            break;
        }
    }
    EXPECT_EQ(p, b.size());
    EXPECT_EQ(declared_max, max_record);
    return records;
}

TEST(PictureFixturesWmf, PlaceableAndBare) {
    struct Case {
        int width, height, inch;
        Rgb colour;
    } cases[] = {{1, 1, 0, kRed}, {100, 50, 1440, {10, 20, 30}}, {32766, 2, 96, {200, 100, 50}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " inch " << c.inch);
        const std::string b = SolidPlaceableWmf(c.width, c.height, c.inch, c.colour);
        EXPECT_EQ(U32(b, 0), 0x9AC6CDD7u);
        EXPECT_EQ(U16(b, 4), 0u);
        EXPECT_EQ(I16(b, 6), 0);
        EXPECT_EQ(I16(b, 8), 0);
        EXPECT_EQ(I16(b, 10), c.width);
        EXPECT_EQ(I16(b, 12), c.height);
        EXPECT_EQ(U16(b, 14), uint32_t(c.inch));
        EXPECT_EQ(U32(b, 16), 0u);
        uint32_t sum = 0;
        for (size_t i = 0; i < 20; i += 2) sum ^= U16(b, i);
        EXPECT_EQ(U16(b, 20), sum);
        ASSERT_EQ(b.size() % 2, 0u);

        uint32_t max_record = 0;
        const auto records = WalkWmf(b, 22, max_record);
        const uint32_t functions[] = {0x020B, 0x020C, 0x02FC, 0x012D, 0x02FA, 0x012D, 0x041B, 0x0000};
        ASSERT_EQ(records.size(), std::size(functions));
        for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].first, functions[i]) << i;

        auto param = [&](size_t record, size_t i) { return U16(b, records[record].second + 6 + 2 * i); };
        EXPECT_EQ(param(0, 0), 0u);  // origin y, x
        EXPECT_EQ(param(0, 1), 0u);
        EXPECT_EQ(param(1, 0), uint32_t(c.height));  // extent y, x: the box
        EXPECT_EQ(param(1, 1), uint32_t(c.width));
        EXPECT_EQ(param(2, 0), 0u);  // BS_SOLID
        EXPECT_EQ(param(2, 1) | param(2, 2) << 16, c.colour.r | c.colour.g << 8 | c.colour.b << 16);
        EXPECT_EQ(param(3, 0), 0u);  // the brush is object 0
        EXPECT_EQ(param(4, 0), 5u);  // PS_NULL
        EXPECT_EQ(param(5, 0), 1u);  // the pen is object 1
        // bottom, right, top, left: played directly without a pen, the fill ends two units
        // before right and bottom, so one past the box covers it.
        EXPECT_EQ(int(param(6, 0)) - 2, c.height - 1);
        EXPECT_EQ(int(param(6, 1)) - 2, c.width - 1);
        EXPECT_EQ(param(6, 2), 0u);
        EXPECT_EQ(param(6, 3), 0u);

        const std::string bare = SolidBareWmf(c.width, c.height, c.colour);
        EXPECT_EQ(bare, b.substr(22));
        WalkWmf(bare, 0, max_record);
    }
}

// ---- JPEG, decoded with libjpeg ----

struct DecodeErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void DecodeExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<DecodeErrors*>(cinfo->err)->jump, 1); }

struct DecodeJob {
    jpeg_decompress_struct cinfo;
    DecodeErrors err;
    const unsigned char* data;
    unsigned long size;
    int width, height, components;
    bool progressive;
    long warnings;          // a cut-off file decodes with a warning, not an error
    unsigned char* pixels;  // malloc'd, rows top-down
};

// No objects with destructors here: libjpeg errors longjmp back into this frame.
bool DecodeInto(DecodeJob* job) {
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = DecodeExit;
    if (setjmp(job->err.jump)) {
        jpeg_destroy_decompress(&job->cinfo);
        return false;
    }
    jpeg_create_decompress(&job->cinfo);
    jpeg_mem_src(&job->cinfo, job->data, job->size);
    jpeg_read_header(&job->cinfo, TRUE);
    job->progressive = job->cinfo.progressive_mode;
    jpeg_start_decompress(&job->cinfo);
    job->width = job->cinfo.output_width;
    job->height = job->cinfo.output_height;
    job->components = job->cinfo.output_components;
    const size_t stride = size_t(job->width) * job->components;
    job->pixels = static_cast<unsigned char*>(std::malloc(stride * job->height));
    while (job->cinfo.output_scanline < job->cinfo.output_height) {
        JSAMPROW row = job->pixels + stride * job->cinfo.output_scanline;
        jpeg_read_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&job->cinfo);
    job->warnings = job->err.pub.num_warnings;
    jpeg_destroy_decompress(&job->cinfo);
    return true;
}

struct Decoded {
    int width = 0, height = 0, components = 0;
    bool progressive = false;
    long warnings = 0;
    std::vector<unsigned char> pixels;

    Rgb At(int x, int y) const {
        const size_t p = (size_t(y) * width + x) * components;
        if (components == 1) return {pixels.at(p), pixels.at(p), pixels.at(p)};
        return {pixels.at(p), pixels.at(p + 1), pixels.at(p + 2)};
    }
};

Decoded DecodeJpeg(const std::string& bytes) {
    DecodeJob job{};
    job.data = reinterpret_cast<const unsigned char*>(bytes.data());
    job.size = bytes.size();
    const bool ok = DecodeInto(&job);
    Decoded d;
    if (ok) {
        d.width = job.width;
        d.height = job.height;
        d.components = job.components;
        d.progressive = job.progressive;
        d.warnings = job.warnings;
        d.pixels.assign(job.pixels, job.pixels + size_t(job.width) * job.height * job.components);
    }
    std::free(job.pixels);
    if (!ok) throw std::runtime_error("libjpeg cannot decode the fixture");
    return d;
}

// The frame marker and the first value of the first quantisation table.
struct JpegMarkers {
    uint32_t frame = 0;
    uint32_t first_quant = 0;
};

JpegMarkers ReadMarkers(const std::string& b) {
    JpegMarkers m;
    EXPECT_EQ(BE16(b, 0), 0xFFD8u);
    size_t p = 2;
    while (true) {
        EXPECT_EQ(U8(b, p), 0xFFu);
        const uint32_t marker = U8(b, p + 1);
        if (marker == 0xDA) break;  // scan data follow
        if (marker == 0xDB && m.first_quant == 0) m.first_quant = U8(b, p + 5);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            m.frame = marker;
        p += 2 + BE16(b, p + 2);
    }
    return m;
}

void ExpectNear(Rgb actual, Rgb expected) {
    EXPECT_NEAR(actual.r, expected.r, 8) << ::testing::PrintToString(actual);
    EXPECT_NEAR(actual.g, expected.g, 8) << ::testing::PrintToString(actual);
    EXPECT_NEAR(actual.b, expected.b, 8) << ::testing::PrintToString(actual);
}

TEST(PictureFixturesJpeg, SolidBaseline) {
    struct Case {
        int width, height;
        Rgb colour;
        int quality;
        bool gray;
        uint32_t first_quant;  // libjpeg's luminance table scaled: 16 at quality 50
    } cases[] = {
        {16, 16, kRed, 90, false, 3},           {17, 9, {30, 200, 90}, 75, false, 8},
        {1, 1, {200, 100, 50}, 50, false, 16},  {8, 8, kWhite, 100, false, 1},
        {64, 48, {120, 60, 200}, 25, true, 32}, {33, 5, {10, 20, 30}, 10, true, 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " q" << c.quality << (c.gray ? " gray" : ""));
        const std::string bytes = SolidJpeg(c.width, c.height, c.colour, c.quality, c.gray);
        const JpegMarkers markers = ReadMarkers(bytes);
        EXPECT_EQ(markers.frame, 0xC0u);  // baseline
        EXPECT_EQ(markers.first_quant, c.first_quant);
        const Decoded d = DecodeJpeg(bytes);
        EXPECT_EQ(d.warnings, 0);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.components, c.gray ? 1 : 3);
        EXPECT_FALSE(d.progressive);
        const uint8_t g = GrayOf(c.colour);
        ExpectNear(d.At(c.width / 2, c.height / 2), c.gray ? Rgb{g, g, g} : c.colour);
    }
}

TEST(PictureFixturesJpeg, PatternInBothModes) {
    // Six 32-pixel blocks, three across and two down, so a flip or a transposition shows.
    const Rgb blocks[2][3] = {{kRed, kGreen, kBlue}, {kWhite, kBlack, {128, 64, 192}}};
    const auto f = [&](int x, int y) { return blocks[y / 32][x / 32]; };
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const std::string bytes = PatternJpeg(96, 64, f, 95, progressive);
        EXPECT_EQ(ReadMarkers(bytes).frame, progressive ? 0xC2u : 0xC0u);
        const Decoded d = DecodeJpeg(bytes);
        EXPECT_EQ(d.warnings, 0);
        EXPECT_EQ(d.progressive, progressive);
        EXPECT_EQ(d.width, 96);
        EXPECT_EQ(d.height, 64);
        EXPECT_EQ(d.components, 3);
        for (int by = 0; by < 2; ++by)
            for (int bx = 0; bx < 3; ++bx) ExpectNear(d.At(bx * 32 + 16, by * 32 + 16), blocks[by][bx]);
    }
}

TEST(PictureFixturesJpeg, FileLargerThanTheFirstBufferIsWhole) {
    // Noise at quality 100 makes well over 64 KiB, so libjpeg has to grow its buffer.
    const auto noise = [](int x, int y) {
        const uint32_t h = (uint32_t(x) * 73856093u) ^ (uint32_t(y) * 19349663u);
        return Rgb{uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16)};
    };
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const std::string bytes = PatternJpeg(256, 256, noise, 100, progressive);
        EXPECT_GT(bytes.size(), 64u * 1024);
        EXPECT_EQ(BE16(bytes, bytes.size() - 2), 0xFFD9u);  // EOI: nothing cut off
        const Decoded d = DecodeJpeg(bytes);
        EXPECT_EQ(d.warnings, 0);
        EXPECT_EQ(d.width, 256);
        EXPECT_EQ(d.height, 256);
    }
}

TEST(PictureFixturesJpeg, GrayIsLibjpegLuma) {
    struct Case {
        Rgb colour;
        uint8_t gray;
    } cases[] = {{kBlack, 0}, {kWhite, 255}, {kRed, 76}, {kGreen, 150}, {kBlue, 29}, {{100, 100, 100}, 100}};
    for (const auto& c : cases) EXPECT_EQ(GrayOf(c.colour), c.gray) << ::testing::PrintToString(c.colour);
}

// ---- arguments and files ----

TEST(PictureFixturesArguments, BadSizesThrow) {
    const std::function<void()> bad[] = {
        [] { SolidBmp(0, 1, kRed); },
        [] { SolidBmp(1, -1, kRed); },
        [] { SolidBmp(4, 4, kRed, 16); },
        [] { SolidBmp(4, 4, kRed, 2); },
        [] { PatternBmp(0, 0, [](int, int) { return kRed; }); },
        [] { CoreHeaderBmp(65536, 1, kRed); },
        [] { SolidIcon(0, kRed); },
        [] { SolidIcon(257, kRed); },
        [] { SolidEmf(5, 0, kRed); },
        [] { SolidPlaceableWmf(32767, 1, 0, kRed); },
        [] { SolidPlaceableWmf(1, 1, -1, kRed); },
        [] { SolidBareWmf(1, 0, kRed); },
        [] { SolidJpeg(0, 1, kRed); },
    };
    for (size_t i = 0; i < std::size(bad); ++i) EXPECT_THROW(bad[i](), std::invalid_argument) << i;
}

TEST(PictureFixturesArguments, LibjpegRefusalThrows) {
    // Wider than libjpeg's limit of 65500: the error comes from inside libjpeg.
    EXPECT_THROW(SolidJpeg(70000, 1, kRed), std::runtime_error);
    // And the next compression still works.
    EXPECT_EQ(DecodeJpeg(SolidJpeg(2, 2, kRed)).width, 2);
}

TEST(PictureFixturesFiles, WriteBytesKeepsEveryByte) {
    const std::string path = ::testing::TempDir() + "picture_fixtures_write.bin";
    const std::string bytes("\0\r\n\x1A\xFF" "BM", 7);
    WriteBytes(path, "longer content that must be replaced");
    WriteBytes(path, bytes);
    std::ifstream in(path, std::ios::binary);
    const std::string back{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(back, bytes);
    std::remove(path.c_str());
    EXPECT_THROW(WriteBytes(::testing::TempDir() + "no/such/dir/x.bin", bytes), std::runtime_error);
}

}  // namespace
}  // namespace zv::fixtures
