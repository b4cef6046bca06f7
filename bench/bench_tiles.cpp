// Times four ways of putting each JPEG of a folder onto a 90 x 120 tile, in one process:
//   scaled  LoadPicture, Picture::PrepareToDraw with a scratch for the round, as one thread of
//           the window's decoding ahead runs it, and Picture::Draw into a 32-bit DIB section:
//           the tiles' real path;
//   alone   the same without a scratch, as each tile decodes in its own paint;
//   full    the same as scaled, decoding at full size (SetJpegFullSizeDecoding);
//   floor   each file read into fresh memory, as a picture keeps its bytes, and decoded with
//           bare libjpeg at the tile's scale, as any program calls it.
// Then, per folder, what turning a tile's decoded bitmap upright costs (a photo with Exif
// orientation 6), against decoding it at the tile's scale.
// Every mode reads the file inside its timed region, so all four include the same I/O; an
// untimed first pass reads every file once so that all of them come from the cache. An
// untimed last pass counts the fresh pages each tile of the real path touches.
// Usage: bench_tiles [--rounds R] FOLDER [PROGRESSIVE_FOLDER]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/app_error.h"
#include "bench_support.h"
#include "pictures/jpeg_image.h"
#include "pictures/jpeg_scratch.h"
#include "pictures/jpeg_upright.h"
#include "pictures/picture_win32.h"

