#pragma once
// A decoded JPEG turned or mirrored to stand upright, as its Exif orientation asks.
#include "pictures/jpeg_core.h"

namespace zv {

// Turns `image` (24-bit BGR or 8-bit indices, rows top-down) by an orientation of
// exif_orientation.h into a new buffer, with width and height swapped for 5 to 8; the palette
// stays, and rows_done counts the upright rows from the top that are decoded whole. Nothing
// to do for orientation 1 or an image without pixels. False, with the image as it was, when
// the new buffer cannot be had.
bool TurnUpright(ZvJpegImage& image, int orientation);

}  // namespace zv
