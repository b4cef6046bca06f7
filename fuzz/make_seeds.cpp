// Writes the seed corpus of every fuzz target: small valid files the project makes itself,
// from the test fixtures (tests/fixtures) and a few hand-laid variants the fixtures do not
// make (bit masks, RLE, long headers, several icon images, CMYK and arithmetic-coded JPEG).
//
//   build/fuzz/make_seeds fuzz/corpus      # writes fuzz/corpus/<target>/<name>
//
// The output is committed; rerun it only when the seeds should change.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "exif_fixtures.h"
#include "picture_fixtures.h"

namespace fs = std::filesystem;
using zv::fixtures::Rgb;

namespace {

fs::path g_root;

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path dir = g_root / target;
    fs::create_directories(dir);
    if (bytes.size() > 20000) throw std::runtime_error("seed too large: " + target + "/" + name);
    zv::fixtures::WriteBytes((dir / name).string(), bytes);
}

void Put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Set32(std::string& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A bitmap file from an info header (with masks and colour table) and pixel data.
std::string BmpFile(const std::string& info, const std::string& bits) {
    std::string out = "BM";
    Put32(out, static_cast<uint32_t>(14 + info.size() + bits.size()));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(14 + info.size()));
    return out + info + bits;
}

// An info header of `header_size` bytes (40 or more), the rest zero.
std::string InfoHeader(uint32_t header_size, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                       uint32_t colours_used = 0) {
    std::string out;
    Put32(out, header_size);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, compression);
    Put32(out, 0);  // image size
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, colours_used);
    Put32(out, 0);
    out.resize(header_size, '\0');
    return out;
}

void BitmapSeeds() {
    const Rgb teal{0, 128, 128};
    for (int bits : {1, 4, 8, 24, 32})
        Seed("bitmap", "solid-" + std::to_string(bits) + ".bmp", zv::fixtures::SolidBmp(5, 3, teal, bits));
    Seed("bitmap", "pattern-24.bmp", zv::fixtures::PatternBmp(6, 4, [](int x, int y) {
             return Rgb{uint8_t(x * 40), uint8_t(y * 60), uint8_t(x * y * 10)};
         }));
    Seed("bitmap", "core-header.bmp", zv::fixtures::CoreHeaderBmp(4, 3, teal));

    // 16-bit 5-6-5 with the masks after a 40-byte header, top-down.
    std::string info = InfoHeader(40, 3, -2, 16, 3);
    for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) Put32(info, mask);
    Seed("bitmap", "bitfields-16-topdown.bmp", BmpFile(info, std::string(2 * 8, '\x5A')));
    // 32-bit with a V4 header (108 bytes) holding the masks at 40.
    info = InfoHeader(108, 2, 2, 32, 3);
    Set32(info, 40, 0x00FF0000u);
    Set32(info, 44, 0x0000FF00u);
    Set32(info, 48, 0x000000FFu);
    Seed("bitmap", "bitfields-32-v4.bmp", BmpFile(info, std::string(2 * 2 * 4, '\x33')));
    // A V5 header (124 bytes), 24-bit, two colours used.
    info = InfoHeader(124, 2, 2, 24, 0, 2);
    info += std::string(8, '\x7F');
    Seed("bitmap", "v5-24.bmp", BmpFile(info, std::string(2 * 8, '\x11')));

    // RLE8: two runs per row, end of line, end of bitmap; four palette entries.
    info = InfoHeader(40, 4, 2, 8, 1, 4);
    for (int i = 0; i < 4; ++i) Put32(info, 0x00102030u * i);
    const std::string rle8("\x02\x01\x02\x03\x00\x00\x04\x02\x00\x01", 10);
    Seed("bitmap", "rle8.bmp", BmpFile(info, rle8));
    // RLE4 with an absolute run, cut short (no end of bitmap).
    info = InfoHeader(40, 6, 1, 4, 2, 16);
    for (int i = 0; i < 16; ++i) Put32(info, 0x00111111u * i);
    const std::string rle4("\x00\x04\x12\x34\x02\x56", 6);
    Seed("bitmap", "rle4-short.bmp", BmpFile(info, rle4));

    // Pixel data cut short, and a file header whose offset is 0.
    std::string cut = zv::fixtures::SolidBmp(8, 8, teal, 24);
    cut.resize(cut.size() - 50);
    Seed("bitmap", "cut-short.bmp", cut);
    std::string zero_offset = zv::fixtures::SolidBmp(3, 3, teal, 8);
    Set32(zero_offset, 10, 0);
    Seed("bitmap", "zero-offset.bmp", zero_offset);

    // Packed DIBs, as a bitmap resource holds them (no file header).
    Seed("bitmap", "packed-8.dib", zv::fixtures::SolidBmp(4, 4, teal, 8).substr(14));
    Seed("bitmap", "packed-core.dib", zv::fixtures::CoreHeaderBmp(3, 2, teal).substr(14));
}

