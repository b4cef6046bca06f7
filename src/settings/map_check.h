#pragma once
// The map check: entries shadowed by an earlier key, then picture files that are missing.
#include <string>

#include "map/picture_map.h"

namespace zv {

class CodePage;
class FileSystem;

// The findings, CR LF between them; empty when there are none.
std::string CheckMap(const MapLines& lines, FileSystem& fs, const CodePage& cp);

// What the check shows: the report, or "エラーはありません。" for an empty one.
std::string CheckMapMessage(const std::string& report);

}  // namespace zv
