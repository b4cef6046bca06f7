// Runs a fuzz target's LLVMFuzzerTestOneInput once over every file in the given folders (or
// files), without libFuzzer: the seeds and the saved findings, replayed in the native tests
// under AddressSanitizer and UndefinedBehaviorSanitizer. A missing folder counts as empty
// (fuzz/regressions/<target>/ exists only once something was found).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = argv[i];
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else if (fs::is_regular_file(arg, ec)) {
            inputs.push_back(arg);
        } else {
            std::printf("replay: %s: none\n", argv[i]);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
            return 1;
        }
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fprintf(stderr, "replay: %s\n", path.string().c_str());
        // A copy of exactly the file's size, so reads past the end are caught.
        std::vector<uint8_t> copy(bytes.begin(), bytes.end());
        static const uint8_t nothing = 0;
        LLVMFuzzerTestOneInput(copy.empty() ? &nothing : copy.data(), copy.size());
    }
    std::printf("replay: %zu inputs, no finding\n", inputs.size());
    return 0;
}
