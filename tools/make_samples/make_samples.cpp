// Writes the demo's sample pictures, one look per kind, and the picture map naming them.
// Usage: make_samples.exe PICTURE_FOLDER [MAP_FILE]
// The map (default PICTURE_FOLDER\zvOvisto.ini) holds full Windows paths as this process
// sees them, so under Wine they start with the drive letter Wine gives the folder.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "exif_fixtures.h"
#include "picture_fixtures.h"

namespace {

using zv::fixtures::Rgb;

// A top-down 32-bit drawing surface for GDI, read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = dc_ ? CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (!bitmap_ || !bits) {
            if (bitmap_) DeleteObject(bitmap_);
            if (dc_) DeleteDC(dc_);
            throw std::runtime_error("cannot make a drawing surface");
        }
        bits_ = static_cast<uint32_t*>(bits);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void Set(int x, int y, Rgb c) { bits_[size_t(y) * width_ + x] = (uint32_t(c.r) << 16) | (c.g << 8) | c.b; }
    Rgb At(int x, int y) const {  // after GdiFlush
        const uint32_t p = bits_[size_t(y) * width_ + x];
        return {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

uint8_t Clamp(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }
Rgb Mix(Rgb a, Rgb b, double t) {
    return {Clamp(a.r + (b.r - a.r) * t), Clamp(a.g + (b.g - a.g) * t), Clamp(a.b + (b.b - a.b) * t)};
}
COLORREF Ref(Rgb c) { return RGB(c.r, c.g, c.b); }

HFONT LabelFont(int pixel_height, bool japanese = false) {
    return CreateFontA(-pixel_height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                       japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, japanese ? "ＭＳ Ｐゴシック" : "Tahoma");
}

// Centred text with a dark outline, readable on any background. Placed by its baseline, as
// a metafile DC has no font metrics to centre by.
void Label(HDC dc, const RECT& box, const std::string& text, int pixel_height, Rgb colour, bool japanese = false) {
    HFONT font = LabelFont(pixel_height, japanese);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_BASELINE);
    const int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2 + pixel_height * 7 / 20;
    const int n = static_cast<int>(text.size()), outline = pixel_height / 24 + 1;
    SetTextColor(dc, RGB(20, 20, 20));
    for (int dx = -outline; dx <= outline; dx += outline)
        for (int dy = -outline; dy <= outline; dy += outline) TextOutA(dc, x + dx, y + dy, text.c_str(), n);
    SetTextColor(dc, Ref(colour));
    TextOutA(dc, x, y, text.c_str(), n);
    // Stock objects deselect ours even in a metafile DC, where SelectObject gives no old one.
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

// A landscape: sky, sun, rolling hills; its hue turned by `shift` (0..1).
void PaintLandscape(Canvas& c, double shift) {
    const int w = c.width(), h = c.height();
    const Rgb sky_top = Mix({20, 60, 150}, {120, 30, 110}, shift), sky_low = Mix({170, 210, 250}, {250, 190, 120}, shift);
    const Rgb hill_near = Mix({40, 120, 40}, {120, 90, 30}, shift), hill_far = Mix({90, 160, 90}, {160, 130, 80}, shift);
    const double sun_x = w * 0.72, sun_y = h * 0.27, sun_r = h * 0.09;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double far_line = h * 0.62 + std::sin(x * 0.012 + shift * 3) * h * 0.05;
            const double near_line = h * 0.75 + std::sin(x * 0.02 + 1.3) * h * 0.06;
            Rgb p;
            if (y > near_line)
                p = Mix(hill_near, {20, 60, 20}, (y - near_line) / (h - near_line + 1));
            else if (y > far_line)
                p = Mix(hill_far, hill_near, (y - far_line) / (near_line - far_line + 1) * 0.5);
            else {
                p = Mix(sky_top, sky_low, double(y) / far_line);
                const double d = std::hypot(x - sun_x, y - sun_y);
                if (d < sun_r)
                    p = {255, 240, 170};
                else if (d < sun_r * 3)
                    p = Mix({255, 230, 150}, p, (d - sun_r) / (sun_r * 2));
            }
            c.Set(x, y, p);
        }
    }
}

