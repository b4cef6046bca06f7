#include <exception>
#include <new>

#include "app_error.h"

namespace zv {

template <typename Handler>
void RunHandler(HWND owner, Handler handler) noexcept {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        try {
            ShowErrorBox(owner, "Out of memory");
        } catch (...) {
        }
    } catch (const std::exception& e) {
        try {
            ShowErrorBox(owner, e.what());
        } catch (...) {
        }
    } catch (...) {
    }
}

}  // namespace zv
