#include "ui_driver.h"

#include <cstdio>
#include <cstdlib>

#include "base/plain_message_box_win32.h"

namespace zv::host {

namespace {

// ZV_WAIT_SCALE=N stretches every wait N times, for a machine that runs the windows many times
// slower than Wine on the build machine (the emulated 32-bit machine).
DWORD WaitScale() {
    static const DWORD scale = [] {
        const char* text = std::getenv("ZV_WAIT_SCALE");
        const long n = text ? std::strtol(text, nullptr, 10) : 1;
        return static_cast<DWORD>(n >= 1 && n <= 100 ? n : 1);
    }();
    return scale;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& ready, int timeout_ms) {
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(timeout_ms) * WaitScale();
    while (!ready()) {
        if (GetTickCount() - start > limit) return false;
        Sleep(20);
    }
    return true;
}

HWND WaitForWindow(const char* caption, int timeout_ms) {
    HWND found = nullptr;
    WaitUntil([&] {
        found = FindWindowA(nullptr, caption);
        return found && IsWindowVisible(found);
    }, timeout_ms);
    return found && IsWindowVisible(found) ? found : nullptr;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

UniqueWindow MakeActiveHostWindow() {
    UniqueWindow window(CreateWindowExA(0, "STATIC", "compose", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                        nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(window.get());
    SetActiveWindow(window.get());
    return window;
}

bool WaitForWindowGone(HWND window, int timeout_ms) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout_ms);
}

namespace {
// Cancels the thread's visible boxes and dialogs other than `except`: the system's message box,
// file dialog and the plug-in's plain box take IDCANCEL as "close"; a yes/no box may want IDNO.
BOOL CALLBACK CancelIfDialog(HWND w, LPARAM except) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    const bool dialog = lstrcmpA(name, "#32770") == 0 || lstrcmpA(name, kPlainMessageBoxClass) == 0;
    if (w == reinterpret_cast<HWND>(except) || !dialog || !IsWindowVisible(w)) return TRUE;
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(w, WM_COMMAND, IDNO, 0);
    return TRUE;
}
}  // namespace

bool CloseLeftOpen(HWND window, int grace_ms) {
    if (WaitForWindowGone(window, grace_ms)) return true;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    for (int round = 0; round < 20; ++round) {
        EnumThreadWindows(thread, CancelIfDialog, reinterpret_cast<LPARAM>(window));
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForWindowGone(window, 500)) return true;
    }
    return false;
}

namespace {
// The text of a box's label, or of the view a long text scrolls in, whole.
std::string MessageBoxText(HWND box) {
    std::string text;
    for (const ChildInfo& c : ChildrenOf(box)) {
        if (lstrcmpiA(c.class_name.c_str(), "Static") != 0 && lstrcmpiA(c.class_name.c_str(), "Edit") != 0) continue;
        const int length = GetWindowTextLengthA(c.hwnd);
        if (length <= 0) continue;
        std::string whole(static_cast<size_t>(length) + 1, '\0');
        whole.resize(static_cast<size_t>(GetWindowTextA(c.hwnd, &whole[0], length + 1)));
        text = whole;
    }
    return text;
}
}  // namespace

HWND WaitForMessageBox(const char* caption, int timeout_ms) {
    // Any top-level window with the caption, in any case as FindWindow matches it: the
    // system's box or the plug-in's plain one.
    struct Search {
        const char* caption;
        HWND box;
        static BOOL CALLBACK One(HWND window, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            char text[256] = {};
            GetWindowTextA(window, text, sizeof text);
            if (lstrcmpiA(text, s->caption) != 0 || !IsWindowVisible(window) || MessageBoxText(window).empty()) return TRUE;
            s->box = window;
            return FALSE;
        }
    } search{caption, nullptr};
    WaitUntil([&] {
        search.box = nullptr;
        EnumWindows(Search::One, reinterpret_cast<LPARAM>(&search));
        return search.box != nullptr;
    }, timeout_ms);
    return search.box;
}

std::string AnswerMessageBox(HWND box, int button) {
    const std::string text = MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, button, 0);
    WaitForWindowGone(box, 3000);
    return text;
}

