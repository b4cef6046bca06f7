#pragma once
// The maps bench_map times: a realistic mix of address keys and picture paths, made from a
// seed so that every run and every machine times the same bytes.
#include <cstddef>
#include <string>

namespace bench {

struct MapMix {
    std::string text;            // the map file's bytes, CR LF after every line
    std::string to, cc, bcc;     // a send's three headers, 20 addresses each, as a host gives them
    size_t lines = 0;
    size_t shadowed = 0;         // lines whose key holds an earlier key (duplicates included)
    size_t missing = 0;          // lines whose own picture file is missing
    size_t double_byte = 0;      // lines whose key has Shift-JIS characters
    size_t case_variants = 0;    // keys equal to an earlier one but for case
};

// The pictures live in `folder`\dDDD\uNNNNN.jpg, a hundred to a folder, for line NNNNN.
std::string PicturePath(const std::string& folder, size_t line);

// `lines` lines: mostly "userNNNNN@example.co.jp" keys with their own picture; one in ten a
// Shift-JIS name before the number (trail bytes 0x5C and letters among them); about 2% an
// earlier key with "old." before it, 1% an earlier key again, 2% an earlier key in capitals,
// 5% a picture that is not there (in its line's folder).
MapMix MakeMapMix(size_t lines, const std::string& folder);

// The plainest large map, on which the check's first figures were taken: every line
// "userNNNNN@example.co.jp=C:\pics\uNNNNN.jpg", where C:\pics does not exist.
std::string PlainMissingMap(size_t lines);

}  // namespace bench
