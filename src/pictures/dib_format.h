#pragma once
// The numbers of the Windows bitmap format that the header reader and the drawing builder
// share: header sizes, where each header field lies, and the compression values.
#include <cstddef>
#include <cstdint>

namespace zv::dib {

// BITMAPFILEHEADER: "BM", the file size, two reserved words, then where the pixels start.
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kFileOffBits = 10;

// BITMAPCOREHEADER: 16-bit width and height, no compression, RGBTRIPLE colours.
constexpr uint32_t kCoreHeaderSize = 12;
constexpr size_t kCoreWidth = 4, kCoreHeight = 6, kCorePlanes = 8, kCoreBitCount = 10;

// BITMAPINFOHEADER, which the longer headers (V2 to V5) begin with.
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kInfoWidth = 4, kInfoHeight = 8, kInfoPlanes = 12, kInfoBitCount = 14, kInfoCompression = 16,
                 kInfoSizeImage = 20, kInfoClrUsed = 32;
// Longer than any header Windows defines (V5 is 124): a larger size is not a bitmap.
constexpr uint32_t kMaxHeaderSize = 4096;

// BI_BITFIELDS: three 32-bit masks (red, green, blue). A BITMAPINFOHEADER is followed by
// them; a V2 header (52 bytes) or longer holds them itself, right after its first 40 bytes.
constexpr size_t kMasksSize = 12;
constexpr uint32_t kHeaderWithMasksSize = 52;

constexpr size_t kRgbTripleSize = 3, kRgbQuadSize = 4;

// biCompression.
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

inline bool IsRle(uint32_t compression) { return compression == kBiRle8 || compression == kBiRle4; }

}  // namespace zv::dib
