#include "base/window_classes_win32.h"

#include <string>
#include <vector>

#include "base/module_win32.h"
#include "base/app_error.h"

namespace zv {
namespace {
std::vector<std::string>& Registered() {
    static std::vector<std::string> names;
    return names;
}
}  // namespace

void EnsureWindowClass(const char* name, WNDPROC proc, UINT style, HBRUSH background) {
    for (const auto& n : Registered())
        if (n == name) return;
    WNDCLASSEXA wc = {sizeof wc};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    Registered().reserve(Registered().size() + 1);
    if (!RegisterClassExA(&wc)) {
        // A class of the same name left by an earlier load at this address: replace it.
        UnregisterClassA(name, ThisModule());
        if (!RegisterClassExA(&wc)) throw AppError("RegisterClass");
    }
    Registered().push_back(name);
}

void UnregisterWindowClasses() noexcept {
    for (const auto& n : Registered()) UnregisterClassA(n.c_str(), ThisModule());
    Registered().clear();
}

}  // namespace zv
