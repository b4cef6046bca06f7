#pragma once
// A picture drawn into a 90 x 120 32-bit bitmap over a known background, read back.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/handles_win32.h"
#include "picture_fixtures.h"
#include "pictures/picture_win32.h"

namespace zv {

class DrawnTile {
public:
    static constexpr int kWidth = 90, kHeight = 120;
    static constexpr COLORREF kBackground = RGB(1, 2, 3);

    explicit DrawnTile(Picture& picture) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB};
        void* bits = nullptr;
        UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits) throw std::runtime_error("no bitmap for a drawn tile");
        ScopedSelectObject selected(dc.get(), bitmap.get());
        RECT all = {0, 0, kWidth, kHeight};
        const UniqueBrush background(CreateSolidBrush(kBackground));
        FillRect(dc.get(), &all, background.get());
        picture.Draw(dc.get(), all);
        GdiFlush();
        const auto* px = static_cast<const uint32_t*>(bits);
        pixels_.assign(px, px + kWidth * kHeight);
    }
    fixtures::Rgb At(int x, int y) const {
        const uint32_t p = pixels_[y * kWidth + x];
        return {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
    }
    bool IsBackground(int x, int y) const { return At(x, y) == fixtures::Rgb{1, 2, 3}; }
    const std::vector<uint32_t>& pixels() const { return pixels_; }
    // Every pixel of the rectangle within `tolerance` of the colour.
    bool AllNear(int x0, int y0, int x1, int y1, fixtures::Rgb c, int tolerance = 0) const {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const fixtures::Rgb p = At(x, y);
                if (std::abs(p.r - c.r) > tolerance || std::abs(p.g - c.g) > tolerance || std::abs(p.b - c.b) > tolerance)
                    return false;
            }
        return true;
    }

    // "left,top-right,bottom" of the pixels of this colour, inclusive; "none" when there are none.
    std::string Bounds(fixtures::Rgb c) const {
        int l = kWidth, t = kHeight, r = -1, b = -1;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (At(x, y) == c) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
        if (r < 0) return "none";
        return std::to_string(l) + "," + std::to_string(t) + "-" + std::to_string(r) + "," + std::to_string(b);
    }

private:
    std::vector<uint32_t> pixels_;
};

}  // namespace zv
