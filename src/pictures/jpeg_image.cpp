#include "jpeg_image.h"

#include <cstdlib>

#include "../base/app_error.h"
#include "../base/messages.h"

namespace zv {
namespace {
bool g_full_size = false;
}

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
}

const DecodedJpeg& JpegImage::DecodeFor(int dest_width, int dest_height, bool quantize) {
    const int scale = g_full_size ? 8 : ChooseJpegScale(header_.width, header_.height, dest_width, dest_height);
    if (!decoded_ || decoded_->scale_eighths < scale) {
        auto fresh = std::make_unique<DecodedJpeg>();
        fresh->scale_eighths = scale;
        fresh->error_code = zv_jpeg_decode(reinterpret_cast<const unsigned char*>(bytes_.data()), bytes_.size(),
                                           scale, quantize ? 1 : 0, &fresh->image);
        if (fresh->error_code != 0) unreported_error_ = fresh->error_code;
        decoded_ = std::move(fresh);
    }
    return *decoded_;
}

int JpegImage::TakeErrorToReport() {
    const int code = unreported_error_;
    unreported_error_ = 0;
    return code;
}

}  // namespace zv
