// Bitmap files and packed DIBs on hostile bytes. The layout a parser accepts is then used as
// the DLL's BitmapImage uses it (src/pictures/picture_win32.cpp): every byte it will copy, the
// header, the bit masks, the colour table and the pixel data, is read here, and each range is
// first checked to lie inside the input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/app_error.h"
#include "fuzz_check.h"
#include "pictures/picture_headers.h"

namespace {

using zv::fuzz::Touch;

// True when [at, at + length) lies inside `size` bytes, without overflow.
bool Inside(size_t at, size_t length, size_t size) { return at <= size && length <= size - at; }

void UseLayout(const std::string& bytes, const zv::DibLayout& d, size_t info_offset) {
    const size_t size = bytes.size();
    const bool core = d.header_size == 12;
    const bool rle = d.compression == 1 || d.compression == 2;
    ZV_FUZZ_CHECK(core || (d.header_size >= 40 && d.header_size <= 4096));
    ZV_FUZZ_CHECK(d.width > 0 && d.height != 0 && d.height != INT32_MIN);
    ZV_FUZZ_CHECK(d.palette_entries <= 256);
    ZV_FUZZ_CHECK(d.bits_size <= zv::kMaxDibBytes);
    const uint64_t stride = ((uint64_t(d.width) * d.bit_count + 31) / 32) * 4;
    ZV_FUZZ_CHECK(d.bits_size == stride * uint64_t(std::llabs(int64_t(d.height))));

    // Header, masks and colour table.
    ZV_FUZZ_CHECK(Inside(info_offset, d.info_size, size));
    ZV_FUZZ_CHECK(d.info_size >= d.header_size);
    if (core) {
        ZV_FUZZ_CHECK(d.info_size == 12 + size_t{d.palette_entries} * 3);
        for (size_t i = 0; i < d.palette_entries; ++i) {
            const size_t at = info_offset + 12 + i * 3;
            ZV_FUZZ_CHECK(Inside(at, 3, size));
            Touch(bytes.data() + at, 3);
        }
    } else {
        ZV_FUZZ_CHECK(Inside(info_offset, 40, size));  // copied as a BITMAPINFOHEADER
        Touch(bytes.data() + info_offset, 40);
        if (d.compression == 3) {
            ZV_FUZZ_CHECK(d.masks_offset + 12 <= d.info_size);
            ZV_FUZZ_CHECK(Inside(info_offset + d.masks_offset, 12, size));
            Touch(bytes.data() + info_offset + d.masks_offset, 12);
        }
        const size_t table = size_t{d.palette_entries} * 4;
        ZV_FUZZ_CHECK(table <= d.info_size - d.header_size);  // the table follows the header
        const size_t table_at = info_offset + d.info_size - table;
        ZV_FUZZ_CHECK(Inside(table_at, table, size));
        Touch(bytes.data() + table_at, table);
    }

    // Pixel data: after the header and table, inside the bytes, never more than a picture has.
    ZV_FUZZ_CHECK(d.bits_offset >= info_offset + d.info_size);
    ZV_FUZZ_CHECK(Inside(d.bits_offset, d.bits_available, size));
    if (!rle) ZV_FUZZ_CHECK(d.bits_available <= d.bits_size);
    Touch(bytes.data() + d.bits_offset, d.bits_available);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        bool empty = false;
        const zv::DibLayout d = zv::ParseBitmapFile(bytes, empty);
        ZV_FUZZ_CHECK(empty == (size == 0));
        if (!empty) UseLayout(bytes, d, 14);
    } catch (const zv::AppError&) {
    }
    try {
        // As the placeholder resource is drawn (ShowPlaceholder): pixels right after the table.
        zv::DibLayout d = zv::ParsePackedDib(bytes, 0);
        d.bits_offset = d.info_size;
        ZV_FUZZ_CHECK(d.info_size <= bytes.size());
        d.bits_available = std::min(bytes.size() - d.info_size, d.bits_size);
        UseLayout(bytes, d, 0);
    } catch (const zv::AppError&) {
    }
    return 0;
}
