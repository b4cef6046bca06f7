// Times three ways of putting each JPEG of a folder onto a 90 x 120 tile, in one process:
//   scaled  LoadPicture + Picture::Draw into a 32-bit DIB section, the tiles' real path;
//   full    the same, decoding at full size (SetJpegFullSizeDecoding);
//   floor   bare libjpeg at 1/8 into one reused buffer: what no tile path can beat.
// Every mode reads the file inside its timed region (LoadPicture reads it itself, the floor
// reads it into a reused buffer), so all three include the same I/O; an untimed first pass
// reads every file once so that all of them come from the cache.
// Usage: bench_tiles [--rounds R] FOLDER [PROGRESSIVE_FOLDER]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "base/app_error.h"
#include "pictures/jpeg_core.h"
#include "pictures/jpeg_image.h"
#include "pictures/picture_win32.h"

namespace {

constexpr int kTileWidth = 90, kTileHeight = 120;

enum Mode { kScaled, kFull, kFloor, kModes };
const char* const kModeNames[kModes] = {"scaled", "full", "floor"};

struct Photo {
    std::string path;
    ZvJpegHeader header{};
    size_t bytes = 0;
};

// The bytes of a decoded image as the picture holds it: rows of 24-bit BGR (8-bit indices for
// grey files) padded to 4 bytes.
double DecodedBytes(const ZvJpegHeader& h, int scale_eighths) {
    const int w = zv_jpeg_scaled_size(h.width, scale_eighths);
    const int rows = zv_jpeg_scaled_size(h.height, scale_eighths);
    const int pixel = h.components == 1 ? 1 : 3;
    return double((w * pixel + 3) & ~3) * rows;
}

bool ReadFileInto(const std::string& path, std::vector<unsigned char>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t at = 0;
        while (ok && at < bytes.size()) {
            DWORD done = 0;
            ok = ReadFile(file, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &done, nullptr) && done;
            at += done;
        }
    }
    CloseHandle(file);
    return ok;
}

std::vector<Photo> ListPhotos(const std::string& folder) {
    std::vector<Photo> photos;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return photos;
    do {
        std::string name = found.cFileName;
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::string ext = name.substr(dot + 1);
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == "jpg" || ext == "jpeg") photos.push_back({folder + "\\" + name});
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(photos.begin(), photos.end(), [](const Photo& a, const Photo& b) { return a.path < b.path; });
    return photos;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

// User and kernel time of the whole process: on a busy machine it grows much less than the
// elapsed time, so it checks the elapsed figures.
double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) / 1e7;
}

// The private bytes of the process. Windows gives the same figure in PagefileUsage and
// PrivateUsage; Wine 8 leaves PrivateUsage at 0 and puts the resident anonymous memory in
// PagefileUsage, so the larger of the two is taken.
double PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return double(std::max<SIZE_T>(counters.PrivateUsage, counters.PagefileUsage));
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
// round as a window of tiles keeps them, then released. Memory sampling is left out of the time.
RoundResult RunPictures(const std::vector<Photo>& photos, bool full_size, const Tile& tile) {
    zv::SetJpegFullSizeDecoding(full_size);
    RoundResult result;
    const double cpu_start = ProcessCpuSeconds();
    const RECT all = {0, 0, kTileWidth, kTileHeight};
    std::vector<zv::Picture> pictures(photos.size());
    for (size_t i = 0; i < photos.size(); ++i) {
        const double start = Now();
        try {
            zv::LoadPicture(pictures[i], photos[i].path);
            pictures[i].Draw(tile.dc(), all);
            GdiFlush();
            if (pictures[i].TakeDecodeError() != 0) ++result.failures;
        } catch (const zv::AppError&) {
            ++result.failures;
        }
        result.seconds += Now() - start;
        result.peak_private = std::max(result.peak_private, PrivateBytes());
    }
    const double start = Now();
    pictures.clear();
    result.seconds += Now() - start;
    result.cpu_seconds = ProcessCpuSeconds() - cpu_start;
    zv::SetJpegFullSizeDecoding(false);
    return result;
}

struct FloorError {
    jpeg_error_mgr base;
    jmp_buf escape;
};

void FloorErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<FloorError*>(cinfo->err)->escape, 1); }

