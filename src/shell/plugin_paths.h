#pragma once
#include <string>

namespace zv {

// The picture map's path from the library's own path: from the last "." on, replaced by
// ".ini"; with no "." at all, ".ini" appended. "." is never a trail byte in the code pages
// this runs on, so a byte search is exact.
std::string IniFileNameFor(const std::string& library_path);

}  // namespace zv
