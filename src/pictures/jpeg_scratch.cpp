#include "pictures/jpeg_scratch.h"

#include <algorithm>
#include <cstdlib>

ZvJpegScratch::~ZvJpegScratch() {
    for (const Block& block : blocks_) std::free(block.memory);
}

void ZvJpegScratch::ReleaseUnusedBelow(size_t size) noexcept {
    size_t kept = 0;
    for (const Block& block : blocks_) {
        if (!block.in_use && block.size < size) {
            std::free(block.memory);
            held_ -= block.size;
        } else {
            blocks_[kept++] = block;
        }
    }
    blocks_.resize(kept);
}

void* ZvJpegScratch::Take(size_t size) noexcept {
    // A block much larger than the request is left for a request of its size: a small buffer
    // that took the coefficient block of the decoding before would send the coefficients to
    // fresh memory, and the scratch would hold both.
    const size_t largest_fit = size > SIZE_MAX / 2 ? SIZE_MAX : std::max(2 * size, size + 64 * 1024);
    Block* best = nullptr;
    for (Block& block : blocks_)
        if (!block.in_use && block.size >= size && block.size <= largest_fit && (!best || block.size < best->size))
            best = &block;
    if (best) {
        best->in_use = true;
        return best->memory;
    }
    // Unused blocks too small for this request would likely stay unused: what is held stays
    // near what one decoding needs.
    ReleaseUnusedBelow(size);
    if (size > most_bytes_ || held_ > most_bytes_ - size) return nullptr;
    void* memory = std::malloc(size);
    if (!memory) return nullptr;
    try {
        blocks_.push_back({memory, size, true});
    } catch (...) {
        std::free(memory);
        return nullptr;
    }
    held_ += size;
    ++made_;
    return memory;
}

bool ZvJpegScratch::Give(void* memory) noexcept {
    for (Block& block : blocks_)
        if (block.memory == memory) {
            block.in_use = false;
            return true;
        }
    return false;
}

extern "C" void* zv_jpeg_scratch_take(ZvJpegScratch* scratch, size_t size) { return scratch->Take(size); }

extern "C" int zv_jpeg_scratch_give(ZvJpegScratch* scratch, void* block) { return scratch->Give(block) ? 1 : 0; }
