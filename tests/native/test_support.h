#pragma once
#include <functional>
#include <string>

#include "base/app_error.h"

namespace zv::testing {

// The message of the AppError the action raises, or "" when it raises none.
inline std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.what();
    }
    return "";
}

}  // namespace zv::testing
