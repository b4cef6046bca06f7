#include "pictures/picture_headers.h"

#include <algorithm>
#include <cstdlib>

#include "base/app_error.h"
#include "base/messages.h"
#include "pictures/dib_format.h"

namespace zv {
namespace {

uint16_t U16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
uint32_t U32(const std::string& b, size_t at) { return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16; }
int32_t S32(const std::string& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }
int16_t S16(const std::string& b, size_t at) { return static_cast<int16_t>(U16(b, at)); }

[[noreturn]] void BadBitmap() { throw AppError(kMsgBadBitmap); }
[[noreturn]] void ShortStream() { throw AppError(kMsgStreamReadError); }

using namespace dib;

// The pixel data start at `at` of `total` bytes: as many of theirs as are there, at most the
// picture's.
void PlacePixels(DibLayout& d, size_t at, size_t total) {
    d.bits_offset = at;
    d.bits_available = std::min(total - at, d.bits_size);
}

}  // namespace

DibLayout ParsePackedDib(const std::string& bytes, size_t offset) {
    if (bytes.size() < offset + 4) ShortStream();
    DibLayout d;
    d.header_offset = offset;
    d.header_size = U32(bytes, offset);
    const bool core = d.header_size == kCoreHeaderSize;
    if (!core && (d.header_size < kInfoHeaderSize || d.header_size > kMaxHeaderSize)) BadBitmap();
    if (bytes.size() < offset + d.header_size) ShortStream();
    uint16_t planes;
    uint32_t colours_used = 0;
    if (core) {
        d.width = U16(bytes, offset + kCoreWidth);
        d.height = U16(bytes, offset + kCoreHeight);
        planes = U16(bytes, offset + kCorePlanes);
        d.bit_count = U16(bytes, offset + kCoreBitCount);
    } else {
        d.width = S32(bytes, offset + kInfoWidth);
        d.height = S32(bytes, offset + kInfoHeight);
        planes = U16(bytes, offset + kInfoPlanes);
        d.bit_count = U16(bytes, offset + kInfoBitCount);
        d.compression = U32(bytes, offset + kInfoCompression);
        colours_used = U32(bytes, offset + kInfoClrUsed);
    }
    if (planes != 1) BadBitmap();
    switch (d.bit_count) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: BadBitmap();
    }
    const bool rle = IsRle(d.compression);
    if (d.compression > kBiBitfields || (d.compression == kBiRle8 && d.bit_count != 8) ||
        (d.compression == kBiRle4 && d.bit_count != 4) ||
        (d.compression == kBiBitfields && d.bit_count != 16 && d.bit_count != 32))
        BadBitmap();
    if (d.width <= 0 || d.height == 0 || d.height == INT32_MIN || (rle && d.height < 0)) BadBitmap();

    size_t masks = 0;  // bytes of masks after the header
    if (d.compression == kBiBitfields) {
        if (d.header_size == kInfoHeaderSize) {
            masks = kMasksSize;
            d.masks_offset = kInfoHeaderSize;
        } else if (d.header_size >= kHeaderWithMasksSize) {
            d.masks_offset = kInfoHeaderSize;
        } else {
            BadBitmap();
        }
    }
    if (d.bit_count <= 8) {
        const uint32_t full = 1u << d.bit_count;
        d.palette_entries = (colours_used == 0 || colours_used > full) ? full : colours_used;
    } else {
        d.palette_entries = colours_used > 256 ? 256 : colours_used;
    }
    const size_t entry = core ? kRgbTripleSize : kRgbQuadSize;
    d.info_size = d.header_size + masks + d.palette_entries * entry;
    if (bytes.size() < offset + d.info_size) ShortStream();

    const uint64_t stride = ((uint64_t(d.width) * d.bit_count + 31) / 32) * 4;
    const uint64_t rows = uint64_t(std::llabs(int64_t(d.height)));
    const uint64_t full = stride * rows;
    if (full > kMaxDibBytes) BadBitmap();
    d.bits_size = static_cast<size_t>(full);
    PlacePixels(d, offset + d.info_size, bytes.size());  // right after the colour table
    return d;
}

DibLayout ParseBitmapFile(const std::string& bytes, bool& empty) {
    empty = bytes.empty();
    if (empty) return DibLayout();
    if (bytes.size() < kFileHeaderSize) ShortStream();
    if (bytes[0] != 'B' || bytes[1] != 'M') BadBitmap();
    DibLayout d = ParsePackedDib(bytes, kFileHeaderSize);
    // The pixel data start where the file header says, if that lies past the colour table;
    // many writers leave bfOffBits at 0 or wrong, so fall back to right after it.
    const uint32_t off_bits = U32(bytes, kFileOffBits);
    if (off_bits >= d.bits_offset && off_bits <= bytes.size()) PlacePixels(d, off_bits, bytes.size());
    if (IsRle(d.compression)) d.bits_available = bytes.size() - d.bits_offset;  // RLE: no fixed size
    return d;
}

