// Bitmap files and packed DIBs on hostile bytes, through the functions the DLL's BitmapImage
// takes its buffers from (src/pictures/dib_for_drawing.h): every byte they copy is read there,
// under the sanitizers, and a layout naming bytes the input does not hold ends in
// std::logic_error, which this target does not catch. What they build must fit the picture.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/app_error.h"
#include "fuzz_check.h"
#include "pictures/dib_for_drawing.h"
#include "pictures/dib_format.h"

namespace {

uint32_t InfoField(const zv::DibForDrawing& dib, size_t at) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(dib.info.at(at + i));
    return value;
}

void CheckBuilt(const zv::DibForDrawing& dib, size_t input_size) {
    ZV_FUZZ_CHECK(dib.width > 0 && dib.height > 0);
    ZV_FUZZ_CHECK(dib.colours <= 256);
    namespace dib_format = zv::dib;
    const size_t quads = dib.colours * dib_format::kRgbQuadSize;
    const uint32_t compression = InfoField(dib, dib_format::kInfoCompression);
    const size_t masks = compression == dib_format::kBiBitfields ? dib_format::kMasksSize : 0;
    ZV_FUZZ_CHECK(dib.info.size() == dib_format::kInfoHeaderSize + masks + quads);
    ZV_FUZZ_CHECK(InfoField(dib, 0) == dib_format::kInfoHeaderSize);
    // 0 colours used means a full table (as a widened core header says it).
    const uint32_t used = InfoField(dib, dib_format::kInfoClrUsed);
    ZV_FUZZ_CHECK(used == dib.colours || (used == 0 && dib.bit_count <= 8 && dib.colours == 1u << dib.bit_count));
    const uint64_t stride = ((uint64_t(dib.width) * dib.bit_count + 31) / 32) * 4;
    const uint64_t whole = stride * uint64_t(dib.height);
    if (dib_format::IsRle(compression)) {
        // Run lengths as they are, and an end of bitmap after them.
        ZV_FUZZ_CHECK(dib.bits.size() >= 2 && dib.bits.size() <= input_size + 2);
        ZV_FUZZ_CHECK(dib.bits[dib.bits.size() - 2] == 0 && dib.bits.back() == 1);
        ZV_FUZZ_CHECK(InfoField(dib, dib_format::kInfoSizeImage) == dib.bits.size());
    } else {
        ZV_FUZZ_CHECK(dib.bits.size() == whole && whole <= zv::kMaxDibBytes);
    }
    ZV_FUZZ_CHECK(dib.ColourTable() + quads == reinterpret_cast<const unsigned char*>(dib.info.data()) + dib.info.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const zv::DibForDrawing dib = zv::DibFromBitmapFile(bytes);
        ZV_FUZZ_CHECK(dib.info.empty() == (size == 0));
        if (size) CheckBuilt(dib, size);
    } catch (const zv::AppError&) {
    }
    try {
        // As the placeholder resource is drawn (ShowPlaceholder).
        CheckBuilt(zv::DibFromPackedDib(bytes), size);
    } catch (const zv::AppError&) {
    }
    return 0;
}
