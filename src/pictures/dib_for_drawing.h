#pragma once
// A bitmap's bytes made ready for the platform's drawing of device-independent bitmaps:
// what the Windows layer hands to StretchDIBits as it is, so that every byte of the file is
// read here, in plain code.
#include <cstddef>
#include <string>
#include <vector>

#include "pictures/picture_headers.h"

namespace zv {

struct DibForDrawing {
    // A BITMAPINFO: always a 40-byte BITMAPINFOHEADER (a core header widened, a longer one cut
    // to it), then the three masks for BI_BITFIELDS, then the colour table as RGBQUADs.
    // Empty for the empty bitmap of a zero-byte file, which draws nothing.
    std::vector<char> info;
    // Every row of the picture; rows the file lacks are zeros. RLE data as they are, closed
    // by an end of bitmap in case they stop short of theirs.
    std::vector<unsigned char> bits;
    int width = 0;
    int height = 0;  // rows, whichever way they run
    int bit_count = 0;
    size_t colours = 0;  // RGBQUADs at the end of `info`

    // The colour table, `colours` RGBQUADs (blue, green, red, 0).
    const unsigned char* ColourTable() const;
};

// From the parser's layout of `bytes`. Throws std::logic_error, never reading outside the
// bytes, should the layout name a part that they do not hold.
DibForDrawing BuildDibForDrawing(const std::string& bytes, const DibLayout& layout);

// A .bmp file; zero bytes give the empty bitmap. Throws AppError as ParseBitmapFile does.
DibForDrawing DibFromBitmapFile(const std::string& bytes);
// A packed DIB, as a bitmap resource holds it. Throws AppError as ParsePackedDib does.
DibForDrawing DibFromPackedDib(const std::string& bytes);

}  // namespace zv
