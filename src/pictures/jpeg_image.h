#pragma once
// A JPEG picture as the tiles use it: the file's bytes and header at load, decoding put off
// until the first draw and done at the smallest DCT scale that still covers the target. The
// picture is the upright one its Exif orientation asks for: its size, and every decoding.
#include <memory>
#include <string>

#include "pictures/jpeg_core.h"
#include "pictures/jpeg_scratch.h"

namespace zv {

struct DecodedJpeg {
    ZvJpegImage image{};  // upright, as the file's orientation asks
    int scale_eighths = 0;  // 0: nothing decoded yet
    int error_code = 0;     // libjpeg's code of a fatal error during the decoding

    DecodedJpeg() = default;
    DecodedJpeg(const DecodedJpeg&) = delete;
    DecodedJpeg& operator=(const DecodedJpeg&) = delete;
    ~DecodedJpeg();
};

// Smallest M in 1..8 whose output at M/8 is at least dest_width x dest_height.
int ChooseJpegScale(int width, int height, int dest_width, int dest_height);

// Only the benchmark turns this on, to measure decoding at full size against the scaled path.
void SetJpegFullSizeDecoding(bool full_size);

// Decodings started in this process, for the tests and the benchmark to see what was decoded.
long JpegDecodingsSoFar();
// Decodings ahead that ran out of memory and were left to the paint.
long JpegDecodingsAheadGivenUpSoFar();

class JpegImage {
public:
    // Reads the header; a zero-byte file is taken as it is. Throws AppError "JPEG エラー #n".
    explicit JpegImage(std::string bytes);

    // The upright picture's size.
    int Width() const;
    int Height() const;
    bool Grayscale() const { return header_.components == 1; }

    // The decoded image for a target of this size, decoding (again) only when the stored one
    // is too small; a failed decoding is not repeated for the same scale. `error_code` of the
    // result tells a fatal error; it is reported once (see TakeErrorToReport). With a
    // scratch, libjpeg's working memory comes from there; the result is the same.
    const DecodedJpeg& DecodeFor(int dest_width, int dest_height, bool quantize, JpegScratch* scratch = nullptr);
    // The same decoding ahead of a paint, on another thread than the one that draws. One that
    // runs out of memory (other decodings may hold it at the same moment) is not kept, neither
    // as the result nor as an error to report: DecodeFor then decodes alone, as if nothing had
    // been done ahead. Any other outcome is kept as DecodeFor's would be.
    void DecodeAhead(int dest_width, int dest_height, bool quantize, JpegScratch& scratch);
    // Whether DecodeFor would use what is stored, without decoding.
    bool IsDecodedFor(int dest_width, int dest_height) const;
    // Whether decoding ahead is still worth trying: not after it ran out of memory once.
    bool WorthDecodingAhead(int dest_width, int dest_height) const {
        return !ahead_gave_up_ && !IsDecodedFor(dest_width, dest_height);
    }
    // The code of a fatal decoding error not yet reported, then 0.
    int TakeErrorToReport();

private:
    int ScaleFor(int dest_width, int dest_height) const;
    std::unique_ptr<DecodedJpeg> Decode(int scale, bool quantize, JpegScratch* scratch) const;
    void Keep(std::unique_ptr<DecodedJpeg> decoded);

    std::string bytes_;
    ZvJpegHeader header_{};
    int orientation_ = 1;
    std::unique_ptr<DecodedJpeg> decoded_;
    int unreported_error_ = 0;
    bool ahead_gave_up_ = false;
};

}  // namespace zv
