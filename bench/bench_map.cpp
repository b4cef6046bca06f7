// Times what the picture map costs as it grows, at 1,000, 10,000 and 30,000 lines of a
// realistic mix (bench/map_mix.h), with the system's file system and code page:
//   load    LoadMap of the file, as the settings window and every send read it
//   check   CheckMap, as "チェック" runs it, and how much of it the existence tests take
//   open    ZVC_OnPlugInSetup until the settings window's list has painted, through the DLL
//   box     "チェック" clicked until the report's box is up (the check and the box)
//   report  the plain box alone with that report, until it is up
//   add     one "<<" with valid fields, until the list has painted again
//   save    OK, until the map is written with its backup
//   send    a send's matching and lookup: MatchingTiles for its To, Cc and Bcc
// The DLL's windows are driven from a second thread, as the Windows tests drive them.
// Usage: bench_map [--rounds R] [--sizes N,N,...] PICTURE_FOLDER
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/code_page.h"
#include "base/file_system.h"
#include "base/plain_message_box_win32.h"
#include "bench_support.h"
#include "confirm/recipient_rows.h"
#include "map/picture_map.h"
#include "map_mix.h"
#include "settings/map_check.h"
#include "substitute_host.h"
#include "ui_driver.h"

namespace {

using namespace bench;

constexpr char kSettingsCaption[] = "zvOvisto - 設定";
constexpr char kAddedKey[] = "added.by.bench@example.co.jp";

// Makes the picture files the mix names, a hundred to a folder; a folder's marker says it is
// complete. Creating them under Wine is slow (about 0.2 ms a file), so they are kept.
void EnsurePictures(const std::string& folder, size_t lines) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (size_t first = 0; first < lines; first += 100) {
        const std::string first_path = PicturePath(folder, first);
        const std::string sub = first_path.substr(0, first_path.rfind('\\'));
        const std::string marker = sub + "\\complete";
        if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        CreateDirectoryA(sub.c_str(), nullptr);
        for (size_t line = first; line < first + 100; ++line)
            zv::host::WriteFileBytes(PicturePath(folder, line), "");
        zv::host::WriteFileBytes(marker, "");
    }
}

// The system's file system, with the time its find-first-file searches take.
class TimedFileSystem : public zv::FileSystem {
public:
    zv::ReadResult ReadAll(const std::string& path, std::string& bytes) override { return fs_.ReadAll(path, bytes); }
    zv::WriteResult WriteNew(const std::string& path, const std::string& bytes) override {
        return fs_.WriteNew(path, bytes);
    }
    bool CanReplace(const std::string& path) override { return fs_.CanReplace(path); }
    bool Delete(const std::string& path) override { return fs_.Delete(path); }
    bool Rename(const std::string& from, const std::string& to) override { return fs_.Rename(from, to); }
    zv::FoundFile FindFirst(const std::string& path) override {
        const double start = Now();
        const zv::FoundFile found = fs_.FindFirst(path);
        find_seconds += Now() - start;
        ++finds;
        return found;
    }

    double find_seconds = 0;
    size_t finds = 0;

private:
    zv::FileSystem& fs_ = zv::SystemFileSystem();
};

size_t CountFindings(const std::string& report) {
    if (report.empty()) return 0;
    size_t count = 1;
    for (size_t at = report.find("\r\n"); at != std::string::npos; at = report.find("\r\n", at + 2)) ++count;
    return count;
}

// The settings window's first paint of its list, seen by a WH_GETMESSAGE hook on the host's
// thread: the list's WM_PAINT taken from the queue, and the next message taken after it.
struct OpenWatch {
    HWND list = nullptr;
    bool painting = false;
    double painted_at = 0;
    std::atomic<bool> painted{false};
};
OpenWatch g_open;

bool IsClass(HWND hwnd, const char* name) {
    char found[64] = {};
    return hwnd && GetClassNameA(hwnd, found, sizeof found) && lstrcmpiA(found, name) == 0;
}

