// Times the confirmation window as the mail client meets it: from the call of ZVC_OnOutgoing
// to the moment every tile in view has been painted, with sixty photos in three rows of
// twenty (seven of each row in view), through the real DLL and the substitute host.
//   parallel  as shipped: the tiles in view decoded together on min(cores, 4) threads
//   serial    the same with the process pinned to one processor, where each tile decodes
//             inside its own paint
//   floor     what the window cannot do without: all 60 files read into fresh memory, one
//             after another, as every tile keeps its file's bytes, plus the tile floor (read
//             into fresh memory, bare libjpeg at the tile's scale) of the 21 files in view
//             divided by min(cores, 4)
//   reference with --reference DLL, that DLL timed as `parallel`: an earlier build, to show
//             what changed in the same run
// With each window, the most private bytes the process held while it was up, above what it
// held before the call: what a 32-bit host must have free for it.
// A WH_GETMESSAGE hook on the host's thread sees each tile's WM_PAINT taken from the queue
// and the next message taken after it, i.e. when that paint has returned.
// Usage: bench_window [--rounds R] [--reference DLL] FOLDER [PROGRESSIVE_FOLDER]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
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
    double private_before = 0, peak_private = 0;  // bytes: before the call, the most while it ran
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
    const double private_before = PrivateBytes();
    PeakSampler sampler;
    const double start = Now();
    const int result = plugin.OnOutgoing(kCompose, 0);
    const double peak_private = sampler.Stop();
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    if (one_processor) SetProcessAffinityMask(GetCurrentProcess(), process);
    Shown shown;
    shown.seconds = g_watch.done_at - start;
    shown.before_first_paint = g_watch.first_paint_at - start;
    shown.private_before = private_before;
    shown.peak_private = peak_private;
    shown.painted = g_watch.painted.size();
    shown.in_view = g_watch.in_view;
    shown.ok = result == -1 && g_watch.done_at > 0;
    return shown;
}

struct Figures {
    std::vector<double> parallel, serial, reference, floor_read, floor_tiles, parallel_first, serial_first;
    double parallel_peak = 0, serial_peak = 0, private_before = 0;  // bytes, the most of any round
    int failures = 0;
};

enum Mode { kParallel, kSerial, kFloor, kReference };

