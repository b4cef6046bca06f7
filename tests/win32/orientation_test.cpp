// Photographs stored turned or mirrored, with their Exif orientation, drawn into a 90 x 120
// tile through the Windows layer: upright, at every decoding scale, with the upright size.
#include <windows.h>

#include <gtest/gtest.h>

#include "drawn_tile.h"
#include "pictures/picture_win32.h"
#include "upright_quarters.h"

namespace zv {
namespace {

TEST(OrientedPhotos, EveryOrientationFillsTheTileUprightAtEveryScale) {
    InitPictureSupport();
    for (const bool gray : {false, true})
        for (int scale = 1; scale <= 8; ++scale)
            for (int orientation = 1; orientation <= 8; ++orientation) {
                const std::string what = upright::FileName(orientation, scale, gray);
                Picture picture;
                picture.Assign(ReadPictureImage(PictureKind::Jpeg, upright::File(orientation, scale, gray)));
                EXPECT_EQ(picture.Width(), upright::kSizeForScale[scale - 1].width) << what;
                EXPECT_EQ(picture.Height(), upright::kSizeForScale[scale - 1].height) << what;
                const DrawnTile tile(picture);
                const auto at = [&](int x, int y) {
                    const fixtures::Rgb c = tile.At(x, y);
                    return RGB(c.r, c.g, c.b);
                };
                EXPECT_EQ(upright::QuartersSeen(at, DrawnTile::kWidth, DrawnTile::kHeight, gray), "") << what;
                EXPECT_EQ(tile.Bounds({1, 2, 3}), "none") << what << ": the whole tile is filled";
                EXPECT_EQ(picture.TakeDecodeError(), 0) << what;
            }
}

}  // namespace
}  // namespace zv
