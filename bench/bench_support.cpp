#include "bench_support.h"

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>

#include "pictures/jpeg_image.h"

namespace bench {
namespace {

struct FloorError {
    jpeg_error_mgr base;
    jmp_buf escape;
};

void FloorErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<FloorError*>(cinfo->err)->escape, 1); }

// Only plain objects live in this frame, so the longjmp skips no destructor. The output goes
// into fresh memory, as a picture keeps its bitmap.
unsigned char* DecodeOneFloor(const unsigned char* data, size_t size) {
    jpeg_decompress_struct cinfo;
    FloorError err;
    unsigned char* volatile pixels = nullptr;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = FloorErrorExit;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = static_cast<unsigned>(zv::ChooseJpegScale(static_cast<int>(cinfo.image_width),
                                                                static_cast<int>(cinfo.image_height), 90, 120));
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
    pixels = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height));
    if (!pixels) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    JSAMPROW rows[64];
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION want = std::min<JDIMENSION>(64, cinfo.output_height - cinfo.output_scanline);
        for (JDIMENSION r = 0; r < want; ++r) rows[r] = pixels + stride * (cinfo.output_scanline + r);
        jpeg_read_scanlines(&cinfo, rows, want);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

}  // namespace

bool ReadFresh(const std::string& path, FreshBytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok) {
        bytes.size = static_cast<size_t>(size.QuadPart);
        bytes.data.reset(static_cast<unsigned char*>(std::malloc(bytes.size ? bytes.size : 1)));
        ok = bytes.data != nullptr;
        // Pages touched once before the read, the cheapest way in found under Wine.
        for (size_t page = 0; ok && page < bytes.size; page += 4096) bytes.data.get()[page] = 0;
        size_t at = 0;
        while (ok && at < bytes.size) {
            DWORD done = 0;
            ok = ReadFile(file, bytes.data.get() + at, static_cast<DWORD>(bytes.size - at), &done, nullptr) && done;
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

bool Survey(std::vector<Photo>& photos, double& file_bytes) {
    file_bytes = 0;
    for (Photo& photo : photos) {
        FreshBytes buffer;
        if (!ReadFresh(photo.path, buffer) || zv_jpeg_read_header(buffer.data.get(), buffer.size, &photo.header) != 0)
            return false;
        photo.bytes = buffer.size;
        file_bytes += double(photo.bytes);
    }
    return true;
}

int ReadFloor(const std::vector<Photo>& photos) {
    int failures = 0;
    std::vector<FreshBytes> kept(photos.size());
    for (size_t i = 0; i < photos.size(); ++i) failures += !ReadFresh(photos[i].path, kept[i]);
    return failures;
}

int DecodeFloor(const std::vector<Photo>& photos) {
    int failures = 0;
    std::vector<FreshBytes> files(photos.size());
    std::vector<std::unique_ptr<unsigned char, Free>> decoded(photos.size());
    for (size_t i = 0; i < photos.size(); ++i) {
        if (ReadFresh(photos[i].path, files[i])) decoded[i].reset(DecodeOneFloor(files[i].data.get(), files[i].size));
        failures += !decoded[i];
    }
    return failures;
}

double FreshPageMicroseconds(double* second_touch) {
    const size_t size = 64u << 20;
    double first = 0, second = 0;
    for (int pass = 0; pass < 2; ++pass) {
        auto* memory = static_cast<volatile char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!memory) return 0;
        double start = Now();
        for (size_t at = 0; at < size; at += 4096) memory[at] = 1;
        const double touched = Now() - start;
        start = Now();
        for (size_t at = 0; at < size; at += 4096) memory[at] = 2;
        const double again = Now() - start;
        VirtualFree(const_cast<char*>(memory), 0, MEM_RELEASE);
        // The better of two tries: other work on the machine only adds time.
        first = pass == 0 ? touched : std::min(first, touched);
        second = pass == 0 ? again : std::min(second, again);
    }
    if (second_touch) *second_touch = second * 1e6 / double(size / 4096);
    return first * 1e6 / double(size / 4096);
}

namespace {

// A /proc/PID/stat of Linux read through Wine's Z: drive, or "" when unreadable.
std::string ReadStat(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[1024];
    DWORD done = 0;
    if (ReadFile(file, buffer, sizeof buffer - 1, &done, nullptr)) text.assign(buffer, done);
    CloseHandle(file);
    return text;
}

// Field 10 of /proc/PID/stat, the minor faults, after the command name in brackets.
long MinorFaultsIn(const std::string& stat) {
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    char state = 0;
    long ignored[6], faults = -1;
    if (std::sscanf(stat.c_str() + close + 1, " %c %ld %ld %ld %ld %ld %ld %ld", &state, &ignored[0], &ignored[1],
                    &ignored[2], &ignored[3], &ignored[4], &ignored[5], &faults) != 8)
        return -1;
    return faults;
}

}  // namespace

FaultCounter::FaultCounter() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string name = exe;
    name = name.substr(name.find_last_of("\\/") + 1).substr(0, 15);  // the kernel keeps 15 bytes
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> candidates;
    do {
        if (!std::isdigit(static_cast<unsigned char>(found.cFileName[0]))) continue;
        const std::string path = std::string("Z:\\proc\\") + found.cFileName + "\\stat";
        const std::string stat = ReadStat(path);
        if (stat.find("(" + name) != std::string::npos) candidates.push_back(path);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    // Ours is the one whose count follows 256 pages touched here.
    const size_t size = 256 * 4096;
    for (const std::string& path : candidates) {
        const long before = MinorFaultsIn(ReadStat(path));
        auto* memory = static_cast<volatile char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!memory) return;
        for (size_t at = 0; at < size; at += 4096) memory[at] = 1;
        VirtualFree(const_cast<char*>(memory), 0, MEM_RELEASE);
        const long after = MinorFaultsIn(ReadStat(path));
        if (before >= 0 && after - before >= 256 && after - before < 256 + 64) {
            stat_path_ = path;
            return;
        }
    }
}

long FaultCounter::Faults() const { return stat_path_.empty() ? -1 : MinorFaultsIn(ReadStat(stat_path_)); }

double PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return double(std::max<SIZE_T>(counters.PrivateUsage, counters.PagefileUsage));
}

PeakSampler::PeakSampler() : thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}

double PeakSampler::Stop() {
    if (thread_) {
        stop_ = true;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return std::max(peak_, PrivateBytes());
}

DWORD WINAPI PeakSampler::Run(void* self) {
    auto* sampler = static_cast<PeakSampler*>(self);
    while (!sampler->stop_) {
        sampler->peak_ = std::max(sampler->peak_, PrivateBytes());
        Sleep(2);
    }
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool ParseArguments(int argc, char** argv, const char* program, int& rounds, std::vector<std::string>& folders,
                    std::string* reference) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--rounds" || arg == "-r") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--reference" && reference && i + 1 < argc)
            *reference = argv[++i];
        else
            folders.push_back(arg);
    }
    if (!folders.empty() && folders.size() <= 2) return true;
    std::fprintf(stderr, "usage: %s [--rounds R]%s FOLDER [PROGRESSIVE_FOLDER]\n", program,
                 reference ? " [--reference DLL]" : "");
    return false;
}

}  // namespace bench
