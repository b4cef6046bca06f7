#include "pictures/jpeg_upright.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "pictures/exif_orientation.h"

namespace zv {
namespace {

// Where the upright picture's (x, y) is in the stored one, as a start and steps in bytes: the
// stored pixel for (x, y) is at start + x * step_x + y * step_y.
struct Walk {
    ptrdiff_t start, step_x, step_y;
};

Walk WalkFor(int orientation, const ZvJpegImage& s, ptrdiff_t pixel) {
    const ptrdiff_t row = s.stride;
    const ptrdiff_t last_column = (s.width - 1) * pixel, last_row = (s.height - 1) * row;
    switch (orientation) {
        case 2: return {last_column, -pixel, row};
        case 3: return {last_row + last_column, -pixel, -row};
        case 4: return {last_row, pixel, -row};
        case 5: return {0, row, pixel};
        case 6: return {last_row, -row, pixel};
        case 7: return {last_row + last_column, -row, -pixel};
        case 8: return {last_column, row, -pixel};
        default: return {0, pixel, row};
    }
}

// Bytes per pixel known to the compiler: a copy of one or three bytes, not a call.
template <int kPixel>
void Copy(const ZvJpegImage& image, const Walk& walk, unsigned char* turned, int width, int height, int stride) {
    for (int y = 0; y < height; ++y) {
        unsigned char* out = turned + size_t(stride) * y;
        const unsigned char* in = image.pixels + walk.start + walk.step_y * y;
        for (int x = 0; x < width; ++x, out += kPixel, in += walk.step_x)
            for (int b = 0; b < kPixel; ++b) out[b] = in[b];
        // Row padding, so that the buffer holds nothing unset.
        std::memset(out, 0, size_t(stride - width * kPixel));
    }
}

}  // namespace

bool TurnUpright(ZvJpegImage& image, int orientation) {
    if (orientation < 2 || orientation > 8 || !image.pixels || image.width <= 0 || image.height <= 0) return true;
    const int pixel = image.bits / 8;
    const bool swap = OrientationSwapsSides(orientation);
    const int width = swap ? image.height : image.width, height = swap ? image.width : image.height;
    const int stride = (width * pixel + 3) & ~3;
    auto* turned = static_cast<unsigned char*>(std::malloc(size_t(stride) * size_t(height)));
    if (!turned) return false;
    const Walk walk = WalkFor(orientation, image, pixel);
    if (pixel == 3)
        Copy<3>(image, walk, turned, width, height, stride);
    else
        Copy<1>(image, walk, turned, width, height, stride);
    // The rows from the top decoded whole: the same ones unless rows became columns or the
    // bottom became the top, where a decoding that stopped early leaves none.
    if (image.rows_done >= image.height)
        image.rows_done = height;
    else if (orientation != 2)
        image.rows_done = 0;
    std::free(image.pixels);
    image.pixels = turned;
    image.width = width;
    image.height = height;
    image.stride = stride;
    return true;
}

}  // namespace zv
