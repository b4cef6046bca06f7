// Times the confirmation window as the mail client meets it: from the call of ZVC_OnOutgoing
// to the moment every tile in view has been painted, with sixty photos in three rows of
// twenty (seven of each row in view), through the real DLL and the substitute host.
//   parallel  as shipped: the tiles in view decoded together on min(cores, 4) threads
//   serial    the same with the process pinned to one processor, where each tile decodes
//             inside its own paint
//   floor     bare libjpeg at 1/8 over the 21 files in view, file reads included, one after
//             another; the goal divides it by min(cores, 4)
// A WH_GETMESSAGE hook on the host's thread sees each tile's WM_PAINT taken from the queue
// and the next message taken after it, i.e. when that paint has returned.
// Usage: bench_window [--rounds R] FOLDER [PROGRESSIVE_FOLDER]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "bench_support.h"
#include "substitute_host.h"

namespace {

using namespace bench;

constexpr int kRows = 3, kPerRow = 20;
const HWND kCompose = reinterpret_cast<HWND>(0x4321);

bool IsClass(HWND hwnd, const char* name) {
    char found[64] = {};
    return hwnd && GetClassNameA(hwnd, found, sizeof found) && lstrcmpA(found, name) == 0;
}

// The tiles that show some of themselves in their row's view.
size_t TilesInView(HWND form) {
    size_t count = 0;
    for (HWND box = GetWindow(form, GW_CHILD); box; box = GetWindow(box, GW_HWNDNEXT)) {
        if (!IsClass(box, "ZvScrollBox")) continue;
        RECT view;
        GetClientRect(box, &view);
        for (HWND tile = GetWindow(box, GW_CHILD); tile; tile = GetWindow(tile, GW_HWNDNEXT)) {
            RECT r, overlap;
            GetWindowRect(tile, &r);
            MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
            if (IntersectRect(&overlap, &r, &view)) ++count;
        }
    }
    return count;
}

struct PaintWatch {
    std::set<HWND> painted;
    HWND painting = nullptr;  // the tile whose WM_PAINT was taken last
    HWND form = nullptr;
    size_t in_view = 0;
    double first_paint_at = 0;
    double done_at = 0;
};
PaintWatch g_watch;

LRESULT CALLBACK OnGetMessage(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && wparam == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lparam);
        if (g_watch.painting) {  // a message taken after a tile's paint: that paint returned
            g_watch.painted.insert(g_watch.painting);
            g_watch.painting = nullptr;
            if (g_watch.done_at == 0 && g_watch.painted.size() >= g_watch.in_view) {
                g_watch.done_at = Now();
                PostMessageA(g_watch.form, WM_COMMAND, IDCANCEL, 0);
            }
        }
        if (msg->message == WM_PAINT && IsClass(msg->hwnd, "ZvPictureControl")) {
            if (!g_watch.form) {
                g_watch.first_paint_at = Now();
                g_watch.form = GetAncestor(msg->hwnd, GA_ROOT);
                g_watch.in_view = TilesInView(g_watch.form);
            }
            g_watch.painting = msg->hwnd;
            PostMessageA(msg->hwnd, WM_NULL, 0, 0);  // taken as soon as the paint returns
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Should the tiles in view never all paint, the window is closed rather than left waiting.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    HWND form = FindWindowA(nullptr, "zvOvisto - アドレス確認");
    if (form) PostMessageA(form, WM_CLOSE, 0, 0);
}

int Threads() {
    DWORD_PTR process = 0, system = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &process, &system);
    int count = 0;
    for (; process; process &= process - 1) ++count;
    return std::min(std::max(count, 1), 4);
}

struct Shown {
    double seconds = 0;
    double before_first_paint = 0;  // loading every picture, making the window, decoding ahead
    size_t painted = 0, in_view = 0;
    bool ok = false;
};

// One send through the DLL, cancelled once every tile in view is painted.
Shown ShowWindowOnce(const zv::host::LoadedPlugin& plugin, bool one_processor) {
    DWORD_PTR process = 0, system = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &process, &system);
    if (one_processor) SetProcessAffinityMask(GetCurrentProcess(), process & (~process + 1));
    g_watch = PaintWatch();
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, OnGetMessage, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 60000, GiveUp);
    const double start = Now();
    const int result = plugin.OnOutgoing(kCompose, 0);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    if (one_processor) SetProcessAffinityMask(GetCurrentProcess(), process);
    Shown shown;
    shown.seconds = g_watch.done_at - start;
    shown.before_first_paint = g_watch.first_paint_at - start;
    shown.painted = g_watch.painted.size();
    shown.in_view = g_watch.in_view;
    shown.ok = result == -1 && g_watch.done_at > 0;
    return shown;
}

