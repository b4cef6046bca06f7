// The Exif orientation on hostile bytes. The marker walk (ExifSegmentOf) runs over the input;
// IFD0 is then read from a copy of the segment alone, in memory of exactly its size, so that a
// read outside the segment is a read outside an allocation, which AddressSanitizer reports;
// the segment read in place must give the same. Then a small bitmap made of the input is
// turned by every orientation (TurnUpright) and back: the sides swap for 5 to 8, and the
// turn back gives every byte as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "fuzz_check.h"
#include "pictures/exif_orientation.h"
#include "pictures/jpeg_upright.h"

namespace {

// The orientation that undoes each one: the two quarter turns undo each other, the rest
// themselves.
constexpr int kUndo[9] = {0, 1, 2, 3, 4, 5, 8, 7, 6};

struct Image {
    ZvJpegImage image{};
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    Image(const uint8_t* data, size_t size) {
        image.bits = size % 2 ? 8 : 24;
        image.width = 1 + int(size % 7);
        image.height = 1 + int(size / 7 % 5);
        image.stride = (image.width * (image.bits / 8) + 3) & ~3;
        const size_t bytes = size_t(image.stride) * size_t(image.height);
        image.pixels = static_cast<unsigned char*>(std::malloc(bytes));
        ZV_FUZZ_CHECK(image.pixels);
        for (size_t i = 0; i < bytes; ++i) image.pixels[i] = size ? data[i % size] : 0;
        // Row padding is not the picture: zeros, as a turn leaves it.
        const int row = image.width * (image.bits / 8);
        for (int y = 0; y < image.height; ++y) std::memset(image.pixels + y * image.stride + row, 0, image.stride - row);
    }
    ~Image() { std::free(image.pixels); }
};

void CheckTurns(const uint8_t* data, size_t size) {
    const Image original(data, size);
    const ZvJpegImage& o = original.image;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        Image turned(data, size);
        ZvJpegImage& t = turned.image;
        ZV_FUZZ_CHECK(zv::TurnUpright(t, orientation));
        const bool swap = zv::OrientationSwapsSides(orientation);
        ZV_FUZZ_CHECK(t.width == (swap ? o.height : o.width) && t.height == (swap ? o.width : o.height));
        ZV_FUZZ_CHECK(t.stride % 4 == 0 && t.stride >= t.width * (t.bits / 8));
        zv::fuzz::Touch(t.pixels, size_t(t.stride) * size_t(t.height));
        ZV_FUZZ_CHECK(zv::TurnUpright(t, kUndo[orientation]));
        ZV_FUZZ_CHECK(t.width == o.width && t.height == o.height && t.stride == o.stride);
        ZV_FUZZ_CHECK(std::memcmp(t.pixels, o.pixels, size_t(o.stride) * size_t(o.height)) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::string_view segment = zv::ExifSegmentOf(file);
    const int in_place = zv::OrientationInExif(segment);
    ZV_FUZZ_CHECK(in_place >= 1 && in_place <= 8);
    ZV_FUZZ_CHECK(zv::JpegOrientation(file) == in_place);
    if (!segment.empty()) {
        ZV_FUZZ_CHECK(segment.data() >= file.data() && segment.data() + segment.size() <= file.data() + file.size());
        // Exactly the segment's bytes: nothing before or after it to read by mistake.
        const std::unique_ptr<char[]> alone(new char[segment.size()]);
        std::memcpy(alone.get(), segment.data(), segment.size());
        ZV_FUZZ_CHECK(zv::OrientationInExif(std::string_view(alone.get(), segment.size())) == in_place);
    }
    // The input as a segment of its own, too (libFuzzer's copy is exactly its size): the
    // fuzzer then reaches the TIFF reading directly.
    const int direct = zv::OrientationInExif(file);
    ZV_FUZZ_CHECK(direct >= 1 && direct <= 8);
    CheckTurns(data, size);
    return 0;
}
