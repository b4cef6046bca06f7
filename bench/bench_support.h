#pragma once
// What both benchmarks share: the photo folder, the clock, the process's CPU time, and the
// floor every tile path is measured against: bare libjpeg at 1/8 over a file read into a
// reused buffer.
#include <windows.h>

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
bool ReadFileInto(const std::string& path, std::vector<unsigned char>& bytes);
double Now();
double ProcessCpuSeconds();

// Reads every photo once (so later rounds find it in the file cache) with its header; false
// when one cannot be read. Returns the buffer size the floor needs in `largest_floor`.
bool Survey(std::vector<Photo>& photos, size_t& largest_floor, double& file_bytes);

// The floor: each file read and decoded at 1/8 with bare libjpeg into the reused buffers.
// Returns the number of files that failed.
int DecodeFloor(const std::vector<Photo>& photos, std::vector<unsigned char>& file_buffer,
                std::vector<unsigned char>& pixels);

double Median(std::vector<double> v);

// [--rounds R] FOLDER [PROGRESSIVE_FOLDER]; prints the usage and returns false when they are not.
bool ParseArguments(int argc, char** argv, const char* program, int& rounds, std::vector<std::string>& folders);

}  // namespace bench
