#include "bench_support.h"

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace bench {
namespace {

struct FloorError {
    jpeg_error_mgr base;
    jmp_buf escape;
};

void FloorErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<FloorError*>(cinfo->err)->escape, 1); }

// Only plain objects live in this frame, so the longjmp skips no destructor.
bool DecodeOneFloor(const unsigned char* data, size_t size, unsigned char* buffer, size_t buffer_size) {
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

}  // namespace

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

bool Survey(std::vector<Photo>& photos, size_t& largest_floor, double& file_bytes) {
    std::vector<unsigned char> buffer;
    largest_floor = 0;
    file_bytes = 0;
    for (Photo& photo : photos) {
        if (!ReadFileInto(photo.path, buffer) || zv_jpeg_read_header(buffer.data(), buffer.size(), &photo.header) != 0)
            return false;
        photo.bytes = buffer.size();
        file_bytes += double(photo.bytes);
        largest_floor = std::max(largest_floor, size_t(zv_jpeg_scaled_size(photo.header.width, 1)) *
                                                    size_t(zv_jpeg_scaled_size(photo.header.height, 1)) *
                                                    size_t(photo.header.components));
    }
    return true;
}

int DecodeFloor(const std::vector<Photo>& photos, std::vector<unsigned char>& file_buffer,
                std::vector<unsigned char>& pixels) {
    int failures = 0;
    for (const Photo& photo : photos)
        if (!ReadFileInto(photo.path, file_buffer) ||
            !DecodeOneFloor(file_buffer.data(), file_buffer.size(), pixels.data(), pixels.size()))
            ++failures;
    return failures;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool ParseArguments(int argc, char** argv, const char* program, int& rounds, std::vector<std::string>& folders) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--rounds" || arg == "-r") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            folders.push_back(arg);
    }
    if (!folders.empty() && folders.size() <= 2) return true;
    std::fprintf(stderr, "usage: %s [--rounds R] FOLDER [PROGRESSIVE_FOLDER]\n", program);
    return false;
}

}  // namespace bench
