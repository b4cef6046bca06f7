// Drawing a picture while memory runs out: each allocation of a paint fails in turn, and the
// paint after it draws the picture as if nothing had happened.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

#include "base/handles_win32.h"
#include "drawn_tile.h"
#include "picture_fixtures.h"
#include "pictures/picture_win32.h"
#include "substitute_host.h"

namespace {
// When set, the allocation that brings the count to zero fails.
int g_allocations_left = 0;
bool g_armed = false;
bool g_failed = false;

void* Allocate(std::size_t size) {
    if (g_armed && --g_allocations_left == 0) {
        g_failed = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace zv {
namespace {

using fixtures::Rgb;

// Draws into a tile with the nth allocation failing; true when that allocation came.
bool DrawFailingAt(Picture& picture, int nth) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), DrawnTile::kWidth, -DrawnTile::kHeight, 1, 32, BI_RGB};
    void* bits = nullptr;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) throw std::runtime_error("no bitmap");
    ScopedSelectObject selected(dc.get(), bitmap.get());
    const RECT all = {0, 0, DrawnTile::kWidth, DrawnTile::kHeight};
    g_allocations_left = nth;
    g_failed = false;
    g_armed = true;
    try {
        picture.Draw(dc.get(), all);
    } catch (const std::bad_alloc&) {
    }
    g_armed = false;
    return g_failed;
}

TEST(PictureUnderMemoryPressure, APaintThatFailsChangesNothing) {
    InitPictureSupport();
    const std::string folder = host::MakeTempFolder("zvmem");
    struct Case {
        const char* name;
        std::string bytes;
        Rgb colour;
    } const cases[] = {
        {"colour.jpg", fixtures::SolidJpeg(64, 64, Rgb{0, 160, 0}), Rgb{0, 160, 0}},
        {"gray.jpg", fixtures::SolidJpeg(64, 64, Rgb{128, 128, 128}, 90, true), Rgb{128, 128, 128}},
        {"colour.bmp", fixtures::SolidBmp(10, 10, Rgb{0, 160, 0}), Rgb{0, 160, 0}},
    };
    for (const Case& c : cases) {
        const std::string path = folder + "\\" + c.name;
        host::WriteFileBytes(path, c.bytes);
        int nth = 1;
        for (;; ++nth) {
            Picture picture;
            LoadPicture(picture, path);
            const bool failed = DrawFailingAt(picture, nth);
            EXPECT_TRUE(DrawnTile(picture).AllNear(0, 0, DrawnTile::kWidth, DrawnTile::kHeight, c.colour, 6))
                << c.name << ", allocation " << nth << " failed";
            if (!failed || nth > 100) break;
        }
        EXPECT_LE(nth, 100) << c.name;
    }
    host::RemoveFolder(folder);
}

}  // namespace
}  // namespace zv