LRESULT CALLBACK OnGetMessage(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && wparam == PM_REMOVE && !g_open.painted) {
        const MSG* msg = reinterpret_cast<const MSG*>(lparam);
        if (g_open.painting) {
            g_open.painted_at = Now();
            g_open.painted = true;
        } else if (msg->message == WM_PAINT && IsClass(msg->hwnd, "ListBox")) {
            char caption[64] = {};
            GetWindowTextA(GetAncestor(msg->hwnd, GA_ROOT), caption, sizeof caption);
            if (lstrcmpA(caption, kSettingsCaption) == 0) {
                g_open.list = msg->hwnd;
                g_open.painting = true;
                PostMessageA(msg->hwnd, WM_NULL, 0, 0);  // taken as soon as the paint returns
            }
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

struct WindowTimes {
    double open = 0, box = -1, add = 0, save = 0;
    size_t report_bytes = 0;
    bool ok = false;
};

HWND ChildByText(HWND window, const char* text) { return zv::host::ChildWithText(window, text).hwnd; }

std::vector<HWND> EditsByTop(HWND window) {
    std::vector<zv::host::ChildInfo> edits;
    for (const auto& c : zv::host::ChildrenOf(window))
        if (lstrcmpiA(c.class_name.c_str(), "Edit") == 0) edits.push_back(c);
    std::sort(edits.begin(), edits.end(), [](const auto& a, const auto& b) { return a.rect.top < b.rect.top; });
    std::vector<HWND> found;
    for (const auto& e : edits) found.push_back(e.hwnd);
    return found;
}

bool Click(HWND button) {
    DWORD_PTR ignored = 0;
    return button && SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 120000, &ignored) != 0;
}

// "チェック" clicked until the plain box is up; the box is closed again. Seconds, or -1.
double TimeCheckBox(HWND window, size_t& report_bytes) {
    const double start = Now();
    PostMessageA(ChildByText(window, "チェック"), BM_CLICK, 0, 0);
    HWND box = nullptr;
    zv::host::WaitUntil([&] {
        box = FindWindowA(zv::kPlainMessageBoxClass, nullptr);
        return box && IsWindowVisible(box);
    }, 120000);
    const double shown = Now();
    if (!box || !IsWindowVisible(box)) return -1;
    for (const auto& c : zv::host::ChildrenOf(box))
        if (!IsClass(c.hwnd, "Button")) report_bytes = static_cast<size_t>(GetWindowTextLengthA(c.hwnd));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    zv::host::WaitForWindowGone(box, 10000);
    return shown - start;
}

// The plain box alone, with the check's report, until it is up; closed again. Seconds, or -1.
double TimeReportBox(const std::string& report) {
    double shown = -1;
    const double start = Now();
    {
        zv::host::Driver driver([&] {
            HWND box = nullptr;
            if (!zv::host::WaitUntil([&] {
                    box = FindWindowA(zv::kPlainMessageBoxClass, nullptr);
                    return box && IsWindowVisible(box);
                }, 120000))
                return;
            shown = Now() - start;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        zv::ShowPlainMessage(nullptr, zv::CheckMapMessage(report));
    }
    return shown;
}

// Opens the settings window through the DLL, then (from a second thread) clicks "チェック"
// when asked, adds a line with "<<" and presses OK.
WindowTimes TimeWindow(const zv::host::LoadedPlugin& plugin, size_t lines, const std::string& picture, bool with_box) {
    WindowTimes times;
    g_open.list = nullptr;
    g_open.painting = false;
    g_open.painted = false;
    bool added = false;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, OnGetMessage, nullptr, GetCurrentThreadId());
    const double start = Now();
    int result = 0;
    {
        zv::host::Driver driver([&] {
            if (!zv::host::WaitUntil([&] { return g_open.painted.load(); }, 120000)) return;
            HWND list = g_open.list;
            HWND window = GetAncestor(list, GA_ROOT);
            if (with_box) times.box = TimeCheckBox(window, times.report_bytes);
            const std::vector<HWND> edits = EditsByTop(window);
            if (edits.size() != 2) return;
            SendMessageA(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kAddedKey));
            SendMessageA(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picture.c_str()));
            double at = Now();
            if (!Click(ChildByText(window, "<<"))) return;
            UpdateWindow(list);  // the paint it asked for, done on the window's thread
            times.add = Now() - at;
            added = static_cast<size_t>(SendMessageA(list, LB_GETCOUNT, 0, 0)) == lines + 1;
            at = Now();
            Click(ChildByText(window, "OK"));
            times.save = Now() - at;
            zv::host::CloseLeftOpen(window);
        });
        result = plugin.OnPlugInSetup();
    }
    UnhookWindowsHookEx(hook);
    times.open = g_open.painted_at - start;
    const std::string saved = zv::host::ReadFileBytes(plugin.ini_path());
    const std::string last = std::string(kAddedKey) + "=" + picture + "\r\n";
    times.ok = result == 1 && added && g_open.painted && (!with_box || times.box >= 0) &&
               saved.size() >= last.size() && saved.compare(saved.size() - last.size(), last.size(), last) == 0;
    return times;
}

struct SizeFigures {
    size_t lines = 0;
    std::vector<double> load, check, finds, send, open, add, save;
    double box = -1, report_box = -1, plain_check = 0, plain_finds = 0;
    size_t find_calls = 0, findings = 0, tiles = 0, report_bytes = 0, plain_findings = 0;
    int failures = 0;
};

