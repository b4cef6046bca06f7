#pragma once
// Decoding ahead of a paint: the tiles a paint is about to draw, and not decoded yet, are
// decoded together on a few threads, so that the paint only draws. What the tiles show, and
// the decoding errors they report after the paint, stay as if each had decoded while painting.
#include <windows.h>

#include <memory>
#include <vector>

#include "base/parallel_win32.h"
#include "pictures/jpeg_scratch.h"

namespace zv {

// Whether a picture tile of a scroll box lies (partly) in the box's client area once the box is
// scrolled by `shift` pixels to the left of where its tiles are now.
bool TileInView(HWND box, HWND tile, int shift);

// The picture tiles of a scroll box that lie (partly) in its client area once the box is
// scrolled by `shift` pixels to the left of where the tiles are now.
std::vector<HWND> TilesInView(HWND box, int shift);

// Decodes what these tiles need for their next paint, on up to DecodeThreads() threads.
// Never fails: decoding ahead only saves time, and whatever it leaves undone (out of memory,
// no thread) each tile still decodes in its own paint.
void DecodeTilesAhead(const std::vector<HWND>& tiles) noexcept;
// The same for the tiles of a scroll box in view after a scroll by `shift` (see TilesInView).
void DecodeTilesAheadInView(HWND box, int shift) noexcept;

// While the host's thread loads a window's pictures, the tiles that its first paint will show
// are decoded on helper threads as each is loaded, so that the decoding overlaps the reading
// of the files still to come; Finish, before the first paint, joins in and returns when all
// of it is done. Never fails: what it leaves undone, the decoding ahead of the paint or the
// paint itself does.
class DecodingWhileLoading {
public:
    DecodingWhileLoading() noexcept;  // nothing to do with a single decoding thread
    ~DecodingWhileLoading();          // Finish
    DecodingWhileLoading(const DecodingWhileLoading&) = delete;
    DecodingWhileLoading& operator=(const DecodingWhileLoading&) = delete;

    // A tile of `box` whose picture was just loaded. From here until Finish a helper thread may
    // be decoding that picture: the caller must not touch it (load, draw, clear or destroy it,
    // or the tile) before Finish returns.
    void Offer(HWND box, HWND tile) noexcept;
    void Finish() noexcept;

private:
    // One for each thread, released after the queue's threads have ended.
    std::vector<JpegScratch> scratch_;
    std::unique_ptr<WorkQueue> queue_;
};

// Decodings done by DecodingWhileLoading in this process, for the tests to see that the
// tiles in view were decoded while the pictures loaded.
long DecodedWhileLoadingSoFar();

// As many threads as processors, at most 4. The tests set 1 to compare with decoding inside
// each tile's paint; 0 restores the default.
int DecodeThreads();
void SetDecodeThreads(int threads);

// The most that each decoding thread's scratch may hold, so that the tests can make memory run
// out during decoding ahead; 0 restores the default, no limit.
void SetDecodeAheadMemoryLimit(size_t bytes);

}  // namespace zv