// Coloured stripes with a checker overlay.
void PaintStripes(Canvas& c, Rgb a, Rgb b) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const bool stripe = ((x + y) / 16) % 2 == 0;
            const bool check = ((x / 40) + (y / 40)) % 2 == 0;
            Rgb p = stripe ? a : b;
            if (check) p = Mix(p, {255, 255, 255}, 0.25);
            c.Set(x, y, p);
        }
}

std::string JpegOf(const Canvas& c) {
    GdiFlush();
    return zv::fixtures::PatternJpeg(c.width(), c.height(), [&](int x, int y) { return c.At(x, y); }, 88);
}
std::string BmpOf(const Canvas& c) {
    GdiFlush();
    return zv::fixtures::PatternBmp(c.width(), c.height(), [&](int x, int y) { return c.At(x, y); });
}

std::string MakePhoto(int w, int h, double shift, const std::string& label) {
    Canvas c(w, h);
    PaintLandscape(c, shift);
    Label(c.dc(), {0, h / 2, w, h}, label, h / 5, {255, 255, 255});
    return JpegOf(c);
}

std::string MakeJapanesePhoto(int w, int h, const std::string& label) {
    Canvas c(w, h);
    PaintLandscape(c, 0.8);
    Label(c.dc(), {0, h / 3, w, h}, label, h / 4, {255, 255, 255}, true);
    return JpegOf(c);
}

// A portrait photo with its number, stored as a camera held the way `orientation` (1..8)
// undoes stores it, with that orientation in its Exif segment: every one shows the same
// upright picture. The stored pixel (sx, sy) is the upright one at (x, y) below.
std::string MakeOrientedPhoto(int orientation) {
    const int w = 360, h = 480;
    Canvas c(w, h);
    PaintLandscape(c, 0.15);
    Label(c.dc(), {0, h / 2, w, h}, std::to_string(orientation), h / 4, {255, 255, 255});
    GdiFlush();
    const bool swap = orientation >= 5;
    const int sw = swap ? h : w, sh = swap ? w : h;
    return zv::fixtures::WithApp1(
        zv::fixtures::PatternJpeg(sw, sh,
                                  [&](int sx, int sy) {
                                      switch (orientation) {
                                          case 2: return c.At(w - 1 - sx, sy);
                                          case 3: return c.At(w - 1 - sx, h - 1 - sy);
                                          case 4: return c.At(sx, h - 1 - sy);
                                          case 5: return c.At(sy, sx);
                                          case 6: return c.At(w - 1 - sy, sx);
                                          case 7: return c.At(w - 1 - sy, h - 1 - sx);
                                          case 8: return c.At(sy, h - 1 - sx);
                                          default: return c.At(sx, sy);
                                      }
                                  },
                                  88),
        zv::fixtures::ExifOrientationBody(unsigned(orientation), orientation % 2 == 0));
}

std::string MakeBitmap(int w, int h, Rgb a, Rgb b, const std::string& label) {
    Canvas c(w, h);
    PaintStripes(c, a, b);
    Label(c.dc(), {0, 0, w, h}, label, h / 4, {255, 255, 160});
    return BmpOf(c);
}

void Put16(std::string& out, unsigned v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A round 32-bit icon: a shaded disc with a letter, transparent outside the disc.
std::string MakeIcon(int size, Rgb colour, const std::string& label) {
    Canvas c(size, size);
    const double r = size / 2.0 - 1;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0);
            c.Set(x, y, Mix(Mix(colour, {255, 255, 255}, 0.45), colour, d / r));
        }
    Label(c.dc(), {0, 0, size, size}, label, size * 2 / 5, {255, 255, 255});
    GdiFlush();
    const size_t colour_row = size_t(size) * 4, mask_row = (size_t(size) + 31) / 32 * 4;
    std::string out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, 1);  // one image
    out.push_back(char(size));
    out.push_back(char(size));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, uint32_t(40 + colour_row * size + mask_row * size));
    Put32(out, 6 + 16);
    Put32(out, 40);
    Put32(out, uint32_t(size));
    Put32(out, uint32_t(size * 2));  // colour image and mask together
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    std::string mask;
    for (int y = size - 1; y >= 0; --y) {  // bottom-up
        std::string mask_bits(mask_row, '\0');
        for (int x = 0; x < size; ++x) {
            const bool inside = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) <= r;
            const Rgb p = c.At(x, y);
            out.push_back(char(p.b));
            out.push_back(char(p.g));
            out.push_back(char(p.r));
            out.push_back(char(inside ? 255 : 0));
            if (!inside) mask_bits[x / 8] = char(mask_bits[x / 8] | (0x80 >> (x % 8)));
        }
        mask += mask_bits;
    }
    return out + mask;
}