double Best(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

// The searches' share of the fastest check.
double SearchesOfBestCheck(const SizeFigures& f) {
    if (f.check.empty()) return 0;
    return f.finds[static_cast<size_t>(std::min_element(f.check.begin(), f.check.end()) - f.check.begin())];
}

SizeFigures TimeSize(const zv::host::LoadedPlugin& plugin, size_t lines, int rounds, int check_rounds,
                     const std::string& folder) {
    SizeFigures f;
    f.lines = lines;
    const MapMix mix = MakeMapMix(lines, folder);
    const zv::CodePage& cp = zv::SystemCodePage();
    std::printf("map %6zu lines: %zu shadowed, %zu with a missing picture, %zu double-byte keys, %zu in capitals; "
                "%.0f KB\n",
                lines, mix.shadowed, mix.missing, mix.double_byte, mix.case_variants, mix.text.size() / 1024.0);
    std::fflush(stdout);
    for (int round = 0; round < rounds; ++round) {
        zv::host::WriteFileBytes(plugin.ini_path(), mix.text);
        zv::MapLines map;
        double at = Now();
        zv::LoadMap(zv::SystemFileSystem(), plugin.ini_path(), map);
        f.load.push_back(Now() - at);
        if (map.size() != lines) ++f.failures;

        if (round < check_rounds) {
            TimedFileSystem fs;
            at = Now();
            const std::string report = zv::CheckMap(map, fs, cp);
            f.check.push_back(Now() - at);
            f.finds.push_back(fs.find_seconds);
            f.find_calls = fs.finds;
            f.findings = CountFindings(report);
            if (round == 0) f.report_box = TimeReportBox(report);
        }

        at = Now();
        size_t tiles = 0;
        for (const std::string* header : {&mix.to, &mix.cc, &mix.bcc}) tiles += zv::MatchingTiles(map, *header, cp).size();
        f.send.push_back(Now() - at);
        f.tiles = tiles;

        // The button's box checks the map again: once, and not above 10,000 lines, where the
        // check and the report's box alone say what it would take.
        const WindowTimes w = TimeWindow(plugin, lines, PicturePath(folder, 0), round == 0 && lines <= 10000);
        if (!w.ok) ++f.failures;
        f.open.push_back(w.open);
        f.add.push_back(w.add);
        f.save.push_back(w.save);
        if (round == 0) {
            f.box = w.box;
            f.report_bytes = w.report_bytes;
        }
    }
    zv::MapLines plain = zv::SplitMapText(PlainMissingMap(lines));
    TimedFileSystem plain_fs;
    const double at = Now();
    f.plain_findings = CountFindings(zv::CheckMap(plain, plain_fs, cp));
    f.plain_check = Now() - at;
    f.plain_finds = plain_fs.find_seconds;

    const auto ms = [](double s) { return s * 1e3; };
    const double checked = Best(f.check), finds = SearchesOfBestCheck(f);
    std::printf("map %6zu load   %9.1f ms\n", lines, ms(Best(f.load)));
    std::printf("map %6zu check  %9.1f ms  %zu findings; %zu find-first-file searches %.1f ms (%.0f us each) of it\n",
                lines, ms(checked), f.findings, f.find_calls, ms(finds), f.find_calls ? finds * 1e6 / f.find_calls : 0);
    std::printf("map %6zu open   %9.1f ms  ZVC_OnPlugInSetup to the list painted\n", lines, ms(Best(f.open)));
    if (f.box >= 0)
        std::printf("map %6zu box    %9.1f ms  the check button to the report's box shown (%zu bytes), first round\n",
                    lines, ms(f.box), f.report_bytes);
    std::printf("map %6zu report %9.1f ms  the report alone in the plain box until it is shown\n", lines,
                ms(f.report_box));
    std::printf("map %6zu add    %9.1f ms  \"<<\" to the list painted again\n", lines, ms(Best(f.add)));
    std::printf("map %6zu save   %9.1f ms  OK to the map written\n", lines, ms(Best(f.save)));
    std::printf("map %6zu send   %9.1f ms  To, Cc, Bcc of 20 addresses each: %zu tiles\n", lines, ms(Best(f.send)),
                f.tiles);
    std::printf("map %6zu check of the plain map (C:\\pics\\uNNNNN.jpg, none there) %9.1f ms, %zu findings; "
                "searches %.1f ms of it\n",
                lines, ms(f.plain_check), f.plain_findings, ms(f.plain_finds));
    if (f.failures) std::printf("map %6zu FAILED %d\n", lines, f.failures);
    std::fflush(stdout);
    return f;
}

void PrintGoal(const char* what, double value, const char* unit, const char* relation, double goal) {
    const bool pass = relation[0] == '<' ? value <= goal : value >= goal;
    std::printf("goal   %-40s %9.2f %-2s %s %.2f  %s\n", what, value, unit, relation, goal, pass ? "PASS" : "MISS");
}

void PrintGrowth(const SizeFigures& small, const SizeFigures& large) {
    const auto ratio = [](double a, double b) { return a >= 0 && b > 0 ? a / b : 0; };  // 0: not timed
    std::printf("ratio  %zu / %zu lines: load %.1f, check %.1f (without the searches %.1f), open %.1f, box %.1f, "
                "report %.1f, add %.1f, save %.1f, send %.1f, plain check %.1f\n",
                large.lines, small.lines, ratio(Best(large.load), Best(small.load)),
                ratio(Best(large.check), Best(small.check)),
                ratio(Best(large.check) - SearchesOfBestCheck(large), Best(small.check) - SearchesOfBestCheck(small)),
                ratio(Best(large.open), Best(small.open)), ratio(large.box, small.box),
                ratio(large.report_box, small.report_box),
                ratio(Best(large.add), Best(small.add)), ratio(Best(large.save), Best(small.save)),
                ratio(Best(large.send), Best(small.send)), ratio(large.plain_check, small.plain_check));
}

bool ParseSizes(const char* text, std::vector<size_t>& sizes) {
    sizes.clear();
    for (const char* at = text; *at;) {
        char* end = nullptr;
        const unsigned long n = std::strtoul(at, &end, 10);
        if (end == at || n == 0 || n > 99999) return false;
        sizes.push_back(n);
        at = *end == ',' ? end + 1 : end;
        if (*end && *end != ',') return false;
    }
    return !sizes.empty();
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<size_t> sizes = {1000, 10000, 30000};
    std::string folder;
    bool usable = true;
    for (int i = 1; i < argc && usable; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--sizes" && i + 1 < argc)
            usable = ParseSizes(argv[++i], sizes);
        else if (folder.empty() && arg[0] != '-')
            folder = arg;
        else
            usable = false;
    }
    if (!usable || folder.empty()) {
        std::fprintf(stderr, "usage: bench_map [--rounds R] [--sizes N,N,...] PICTURE_FOLDER\n");
        return 2;
    }
    // The largest maps are checked once: their check alone takes seconds under Wine.
    std::printf("bench_map: the picture map as it grows, %d rounds (of the check 1 above 10,000 lines), the best of "
                "them; the check button's box in the first round, up to 10,000 lines\n",
                rounds);
    std::fflush(stdout);
    EnsurePictures(folder, *std::max_element(sizes.begin(), sizes.end()));
    zv::host::Script() = zv::host::HostScript();
    zv::host::LoadedPlugin plugin;
    if (!plugin.loaded()) {
        std::printf("bench_map: cannot load %s (error %lu)\n", plugin.dll_path().c_str(), plugin.load_error());
        return 1;
    }
    std::map<size_t, SizeFigures> figures;
    int failures = 0;
    for (size_t lines : sizes) {
        figures[lines] = TimeSize(plugin, lines, rounds, lines > 10000 ? 1 : rounds, folder);
        failures += figures[lines].failures;
    }
    if (figures.count(1000) && figures.count(10000)) {
        const SizeFigures &small = figures[1000], &large = figures[10000];
        PrintGrowth(small, large);
        PrintGoal("check at 10,000 lines", Best(large.check) * 1e3, "ms", "<=", 1000);
        // Where that misses, the platform's searches are why: one per distinct path, as few as
        // the rule allows. The same goal without them, and on the plain map, says what is left.
        PrintGoal("  the same without find-first-file", (Best(large.check) - SearchesOfBestCheck(large)) * 1e3, "ms",
                  "<=", 1000);
        PrintGoal("  the plain map's check at 10,000 lines", large.plain_check * 1e3, "ms", "<=", 1000);
        PrintGoal("check 10,000 / 1,000", Best(large.check) / Best(small.check), "", "<=", 12);
        PrintGoal("  the plain map's check 10,000 / 1,000", large.plain_check / small.plain_check, "", "<=", 12);
        PrintGoal("settings window open at 10,000 lines", Best(large.open) * 1e3, "ms", "<=", 1000);
        PrintGoal("one add at 10,000 lines", Best(large.add) * 1e3, "ms", "<=", 500);
        PrintGoal("one save at 10,000 lines", Best(large.save) * 1e3, "ms", "<=", 500);
        PrintGoal("a send's matching at 10,000 keys", Best(large.send) * 1e3, "ms", "<=", 50);
    }
    if (figures.count(10000) && figures.count(30000)) PrintGrowth(figures[10000], figures[30000]);
    std::printf("bench_map: %s\n", failures ? "finished with failures" : "finished");
    return failures ? 1 : 0;
}
