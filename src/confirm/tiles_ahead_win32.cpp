#include "tiles_ahead_win32.h"

#include <algorithm>

#include "../base/parallel_win32.h"
#include "../pictures/picture_control_win32.h"

namespace zv {
namespace {

constexpr int kMostThreads = 4;
int g_threads = 0;  // 0: as many as processors, at most kMostThreads

}  // namespace

int DecodeThreads() { return g_threads > 0 ? g_threads : std::min(ProcessorCount(), kMostThreads); }

void SetDecodeThreads(int threads) { g_threads = threads; }

bool TileInView(HWND box, HWND tile, int shift) {
    // The style, not IsWindowVisible: before its first paint the window is still hidden.
    if (!PictureControl::From(tile) || !(GetWindowLongPtrA(tile, GWL_STYLE) & WS_VISIBLE)) return false;
    RECT view, r, overlap;
    GetClientRect(box, &view);
    GetWindowRect(tile, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    OffsetRect(&r, -shift, 0);
    return IntersectRect(&overlap, &r, &view) != FALSE;
}

std::vector<HWND> TilesInView(HWND box, int shift) {
    std::vector<HWND> tiles;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (TileInView(box, child, shift)) tiles.push_back(child);
    return tiles;
}

bool DecodeJobFor(HWND tile, std::function<void()>& job) {
    PictureControl* control = PictureControl::From(tile);
    if (!control) return false;
    RECT dest;
    GetClientRect(tile, &dest);  // what the paint draws into
    Picture* picture = &control->picture();
    if (!picture->NeedsPreparing(dest)) return false;
    job = [picture, dest] { picture->PrepareToDraw(dest); };
    return true;
}

void DecodeTilesAhead(const std::vector<HWND>& tiles) {
    const int threads = DecodeThreads();
    if (threads <= 1) return;  // each tile decodes in its own paint
    std::vector<std::function<void()>> jobs;
    for (HWND tile : tiles) {
        std::function<void()> job;
        if (DecodeJobFor(tile, job)) jobs.push_back(std::move(job));
    }
    if (jobs.size() < 2) return;  // nothing to share out
    RunInParallel(jobs.size(), threads, [&](size_t i) { jobs[i](); });
}

}  // namespace zv
