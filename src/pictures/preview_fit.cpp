#include "pictures/preview_fit.h"

#include <algorithm>
#include <cstdint>

namespace zv {
namespace {

// value × num / den rounded to the nearest integer, in 64 bits so no size can overflow;
// all three are non-negative and den is positive.
int ScaleRounded(int value, int num, int den) {
    const int64_t scaled = (int64_t{value} * num * 2 + den) / (int64_t{den} * 2);
    return static_cast<int>(std::min<int64_t>(scaled, INT32_MAX));
}

}  // namespace

PreviewRect FitPreview(int pic_w, int pic_h, int area_w, int area_h) {
    const int w = std::max(pic_w, 0), h = std::max(pic_h, 0);
    const int aw = std::max(area_w, 0), ah = std::max(area_h, 0);
    if (w <= aw && h <= ah) return {(aw - w) / 2, (ah - h) / 2, w, h};
    // Not fitting makes the longer side positive, so the divisions below are safe.
    if (w > h) return {0, 0, aw, ScaleRounded(h, aw, w)};
    return {0, 0, ScaleRounded(w, ah, h), ah};
}

}  // namespace zv
