#include "pictures/picture_win32.h"

#include <vector>

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/handles_win32.h"
#include "base/messages.h"
#include "base/module_win32.h"
#include "pictures/dib_for_drawing.h"
#include "pictures/jpeg_image.h"
#include "pictures/picture_headers.h"

namespace zv {
namespace {

bool g_palette_screen = false;  // 8 bits per pixel or fewer

// A palette selected and realised for the scope.
class ScopedPalette {
public:
    ScopedPalette(HDC dc, HPALETTE palette) : dc_(dc), old_(palette ? SelectPalette(dc, palette, FALSE) : nullptr) {
        if (palette) RealizePalette(dc);
    }
    ~ScopedPalette() {
        if (old_) SelectPalette(dc_, old_, FALSE);
    }
    ScopedPalette(const ScopedPalette&) = delete;
    ScopedPalette& operator=(const ScopedPalette&) = delete;

private:
    HDC dc_;
    HPALETTE old_;
};

UniquePalette PaletteFrom(const RGBQUAD* colours, int count) {
    if (count <= 0) return UniquePalette();
    std::vector<char> buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i)
        log->palPalEntry[i] = {colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue, 0};
    return UniquePalette(CreatePalette(log));
}

void StretchDib(HDC dc, const RECT& dest, const BITMAPINFO* info, const void* bits, int width, int height,
                int bit_count, HPALETTE palette) {
    ScopedPalette selected(dc, palette);
    const bool halftone = g_palette_screen && bit_count > 8;
    SetStretchBltMode(dc, halftone ? HALFTONE : COLORONCOLOR);
    if (halftone) SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0, 0, width, height,
                  bits, info, DIB_RGB_COLORS, SRCCOPY);
}

// The buffers that dib_for_drawing built from the file's bytes, with their palette.
class BitmapImage : public PictureImage {
public:
    explicit BitmapImage(DibForDrawing dib) : dib_(std::move(dib)) {
        if (dib_.colours)
            palette_ = PaletteFrom(reinterpret_cast<const RGBQUAD*>(dib_.ColourTable()), static_cast<int>(dib_.colours));
    }

    PictureKind Kind() const override { return PictureKind::Bitmap; }
    int Width() const override { return dib_.width; }
    int Height() const override { return dib_.height; }
    void Draw(HDC dc, const RECT& dest) override {
        if (dib_.info.empty()) return;
        StretchDib(dc, dest, reinterpret_cast<const BITMAPINFO*>(dib_.info.data()), dib_.bits.data(), dib_.width,
                   dib_.height, dib_.bit_count, palette_.get());
    }

private:
    DibForDrawing dib_;
    UniquePalette palette_;
};

class IconImage : public PictureImage {
public:
    IconImage(std::string bytes, const IconChoice& choice) : bytes_(std::move(bytes)), choice_(choice) {
        if (choice_.standard_icon) {
            choice_.width = GetSystemMetrics(SM_CXICON);
            choice_.height = GetSystemMetrics(SM_CYICON);
        }
    }
    PictureKind Kind() const override { return PictureKind::Icon; }
    int Width() const override { return choice_.width; }
    int Height() const override { return choice_.height; }
    void Draw(HDC dc, const RECT& dest) override {
        HICON icon = Build();
        if (icon) DrawIconEx(dc, dest.left, dest.top, icon, choice_.width, choice_.height, 0, nullptr, DI_NORMAL);
    }

private:
    // The icon is built from the bytes when first drawn.
    HICON Build() {
        if (choice_.standard_icon) return LoadIcon(nullptr, IDI_APPLICATION);  // shared: not destroyed
        if (!icon_ && !build_failed_) {
            icon_.reset(CreateIconFromResourceEx(
                reinterpret_cast<BYTE*>(&bytes_[choice_.image_offset]), static_cast<DWORD>(choice_.image_size), TRUE,
                0x00030000, choice_.width, choice_.height, LR_DEFAULTCOLOR));
            build_failed_ = !icon_;
        }
        return icon_.get();
    }

    std::string bytes_;
    IconChoice choice_;
    UniqueIcon icon_;
    bool build_failed_ = false;
};

class MetafileImage : public PictureImage {
public:
    explicit MetafileImage(const std::string& bytes) {
        const MetafileLayout m = ParseMetafile(bytes);
        if (m.enhanced) {
            metafile_.reset(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()),
                                               reinterpret_cast<const BYTE*>(bytes.data())));
            EnhancedSizeInPixels(bytes, width_, height_);
        } else {
            PlaceableSizeInPixels(m, width_, height_);
            METAFILEPICT picture = {};
            picture.mm = MM_ANISOTROPIC;
            picture.xExt = static_cast<LONG>((int64_t(m.right) - m.left) * 2540 / m.units_per_inch);
            picture.yExt = static_cast<LONG>((int64_t(m.bottom) - m.top) * 2540 / m.units_per_inch);
            metafile_.reset(SetWinMetaFileBits(static_cast<UINT>(bytes.size() - m.records_offset),
                                               reinterpret_cast<const BYTE*>(bytes.data() + m.records_offset),
                                               nullptr, &picture));
        }
        if (!metafile_) throw AppError(kMsgBadMetafile);
    }
    PictureKind Kind() const override { return PictureKind::Metafile; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest) override {
        // One pixel less at the right and the bottom.
        const RECT box = {dest.left, dest.top, dest.right - 1, dest.bottom - 1};
        PlayEnhMetaFile(dc, metafile_.get(), &box);
    }

