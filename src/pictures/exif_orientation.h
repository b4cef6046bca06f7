#pragma once
// The Exif orientation tag of a JPEG file: how the stored pixels are to be turned or mirrored
// to stand upright, as cameras and phones write it (TIFF tag 0x0112, values 1 to 8).
#include <string_view>

namespace zv {

// 1: as stored; 2: mirrored left to right; 3: turned 180 degrees; 4: mirrored top to bottom;
// 5: mirrored along the main diagonal; 6: turned 90 degrees clockwise; 7: mirrored along the
// other diagonal; 8: turned 90 degrees counter-clockwise.
constexpr int kOrientationAsStored = 1;

// The body of the first APP1 segment (after its length) that starts with "Exif\0\0", among the
// segments before the first scan; empty when there is none or the markers run out first.
std::string_view ExifSegmentOf(std::string_view jpeg);

// The orientation IFD0 of an Exif segment body gives, reading nothing outside the segment;
// kOrientationAsStored for anything missing, cut short, pointing outside, of another type or
// count, or out of range.
int OrientationInExif(std::string_view segment);

// Both of the above.
int JpegOrientation(std::string_view jpeg);

// Whether the upright picture's width is the stored height (orientations 5 to 8).
inline bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace zv
