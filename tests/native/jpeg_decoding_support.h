#pragma once
// Photo-like JPEG files and libjpeg decodings compared byte for byte, for the decoding tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "picture_fixtures.h"
#include "pictures/jpeg_core.h"

namespace zv::testing_support {

// Gradients, waves and noise: every block has its own DC value and AC detail.
std::vector<uint8_t> Plasma(int width, int height, int components, uint32_t seed = 1);
int ComponentsOf(fixtures::JpegColour colour);
std::string Photo(int width, int height, const fixtures::JpegWriting& how, uint32_t seed = 1);

struct Decoding {
    int code = 0;
    ZvJpegImage image{};
    Decoding() = default;
    Decoding(const Decoding&) = delete;
    Decoding& operator=(const Decoding&) = delete;
    ~Decoding() { std::free(image.pixels); }
};

std::unique_ptr<Decoding> Decode(const std::string& bytes, bool smoothing, bool quantize = false, int scale = 1,
                                 ZvJpegScratch* scratch = nullptr);
::testing::AssertionResult SameImage(int code_a, const ZvJpegImage& x, int code_b, const ZvJpegImage& y);
::testing::AssertionResult SameDecoding(const Decoding& a, const Decoding& b);

}  // namespace zv::testing_support
