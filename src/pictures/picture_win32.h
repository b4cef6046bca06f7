#pragma once
// A picture: at most one image of one kind, drawn into an image control.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "pictures/jpeg_scratch.h"
#include "pictures/picture_formats.h"

namespace zv {

class PictureImage {
public:
    virtual ~PictureImage() = default;
    virtual PictureKind Kind() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Stretched into `dest`, as a tile shows it (icons keep their own size).
    virtual void Draw(HDC dc, const RECT& dest) = 0;
    // The code of a fatal JPEG decoding error not yet reported, then 0.
    virtual int TakeDecodeError() { return 0; }
    // Whether drawing into `dest` would decode first; PrepareToDraw does that work ahead,
    // without touching GDI, so that it can run on another thread than the one that draws.
    // The decoding's working memory comes from `scratch`, the preparing thread's own. A
    // preparation that runs out of memory leaves the decoding to the draw, alone, and is not
    // tried again.
    virtual bool NeedsPreparing(const RECT&) const { return false; }
    virtual void PrepareToDraw(const RECT&, JpegScratch&) {}
};

class Picture {
public:
    bool Empty() const { return !image_; }
    int Width() const { return image_ ? image_->Width() : 0; }
    int Height() const { return image_ ? image_->Height() : 0; }
    // Nothing for an empty picture.
    std::optional<PictureKind> Kind() const {
        if (!image_) return std::nullopt;
        return image_->Kind();
    }
    void Draw(HDC dc, const RECT& dest) {
        if (image_) image_->Draw(dc, dest);
    }
    int TakeDecodeError() { return image_ ? image_->TakeDecodeError() : 0; }
    bool NeedsPreparing(const RECT& dest) const { return image_ && image_->NeedsPreparing(dest); }
    // Not thread-safe for one picture; different pictures can be prepared at once, each
    // thread with a scratch of its own.
    void PrepareToDraw(const RECT& dest, JpegScratch& scratch) {
        if (image_) image_->PrepareToDraw(dest, scratch);
    }
    void Assign(std::unique_ptr<PictureImage> image) { image_ = std::move(image); }
    void Clear() { image_.reset(); }

private:
    std::unique_ptr<PictureImage> image_;
};

// Reads the screen depth once, at load.
void InitPictureSupport();

// Throws AppError with the reader's message; the picture keeps its image on failure.
void LoadPicture(Picture& picture, const std::string& path);
// Never fails: anything that goes wrong shows the placeholder.
void LoadPictureOrPlaceholder(Picture& picture, const std::string& path) noexcept;
void ShowPlaceholder(Picture& picture);

// Reads a file's bytes into an image of the given kind. Throws AppError.
std::unique_ptr<PictureImage> ReadPictureImage(PictureKind kind, std::string bytes);

}  // namespace zv