// Shapes and a label, drawn into a metafile DC in logical units of a w x h box.
void DrawShapes(HDC dc, int w, int h, Rgb back, Rgb shape, const std::string& label) {
    HBRUSH background = CreateSolidBrush(Ref(back));
    HBRUSH disc = CreateSolidBrush(Ref(shape));
    HBRUSH triangle = CreateSolidBrush(RGB(250, 250, 250));
    HPEN pen = CreatePen(PS_SOLID, w / 60 + 1, RGB(30, 30, 30));
    SelectObject(dc, background);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 0, 0, w + 1, h + 1);
    SelectObject(dc, pen);
    SelectObject(dc, disc);
    Ellipse(dc, w / 10, h / 10, w * 6 / 10, h * 9 / 10);
    SelectObject(dc, triangle);
    const POINT corners[] = {{w * 55 / 100, h * 85 / 100}, {w * 75 / 100, h * 15 / 100}, {w * 95 / 100, h * 85 / 100}};
    Polygon(dc, corners, 3);
    for (int i = 1; i < 6; ++i) {
        MoveToEx(dc, 0, h * i / 6, nullptr);
        LineTo(dc, w / 12, h * i / 6);
    }
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(triangle);
    DeleteObject(disc);
    DeleteObject(background);
    Label(dc, {0, 0, w, h}, label, h * 3 / 10, {255, 255, 255});
}

std::string MakeEmf(int w, int h, Rgb back, Rgb shape, const std::string& label) {
    // The frame in hundredths of a millimetre for w x h pixels at 96 dpi.
    const RECT frame = {0, 0, w * 2540 / 96, h * 2540 / 96};
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, "make_samples\0drawing\0");
    if (!dc) throw std::runtime_error("CreateEnhMetaFile");
    // Logical units are the reference device's pixels; scale to the frame we set.
    HDC screen = GetDC(nullptr);
    const int dpi_x = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpi_y = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, w, h, nullptr);
    SetViewportExtEx(dc, MulDiv(w, dpi_x, 96), MulDiv(h, dpi_y, 96), nullptr);
    DrawShapes(dc, w, h, back, shape, label);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    if (!metafile) throw std::runtime_error("CloseEnhMetaFile");
    std::string bytes(GetEnhMetaFileBits(metafile, 0, nullptr), '\0');
    const UINT got = GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0]));
    DeleteEnhMetaFile(metafile);
    if (got == 0) throw std::runtime_error("GetEnhMetaFileBits");
    return bytes;
}

// A Windows metafile with the 22-byte placeable header: box in units, `inch` units per inch.
std::string MakePlaceableWmf(int w, int h, int inch, Rgb back, Rgb shape, const std::string& label) {
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) throw std::runtime_error("CreateMetaFile");
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, w, h, nullptr);
    DrawShapes(dc, w, h, back, shape, label);
    HMETAFILE metafile = CloseMetaFile(dc);
    if (!metafile) throw std::runtime_error("CloseMetaFile");
    std::string records(GetMetaFileBitsEx(metafile, 0, nullptr), '\0');
    const UINT got = GetMetaFileBitsEx(metafile, static_cast<UINT>(records.size()), &records[0]);
    DeleteMetaFile(metafile);
    if (got == 0) throw std::runtime_error("GetMetaFileBitsEx");
    std::string header;
    Put32(header, 0x9AC6CDD7);
    Put16(header, 0);  // handle, unused on disk
    Put16(header, 0);  // box: left, top, right, bottom
    Put16(header, 0);
    Put16(header, unsigned(w));
    Put16(header, unsigned(h));
    Put16(header, unsigned(inch));
    Put32(header, 0);
    unsigned sum = 0;
    for (size_t i = 0; i < header.size(); i += 2)
        sum ^= uint8_t(header[i]) | (unsigned(uint8_t(header[i + 1])) << 8);
    Put16(header, sum);
    return header + records;
}

std::string FullPathOf(const std::string& path) {
    std::vector<char> full(32768);
    const DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) throw std::runtime_error("cannot resolve " + path);
    std::string result(full.data(), n);
    while (result.size() > 3 && result.back() == '\\') result.pop_back();
    return result;
}

