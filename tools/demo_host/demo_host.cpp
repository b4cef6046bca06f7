// The demo host's window: recipient fields, Send and Plug-in setup buttons, a status line.
// Usage: demo_host.exe                 interactive
//        demo_host.exe --script DIR    drives the confirmation and settings windows, screenshots into DIR
#include "demo_host.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace demo {
namespace {

constexpr char kClassName[] = "ZvDemoHostWindow";
constexpr char kTitle[] = "zvOvisto demo host";
constexpr int kClientWidth = 540, kClientHeight = 214;

using PlugInInfoFn = int(WINAPI*)(char*);
using OutgoingFn = int(WINAPI*)(HWND, int);
using SetupFn = int(WINAPI*)(int);

struct App {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HFONT font = nullptr;
    HMODULE plugin = nullptr;
    OutgoingFn outgoing = nullptr;
    SetupFn setup = nullptr;
    std::string info;
    bool busy = false;  // a callback is running; its modal loop may dispatch our messages
};
App g;

template <typename Fn>
Fn PluginExport(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(g.plugin, name)));
}

std::string ExeFolder() {
    std::vector<char> path(32768);
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::string folder(path.data(), length < path.size() ? length : 0);
    const size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? "." : folder.substr(0, slash);
}

void SetStatus(const std::string& text) {
    HWND status = GetDlgItem(g.main, kStatusLine);
    if (!status) return;
    SetWindowTextA(status, text.c_str());
    UpdateWindow(status);
}

