#pragma once
// Acceptance checks for the bytes of bitmap, icon and metafile files. Every offset and
// size is checked against the bytes at hand, so hostile files end in an AppError with the
// reader's message, never in a read past the end.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zv {

// Where a device-independent bitmap's parts lie in the bytes (dib_for_drawing.h copies them).
struct DibLayout {
    int32_t width = 0;
    int32_t height = 0;  // negative for top-down rows
    uint16_t bit_count = 0;
    uint32_t compression = 0;
    size_t header_offset = 0;     // where the information header starts: after the file header, or 0
    uint32_t header_size = 0;     // 12 for a core header, 40 or more otherwise
    uint32_t palette_entries = 0;  // colour table entries (RGBQUAD, or RGBTRIPLE for core)
    size_t masks_offset = 0;       // BI_BITFIELDS: where the three colour masks are, from the header's start
    size_t info_size = 0;          // header, bit masks and colour table
    size_t bits_offset = 0;        // where the pixel data start in the bytes
    size_t bits_available = 0;     // pixel bytes present
    size_t bits_size = 0;          // pixel bytes a complete picture has
};

// Largest pixel buffer we agree to build, so a lying header cannot exhaust the host's memory.
constexpr size_t kMaxDibBytes = size_t{256} << 20;

// A .bmp file; `empty` is set for zero bytes. Throws AppError.
DibLayout ParseBitmapFile(const std::string& bytes, bool& empty);
// A packed DIB (no file header) as a bitmap resource holds it, from `offset`: the pixel data
// follow the colour table. Throws AppError.
DibLayout ParsePackedDib(const std::string& bytes, size_t offset = 0);

struct IconChoice {
    bool standard_icon = false;  // type 0: shown as the system's application icon
    size_t image_offset = 0;
    size_t image_size = 0;
    int width = 0;
    int height = 0;
};

// A .ico file; picks the largest image that fits a 90 x 120 tile, else the first.
IconChoice ParseIconFile(const std::string& bytes);

struct MetafileLayout {
    bool enhanced = false;
    // For a placeable Windows metafile: its bounding box and units per inch (96 when 0).
    int16_t left = 0, top = 0, right = 0, bottom = 0;
    uint16_t units_per_inch = 96;
    size_t records_offset = 0;  // the Windows metafile after the placeable header
};

MetafileLayout ParseMetafile(const std::string& bytes);

// Pixel size of a metafile: placeable from its box and units, enhanced from its frame
// (hundredths of a millimetre) at 96 dots per inch.
void PlaceableSizeInPixels(const MetafileLayout& m, int& width, int& height);
void EnhancedSizeInPixels(const std::string& bytes, int& width, int& height);

}  // namespace zv