struct Sample {
    const char* key;
    const char* file;
    std::string bytes;  // empty: the file is left missing on purpose
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_samples.exe PICTURE_FOLDER [MAP_FILE]\n");
        return 2;
    }
    try {
        const std::string folder = FullPathOf(argv[1]);
        const std::string map_file = argc > 2 ? FullPathOf(argv[2]) : folder + "\\zvOvisto.ini";
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot make " + folder);

        // Map order is tile order; sales.example.jp and its eight addresses fill one row.
        const Sample samples[] = {
            {"taro@example.jp", "photo.jpg", MakePhoto(640, 480, 0.0, "JPEG")},
            {"hanako@example.jp", "bitmap.bmp", MakeBitmap(240, 320, {200, 40, 60}, {240, 140, 40}, "BMP")},
            {"jiro@example.jp", "icon.ico", MakeIcon(48, {30, 110, 220}, "i")},
            {"saburo@example.jp", "drawing.emf", MakeEmf(300, 400, {40, 40, 120}, {240, 180, 0}, "EMF")},
            {"shiro@example.jp", "drawing.wmf",
             MakePlaceableWmf(1500, 2000, 1000, {20, 110, 90}, {230, 90, 160}, "WMF")},
            {"goro@example.jp", "not-there.jpg", ""},
            {"山田", "yamada.jpg", MakeJapanesePhoto(360, 480, "山田")},
            {"sales.example.jp", "sales-logo.emf", MakeEmf(400, 300, {90, 20, 20}, {250, 250, 250}, "Sales")},
            {"ito@sales.example.jp", "sales-1.jpg", MakePhoto(480, 640, 0.3, "1")},
            {"kato@sales.example.jp", "sales-2.bmp", MakeBitmap(300, 400, {40, 80, 200}, {80, 160, 240}, "2")},
            {"sato@sales.example.jp", "sales-3.ico", MakeIcon(32, {200, 60, 30}, "3")},
            {"suzuki@sales.example.jp", "sales-4.emf", MakeEmf(300, 400, {70, 70, 70}, {90, 200, 250}, "4")},
            {"takahashi@sales.example.jp", "sales-5.wmf",
             MakePlaceableWmf(600, 800, 400, {120, 60, 0}, {250, 220, 90}, "5")},
            {"tanaka@sales.example.jp", "sales-6.jpg", MakePhoto(640, 480, 0.6, "6")},
            {"watanabe@sales.example.jp", "sales-7.bmp", MakeBitmap(320, 240, {20, 140, 60}, {200, 220, 60}, "7")},
            {"yamamoto@sales.example.jp", "sales-8.jpg", MakePhoto(480, 640, 1.0, "8")},
            // The same portrait photo as cameras store it in each of the eight orientations.
            {"orientation-1@camera.example.jp", "orientation-1.jpg", MakeOrientedPhoto(1)},
            {"orientation-2@camera.example.jp", "orientation-2.jpg", MakeOrientedPhoto(2)},
            {"orientation-3@camera.example.jp", "orientation-3.jpg", MakeOrientedPhoto(3)},
            {"orientation-4@camera.example.jp", "orientation-4.jpg", MakeOrientedPhoto(4)},
            {"orientation-5@camera.example.jp", "orientation-5.jpg", MakeOrientedPhoto(5)},
            {"orientation-6@camera.example.jp", "orientation-6.jpg", MakeOrientedPhoto(6)},
            {"orientation-7@camera.example.jp", "orientation-7.jpg", MakeOrientedPhoto(7)},
            {"orientation-8@camera.example.jp", "orientation-8.jpg", MakeOrientedPhoto(8)},
        };

        std::string map;
        for (const Sample& s : samples) {
            const std::string path = folder + "\\" + s.file;
            if (s.bytes.empty())
                DeleteFileA(path.c_str());
            else
                zv::fixtures::WriteBytes(path, s.bytes);
            map += std::string(s.key) + "=" + path + "\r\n";
            std::printf("%-28s %s%s\n", s.file, path.c_str(), s.bytes.empty() ? "  (left missing)" : "");
        }
        zv::fixtures::WriteBytes(map_file, map);
        std::printf("%-28s %s\n", "picture map", map_file.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_samples: %s\n", e.what());
        return 1;
    }
}
