#include "jpeg_decoding_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zv::testing_support {

using fixtures::JpegColour;
using fixtures::JpegWriting;

// Gradients, waves and noise: every block has its own DC value and AC detail.
std::vector<uint8_t> Plasma(int width, int height, int components, uint32_t seed) {
    std::vector<uint8_t> out;
    out.reserve(size_t(width) * height * components);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) {
                seed = seed * 1103515245u + 12345u;
                const double wave = 60 * std::sin((x + 7 * c) / 13.0) + 50 * std::cos(y / 9.0 + x / (29.0 + c)) +
                                    40.0 * (x + y) / (width + height);
                const int noise = int(seed >> 16) % 61 - 30;
                out.push_back(uint8_t(std::clamp(int(110 + wave) + noise, 0, 255)));
            }
    return out;
}

int ComponentsOf(JpegColour colour) {
    return colour == JpegColour::kGray ? 1 : colour == JpegColour::kYCbCr ? 3 : 4;
}

std::string Photo(int width, int height, const JpegWriting& how, uint32_t seed) {
    return fixtures::WriteJpeg(width, height, Plasma(width, height, ComponentsOf(how.colour), seed), how);
}

std::unique_ptr<Decoding> Decode(const std::string& bytes, bool smoothing, bool quantize, int scale,
                                 ZvJpegScratch* scratch) {
    auto d = std::make_unique<Decoding>();
    d->code = zv_jpeg_decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), scale,
                             quantize ? 1 : 0, smoothing ? 1 : 0, scratch, &d->image);
    return d;
}

::testing::AssertionResult SameImage(int code_a, const ZvJpegImage& x, int code_b, const ZvJpegImage& y) {
    if (code_a != code_b) return ::testing::AssertionFailure() << "error " << code_a << " against " << code_b;
    if (x.width != y.width || x.height != y.height || x.bits != y.bits || x.stride != y.stride)
        return ::testing::AssertionFailure() << "size " << x.width << "x" << x.height << "x" << x.bits << " against "
                                             << y.width << "x" << y.height << "x" << y.bits;
    if (x.rows_done != y.rows_done)
        return ::testing::AssertionFailure() << "rows " << x.rows_done << " against " << y.rows_done;
    if (x.palette_size != y.palette_size ||
        std::memcmp(x.palette, y.palette, sizeof x.palette[0] * size_t(std::max(0, x.palette_size))) != 0)
        return ::testing::AssertionFailure() << "palette differs";
    if (!x.pixels || !y.pixels) {
        if (x.pixels != y.pixels) return ::testing::AssertionFailure() << "pixels in one only";
        return ::testing::AssertionSuccess();
    }
    const size_t bytes = size_t(x.stride) * x.height;
    for (size_t i = 0; i < bytes; ++i)
        if (x.pixels[i] != y.pixels[i])
            return ::testing::AssertionFailure() << "pixel byte " << i << " (row " << i / x.stride << "): "
                                                 << int(x.pixels[i]) << " against " << int(y.pixels[i]);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameDecoding(const Decoding& a, const Decoding& b) {
    return SameImage(a.code, a.image, b.code, b.image);
}

}  // namespace zv::testing_support