struct Figures {
    std::vector<double> parallel, serial, floor, parallel_first, serial_first;
    int failures = 0;
};

int BenchFolder(const char* label, const std::string& folder, int rounds) {
    std::vector<Photo> photos = ListPhotos(folder);
    size_t largest_floor = 0;
    double file_bytes = 0;
    if (photos.size() < size_t(kRows * kPerRow) || !Survey(photos, largest_floor, file_bytes)) {
        std::printf("%-11s needs %d readable photos in %s\n", label, kRows * kPerRow, folder.c_str());
        return 1;
    }
    photos.resize(kRows * kPerRow);

    zv::host::LoadedPlugin plugin;
    if (!plugin.loaded()) {
        std::printf("%-11s cannot load zvOvisto.dll (error %lu)\n", label, plugin.load_error());
        return 1;
    }
    std::string map, headers[kRows];
    std::vector<Photo> in_view;  // the first seven of each row
    for (int i = 0; i < kRows * kPerRow; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "p%02d@", i);
        map += std::string(key) + "=" + photos[i].path + "\r\n";
        headers[i / kPerRow] += std::string(key) + " ";
        if (i % kPerRow < 7) in_view.push_back(photos[i]);
    }
    zv::host::WriteFileBytes(plugin.ini_path(), map);
    zv::host::Script().headers = {{"To", headers[0]}, {"Cc", headers[1]}, {"Bcc", headers[2]}};

    std::vector<unsigned char> file_buffer, pixels(largest_floor);
    Figures f;
    size_t painted = 0, visible = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 3; ++k) {
            const int mode = (round + k) % 3;
            if (mode == 2) {
                const double start = Now();
                f.failures += DecodeFloor(in_view, file_buffer, pixels);
                f.floor.push_back(Now() - start);
                continue;
            }
            const Shown shown = ShowWindowOnce(plugin, mode == 1);
            if (!shown.ok) ++f.failures;
            (mode == 0 ? f.parallel : f.serial).push_back(shown.seconds);
            (mode == 0 ? f.parallel_first : f.serial_first).push_back(shown.before_first_paint);
            painted = shown.painted;
            visible = shown.in_view;
        }
    }
    const int threads = Threads();
    const double parallel = *std::min_element(f.parallel.begin(), f.parallel.end());
    const double serial = *std::min_element(f.serial.begin(), f.serial.end());
    const double floor = *std::min_element(f.floor.begin(), f.floor.end());
    const double budget = floor / threads;
    std::printf("%-11s %d photos in 3 rows, %zu tiles in view (%zu painted), %.1f MB of files\n", label,
                kRows * kPerRow, visible, painted, file_bytes / 1e6);
    std::printf("%-11s call to painted: parallel (%d threads) best %6.0f ms (median %6.0f)   serial best %6.0f ms "
                "(median %6.0f)\n",
                label, threads, parallel * 1e3, Median(f.parallel) * 1e3, serial * 1e3, Median(f.serial) * 1e3);
    std::printf("%-11s   of which before the first tile's paint: parallel %6.0f ms, serial %6.0f ms (medians)\n",
                label, Median(f.parallel_first) * 1e3, Median(f.serial_first) * 1e3);
    std::printf("%-11s floor of the %zu files in view %6.0f ms, / %d threads = %6.0f ms\n", label, in_view.size(),
                floor * 1e3, threads, budget * 1e3);
    const double ratio = parallel / budget;
    std::printf("%-11s window/(floor/threads)   %6.2f  goal <= 1.20  %s   (serial/parallel %.2f)\n", label, ratio,
                ratio <= 1.2 ? "PASS" : "MISS", serial / parallel);
    if (f.failures) std::printf("%-11s FAILED %d\n", label, f.failures);
    return f.failures;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<std::string> folders;
    if (!bench::ParseArguments(argc, argv, "bench_window", rounds, folders)) return 2;
    std::printf("bench_window: the confirmation window through zvOvisto.dll, %d rounds per mode\n", rounds);
    std::fflush(stdout);
    int failures = BenchFolder("baseline", folders[0], rounds);
    std::fflush(stdout);
    if (folders.size() > 1) failures += BenchFolder("progressive", folders[1], rounds);
    std::printf("bench_window: %s\n", failures ? "finished with failures" : "finished");
    return failures ? 1 : 0;
}
