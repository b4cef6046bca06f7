// Icon files on hostile bytes: the image chosen must lie inside the file, since the DLL hands
// [image_offset, image_offset + image_size) to CreateIconFromResourceEx.
#include <cstdint>
#include <string>

#include "base/app_error.h"
#include "fuzz_check.h"
#include "pictures/picture_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const zv::IconChoice c = zv::ParseIconFile(bytes);
        if (!c.standard_icon) {
            ZV_FUZZ_CHECK(c.image_offset <= size && c.image_size <= size - c.image_offset);
            ZV_FUZZ_CHECK(c.image_offset + c.image_size <= size);
            ZV_FUZZ_CHECK(c.image_size >= 40);
            ZV_FUZZ_CHECK(c.width >= 1 && c.width <= 256 && c.height >= 1 && c.height <= 256);
            zv::fuzz::Touch(bytes.data() + c.image_offset, c.image_size);
        }
    } catch (const zv::AppError&) {
    }
    return 0;
}
