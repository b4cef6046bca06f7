#pragma once
// At scale 1/8 libjpeg makes each output pixel of a component from its blocks' DC
// coefficients alone, and a progressive file carries those in its scans with spectral start 0:
// a small part of the file. Components subsampled both ways (the chroma of 4:2:0) are the
// exception: libjpeg scales them up through a 2x2 or larger inverse DCT, which uses AC
// coefficients, so their AC scans stay too. Decoding that, without block smoothing, gives the
// same pixels as decoding the whole file with it, several times faster.
#include <optional>
#include <string>
#include <string_view>

namespace zv {

// The file without the scans whose spectral start is above 0 (header and data), except those
// of components subsampled both ways; every other segment kept byte for byte, up to and with
// EOI. To be decoded at 1/8 without block smoothing. Nothing when that decoding could differ
// from the whole file's at 1/8 with smoothing in pixels, rows or error: not a Huffman
// progressive frame, anything malformed or unknown, a left-out scan that libjpeg would
// reject, or coefficients that smoothing would change.
std::optional<std::string> JpegDcScanView(std::string_view file);
// The same into `view`, whose storage is reused; false (and `view` in no useful state) where
// JpegDcScanView gives nothing.
bool JpegDcScanViewInto(std::string_view file, std::string& view);

}  // namespace zv
