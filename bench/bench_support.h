#pragma once
// What both benchmarks share: the photo folder, the clock, the process's CPU time, the price
// of fresh memory and a count of fresh pages, and the floors every tile path is measured
// against: each file read into fresh memory, then decoded with bare libjpeg.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pictures/jpeg_core.h"

namespace bench {

struct Photo {
    std::string path;
    ZvJpegHeader header{};
    size_t bytes = 0;
};

// The .jpg and .jpeg files of a folder, by name.
std::vector<Photo> ListPhotos(const std::string& folder);
double Now();
double ProcessCpuSeconds();

// Reads every photo once (so later rounds find it in the file cache) with its header; false
// when one cannot be read.
bool Survey(std::vector<Photo>& photos, double& file_bytes);

struct Free {
    void operator()(void* p) const { std::free(p); }
};
// A file's bytes in fresh memory, as a picture keeps them.
struct FreshBytes {
    std::unique_ptr<unsigned char, Free> data;
    size_t size = 0;
};
bool ReadFresh(const std::string& path, FreshBytes& bytes);

// The floors, file reads into fresh memory included, everything kept until they return, as a
// window keeps its pictures. ReadFloor reads the files; DecodeFloor also decodes each at the
// tile's scale with bare libjpeg, called as any program calls it (its own allocations, the
// whole file), into fresh memory. Each returns the number of files that failed.
int ReadFloor(const std::vector<Photo>& photos);
int DecodeFloor(const std::vector<Photo>& photos);

// The price of fresh memory: microseconds per 4 KB page on its first touch, and on a second
// touch of the same page.
double FreshPageMicroseconds(double* second_touch);

// This process's minor page faults as the Linux kernel under Wine counts them: every fresh
// page touched is one. Wine keeps Windows' PageFaultCount at 0, and its Z:\proc\self is the
// wineserver, so the process is found among /proc's entries by name and by a test touch.
class FaultCounter {
public:
    FaultCounter();
    bool ok() const { return !stat_path_.empty(); }
    long Faults() const;  // -1 when unknown

private:
    std::string stat_path_;
};

// The private bytes of the process. Windows gives the same figure in PagefileUsage and
// PrivateUsage; Wine 8 leaves PrivateUsage at 0 and puts the resident anonymous memory in
// PagefileUsage, so the larger of the two is taken.
double PrivateBytes();

// The most private bytes seen while it lives, sampled every 2 ms on a thread of its own: a
// decoding's working memory lives only while it decodes, and Wine keeps no peak of it.
class PeakSampler {
public:
    PeakSampler();
    ~PeakSampler() { Stop(); }
    PeakSampler(const PeakSampler&) = delete;
    PeakSampler& operator=(const PeakSampler&) = delete;
    double Stop();

private:
    static DWORD WINAPI Run(void* self);
    std::atomic<bool> stop_{false};
    double peak_ = 0;
    HANDLE thread_;
};

double Median(std::vector<double> v);

// [--rounds R] FOLDER [PROGRESSIVE_FOLDER]; prints the usage and returns false when they are not.
// With `reference`, also [--reference DLL].
bool ParseArguments(int argc, char** argv, const char* program, int& rounds, std::vector<std::string>& folders,
                    std::string* reference = nullptr);

}  // namespace bench