// Only plain objects live in this frame, so the longjmp skips no destructor.
bool DecodeFloor(const unsigned char* data, size_t size, unsigned char* buffer, size_t buffer_size) {
    jpeg_decompress_struct cinfo;
    FloorError err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = FloorErrorExit;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
    if (stride * cinfo.output_height > buffer_size) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    JSAMPROW rows[64];
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION want = std::min<JDIMENSION>(64, cinfo.output_height - cinfo.output_scanline);
        for (JDIMENSION r = 0; r < want; ++r) rows[r] = buffer + stride * (cinfo.output_scanline + r);
        jpeg_read_scanlines(&cinfo, rows, want);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

RoundResult RunFloor(const std::vector<Photo>& photos, std::vector<unsigned char>& file_buffer,
                     std::vector<unsigned char>& pixels) {
    RoundResult result;
    const double cpu_start = ProcessCpuSeconds();
    const double start = Now();
    for (const Photo& photo : photos) {
        if (!ReadFileInto(photo.path, file_buffer) ||
            !DecodeFloor(file_buffer.data(), file_buffer.size(), pixels.data(), pixels.size()))
            ++result.failures;
    }
    result.seconds = Now() - start;
    result.cpu_seconds = ProcessCpuSeconds() - cpu_start;
    return result;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
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

// Returns the number of failed loads or decodings.
int BenchFolder(const char* label, const std::string& folder, int rounds, bool with_goals, const Tile& tile) {
    std::vector<Photo> photos = ListPhotos(folder);
    if (photos.empty()) {
        std::printf("%-11s no JPEG files in %s\n", label, folder.c_str());
        return 1;
    }
    // Untimed: headers for the decoded sizes, and every file once into the cache.
    std::vector<unsigned char> file_buffer;
    size_t largest_floor = 0;
    double file_bytes = 0;
    for (Photo& photo : photos) {
        if (!ReadFileInto(photo.path, file_buffer) ||
            zv_jpeg_read_header(file_buffer.data(), file_buffer.size(), &photo.header) != 0) {
            std::printf("%-11s cannot read %s\n", label, photo.path.c_str());
            return 1;
        }
        photo.bytes = file_buffer.size();
        file_bytes += double(photo.bytes);
        largest_floor = std::max(largest_floor, size_t(zv_jpeg_scaled_size(photo.header.width, 1)) *
                                                    size_t(zv_jpeg_scaled_size(photo.header.height, 1)) *
                                                    size_t(photo.header.components));
    }
    std::vector<unsigned char> pixels(largest_floor);
    const size_t n = photos.size();
    std::printf("%-11s %zu files, %.1f MB, first %d x %d, in %s; private before %.0f MB\n", label, n, file_bytes / 1e6,
                photos[0].header.width, photos[0].header.height, folder.c_str(), PrivateBytes() / 1e6);

    ModeFigures figures[kModes];
    std::vector<double> times[kModes], cpu_times[kModes];
    for (int round = 0; round < rounds; ++round) {
        // The order turns each round, so that no mode always follows the same one.
        for (int k = 0; k < kModes; ++k) {
            const int mode = (round + k) % kModes;
            const RoundResult r = mode == kFloor ? RunFloor(photos, file_buffer, pixels)
                                                 : RunPictures(photos, mode == kFull, tile);
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
    const ModeFigures &scaled = figures[kScaled], &full = figures[kFull], &floor = figures[kFloor];
    const double scaled_floor = scaled.best / floor.best, full_scaled = full.best / scaled.best;
    const double decoded_ratio = full.decoded / scaled.decoded;
    PrintRatio(label, "scaled/floor", scaled_floor, scaled.median / floor.median, scaled.best_cpu / floor.best_cpu,
               with_goals ? "<= 1.15" : nullptr, scaled_floor <= 1.15);
    PrintRatio(label, "full/scaled", full_scaled, full.median / scaled.median, full.best_cpu / scaled.best_cpu,
               with_goals ? ">= 1.6" : nullptr, full_scaled >= 1.6);
    std::printf("%-11s %-22s %6.1f", label, "decoded full/scaled", decoded_ratio);
    if (with_goals) std::printf("  goal >= 50  %s", decoded_ratio >= 50 ? "PASS" : "MISS");
    std::printf("\n");
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--rounds" || arg == "-r") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            folders.push_back(arg);
    }
    if (folders.empty() || folders.size() > 2) {
        std::fprintf(stderr, "usage: bench_tiles [--rounds R] FOLDER [PROGRESSIVE_FOLDER]\n");
        return 2;
    }
    zv::InitPictureSupport();
    const Tile tile;
    std::printf("bench_tiles: tile %d x %d, %d rounds per mode, modes alternating; ratios of best times\n",
                kTileWidth, kTileHeight, rounds);
    std::fflush(stdout);
    int failures = BenchFolder("baseline", folders[0], rounds, true, tile);
    std::fflush(stdout);
    if (folders.size() > 1) failures += BenchFolder("progressive", folders[1], rounds, false, tile);
    // Wine ends a process stopped from outside with status 0: this line tells a whole run.
    std::printf("bench_tiles: %s\n", failures ? "finished with failures" : "finished");
    return failures ? 1 : 0;
}
