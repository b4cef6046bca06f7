#pragma once
// Decoding ahead of a paint: the tiles a paint is about to draw, and not decoded yet, are
// decoded together on a few threads, so that the paint only draws. What the tiles show, and
// the decoding errors they report after the paint, stay as if each had decoded while painting.
#include <windows.h>

#include <vector>

namespace zv {

// The picture tiles of a scroll box that lie (partly) in its client area once the box is
// scrolled by `shift` pixels to the left of where the tiles are now.
std::vector<HWND> TilesInView(HWND box, int shift);

// Decodes what these tiles need for their next paint, on up to DecodeThreads() threads.
// Never fails: decoding ahead only saves time, and whatever it leaves undone (out of memory,
// no thread) each tile still decodes in its own paint.
void DecodeTilesAhead(const std::vector<HWND>& tiles) noexcept;
// The same for the tiles of a scroll box in view after a scroll by `shift` (see TilesInView).
void DecodeTilesAheadInView(HWND box, int shift) noexcept;

// As many threads as processors, at most 4. The tests set 1 to compare with decoding inside
// each tile's paint; 0 restores the default.
int DecodeThreads();
void SetDecodeThreads(int threads);

}  // namespace zv