void IconSeeds() {
    const Rgb red{200, 20, 20};
    Seed("icon", "solid-16.ico", zv::fixtures::SolidIcon(16, red));
    Seed("icon", "solid-1.ico", zv::fixtures::SolidIcon(1, red));
    // Two images: a 32 x 32 and a 16 x 16, the directory written by hand.
    const std::string big = zv::fixtures::SolidIcon(32, red), small = zv::fixtures::SolidIcon(16, red);
    const std::string big_image = big.substr(6 + 16), small_image = small.substr(6 + 16);
    std::string two;
    Put16(two, 0);
    Put16(two, 1);
    Put16(two, 2);
    std::string entry_big = big.substr(6, 16), entry_small = small.substr(6, 16);
    Set32(entry_big, 12, 6 + 2 * 16);
    Set32(entry_small, 12, static_cast<uint32_t>(6 + 2 * 16 + big_image.size()));
    two += entry_big + entry_small + big_image + small_image;
    Seed("icon", "two-images.ico", two);
    // Type 0 (shown as the system's icon), and a directory cut short.
    Seed("icon", "type-0.ico", std::string("\0\0\0\0\1\0", 6));
    Seed("icon", "directory-cut.ico", small.substr(0, 6 + 8));
}

void MetafileSeeds() {
    const Rgb blue{10, 20, 200};
    Seed("metafile", "solid.emf", zv::fixtures::SolidEmf(8, 6, blue));
    Seed("metafile", "placeable-96.wmf", zv::fixtures::SolidPlaceableWmf(100, 80, 96, blue));
    Seed("metafile", "placeable-inch-0.wmf", zv::fixtures::SolidPlaceableWmf(300, 200, 0, blue));
    Seed("metafile", "placeable-1440.wmf", zv::fixtures::SolidPlaceableWmf(1440, 720, 1440, blue));
    Seed("metafile", "bare.wmf", zv::fixtures::SolidBareWmf(50, 40, blue));
}

struct JumpError {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

// A JPEG the fixtures do not make: CMYK, arithmetic coding, restart markers.
std::string EncodeJpeg(int width, int height, J_COLOR_SPACE space, int components, bool arithmetic,
                       int restart_rows, bool progressive) {
    jpeg_compress_struct c{};
    JumpError err{};
    c.err = jpeg_std_error(&err.base);
    err.base.error_exit = [](j_common_ptr info) { std::longjmp(reinterpret_cast<JumpError*>(info->err)->escape, 1); };
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    if (setjmp(err.escape)) {
        jpeg_destroy_compress(&c);
        std::free(out);
        throw std::runtime_error("libjpeg could not write a seed");
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &out, &out_size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 80, TRUE);
    c.arith_code = arithmetic ? TRUE : FALSE;
    c.restart_in_rows = restart_rows;
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * components);
    while (c.next_scanline < c.image_height) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<unsigned char>(i * 37 + c.next_scanline * 11);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string bytes(reinterpret_cast<char*>(out), out_size);
    std::free(out);
    return bytes;
}