IconChoice ParseIconFile(const std::string& bytes) {
    if (bytes.size() < 6) ShortStream();
    IconChoice c;
    const uint16_t type = U16(bytes, 2);
    if (type == 0) {
        c.standard_icon = true;
        return c;
    }
    if (type != 1) throw AppError(kMsgBadIcon);
    const uint16_t count = U16(bytes, 4);
    if (bytes.size() < 6 + size_t{count} * 16) ShortStream();
    bool found = false;
    for (uint16_t i = 0; i < count; ++i) {
        const size_t e = 6 + size_t{i} * 16;
        const int w = static_cast<unsigned char>(bytes[e]) ? static_cast<unsigned char>(bytes[e]) : 256;
        const int h = static_cast<unsigned char>(bytes[e + 1]) ? static_cast<unsigned char>(bytes[e + 1]) : 256;
        const uint32_t size = U32(bytes, e + 8);
        const uint32_t off = U32(bytes, e + 12);
        if (size < 40 || off > bytes.size() || size > bytes.size() - off) continue;
        const bool fits = w <= 90 && h <= 120;
        const bool better = !found || (fits && (c.width > 90 || c.height > 120 || w * h > c.width * c.height));
        if (better) {
            c.image_offset = off;
            c.image_size = size;
            c.width = w;
            c.height = h;
            found = true;
        }
    }
    if (!found) throw AppError(kMsgBadIcon);
    return c;
}

namespace {

// ENHMETAHEADER: the record type EMR_HEADER at 0, the signature " EMF" at 40, the file's
// size in bytes at 48.
constexpr uint32_t kEmrHeader = 1, kEnhMetaSignature = 0x464D4520;
constexpr size_t kEmfSignatureAt = 40, kEmfBytesAt = 48;
// The placeable header: its key, then the box, units per inch and a checksum over the ten
// words before it; the Windows metafile follows, beginning with its 18-byte METAHEADER.
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22, kChecksumAt = 20, kMetaHeaderSize = 18;
// METAHEADER: type (1 in memory, 2 on disk), header size in words (always 9), version (0x100,
// or 0x300 with device-independent bitmaps).
constexpr size_t kMtTypeAt = 0, kMtHeaderSizeAt = 2, kMtVersionAt = 4;

[[noreturn]] void BadMetafile() { throw AppError(kMsgBadMetafile); }

}  // namespace

MetafileLayout ParseMetafile(const std::string& bytes) {
    MetafileLayout m;
    if (bytes.size() > 100 && U32(bytes, 0) == kEmrHeader && U32(bytes, kEmfSignatureAt) == kEnhMetaSignature) {
        // The platform refuses a file shorter than its header says, or one not in whole
        // 32-bit records; so does this reader, rather than hand it on.
        const uint32_t stated = U32(bytes, kEmfBytesAt);
        if (stated > bytes.size() || stated % 4 != 0) BadMetafile();
        m.enhanced = true;
        return m;
    }
    if (bytes.size() < kPlaceableSize + kMetaHeaderSize || U32(bytes, 0) != kPlaceableKey) BadMetafile();
    uint16_t sum = 0;
    for (size_t i = 0; i < kChecksumAt / 2; ++i) sum ^= U16(bytes, i * 2);
    if (sum != U16(bytes, kChecksumAt)) BadMetafile();
    // A Windows metafile is 16-bit words behind a header of fixed form; the platform's
    // conversion refuses anything else.
    const size_t records = kPlaceableSize;
    const uint16_t type = U16(bytes, records + kMtTypeAt), version = U16(bytes, records + kMtVersionAt);
    if ((bytes.size() - records) % 2 != 0 || (type != 1 && type != 2) || U16(bytes, records + kMtHeaderSizeAt) != 9 ||
        (version != 0x100 && version != 0x300))
        BadMetafile();
    m.left = S16(bytes, 6);
    m.top = S16(bytes, 8);
    m.right = S16(bytes, 10);
    m.bottom = S16(bytes, 12);
    m.units_per_inch = U16(bytes, 14) ? U16(bytes, 14) : 96;
    m.records_offset = records;
    return m;
}

void PlaceableSizeInPixels(const MetafileLayout& m, int& width, int& height) {
    width = static_cast<int>(std::llabs((int64_t(m.right) - m.left) * 96 / m.units_per_inch));
    height = static_cast<int>(std::llabs((int64_t(m.bottom) - m.top) * 96 / m.units_per_inch));
}

void EnhancedSizeInPixels(const std::string& bytes, int& width, int& height) {
    // rclFrame, in hundredths of a millimetre, at offsets 24..39 of the header.
    const int64_t w = int64_t(S32(bytes, 32)) - S32(bytes, 24);
    const int64_t h = int64_t(S32(bytes, 36)) - S32(bytes, 28);
    width = static_cast<int>(std::llabs(w) * 96 / 2540);
    height = static_cast<int>(std::llabs(h) * 96 / 2540);
}

}  // namespace zv