std::vector<ChildInfo> ChildrenOf(HWND window) {
    struct Context {
        HWND top;
        std::vector<ChildInfo> children;
    } context{window, {}};
    struct Collect {
        static BOOL CALLBACK One(HWND child, LPARAM param) {
        auto* c = reinterpret_cast<Context*>(param);
        ChildInfo info{child};
        char buffer[512] = {};
        GetClassNameA(child, buffer, sizeof buffer);
        info.class_name = buffer;
        buffer[0] = 0;
        GetWindowTextA(child, buffer, sizeof buffer);
        info.text = buffer;
        info.rect = RectIn(child, c->top);
        info.visible = IsWindowVisible(child);
        info.enabled = IsWindowEnabled(child);
        c->children.push_back(info);
        return TRUE;
        }
    };
    EnumChildWindows(window, Collect::One, reinterpret_cast<LPARAM>(&context));
    return context.children;
}

ChildInfo ChildWithText(HWND window, const std::string& text) {
    for (const ChildInfo& c : ChildrenOf(window))
        if (c.text == text) return c;
    return ChildInfo{};
}

SIZE ClientSize(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

RECT RectIn(HWND window, HWND top) {
    RECT r = {};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Screenshot::Screenshot(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    width_ = r.right;
    height_ = r.bottom;
    ScopedWindowDc screen(nullptr);
    UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return;
    ScopedSelectObject selected(dc.get(), bitmap.get());
    BitBlt(dc.get(), 0, 0, width_, height_, screen.get(), origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    pixels_.assign(px, px + size_t(width_) * height_);
}

COLORREF Screenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return CLR_INVALID;
    const uint32_t p = pixels_[size_t(y) * width_ + x];
    return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
}

bool Screenshot::SavePng(const std::string& path) const {
    // Written as a BMP; the demo script converts it.
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint32_t image = uint32_t(width_) * height_ * 4;
    BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + image), 0, 0,
                           DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    BITMAPINFOHEADER ih = {sizeof ih, width_, -height_, 1, 32, BI_RGB};
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::fwrite(pixels_.data(), 4, pixels_.size(), f);
    return std::fclose(f) == 0;
}

int ScreenDpi() {
    ScopedWindowDc dc(nullptr);
    return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

int MeasuredTextHeight() {
    // 9 points on this screen.
    UniqueFont font(CreateFontA(-MulDiv(9, ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                VARIABLE_PITCH | FF_SWISS, "ＭＳ Ｐゴシック"));
    ScopedWindowDc dc(nullptr);
    ScopedSelectObject selected(dc.get(), font.get());
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc.get(), &tm);
    return tm.tmHeight;
}

int ScaledBy(int value, int text_height) { return MulDiv(value, text_height, 12); }

void ScaledLengths::Length(const std::string& what, long measured, int layout) {
    const int expected = ScaledBy(layout, text_height_);
    if (std::abs(measured - expected) <= 1) return;
    off_ += what + ": " + std::to_string(measured) + ", not " + std::to_string(expected) + " (" +
            std::to_string(layout) + " at 12)\n";
}

void ScaledLengths::Rect(const std::string& what, const RECT& r, int left, int top, int width, int height) {
    Length(what + " left", r.left, left);
    Length(what + " top", r.top, top);
    if (width >= 0) Length(what + " width", r.right - r.left, width);
    if (height >= 0) Length(what + " height", r.bottom - r.top, height);
}

Driver::Driver(std::function<void()> drive)
    : finished_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      thread_([this, drive = std::move(drive)] {
          drive();
          SetEvent(finished_.get());
      }) {}

Driver::~Driver() {
    // Only sent messages are taken here: posted ones stay for whatever pumps next.
    HANDLE finished = finished_.get();
    while (finished &&
           MsgWaitForMultipleObjects(1, &finished, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread_.join();
}

}  // namespace zv::host
