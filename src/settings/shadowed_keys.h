#pragma once
// Which lines the map check reports as never used: those whose key holds an earlier line's
// key by the matching rule. One pass over each key, through an automaton of all the keys.
#include <cstddef>
#include <vector>

#include "map/picture_map.h"

namespace zv {

class CodePage;

// The lines, in order, whose key an earlier line's key occurs in (KeyMatches(earlier key,
// key)). Time about linear in the keys' bytes; memory a few dozen bytes per byte of key.
std::vector<size_t> ShadowedLines(const MapLines& lines, const CodePage& cp);

}  // namespace zv
