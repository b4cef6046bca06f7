// JPEG files on hostile bytes, through JpegImage as the DLL's tiles use it: the header at
// load, then decoding for a 90 x 120 tile in colour, decoding again for a larger drawing, and
// a fresh picture decoded for a tile with quantized colours (as on a palette screen or for a
// one-component file). Every decoded pixel row is read so AddressSanitizer checks the buffer.
// Before that, the 1/8 view of a progressive file (JpegDcScanView): where there is one, it
// decodes at 1/8 without smoothing exactly as the whole file does with it.
//
// Memory and pace: a header may claim up to 65500 x 65500 pixels. libjpeg then allocates by
// the claim (a progressive file keeps every coefficient: width x height x components x 2 bytes,
// 25 GB), which libFuzzer reports as an out-of-memory finding (its malloc limit is
// -rss_limit_mb) and which in the 32-bit host is an allocation failure libjpeg turns into its
// own error. That says nothing about our code. And the decoding time grows with the claim, not
// with the file: inputs of about 500 bytes claiming 1 to 4 megapixels took 150 ms each, 100
// times a small picture's, and 93% of the fuzzer's time. So pictures that claim more
// than 1024 x 1024 pixels are only loaded, not decoded: every scale a tile or a larger drawing
// picks is still reached (1/8 needs 720 x 960).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "base/app_error.h"
#include "fuzz_check.h"
#include "pictures/jpeg_dc_scans.h"
#include "pictures/jpeg_image.h"
#include "pictures/jpeg_scratch.h"

namespace {

constexpr int64_t kMaxDecodedPixels = 1024 * 1024;

bool Decodable(int64_t width, int64_t height) {
    return width * height <= kMaxDecodedPixels;
}

void UseDecoded(const zv::DecodedJpeg& d, const zv::JpegImage& jpeg, int dest_width, int dest_height) {
    const ZvJpegImage& image = d.image;
    ZV_FUZZ_CHECK(d.scale_eighths >= 1 && d.scale_eighths <= 8);
    if (!image.pixels) return;  // the DLL draws nothing then
    ZV_FUZZ_CHECK(image.width > 0 && image.height > 0);
    ZV_FUZZ_CHECK(image.bits == 8 || image.bits == 24);
    ZV_FUZZ_CHECK(image.stride % 4 == 0 && int64_t(image.stride) >= int64_t(image.width) * (image.bits / 8));
    ZV_FUZZ_CHECK(image.rows_done >= 0 && image.rows_done <= image.height);
    // The DLL builds its colour table from palette[0 .. palette_size).
    if (image.bits == 8) ZV_FUZZ_CHECK(image.palette_size >= 0 && image.palette_size <= 256);
    // The scale was chosen by libjpeg's rounding; the output covers the target unless full size
    // is not enough.
    ZV_FUZZ_CHECK(image.width == zv_jpeg_scaled_size(jpeg.Width(), d.scale_eighths));
    ZV_FUZZ_CHECK(image.height == zv_jpeg_scaled_size(jpeg.Height(), d.scale_eighths));
    ZV_FUZZ_CHECK(d.scale_eighths == 8 || (image.width >= dest_width && image.height >= dest_height));
    zv::fuzz::Touch(image.pixels, size_t(image.stride) * size_t(image.height));
}

struct Decoding {
    int code = 0;
    ZvJpegImage image{};
    Decoding(const std::string& bytes, int quantize, int smoothing, ZvJpegScratch* scratch = nullptr) {
        code = zv_jpeg_decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 1, quantize,
                              smoothing, scratch, &image);
    }
    Decoding(const Decoding&) = delete;
    Decoding& operator=(const Decoding&) = delete;
    ~Decoding() { std::free(image.pixels); }
};

void CheckSameDecoding(const Decoding& view, const Decoding& whole) {
    const ZvJpegImage &a = view.image, &b = whole.image;
    ZV_FUZZ_CHECK(view.code == whole.code);
    ZV_FUZZ_CHECK(a.width == b.width && a.height == b.height && a.bits == b.bits && a.stride == b.stride);
    ZV_FUZZ_CHECK(a.rows_done == b.rows_done);
    ZV_FUZZ_CHECK(a.palette_size == b.palette_size);
    ZV_FUZZ_CHECK(a.palette_size <= 0 || std::memcmp(a.palette, b.palette, sizeof a.palette[0] * a.palette_size) == 0);
    ZV_FUZZ_CHECK((a.pixels == nullptr) == (b.pixels == nullptr));
    if (a.pixels) ZV_FUZZ_CHECK(std::memcmp(a.pixels, b.pixels, size_t(a.stride) * size_t(a.height)) == 0);
}

// The view, where there is one, against the whole file at 1/8: the same pixels, rows and error,
// in colour and (for every other input, to keep the pace) with a palette. The view decodes in
// scratch memory that every earlier input's view decoding used and left as it was, damaged
// ones included, while the whole file decodes in fresh memory.
void CheckDcScanView(const std::string& bytes) {
    const std::optional<std::string> view = zv::JpegDcScanView(bytes);
    if (!view) return;
    ZV_FUZZ_CHECK(view->size() <= bytes.size());
    ZvJpegHeader header{};
    if (zv_jpeg_read_header(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &header) == 0 &&
        !Decodable(header.width, header.height))
        return;
    const int quantize = bytes.size() % 2;
    static zv::JpegScratch scratch;
    CheckSameDecoding(Decoding(*view, quantize, 0, &scratch), Decoding(bytes, quantize, 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckDcScanView(bytes);
    try {
        zv::JpegImage jpeg(bytes);
        ZV_FUZZ_CHECK(jpeg.Width() >= 0 && jpeg.Height() >= 0);
        if (!Decodable(jpeg.Width(), jpeg.Height())) return 0;

        const zv::DecodedJpeg& tile = jpeg.DecodeFor(90, 120, false);
        UseDecoded(tile, jpeg, 90, 120);
        // A fatal error is reported once.
        ZV_FUZZ_CHECK(jpeg.TakeErrorToReport() == tile.error_code);
        ZV_FUZZ_CHECK(jpeg.TakeErrorToReport() == 0);
        // The same tile again: kept, not decoded (nor reported) again.
        UseDecoded(jpeg.DecodeFor(90, 120, true), jpeg, 90, 120);
        ZV_FUZZ_CHECK(jpeg.TakeErrorToReport() == 0);
        // Drawn larger: decoded again at the scale that needs.
        UseDecoded(jpeg.DecodeFor(360, 480, false), jpeg, 360, 480);
        jpeg.TakeErrorToReport();

        zv::JpegImage quantized(bytes);
        UseDecoded(quantized.DecodeFor(90, 120, true), quantized, 90, 120);
    } catch (const zv::AppError&) {
    }
    return 0;
}
