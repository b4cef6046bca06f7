// Metafiles on hostile bytes: the reader, then the sizes the DLL computes from its result
// (src/pictures/picture_win32.cpp, MetafileImage), with the records handed to Windows.
#include <cstdint>
#include <string>

#include "base/app_error.h"
#include "fuzz_check.h"
#include "pictures/picture_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const zv::MetafileLayout m = zv::ParseMetafile(bytes);
        int width = -1, height = -1;
        if (m.enhanced) {
            ZV_FUZZ_CHECK(size > 100);  // the frame EnhancedSizeInPixels reads is at 24..39
            zv::EnhancedSizeInPixels(bytes, width, height);
        } else {
            ZV_FUZZ_CHECK(m.units_per_inch != 0);
            ZV_FUZZ_CHECK(m.records_offset <= size);
            zv::PlaceableSizeInPixels(m, width, height);
            // The picture extent the DLL passes with the records, in hundredths of a millimetre.
            const int64_t x_ext = (int64_t(m.right) - m.left) * 2540 / m.units_per_inch;
            const int64_t y_ext = (int64_t(m.bottom) - m.top) * 2540 / m.units_per_inch;
            ZV_FUZZ_CHECK(x_ext >= INT32_MIN && x_ext <= INT32_MAX && y_ext >= INT32_MIN && y_ext <= INT32_MAX);
            zv::fuzz::Touch(bytes.data() + m.records_offset, size - m.records_offset);
        }
        ZV_FUZZ_CHECK(width >= 0 && height >= 0);
    } catch (const zv::AppError&) {
    }
    return 0;
}