namespace {

using namespace bench;

constexpr int kTileWidth = 90, kTileHeight = 120;

enum Mode { kScaled, kAlone, kFull, kFloor, kModes };
const char* const kModeNames[kModes] = {"scaled", "alone", "full", "floor"};

// The bytes of a decoded image as the picture holds it: rows of 24-bit BGR (8-bit indices for
// grey files) padded to 4 bytes.
double DecodedBytes(const ZvJpegHeader& h, int scale_eighths) {
    const int w = zv_jpeg_scaled_size(h.width, scale_eighths);
    const int rows = zv_jpeg_scaled_size(h.height, scale_eighths);
    const int pixel = h.components == 1 ? 1 : 3;
    return double((w * pixel + 3) & ~3) * rows;
}

// A 90 x 120 memory DC over a 32-bit DIB section, as a tile draws into.
class Tile {
public:
    Tile() {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kTileWidth, -kTileHeight, 1, 32, BI_RGB};
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Tile() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Tile(const Tile&) = delete;
    Tile& operator=(const Tile&) = delete;
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

struct RoundResult {
    double seconds = 0;
    double cpu_seconds = 0;  // the memory sampling included
    double peak_private = 0;
    int failures = 0;
};

// One round of the picture path: every photo loaded and drawn, all kept until the end of the
// round as a window of tiles keeps them, then released. With a scratch, as one thread of the
// window's decoding ahead decodes; without, as each tile decodes in its own paint.
RoundResult RunPictures(const std::vector<Photo>& photos, bool full_size, bool with_scratch, const Tile& tile) {
    zv::SetJpegFullSizeDecoding(full_size);
    RoundResult result;
    PeakSampler sampler;
    const double cpu_start = ProcessCpuSeconds();
    const RECT all = {0, 0, kTileWidth, kTileHeight};
    std::vector<zv::Picture> pictures(photos.size());
    auto scratch = with_scratch ? std::make_unique<zv::JpegScratch>() : nullptr;
    for (size_t i = 0; i < photos.size(); ++i) {
        const double start = Now();
        try {
            zv::LoadPicture(pictures[i], photos[i].path);
            if (scratch) pictures[i].PrepareToDraw(all, *scratch);
            pictures[i].Draw(tile.dc(), all);
            GdiFlush();
            if (pictures[i].TakeDecodeError() != 0) ++result.failures;
        } catch (const zv::AppError&) {
            ++result.failures;
        }
        result.seconds += Now() - start;
    }
    const double start = Now();
    pictures.clear();
    scratch.reset();
    result.seconds += Now() - start;
    result.cpu_seconds = ProcessCpuSeconds() - cpu_start;
    result.peak_private = sampler.Stop();
    zv::SetJpegFullSizeDecoding(false);
    return result;
}

RoundResult RunFloor(const std::vector<Photo>& photos) {
    RoundResult result;
    const double cpu_start = ProcessCpuSeconds();
    const double start = Now();
    result.failures = DecodeFloor(photos);
    result.seconds = Now() - start;
    result.cpu_seconds = ProcessCpuSeconds() - cpu_start;
    return result;
}

// Pages of `bytes`, rounded up.
long PagesOf(double bytes) { return long((bytes + 4095) / 4096); }

// Untimed: the fresh pages each tile of the real path touches, loading, preparing and
// drawing, against its goal: its file's pages, its decoded bitmap's pages and 64. A
// progressive tile's first decoding on a thread makes the scratch, so its goal starts with
// the second. Returns 1 when the pages cannot be counted here.
int CountFreshPages(const char* label, const std::vector<Photo>& photos, bool progressive, const Tile& tile) {
    static const FaultCounter counter;
    if (!counter.ok()) {
        std::printf("%-11s fresh pages per tile: cannot be counted here (no /proc entry of this process found)\n",
                    label);
        return 1;
    }
    const RECT all = {0, 0, kTileWidth, kTileHeight};
    std::vector<zv::Picture> pictures(photos.size());
    zv::JpegScratch scratch;
    std::vector<long> beyond;  // fresh pages beyond the file's and the bitmap's, per tile held to the goal
    long first = 0;
    for (size_t i = 0; i < photos.size(); ++i) {
        const long before = counter.Faults();
        try {
            zv::LoadPicture(pictures[i], photos[i].path);
            pictures[i].PrepareToDraw(all, scratch);
            pictures[i].Draw(tile.dc(), all);
            GdiFlush();
        } catch (const zv::AppError&) {
        }
        const long pages = counter.Faults() - before;
        const int scale = zv::ChooseJpegScale(photos[i].header.width, photos[i].header.height, kTileWidth, kTileHeight);
        const long own = PagesOf(double(photos[i].bytes)) + PagesOf(DecodedBytes(photos[i].header, scale));
        if (i == 0) first = pages - own;
        if (i > 0 || !progressive) beyond.push_back(pages - own);
    }
    if (beyond.empty()) {
        std::printf("%-11s fresh pages per tile: a single progressive photo has no tile after the first\n", label);
        return 0;
    }
    const long worst = *std::max_element(beyond.begin(), beyond.end());
    std::vector<double> sorted(beyond.begin(), beyond.end());
    std::printf("%-11s fresh pages per tile, beyond its file's and bitmap's pages: median %+.0f, most %+ld%s "
                "(first tile %+ld)  goal <= +64  %s\n",
                label, Median(sorted), worst, progressive ? " after the first" : "", first,
                worst <= 64 ? "PASS" : "MISS");
    return 0;
}

struct ModeFigures {
    double best = 0, median = 0, best_cpu = 0, peak_private = 0, decoded = 0;
    int failures = 0;
};

void PrintRatio(const char* label, const char* name, double best_ratio, double median_ratio, double cpu_ratio,
                const char* goal, bool pass) {
    std::printf("%-11s %-22s %6.2f  (medians %.2f, cpu %.2f)", label, name, best_ratio, median_ratio, cpu_ratio);
    if (goal) std::printf("  goal %s  %s", goal, pass ? "PASS" : "MISS");
    std::printf("\n");
}

// The turn of a photo with orientation 6 (a quarter turn, the costliest walk through memory)
// on the bitmap decoded at the tile's scale, best of `rounds` per photo, added up, against
// the decodings; the decodings here reuse no memory, as a tile's own paint. The turned
// bitmap is fresh memory, so the figure follows the machine's price of a fresh page.
int MeasureTurn(const char* label, const std::vector<Photo>& photos, int rounds) {
    double decode_seconds = 0, turn_seconds = 0, turned_bytes = 0;
    int failures = 0;
    for (const Photo& photo : photos) {
        FreshBytes bytes;
        if (!ReadFresh(photo.path, bytes)) {
            ++failures;
            continue;
        }
        const int scale = zv::ChooseJpegScale(photo.header.width, photo.header.height, kTileWidth, kTileHeight);
        double best_decode = 1e9, best_turn = 1e9;
        for (int round = 0; round < rounds; ++round) {
            ZvJpegImage image{};
            const double start = Now();
            const int code = zv_jpeg_decode(bytes.data.get(), bytes.size, scale, 0, 1, nullptr, &image);
            const double decoded = Now();
            const bool turned = code == 0 && zv::TurnUpright(image, 6);
            const double end = Now();
            if (!turned) ++failures;
            best_decode = std::min(best_decode, decoded - start);
            best_turn = std::min(best_turn, end - decoded);
            if (round == 0) turned_bytes += double(image.stride) * image.height;
            std::free(image.pixels);
        }
        decode_seconds += best_decode;
        turn_seconds += best_turn;
    }
    const double n = double(photos.size()), share = turn_seconds / decode_seconds;
    std::printf("%-11s %-22s %6.3f  (%.0f us/tile turning %.1f KB, %.2f ms/tile decoding)%s\n", label,
                "turn/decode at tile", share, turn_seconds * 1e6 / n, turned_bytes / n / 1e3, decode_seconds * 1e3 / n,
                failures ? "  FAILED" : "");
    return failures;
}

// Returns the number of failed loads or decodings.
int BenchFolder(const char* label, const std::string& folder, int rounds, bool progressive, const Tile& tile) {
    std::vector<Photo> photos = ListPhotos(folder);
    if (photos.empty()) {
        std::printf("%-11s no JPEG files in %s\n", label, folder.c_str());
        return 1;
    }
    // Untimed: headers for the decoded sizes, and every file once into the cache.
    double file_bytes = 0;
    if (!Survey(photos, file_bytes)) {
        std::printf("%-11s cannot read every file of %s\n", label, folder.c_str());
        return 1;
    }
    const size_t n = photos.size();
    std::printf("%-11s %zu files, %.1f MB, first %d x %d, in %s; private before %.0f MB\n", label, n, file_bytes / 1e6,
                photos[0].header.width, photos[0].header.height, folder.c_str(), PrivateBytes() / 1e6);

    ModeFigures figures[kModes];
    std::vector<double> times[kModes], cpu_times[kModes];
    for (int round = 0; round < rounds; ++round) {
        // The order turns each round, so that no mode always follows the same one.
        for (int k = 0; k < kModes; ++k) {
            const int mode = (round + k) % kModes;
            const RoundResult r =
                mode == kFloor ? RunFloor(photos) : RunPictures(photos, mode == kFull, mode != kAlone, tile);
            times[mode].push_back(r.seconds);
            cpu_times[mode].push_back(r.cpu_seconds);
            figures[mode].peak_private = std::max(figures[mode].peak_private, r.peak_private);
            figures[mode].failures += r.failures;
        }
    }
    for (const Photo& photo : photos) {
        figures[kScaled].decoded += DecodedBytes(
            photo.header, zv::ChooseJpegScale(photo.header.width, photo.header.height, kTileWidth, kTileHeight));
        figures[kFull].decoded += DecodedBytes(photo.header, 8);
    }
    figures[kAlone].decoded = figures[kScaled].decoded;
    int failures = 0;
    for (int mode = 0; mode < kModes; ++mode) {
        ModeFigures& f = figures[mode];
        f.best = *std::min_element(times[mode].begin(), times[mode].end());
        f.median = Median(times[mode]);
        f.best_cpu = *std::min_element(cpu_times[mode].begin(), cpu_times[mode].end());
        std::printf("%-11s %-6s %3zu files  best %6.0f ms  (%5.1f ms/file)  median %6.0f ms  cpu %6.0f ms", label,
                    kModeNames[mode], n, f.best * 1e3, f.best * 1e3 / double(n), f.median * 1e3, f.best_cpu * 1e3);
        if (mode != kFloor)
            std::printf("  peak private %4.0f MB  decoded %6.1f MB", f.peak_private / 1e6, f.decoded / 1e6);
        if (f.failures) std::printf("  FAILED %d", f.failures);
        std::printf("\n");
        failures += f.failures;
    }
    // The goals are judged on the best times: other work on the machine only ever adds time.
    const ModeFigures &scaled = figures[kScaled], &alone = figures[kAlone], &full = figures[kFull],
                      &floor = figures[kFloor];
    const double scaled_floor = scaled.best / floor.best, full_scaled = full.best / scaled.best;
    const double decoded_ratio = full.decoded / scaled.decoded;
    // A progressive file at 1/8 is decoded from its DC scans alone, the floor reads them all.
    const double scaled_goal = progressive ? 0.20 : 1.10;
    char scaled_goal_text[16];
    std::snprintf(scaled_goal_text, sizeof scaled_goal_text, "<= %.2f", scaled_goal);
    PrintRatio(label, "scaled/floor", scaled_floor, scaled.median / floor.median, scaled.best_cpu / floor.best_cpu,
               scaled_goal_text, scaled_floor <= scaled_goal);
    PrintRatio(label, "alone/scaled", alone.best / scaled.best, alone.median / scaled.median,
               alone.best_cpu / scaled.best_cpu, nullptr, true);
    PrintRatio(label, "full/scaled", full_scaled, full.median / scaled.median, full.best_cpu / scaled.best_cpu,
               progressive ? nullptr : ">= 1.6", full_scaled >= 1.6);
    std::printf("%-11s %-22s %6.1f", label, "decoded full/scaled", decoded_ratio);
    if (!progressive) std::printf("  goal >= 50  %s", decoded_ratio >= 50 ? "PASS" : "MISS");
    std::printf("\n");
    // The scratch holds what each decoding alone would get afresh and give back: no more at
    // any moment than decoding alone needs.
    std::printf("%-11s %-22s %4.0f against %4.0f MB alone  goal: not more  %s\n", label, "peak private scaled",
                scaled.peak_private / 1e6, alone.peak_private / 1e6,
                scaled.peak_private <= alone.peak_private ? "PASS" : "MISS");
    failures += MeasureTurn(label, photos, rounds);
    return failures + CountFreshPages(label, photos, progressive, tile);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<std::string> folders;
    if (!bench::ParseArguments(argc, argv, "bench_tiles", rounds, folders)) return 2;
    zv::InitPictureSupport();
    const Tile tile;
    double again = 0;
    const double fresh = FreshPageMicroseconds(&again);
    std::printf("bench_tiles: fresh memory costs %.2f us per 4 KB page on its first touch, %.3f us on a second touch "
                "(64 MB, best of two)\n",
                fresh, again);
    std::printf("bench_tiles: tile %d x %d, %d rounds per mode, modes alternating; ratios of best times\n",
                kTileWidth, kTileHeight, rounds);
    std::fflush(stdout);
    int failures = BenchFolder("baseline", folders[0], rounds, false, tile);
    std::fflush(stdout);
    if (folders.size() > 1) failures += BenchFolder("progressive", folders[1], rounds, true, tile);
    // Wine ends a process stopped from outside with status 0: this line tells a whole run.
    std::printf("bench_tiles: %s\n", failures ? "finished with failures" : "finished");
    return failures ? 1 : 0;
}
