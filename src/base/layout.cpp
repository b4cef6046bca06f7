#include "base/layout.h"

namespace zv {

namespace {
constexpr int kUiFontPoints = 9, kPointsPerInch = 72;
// Far beyond any screen; keeps the product in range whatever the system reports.
constexpr int kLargestDpi = 9600;
}  // namespace

int UiFontPixels(int dpi) {
    if (dpi <= 0) dpi = kDesignDpi;
    if (dpi > kLargestDpi) dpi = kLargestDpi;
    return (kUiFontPoints * dpi + kPointsPerInch / 2) / kPointsPerInch;
}

int Scaled(int value, int text_height) {
    const long long product = static_cast<long long>(value) * text_height;
    // Round half away from zero, as MulDiv does.
    return static_cast<int>(product >= 0 ? (product + kDesignTextHeight / 2) / kDesignTextHeight
                                         : -((-product + kDesignTextHeight / 2) / kDesignTextHeight));
}

}  // namespace zv