HWND AddChild(const char* window_class, const char* text, DWORD style, int id, int x, int y, int w, int h,
              DWORD ex_style = 0) {
    HWND child = CreateWindowExA(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, g.main,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g.instance, nullptr);
    if (child && g.font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
    return child;
}

void CreateControls() {
    AddChild("STATIC", "", SS_LEFT | SS_NOPREFIX, kInfoLabel, 10, 8, 520, 34);
    const char* labels[] = {"To", "Cc", "Bcc"};
    for (int i = 0; i < 3; ++i) {
        const int y = 48 + i * 30;
        AddChild("STATIC", labels[i], SS_LEFT, -1, 10, y + 3, 36, 18);
        AddChild("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kEditTo + i, 50, y, 480, 22);
    }
    AddChild("BUTTON", "Send", WS_TABSTOP | BS_DEFPUSHBUTTON, kSendButton, 50, 142, 110, 26);
    AddChild("BUTTON", "Plug-in setup", WS_TABSTOP | BS_PUSHBUTTON, kSetupButton, 170, 142, 130, 26);
    AddChild("STATIC", "", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, kStatusLine, 10, 180, 520, 24, WS_EX_STATICEDGE);
}

std::string RecordText(const char* record, int offset) {
    const char* text = record + offset;
    size_t n = 0;
    while (n < 80 && text[n]) ++n;  // each field is 80 bytes; a full one has no NUL
    return std::string(text, n);
}

void LoadPlugin() {
    const std::string path = ExeFolder() + "\\zvOvisto.dll";
    g.plugin = LoadLibraryA(path.c_str());
    if (!g.plugin) {
        const DWORD error = GetLastError();
        g.info = "No plug-in";
        SetDlgItemTextA(g.main, kInfoLabel, g.info.c_str());
        SetStatus("Could not load " + path + " (error " + std::to_string(error) + ")");
        return;
    }
    const auto info = PluginExport<PlugInInfoFn>("ZVC_OnPlugInInfo");
    g.outgoing = PluginExport<OutgoingFn>("ZVC_OnOutgoing");
    g.setup = PluginExport<SetupFn>("ZVC_OnPlugInSetup");
    if (info) {
        char record[512] = {};
        info(record);
        g.info = "Plug-in: " + RecordText(record, 0) + "   version " + RecordText(record, 160) +
                 "\r\nVendor: " + RecordText(record, 80) + "   About: " + RecordText(record, 240);
    } else {
        g.info = "The plug-in gives no information (ZVC_OnPlugInInfo is missing)";
    }
    SetDlgItemTextA(g.main, kInfoLabel, g.info.c_str());
    if (!g.outgoing) {
        SetStatus("Loaded " + path + ", but it has no ZVC_OnOutgoing");
    } else {
        SetStatus("Loaded " + path);
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    try {
        switch (message) {
            case DM_GETDEFID:
                return MAKELRESULT(kSendButton, DC_HASDEFID);
            case WM_COMMAND:
                if (HIWORD(wparam) == BN_CLICKED && !g.busy) {
                    if (LOWORD(wparam) == kSendButton) {
                        SendNow();
                        return 0;
                    }
                    if (LOWORD(wparam) == kSetupButton) {
                        SetupNow();
                        return 0;
                    }
                }
                break;
            case WM_CLOSE:
                if (!g.busy) DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY:
                if (hwnd == g.main) {
                    g.main = nullptr;
                    PostQuitMessage(0);
                }
                return 0;
        }
    } catch (...) {
        g.busy = false;  // nothing may unwind into the system's dispatcher
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

bool CreateMainWindow() {
    WNDCLASSEXA wc = {sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = g.instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) return false;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    g.main = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, kTitle, style, 24, 24, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, g.instance, nullptr);
    if (!g.main) return false;
    CreateControls();
    ShowWindow(g.main, SW_SHOWNORMAL);
    UpdateWindow(g.main);
    return true;
}

int RunInteractive() {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got < 0) return 1;
        if (g.main && IsDialogMessageA(g.main, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool SameHeaderName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        const char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        const char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

}  // namespace

HWND MainWindow() { return g.main; }
bool PluginLoaded() { return g.outgoing != nullptr; }
std::string PluginInfoText() { return g.info; }

std::string StatusText() {
    char text[1024] = {};
    GetDlgItemTextA(g.main, kStatusLine, text, sizeof text);
    return text;
}

int AnswerHeader(HWND compose, const char* name, char* buffer, int capacity) {
    if (!name || !buffer || capacity <= 0) return 0;
    buffer[0] = '\0';
    int id = 0;
    if (SameHeaderName(name, "To")) id = kEditTo;
    else if (SameHeaderName(name, "Cc")) id = kEditCc;
    else if (SameHeaderName(name, "Bcc")) id = kEditBcc;
    if (id == 0) return 0;
    // The compose window is ours; anything else is answered from our fields all the same.
    HWND window = (compose && IsWindow(compose)) ? compose : g.main;
    HWND edit = GetDlgItem(window, id);
    if (!edit) edit = GetDlgItem(g.main, id);
    if (!edit) return 0;
    GetWindowTextA(edit, buffer, capacity);
    return 1;
}

void SetHeaderFields(const std::string& to, const std::string& cc, const std::string& bcc) {
    SetDlgItemTextA(g.main, kEditTo, to.c_str());
    SetDlgItemTextA(g.main, kEditCc, cc.c_str());
    SetDlgItemTextA(g.main, kEditBcc, bcc.c_str());
}

SendOutcome SendNow() {
    if (!g.outgoing) {
        SetStatus("Not sent: the plug-in is not loaded");
        return {false, 0};
    }
    SetStatus("Sending: the plug-in is checking the recipients ...");
    g.busy = true;
    const int result = g.outgoing(g.main, 0);
    g.busy = false;
    if (result == 0)
        SetStatus("Sent (ZVC_OnOutgoing returned 0)");
    else if (result == -1)
        SetStatus("Held back by the user (ZVC_OnOutgoing returned -1)");
    else
        SetStatus("Unexpected answer from ZVC_OnOutgoing: " + std::to_string(result));
    return {true, result};
}

SetupOutcome SetupNow() {
    if (!g.setup) {
        SetStatus("No plug-in setup: the plug-in is not loaded");
        return {false, 0};
    }
    SetStatus("Plug-in setup: the settings window is open ...");
    g.busy = true;
    const int result = g.setup(0);
    g.busy = false;
    SetStatus("Plug-in setup returned " + std::to_string(result));
    return {true, result};
}

void PumpFor(int ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // the script ends on its own
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

bool WaitPumping(HANDLE handle, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeout_ms) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, timeout_ms - spent, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

std::string FullPath(const std::string& path) {
    std::vector<char> full(32768);
    const DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return path;
    return std::string(full.data(), n);
}

}  // namespace demo

int main(int argc, char** argv) {
    using namespace demo;
    std::string script_folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
            script_folder = argv[++i];
        } else {
            std::fprintf(stderr, "usage: demo_host.exe [--script OUTPUT_FOLDER]\n");
            return 2;
        }
    }
    g.instance = GetModuleHandleA(nullptr);
    // 9 points on this screen, as the plug-in's windows have it.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    g.font = CreateFontA(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                         "ＭＳ Ｐゴシック");
    TEXTMETRICA metrics = {};
    const HGDIOBJ old_font = SelectObject(screen, g.font);
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, old_font);
    ReleaseDC(nullptr, screen);
    if (!script_folder.empty())
        std::printf("screen: %d dpi, text height %ld, the layouts' scale %ld/12\n", dpi, metrics.tmHeight,
                    metrics.tmHeight);
    int exit_code = 1;
    if (CreateMainWindow()) {
        LoadPlugin();
        try {
            exit_code = script_folder.empty() ? RunInteractive() : RunScript(script_folder);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "demo_host: %s\n", e.what());
        }
    } else {
        std::fprintf(stderr, "demo_host: cannot create the main window (error %lu)\n", GetLastError());
    }
    if (g.main) DestroyWindow(g.main);
    PumpFor(50);
    // The plug-in goes after every window that might still call into it.
    if (g.plugin) FreeLibrary(g.plugin);
    UnregisterClassA(kClassName, g.instance);
    if (g.font) DeleteObject(g.font);
    std::fflush(stdout);
    return exit_code;
}
