// The scripted demonstration of the sends: one Send per window height, each answered from a
// driver thread after it has photographed the confirmation window. The host's thread stays
// in the callback meanwhile, as it would for a user. Every wait has a timeout.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "demo_host.h"
#include "window_driving.h"

namespace demo {
namespace {

constexpr char kCaption[] = "zvOvisto - アドレス確認";
constexpr char kSendText[] = "送信";
constexpr DWORD kDriverTimeoutMs = 40000;  // longer than every wait of the driver together

struct Case {
    const char* name;
    const char *to, *cc, *bcc;
    bool press_send;  // or cancel
    int expected;
};

// The map written by make_samples decides the tiles: six kinds per case, one missing file.
const Case kCases[] = {
    {"to-only",
     "taro@example.jp, hanako@example.jp, jiro@example.jp, saburo@example.jp, shiro@example.jp, "
     "goro@example.jp",
     "", "", true, 0},
    {"to-cc-scrolling", "taro@example.jp, goro@example.jp",
     "ito@sales.example.jp, kato@sales.example.jp, sato@sales.example.jp, suzuki@sales.example.jp, "
     "takahashi@sales.example.jp, tanaka@sales.example.jp, watanabe@sales.example.jp, "
     "yamamoto@sales.example.jp",
     "", true, 0},
    {"to-cc-bcc-cancelled", "hanako@example.jp, 山田 太郎 <yamada@example.jp>",
     "saburo@example.jp, shiro@example.jp", "taro@example.jp, jiro@example.jp, goro@example.jp", false, -1},
    // One photo stored in each of the eight Exif orientations: eight upright tiles.
    {"exif-orientations",
     "orientation-1@camera.example.jp, orientation-2@camera.example.jp, orientation-3@camera.example.jp",
     "orientation-4@camera.example.jp, orientation-5@camera.example.jp, orientation-6@camera.example.jp",
     "orientation-7@camera.example.jp, orientation-8@camera.example.jp", true, 0},
};

// Shared with the driver thread, so it lives as long as the process.
struct Job {
    const Case* c = nullptr;
    std::string shot;
    std::atomic<bool> seen{false}, saved{false}, answered{false}, closed{false};
    std::atomic<int> client_width{0}, client_height{0};
};
Job g_jobs[sizeof kCases / sizeof kCases[0]];

HWND WaitForConfirmWindow(DWORD timeout_ms) {
    HWND window = nullptr;
    WaitFor(timeout_ms, [&] { return (window = FindWindowA(nullptr, kCaption)) && IsWindowVisible(window); });
    return window && IsWindowVisible(window) ? window : nullptr;
}

DWORD WINAPI Drive(void* param) {
    Job& job = *static_cast<Job*>(param);
    HWND window = WaitForConfirmWindow(kAppearTimeoutMs);
    if (!window) return 0;
    job.seen = true;
    WaitFor(5000, [&] { return IsWindowEnabled(ButtonWithText(window, kSendText)) != FALSE; });
    Sleep(500);  // the tiles paint after the window shows
    RECT frame = {}, client = {};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    job.client_width = client.right;
    job.client_height = client.bottom;
    job.saved = SaveScreenRect(frame, job.shot);
    HWND button = ButtonWithText(window, job.c->press_send ? kSendText : kCancelText);
    if (button && PostMessageA(button, BM_CLICK, 0, 0)) job.answered = true;
    if (!WaitFor(5000, [&] { return Gone(window); })) {
        PostMessageA(window, WM_CLOSE, 0, 0);  // so that the callback returns
        WaitFor(5000, [&] { return Gone(window); });
    }
    job.closed = Gone(window);
    return 0;
}

const char* Meaning(int result) {
    if (result == 0) return "sent";
    if (result == -1) return "held back";
    return "unexpected";
}

bool RunCase(int index, const std::string& folder) {
    const Case& c = kCases[index];
    Job& job = g_jobs[index];
    job.c = &c;
    job.shot = folder + "\\" + std::to_string(index + 1) + "-" + c.name + ".bmp";
    DeleteFileA(job.shot.c_str());
    SetHeaderFields(c.to, c.cc, c.bcc);
    PumpFor(150);

    HANDLE driver = CreateThread(nullptr, 0, Drive, &job, 0, nullptr);
    if (!driver) {
        std::printf("%-20s no driver thread (error %lu)  FAILED\n", c.name, GetLastError());
        return false;
    }
    const SendOutcome outcome = SendNow();
    const bool finished = WaitPumping(driver, kDriverTimeoutMs);
    CloseHandle(driver);

    std::string problem;
    if (!outcome.called) problem = "the plug-in is not loaded";
    else if (!job.seen) problem = "no confirmation window within 15 s";
    else if (!finished) problem = "the driver did not finish";
    else if (!job.saved) problem = "no screenshot";
    else if (!job.answered) problem = "no button to press";
    else if (outcome.result != c.expected) problem = "expected " + std::to_string(c.expected);
    std::printf("%-20s %s  result %d (%s)  client %dx%d  %s\n", c.name, job.saved ? job.shot.c_str() : "-",
                outcome.result, Meaning(outcome.result), job.client_width.load(), job.client_height.load(),
                problem.empty() ? "ok" : ("FAILED: " + problem).c_str());
    std::fflush(stdout);
    return problem.empty();
}

}  // namespace

int RunScript(const std::string& out_folder) {
    const std::string folder = FullPath(out_folder);
    CreateDirectoryA(folder.c_str(), nullptr);  // may exist already
    std::string info = PluginInfoText();
    for (size_t at; (at = info.find("\r\n")) != std::string::npos;) info.replace(at, 2, " / ");
    std::printf("%-20s %s\n", "plug-in", info.c_str());
    // The pointer away from the windows: a hint over a tile would hide part of the screenshot.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    std::fflush(stdout);
    bool ok = PluginLoaded();
    if (!ok) std::printf("FAILED: %s\n", StatusText().c_str());
    PumpFor(300);

    if (ok) {
        for (int i = 0; i < static_cast<int>(sizeof kCases / sizeof kCases[0]); ++i) ok = RunCase(i, folder) && ok;
        // Three row counts, three heights.
        const int a = g_jobs[0].client_height, b = g_jobs[1].client_height, c = g_jobs[2].client_height;
        if (ok && !(a < b && b < c)) {
            std::printf("FAILED: the window heights %d, %d, %d do not grow with the rows\n", a, b, c);
            ok = false;
        }
    }

    // The host window with the last outcome in its status line.
    HWND main = MainWindow();
    SetForegroundWindow(main);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(500);
    RECT frame = {};
    GetWindowRect(main, &frame);
    const std::string shot = folder + "\\4-host-window.bmp";
    const bool saved = SaveScreenRect(frame, shot);
    std::printf("%-20s %s  status: %s%s\n", "host-window", saved ? shot.c_str() : "-", StatusText().c_str(),
                saved ? "" : "  FAILED: no screenshot");
    std::fflush(stdout);

    const bool settings_ok = PluginLoaded() && RunSettingsScript(folder);
    return ok && saved && settings_ok ? 0 : 1;
}

}  // namespace demo
