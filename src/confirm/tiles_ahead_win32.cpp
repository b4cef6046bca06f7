#include "confirm/tiles_ahead_win32.h"

#include <algorithm>
#include <atomic>

#include "base/window_support_win32.h"
#include "pictures/picture_control_win32.h"

namespace zv {
namespace {

constexpr int kMostThreads = 4;
std::atomic<int> g_threads{0};  // 0: as many as processors, at most kMostThreads
std::atomic<size_t> g_memory_limit{0};  // 0: none
std::atomic<long> g_decoded_while_loading{0};

// A scratch for each thread: its decodings after the first take libjpeg's working memory from
// the one before instead of fresh pages.
std::vector<JpegScratch> ScratchForThreads(size_t threads) {
    std::vector<JpegScratch> scratch(threads);
    if (const size_t limit = g_memory_limit.load())
        for (JpegScratch& one : scratch) one.SetMostBytes(limit);
    return scratch;
}

}  // namespace

long DecodedWhileLoadingSoFar() { return g_decoded_while_loading.load(); }

int DecodeThreads() {
    const int threads = g_threads.load();
    return threads > 0 ? threads : std::min(ProcessorCount(), kMostThreads);
}

void SetDecodeThreads(int threads) { g_threads = threads; }

void SetDecodeAheadMemoryLimit(size_t bytes) { g_memory_limit = bytes; }

bool TileInView(HWND box, HWND tile, int shift) {
    // The style, not IsWindowVisible: before its first paint the window is still hidden.
    if (!PictureControl::From(tile) || !(GetWindowLongPtrA(tile, GWL_STYLE) & WS_VISIBLE)) return false;
    RECT view;
    GetClientRect(box, &view);
    RECT r = RectIn(tile, box);
    OffsetRect(&r, -shift, 0);
    RECT overlap;
    return IntersectRect(&overlap, &r, &view) != FALSE;
}

std::vector<HWND> TilesInView(HWND box, int shift) {
    std::vector<HWND> tiles;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (TileInView(box, child, shift)) tiles.push_back(child);
    return tiles;
}

void DecodeTilesAhead(const std::vector<HWND>& tiles) noexcept {
    const int threads = DecodeThreads();
    if (threads <= 1) return;  // each tile decodes in its own paint
    struct Job {
        Picture* picture;
        RECT dest;
    };
    try {
        std::vector<Job> jobs;
        for (HWND tile : tiles) {
            PictureControl* control = PictureControl::From(tile);
            if (!control) continue;
            RECT dest;
            GetClientRect(tile, &dest);  // what the paint draws into
            if (control->picture().NeedsPreparing(dest)) jobs.push_back({&control->picture(), dest});
        }
        if (jobs.size() < 2) return;  // nothing to share out
        // Released with the preparation.
        std::vector<JpegScratch> scratch = ScratchForThreads(std::min<size_t>(jobs.size(), size_t(threads)));
        RunInParallel(jobs.size(), static_cast<int>(scratch.size()),
                      [&](size_t i, int worker) { jobs[i].picture->PrepareToDraw(jobs[i].dest, scratch[worker]); });
    } catch (...) {
        // Left to the paints.
    }
}

DecodingWhileLoading::DecodingWhileLoading() noexcept {
    const int threads = DecodeThreads();
    if (threads <= 1) return;  // each tile decodes in its own paint
    try {
        scratch_ = ScratchForThreads(static_cast<size_t>(threads));
        queue_ = std::make_unique<WorkQueue>(threads);
    } catch (...) {
        queue_.reset();  // left to the decoding ahead of the paint
    }
}

DecodingWhileLoading::~DecodingWhileLoading() { Finish(); }

void DecodingWhileLoading::Offer(HWND box, HWND tile) noexcept {
    if (!queue_ || !TileInView(box, tile, 0)) return;
    try {
        Picture& picture = PictureControl::From(tile)->picture();
        RECT dest;
        GetClientRect(tile, &dest);  // what the paint draws into
        if (picture.NeedsPreparing(dest))
            queue_->Add([this, &picture, dest](int worker) {
                picture.PrepareToDraw(dest, scratch_[worker]);
                ++g_decoded_while_loading;
            });
    } catch (...) {
        // Left to the decoding ahead of the paint.
    }
}

void DecodingWhileLoading::Finish() noexcept {
    if (queue_) queue_->Finish();
    queue_.reset();
    scratch_.clear();
}

void DecodeTilesAheadInView(HWND box, int shift) noexcept {
    try {
        DecodeTilesAhead(TilesInView(box, shift));
    } catch (...) {
        // Left to the paints.
    }
}

}  // namespace zv
