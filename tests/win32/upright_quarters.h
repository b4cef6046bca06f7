#pragma once
// The four-quarters picture of exif_fixtures.h, stored turned or mirrored with its Exif
// orientation, and the check that a drawing of it stands upright.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include "exif_fixtures.h"

namespace zv::upright {

// Upright sizes whose 90 x 120 tile decodes at 1/8, 2/8, ... 8/8.
struct UprightSize {
    int width, height;
};
constexpr UprightSize kSizeForScale[8] = {{720, 960}, {360, 480}, {240, 320}, {180, 240},
                                          {144, 192}, {120, 160}, {103, 138}, {90, 120}};

inline std::string FileName(int orientation, int scale, bool gray = false) {
    return "o" + std::to_string(orientation) + "-s" + std::to_string(scale) + (gray ? "-gray" : "") + ".jpg";
}

// The picture for that orientation and scale, big-endian for the even orientations.
inline std::string File(int orientation, int scale, bool gray = false) {
    fixtures::JpegWriting how;
    how.progressive = scale == 1;  // 1/8 decodes from the DC scans
    if (gray) how.colour = fixtures::JpegColour::kGray;
    const UprightSize size = kSizeForScale[scale - 1];
    return fixtures::OrientedQuartersJpeg(orientation, size.width, size.height, how, orientation % 2 == 0);
}

// The quarters of the picture drawn into (left, top, width, height), read through `at`, each
// the upright one's colour (its grey for a gray file) in the middle of what shows of it
// within (0, 0, clip_width, clip_height); "" when all are, else what is wrong.
inline std::string QuartersSeen(const std::function<COLORREF(int x, int y)>& at, int left, int top, int width,
                                int height, int clip_width, int clip_height, bool gray = false) {
    std::string wrong;
    int checked = 0;
    for (int quarter = 0; quarter < 4; ++quarter) {
        fixtures::Rgb want = fixtures::kQuarterColours[quarter];
        if (gray) want.r = want.g = want.b = fixtures::GrayOf(want);
        const int x0 = std::max(0, left + (quarter % 2 ? width / 2 : 0)),
                  x1 = std::min(clip_width, left + (quarter % 2 ? width : width / 2));
        const int y0 = std::max(0, top + (quarter / 2 ? height / 2 : 0)),
                  y1 = std::min(clip_height, top + (quarter / 2 ? height : height / 2));
        if (x1 - x0 < 12 || y1 - y0 < 12) continue;  // clipped away
        ++checked;
        // A few pixels around the middle: the mean, as dithering spreads a colour over its
        // neighbours.
        const int x = (x0 + x1) / 2, y = (y0 + y1) / 2;
        long r = 0, g = 0, b = 0, n = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx, ++n) {
                const COLORREF c = at(x + dx, y + dy);
                r += GetRValue(c), g += GetGValue(c), b += GetBValue(c);
            }
        if (std::abs(r / n - want.r) > 28 || std::abs(g / n - want.g) > 28 || std::abs(b / n - want.b) > 28)
            wrong += " quarter " + std::to_string(quarter) + " is " + std::to_string(r / n) + "," +
                     std::to_string(g / n) + "," + std::to_string(b / n) + ";";
    }
    if (checked < 2) wrong += " fewer than two quarters in view;";
    return wrong;
}

// The same for a picture that fills (0, 0, width, height).
inline std::string QuartersSeen(const std::function<COLORREF(int x, int y)>& at, int width, int height,
                                bool gray = false) {
    return QuartersSeen(at, 0, 0, width, height, width, height, gray);
}

}  // namespace zv::upright
