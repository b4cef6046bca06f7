#pragma once
// Scratch memory for a run of JPEG decodings on one thread. A progressive file makes libjpeg
// ask for a buffer of every coefficient of the image (72 MB for a 12-megapixel photo), and
// fresh pages cost more to touch than the decoding at 1/8 costs itself. Within a run, each
// decoding takes the large blocks the previous one gave back, of about the size it asks for,
// instead of fresh memory. Blocks that no longer fit the requests go back to the system as
// larger ones are made, and all of them when the scratch is destroyed, so it holds about what
// one decoding needs.
//
// Only a decoding's working memory lives here: libjpeg's blocks and the bytes it is fed in
// place of the file (a copy of part of it). Nothing decoded passes to a later decoding: what
// one gives back is dead to it, and libjpeg zeroes what it needs zeroed itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/jpeg_core.h"

struct ZvJpegScratch {
public:
    // `most_bytes`: the most the blocks may add up to; past it, a request fails as an
    // allocation does when memory runs out.
    explicit ZvJpegScratch(size_t most_bytes = SIZE_MAX) : most_bytes_(most_bytes) {}
    ~ZvJpegScratch();
    void SetMostBytes(size_t most_bytes) { most_bytes_ = most_bytes; }
    ZvJpegScratch(const ZvJpegScratch&) = delete;
    ZvJpegScratch& operator=(const ZvJpegScratch&) = delete;

    // A block of at least `size` bytes that no one is using, or nullptr.
    void* Take(size_t size) noexcept;
    // Keeps `block` for a later Take if it came from here; false if it did not.
    bool Give(void* block) noexcept;

    size_t HeldBytes() const { return held_; }
    // Blocks that had to be made rather than reused, over the scratch's life.
    size_t BlocksMade() const { return made_; }
    // Room for the bytes a decoding feeds libjpeg in place of the file (the DC-scan view),
    // overwritten by each decoding that uses it.
    std::string& Input() { return input_; }

private:
    struct Block {
        void* memory;
        size_t size;
        bool in_use;
    };
    void ReleaseUnusedBelow(size_t size) noexcept;

    std::vector<Block> blocks_;
    size_t held_ = 0;
    size_t made_ = 0;
    size_t most_bytes_;
    std::string input_;
};

namespace zv {
using JpegScratch = ::ZvJpegScratch;
}