int BenchFolder(const char* label, const std::string& folder, int rounds, const std::string& reference_dll) {
    std::vector<Photo> photos = ListPhotos(folder);
    double file_bytes = 0;
    if (photos.size() < size_t(kRows * kPerRow) || !Survey(photos, file_bytes)) {
        std::printf("%-11s needs %d readable photos in %s\n", label, kRows * kPerRow, folder.c_str());
        return 1;
    }
    photos.resize(kRows * kPerRow);

    zv::host::LoadedPlugin plugin;
    std::unique_ptr<zv::host::LoadedPlugin> reference;
    if (!reference_dll.empty()) reference = std::make_unique<zv::host::LoadedPlugin>(reference_dll);
    for (const zv::host::LoadedPlugin* p : {&plugin, reference.get()})
        if (p && !p->loaded()) {
            std::printf("%-11s cannot load %s (error %lu)\n", label, p->dll_path().c_str(), p->load_error());
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
    if (reference) zv::host::WriteFileBytes(reference->ini_path(), map);
    zv::host::Script().headers = {{"To", headers[0]}, {"Cc", headers[1]}, {"Bcc", headers[2]}};

    Figures f;
    size_t painted = 0, visible = 0;
    const int modes = reference ? 4 : 3;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < modes; ++k) {
            const int mode = (round + k) % modes;
            if (mode == kFloor) {
                double start = Now();
                f.failures += ReadFloor(photos);
                f.floor_read.push_back(Now() - start);
                start = Now();
                f.failures += DecodeFloor(in_view);
                f.floor_tiles.push_back(Now() - start);
                continue;
            }
            const Shown shown = ShowWindowOnce(mode == kReference ? *reference : plugin, mode == kSerial);
            if (!shown.ok) ++f.failures;
            if (mode == kReference) {
                f.reference.push_back(shown.seconds);
                continue;
            }
            (mode == kParallel ? f.parallel : f.serial).push_back(shown.seconds);
            (mode == kParallel ? f.parallel_first : f.serial_first).push_back(shown.before_first_paint);
            double& peak = mode == kParallel ? f.parallel_peak : f.serial_peak;
            peak = std::max(peak, shown.peak_private);
            f.private_before = std::max(f.private_before, shown.private_before);
            painted = shown.painted;
            visible = shown.in_view;
        }
    }
    const auto best = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    const int threads = Threads();
    const double parallel = best(f.parallel), serial = best(f.serial);
    const double read = best(f.floor_read), tiles = best(f.floor_tiles);
    const double floor = read + tiles / threads;
    std::printf("%-11s %d photos in 3 rows, %zu tiles in view (%zu painted), %.1f MB of files\n", label,
                kRows * kPerRow, visible, painted, file_bytes / 1e6);
    std::printf("%-11s call to painted: parallel (%d threads) best %6.0f ms (median %6.0f)   serial best %6.0f ms "
                "(median %6.0f)\n",
                label, threads, parallel * 1e3, Median(f.parallel) * 1e3, serial * 1e3, Median(f.serial) * 1e3);
    std::printf("%-11s   of which before the first tile's paint: parallel %6.0f ms, serial %6.0f ms (medians)\n",
                label, Median(f.parallel_first) * 1e3, Median(f.serial_first) * 1e3);
    std::printf("%-11s floor: %d files read %6.0f ms + tile floor of the %zu in view %6.0f ms / %d threads = %6.0f ms\n",
                label, kRows * kPerRow, read * 1e3, in_view.size(), tiles * 1e3, threads, floor * 1e3);
    const double ratio = parallel / floor;
    const double goal = label == std::string("progressive") ? 0.40 : 1.20;
    std::printf("%-11s window/floor             %6.2f  goal <= %.2f  %s   (serial/parallel %.2f)\n", label, ratio, goal,
                ratio <= goal ? "PASS" : "MISS", serial / parallel);
    // What a 32-bit host must have free for this window: the peak less what the process held.
    std::printf("%-11s peak private while up: decoding ahead %6.0f MB, one by one %6.0f MB (%.0f MB before the "
                "call); decoding ahead adds %+.0f MB\n",
                label, (f.parallel_peak - f.private_before) / 1e6, (f.serial_peak - f.private_before) / 1e6,
                f.private_before / 1e6, (f.parallel_peak - f.serial_peak) / 1e6);
    if (reference) {
        const double earlier = best(f.reference);
        const double against = parallel / earlier;
        const double reference_goal = label == std::string("progressive") ? 0.20 : 0.65;
        std::printf("%-11s against %s: best %6.0f ms (median %6.0f), this/that %.2f  goal <= %.2f  %s\n", label,
                    reference_dll.c_str(), earlier * 1e3, Median(f.reference) * 1e3, against, reference_goal,
                    against <= reference_goal ? "PASS" : "MISS");
    }
    if (f.failures) std::printf("%-11s FAILED %d\n", label, f.failures);
    return f.failures;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<std::string> folders;
    std::string reference;
    if (!bench::ParseArguments(argc, argv, "bench_window", rounds, folders, &reference)) return 2;
    std::printf("bench_window: the confirmation window through zvOvisto.dll, %d rounds per mode\n", rounds);
    std::fflush(stdout);
    int failures = BenchFolder("baseline", folders[0], rounds, reference);
    std::fflush(stdout);
    if (folders.size() > 1) failures += BenchFolder("progressive", folders[1], rounds, reference);
    std::printf("bench_window: %s\n", failures ? "finished with failures" : "finished");
    return failures ? 1 : 0;
}
