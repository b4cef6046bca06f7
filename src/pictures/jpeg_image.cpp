#include "pictures/jpeg_image.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "base/app_error.h"
#include "base/messages.h"
#include "pictures/exif_orientation.h"
#include "pictures/jpeg_dc_scans.h"
#include "pictures/jpeg_upright.h"

namespace zv {
namespace {
// Read on the decoding threads; the benchmark sets it between windows.
std::atomic<bool> g_full_size{false};
std::atomic<long> g_decodings{0};
std::atomic<long> g_ahead_given_up{0};
}

long JpegDecodingsSoFar() { return g_decodings.load(); }

long JpegDecodingsAheadGivenUpSoFar() { return g_ahead_given_up.load(); }

void SetJpegFullSizeDecoding(bool full_size) { g_full_size = full_size; }

DecodedJpeg::~DecodedJpeg() { std::free(image.pixels); }

int ChooseJpegScale(int width, int height, int dest_width, int dest_height) {
    for (int m = 1; m < 8; ++m)
        if (zv_jpeg_scaled_size(width, m) >= dest_width && zv_jpeg_scaled_size(height, m) >= dest_height) return m;
    return 8;
}

JpegImage::JpegImage(std::string bytes) : bytes_(std::move(bytes)) {
    if (bytes_.empty()) return;
    const int code =
        zv_jpeg_read_header(reinterpret_cast<const unsigned char*>(bytes_.data()), bytes_.size(), &header_);
    if (code != 0) throw AppError(FormatMessageText(kMsgJpegError, code));
    orientation_ = JpegOrientation(bytes_);
}

int JpegImage::Width() const { return OrientationSwapsSides(orientation_) ? header_.height : header_.width; }

int JpegImage::Height() const { return OrientationSwapsSides(orientation_) ? header_.width : header_.height; }

int JpegImage::ScaleFor(int dest_width, int dest_height) const {
    return g_full_size ? 8 : ChooseJpegScale(Width(), Height(), dest_width, dest_height);
}

bool JpegImage::IsDecodedFor(int dest_width, int dest_height) const {
    return decoded_ && decoded_->scale_eighths >= ScaleFor(dest_width, dest_height);
}

std::unique_ptr<DecodedJpeg> JpegImage::Decode(int scale, bool quantize, JpegScratch* scratch) const {
    ++g_decodings;
    auto fresh = std::make_unique<DecodedJpeg>();
    fresh->scale_eighths = scale;
    // At 1/8 a progressive file's DC scans (and a subsampled component's AC scans) are enough;
    // the view lives only for this decoding, in the scratch's room where there is one.
    std::string own_view;
    std::string& view = scratch ? scratch->Input() : own_view;
    bool use_view = false;
    if (scale == 1 && header_.progressive && !g_full_size) {
        try {
            use_view = JpegDcScanViewInto(bytes_, view);
        } catch (const std::bad_alloc&) {
            // The whole file decodes without the copy.
        }
    }
    const std::string& source = use_view ? view : bytes_;
    fresh->error_code = zv_jpeg_decode(reinterpret_cast<const unsigned char*>(source.data()), source.size(), scale,
                                       quantize ? 1 : 0, use_view ? 0 : 1, scratch, &fresh->image);
    // Turned before anyone stretches it, so the picture fills its target standing. Without
    // the memory for that it is not shown lying down: it fails as its output's memory would.
    if (!TurnUpright(fresh->image, orientation_)) {
        std::free(fresh->image.pixels);
        fresh->image.pixels = nullptr;
        fresh->error_code = zv_jpeg_out_of_memory_code();
    }
    return fresh;
}

void JpegImage::Keep(std::unique_ptr<DecodedJpeg> decoded) {
    if (decoded->error_code != 0) unreported_error_ = decoded->error_code;
    decoded_ = std::move(decoded);
}

const DecodedJpeg& JpegImage::DecodeFor(int dest_width, int dest_height, bool quantize, JpegScratch* scratch) {
    if (!IsDecodedFor(dest_width, dest_height)) Keep(Decode(ScaleFor(dest_width, dest_height), quantize, scratch));
    return *decoded_;
}

void JpegImage::DecodeAhead(int dest_width, int dest_height, bool quantize, JpegScratch& scratch) {
    if (!WorthDecodingAhead(dest_width, dest_height)) return;
    std::unique_ptr<DecodedJpeg> decoded;
    try {
        decoded = Decode(ScaleFor(dest_width, dest_height), quantize, &scratch);
    } catch (const std::bad_alloc&) {
        // Memory ran out as below.
    }
    if (!decoded || zv_jpeg_out_of_memory(decoded->error_code)) {
        ahead_gave_up_ = true;
        ++g_ahead_given_up;
        return;
    }
    Keep(std::move(decoded));
}

int JpegImage::TakeErrorToReport() {
    const int code = unreported_error_;
    unreported_error_ = 0;
    return code;
}

}  // namespace zv
