#include "window_driving.h"

#include <algorithm>

#include "demo_host.h"

namespace demo {
namespace {

struct WindowSearch {
    const WindowTest* test;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || !(*search->test)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!(*search->test)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

// Bounded: the plug-in's thread may be stuck, and the driver must not be.
LRESULT Ask(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT failed) {
    DWORD_PTR result = 0;
    if (!window || !SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 2000, &result))
        return failed;
    return static_cast<LRESULT>(result);
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    Ask(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[sizeof text - 1] = '\0';
    return text;
}

// Window texts are in the ANSI code page; the report is read as UTF-8.
std::string Printable(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return text;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return text;
    std::string utf8(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &utf8[0], m, nullptr, nullptr);
    return utf8;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool WaitFor(DWORD timeout_ms, const std::function<bool()>& ready) {
    const DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(25);
    }
    return true;
}

// The topmost visible top-level window of this process that passes the test.
HWND TopLevel(const WindowTest& test) {
    WindowSearch search = {&test, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopLevel(DWORD timeout_ms, const WindowTest& test) {
    HWND found = nullptr;
    WaitFor(timeout_ms, [&] { return (found = TopLevel(test)) != nullptr; });
    return found;
}

// A window inside `root`, at any depth.
HWND Descendant(HWND root, const WindowTest& test) {
    WindowSearch search = {&test, nullptr};
    if (root) EnumChildWindows(root, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The children of one class, top first.
std::vector<HWND> ChildrenByTop(HWND root, const char* window_class) {
    std::vector<HWND> found;
    Descendant(root, [&](HWND w) {
        if (lstrcmpiA(ClassOf(w).c_str(), window_class) == 0) found.push_back(w);
        return false;
    });
    std::stable_sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra = {}, rb = {};
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top < rb.top;
    });
    return found;
}

bool OwnedBy(HWND window, HWND owner) {
    for (HWND w = GetWindow(window, GW_OWNER); w; w = GetWindow(w, GW_OWNER))
        if (w == owner) return true;
    return false;
}

HWND ButtonWithText(HWND window, const char* text) {
    return Descendant(window, [&](HWND child) { return TextOf(child) == text; });
}

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

// The pointer in the screen's corner: a hint under it would cover part of a screenshot.
void ParkPointer() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1); }

bool ShootWindow(HWND window, const std::string& path) {
    ParkPointer();
    Sleep(600);  // the last change paints, and a hint the pointer left goes away
    RECT frame = {};
    return GetWindowRect(window, &frame) && SaveScreenRect(frame, path);
}

}  // namespace demo