private:
    UniqueEnhMetaFile metafile_;
    int width_ = 0, height_ = 0;
};

class JpegPictureImage : public PictureImage {
public:
    explicit JpegPictureImage(std::string bytes) : jpeg_(std::move(bytes)) {}
    PictureKind Kind() const override { return PictureKind::Jpeg; }
    int Width() const override { return jpeg_.Width(); }
    int Height() const override { return jpeg_.Height(); }
    int TakeDecodeError() override { return jpeg_.TakeErrorToReport(); }
    bool NeedsPreparing(const RECT& dest) const override {
        return jpeg_.WorthDecodingAhead(dest.right - dest.left, dest.bottom - dest.top);
    }
    void PrepareToDraw(const RECT& dest, JpegScratch& scratch) override {
        jpeg_.DecodeAhead(dest.right - dest.left, dest.bottom - dest.top, Quantize(), scratch);
    }

    void Draw(HDC dc, const RECT& dest) override {
        const DecodedJpeg& d = Decoded(dest);
        if (!d.image.pixels || d.image.width <= 0 || d.image.height <= 0) return;
        if (decoded_scale_ != d.scale_eighths) PrepareInfo(d);
        StretchDib(dc, dest, reinterpret_cast<const BITMAPINFO*>(info_.data()), d.image.pixels, d.image.width,
                   d.image.height, d.image.bits, palette_.get());
    }

private:
    bool Quantize() const { return g_palette_screen || jpeg_.Grayscale(); }
    const DecodedJpeg& Decoded(const RECT& dest) {
        return jpeg_.DecodeFor(dest.right - dest.left, dest.bottom - dest.top, Quantize());
    }

    // Built aside and kept only once whole: a paint that fails here leaves the picture as it was,
    // to be prepared again by the next paint.
    void PrepareInfo(const DecodedJpeg& d) {
        const int colours = d.image.bits == 8 ? d.image.palette_size : 0;
        std::vector<char> info(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), 0);
        auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
        h->biSize = sizeof(BITMAPINFOHEADER);
        h->biWidth = d.image.width;
        h->biHeight = -d.image.height;  // rows are top-down
        h->biPlanes = 1;
        h->biBitCount = static_cast<WORD>(d.image.bits);
        h->biCompression = BI_RGB;
        h->biClrUsed = colours;
        auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
        for (int i = 0; i < colours; ++i)
            table[i] = {d.image.palette[i][2], d.image.palette[i][1], d.image.palette[i][0], 0};
        UniquePalette palette = PaletteFrom(table, colours);
        info_.swap(info);
        palette_ = std::move(palette);
        decoded_scale_ = d.scale_eighths;
    }

    JpegImage jpeg_;
    int decoded_scale_ = 0;
    std::vector<char> info_;
    UniquePalette palette_;
};

}  // namespace

void InitPictureSupport() {
    ScopedWindowDc screen(nullptr);
    if (screen.get())
        g_palette_screen = GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES) <= 8;
}

std::unique_ptr<PictureImage> ReadPictureImage(PictureKind kind, std::string bytes) {
    switch (kind) {
        case PictureKind::Bitmap:
            return std::make_unique<BitmapImage>(DibFromBitmapFile(bytes));
        case PictureKind::Icon:
            return std::make_unique<IconImage>(bytes, ParseIconFile(bytes));
        case PictureKind::Metafile:
            return std::make_unique<MetafileImage>(bytes);
        case PictureKind::Jpeg:
            return std::make_unique<JpegPictureImage>(std::move(bytes));
    }
    throw AppError(kMsgBadBitmap);
}

void LoadPicture(Picture& picture, const std::string& path) {
    const std::string extension = ExtensionOf(path, SystemCodePage());
    const PictureFormat* format = FindPictureFormat(extension, SystemCodePage());
    if (!format) throw AppError(FormatMessageText(kMsgUnknownExtension, extension));
    picture.Assign(ReadPictureImage(format->kind, ReadWholeFile(SystemFileSystem(), path)));
}

void ShowPlaceholder(Picture& picture) {
    const HMODULE module = ThisModule();
    HRSRC found = FindResourceA(module, "FAILED", MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) throw AppError(kMsgBadBitmap);
    const std::string bytes(static_cast<const char*>(data), SizeofResource(module, found));
    picture.Assign(std::make_unique<BitmapImage>(DibFromPackedDib(bytes)));
}

void LoadPictureOrPlaceholder(Picture& picture, const std::string& path) noexcept {
    try {
        LoadPicture(picture, path);
    } catch (...) {
        try {
            ShowPlaceholder(picture);
        } catch (...) {
            picture.Clear();  // not even the placeholder: show nothing rather than fail
        }
    }
}

}  // namespace zv
