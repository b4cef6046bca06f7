#include "layout.h"

namespace zv {

int Scaled(int value, int text_height) {
    const long long product = static_cast<long long>(value) * text_height;
    // Round half away from zero, as MulDiv does.
    return static_cast<int>(product >= 0 ? (product + kDesignTextHeight / 2) / kDesignTextHeight
                                         : -((-product + kDesignTextHeight / 2) / kDesignTextHeight));
}

}  // namespace zv