// Progressive files for the 1/8 view (JpegDcScanView): own scan scripts with successive
// approximation and restart markers, full-rate chroma with a progression that stops short
// (smoothing on in the whole file), and four components with subsampling.
void ProgressiveSeeds() {
    using zv::fixtures::JpegScan;
    using zv::fixtures::JpegWriting;
    const auto samples = [](int width, int height, int components) {
        std::vector<uint8_t> out;
        for (int i = 0; i < width * height * components; ++i)
            out.push_back(static_cast<uint8_t>(((i / components) % width) * 5 + (i / components / width) * 3 +
                                               (i * 2654435761u >> 27) + (i % components) * 40));
        return out;
    };
    JpegWriting how;
    how.quality = 75;
    how.restart_interval = 1;
    how.scans = {{{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 5, 0, 2}, {{1}, 1, 63, 0, 1}, {{2}, 1, 63, 0, 1},
                 {{0}, 6, 63, 0, 2},      {{0}, 1, 63, 2, 1}, {{0, 1, 2}, 0, 0, 1, 0}, {{0}, 1, 63, 1, 0},
                 {{1}, 1, 63, 1, 0},      {{2}, 1, 63, 1, 0}};
    Seed("jpeg", "progressive-restart-approximation.jpg", zv::fixtures::WriteJpeg(40, 32, samples(40, 32, 3), how));

    JpegWriting incomplete;
    incomplete.quality = 75;
    incomplete.h_sampling = incomplete.v_sampling = 1;
    incomplete.scans = {{{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 63, 0, 2}, {{1}, 1, 63, 0, 2}, {{2}, 1, 63, 0, 2},
                        {{0}, 1, 63, 2, 1},      {{0, 1, 2}, 0, 0, 1, 0}};
    Seed("jpeg", "progressive-444-incomplete.jpg", zv::fixtures::WriteJpeg(33, 25, samples(33, 25, 3), incomplete));

    JpegWriting ycck;
    ycck.quality = 75;
    ycck.colour = zv::fixtures::JpegColour::kYcck;
    Seed("jpeg", "progressive-ycck.jpg", zv::fixtures::WriteJpeg(24, 18, samples(24, 18, 4), ycck));
}

void JpegSeeds() {
    const Rgb green{30, 160, 60};
    Seed("jpeg", "solid-16.jpg", zv::fixtures::SolidJpeg(16, 16, green));
    Seed("jpeg", "gray-24x32.jpg", zv::fixtures::SolidJpeg(24, 32, green, 90, true));
    Seed("jpeg", "one-pixel.jpg", zv::fixtures::SolidJpeg(1, 1, green));
    const auto pattern = [](int x, int y) { return Rgb{uint8_t(x * 7), uint8_t(y * 5), uint8_t((x ^ y) * 3)}; };
    Seed("jpeg", "pattern-40x30.jpg", zv::fixtures::PatternJpeg(40, 30, pattern, 75));
    Seed("jpeg", "progressive-40x30.jpg", zv::fixtures::PatternJpeg(40, 30, pattern, 75, true));
    Seed("jpeg", "cmyk-16.jpg", EncodeJpeg(16, 16, JCS_CMYK, 4, false, 0, false));
    Seed("jpeg", "arithmetic-24.jpg", EncodeJpeg(24, 16, JCS_RGB, 3, true, 0, false));
    Seed("jpeg", "restart-32.jpg", EncodeJpeg(32, 32, JCS_RGB, 3, false, 1, false));
    Seed("jpeg", "progressive-gray-arithmetic.jpg", EncodeJpeg(20, 20, JCS_GRAYSCALE, 1, true, 0, true));
    ProgressiveSeeds();
    std::string cut = zv::fixtures::PatternJpeg(40, 30, pattern, 75);
    cut.resize(cut.size() - 60);  // inside the scan: the header is whole
    Seed("jpeg", "cut-short.jpg", cut);
}

// JPEG files with an Exif orientation, for the decoding turned upright (jpeg) and the tag's
// reader (exif): every orientation in both byte orders, behind a JFIF and an XMP segment.
void ExifSeeds() {
    zv::fixtures::JpegWriting how;
    how.quality = 75;
    how.progressive = false;
    Seed("jpeg", "exif-6-24x16.jpg", zv::fixtures::OrientedQuartersJpeg(6, 24, 16, how));
    how.progressive = true;
    Seed("jpeg", "exif-3-progressive-20x12.jpg", zv::fixtures::OrientedQuartersJpeg(3, 20, 12, how, true));
    how.progressive = false;
    how.colour = zv::fixtures::JpegColour::kGray;
    Seed("jpeg", "exif-7-gray-10x14.jpg", zv::fixtures::OrientedQuartersJpeg(7, 10, 14, how));
    const std::string small = zv::fixtures::SolidJpeg(8, 8, Rgb{30, 160, 60});
    const std::string xmp("http://ns.adobe.com/xap/1.0/\0<x/>", 33);
    for (unsigned orientation = 1; orientation <= 8; ++orientation)
        for (bool big : {false, true}) {
            const std::string body = zv::fixtures::ExifOrientationBody(orientation, big);
            const std::string name = "exif-" + std::to_string(orientation) + (big ? "-mm" : "-ii");
            Seed("exif", name + ".jpg", zv::fixtures::WithApp1(small, body));
            Seed("exif", name + "-after-xmp.jpg", zv::fixtures::WithApp1(zv::fixtures::WithApp1(small, body), xmp));
        }
}

void MapSeeds() {
    const std::string map =
        "taro.yamada@example.jp=C:\\Pictures\\taro.jpg\r\n"
        "example.co.jp=C:\\Pictures\\example-logo.bmp\r\n"
        "Hanako@Example.JP=C:\\Pictures\\hanako.ico\r\n";
    Seed("map", "sample.ini", map + std::string(1, '\0') + "Taro Yamada <taro.yamada@example.jp>, hanako@example.jp");
    // Shift-JIS: a key whose second byte is "\" (0x5C) and a path with "ソ" (0x83 0x5C).
    Seed("map", "shift-jis.ini",
         std::string("\x83\x5c\x83\x8d=C:\\\x83\x5c\\a.b\\pic\r\nzz=D:\\x.wmf\n") + std::string(1, '\0') +
             "To: \x83\x5c\x83\x8d <zz@example.jp>");
    Seed("map", "line-ends.ini", "a=1\rb=2\nc=3\r\n\r\nno equals\n=empty key\nkey=\n");
    Seed("map", "empty.ini", "");
}

void VersionSeeds() {
    int i = 0;
    for (const char* v : {"2.00.05", "2.00.06", "2.00.06a", "1.99", "", "v2.10.00", "2.00.0", "2.00.06b12"})
        Seed("version", "version-" + std::to_string(i++), v);
}

void NameSeeds() {
    int i = 0;
    for (const std::string& name :
         {std::string("C:\\Mail\\MyMail.Exe"), std::string("C:\\Pictures\\taro.JPG"), std::string("photo.jpeg"),
          std::string("C:\\\x83\x5c.bmp"), std::string("C:\\Program Files\\Zavi\\plugins\\zvOvisto.dll"),
          std::string("key\r\npath|shown"), std::string("C:\\a.b\\c"), std::string("\x83\x5cX.ico"),
          std::string("\xe0"), std::string("ファイルは開けません"), std::string("path\0.:\\", 8)})
        Seed("names", "name-" + std::to_string(i++), name);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
        return 2;
    }
    g_root = argv[1];
    try {
        BitmapSeeds();
        IconSeeds();
        MetafileSeeds();
        JpegSeeds();
        ExifSeeds();
        MapSeeds();
        VersionSeeds();
        NameSeeds();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_seeds: %s\n", e.what());
        return 1;
    }
    std::printf("make_seeds: written to %s\n", argv[1]);
    return 0;
}
