// Hostile pictures and maps, and a long run of sends: the host stays alive, a picture its
// reader refuses ends in the placeholder and any other in a picture (or the one reported JPEG
// error), and nothing accumulates.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>

#include "base/app_error.h"
#include "base/handles_win32.h"
#include "drawn_tile.h"
#include "picture_fixtures.h"
#include "pictures/jpeg_core.h"
#include "pictures/picture_headers.h"
#include "pictures/picture_win32.h"
#include "substitute_host.h"
#include "ui_driver.h"

namespace zv::host {
namespace {

constexpr char kCaption[] = "zvOvisto - アドレス確認";
const HWND kCompose = reinterpret_cast<HWND>(0x4321);
constexpr char kAppTitle[] = "Hardening_tests";

struct Sample {
    std::string extension;
    std::string bytes;
};

std::vector<Sample> ValidSamples() {
    const fixtures::Rgb c{30, 120, 200};
    return {
        {"bmp", fixtures::SolidBmp(40, 30, c)},
        {"bmp", fixtures::SolidBmp(17, 9, c, 8)},
        {"bmp", fixtures::CoreHeaderBmp(12, 12, c)},
        {"ico", fixtures::SolidIcon(32, c)},
        {"emf", fixtures::SolidEmf(40, 30, c)},
        {"wmf", fixtures::SolidPlaceableWmf(600, 400, 1440, c)},
        {"jpg", fixtures::PatternJpeg(64, 48, [](int x, int y) {
             return fixtures::Rgb{uint8_t(x * 4), uint8_t(y * 5), uint8_t((x ^ y) * 3)};
         })},
        {"jpg", fixtures::PatternJpeg(64, 48, [](int x, int y) { return fixtures::Rgb{uint8_t(x * 3), uint8_t(y), 90}; },
                                      80, true)},
    };
}

// Truncated, bit-flipped and header-mangled variants of every sample, the same on every run.
std::vector<Sample> DamagedVariants() {
    std::vector<Sample> out;
    uint32_t seed = 12345;
    const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (const Sample& s : ValidSamples()) {
        const size_t n = s.bytes.size();
        for (size_t cut : {size_t{0}, size_t{1}, size_t{5}, size_t{13}, size_t{14}, size_t{21}, size_t{40}, n / 4,
                           n / 2, n - 1})
            if (cut < n) out.push_back({s.extension, s.bytes.substr(0, cut)});
        for (int i = 0; i < 20; ++i) {
            std::string b = s.bytes;
            for (int flips = 1 + i % 4; flips > 0; --flips) b[next() % n] ^= char(1u << (next() % 8));
            out.push_back({s.extension, b});
        }
        for (int i = 0; i < 8; ++i) {
            std::string b = s.bytes;
            const size_t header = std::min<size_t>(n, 64);
            for (int k = 0; k < 6; ++k) b[next() % header] = (i % 2) ? '\xFF' : char(next());
            out.push_back({s.extension, b});
        }
    }
    return out;
}


// Whether the plain reader of the variant's format refuses its bytes. A zero-byte JPEG is
// taken without reading anything; its first draw reports the error instead.
bool ReaderRefuses(const Sample& s) {
    try {
        if (s.extension == "bmp") {
            bool empty = false;
            ParseBitmapFile(s.bytes, empty);
        } else if (s.extension == "ico") {
            ParseIconFile(s.bytes);
        } else if (s.extension == "emf" || s.extension == "wmf") {
            ParseMetafile(s.bytes);
        } else {
            ZvJpegHeader header{};
            return !s.bytes.empty() &&
                   zv_jpeg_read_header(reinterpret_cast<const unsigned char*>(s.bytes.data()), s.bytes.size(),
                                       &header) != 0;
        }
    } catch (const AppError&) {
        return true;
    }
    return false;
}

class Hardening : public ::testing::Test {
protected:
    void SetUp() override { Script() = HostScript(); }
};

TEST_F(Hardening, DamagedPicturesShowThePlaceholderExactlyWhenTheirReaderRefusesThem) {
    InitPictureSupport();
    Picture placeholder;
    ShowPlaceholder(placeholder);
    const std::vector<uint32_t> placeholder_pixels = DrawnTile(placeholder).pixels();
    const std::string folder = MakeTempFolder("zvdamage");
    const auto variants = DamagedVariants();
    int placeholders = 0, loaded = 0, decode_errors = 0;
    for (size_t i = 0; i < variants.size(); ++i) {
        const Sample& v = variants[i];
        const std::string path = folder + "\\v" + std::to_string(i) + "." + v.extension;
        WriteFileBytes(path, v.bytes);
        Picture picture;
        LoadPictureOrPlaceholder(picture, path);
        // Drawn into a tile-sized bitmap, as a tile would; any crash ends the whole test.
        const DrawnTile drawn(picture);
        decode_errors += picture.TakeDecodeError() != 0;
        const bool is_placeholder = picture.Kind() == PictureKind::Bitmap && picture.Width() == 90 &&
                                    picture.Height() == 120 && drawn.pixels() == placeholder_pixels;
        is_placeholder ? ++placeholders : ++loaded;
        EXPECT_EQ(is_placeholder, ReaderRefuses(v))
            << "variant " << i << ": ." << v.extension << ", " << v.bytes.size() << " bytes";
    }
    RemoveFolder(folder);
    std::printf("damaged pictures: %zu variants, %d placeholders, %d loaded, %d JPEG decoding errors\n",
                variants.size(), placeholders, loaded, decode_errors);
    EXPECT_GE(variants.size(), 300u);
    // Both ways occur, so the comparison above is not one-sided.
    EXPECT_GT(placeholders, 0);
    EXPECT_GT(loaded, 0);
}

size_t WindowCount();

// Runs one send while a driver answers every box (recording its text) and then the window.
struct SendRun {
    int result = 0;
    bool seen = false;
    std::vector<std::string> boxes;
};

SendRun SendAnswering(const LoadedPlugin& plugin, bool press_send, int settle_ms,
                      const std::function<void(HWND)>& look = nullptr) {
    SendRun run;
    std::atomic<bool> seen{false};
    {
        Driver driver([&] {
            HWND window = WaitForWindow(kCaption);
            if (!window) return;
            seen = true;
            const DWORD start = GetTickCount();
            // Answer error boxes while the tiles paint.
            while (GetTickCount() - start < static_cast<DWORD>(settle_ms)) {
                if (HWND box = WaitForMessageBox(kAppTitle, 20)) run.boxes.push_back(AnswerMessageBox(box, IDOK));
            }
            if (look) look(window);
            PostMessageA(ChildWithText(window, press_send ? "送信" : "ｷｬﾝｾﾙ").hwnd, BM_CLICK, 0, 0);
            CloseLeftOpen(window);
        });
        run.result = plugin.OnOutgoing(kCompose, 0);
    }
    run.seen = seen;
    return run;
}

TEST_F(Hardening, DamagedPicturesAsTilesOnlyEverReportTheJpegError) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.loaded());
    const auto variants = DamagedVariants();
    // 60 tiles a window: three rows of 20.
    size_t shown = 0, boxes = 0;
    for (size_t first = 0; first < variants.size(); first += 60) {
        std::string map;
        for (size_t i = first; i < std::min(variants.size(), first + 60); ++i) {
            const std::string path = plugin.folder() + "\\v" + std::to_string(i) + "." + variants[i].extension;
            WriteFileBytes(path, variants[i].bytes);
            const char* row = (i - first) < 20 ? "to" : (i - first) < 40 ? "cc" : "bcc";
            map += std::string(row) + "-" + std::to_string(i) + "#=" + path + "\r\n";
        }
        WriteFileBytes(plugin.ini_path(), map);
        std::string to, cc, bcc;
        for (size_t i = first; i < std::min(variants.size(), first + 60); ++i) {
            std::string& header = (i - first) < 20 ? to : (i - first) < 40 ? cc : bcc;
            header += ((i - first) < 20 ? "to-" : (i - first) < 40 ? "cc-" : "bcc-") + std::to_string(i) + "# ";
        }
        Script().headers = {{"To", to}, {"Cc", cc}, {"Bcc", bcc}};
        const bool press_send = (first / 60) % 2 == 0;
        const SendRun run = SendAnswering(plugin, press_send, 1500);
        EXPECT_TRUE(run.seen);
        EXPECT_EQ(run.result, press_send ? 0 : -1);
        for (const std::string& text : run.boxes)
            EXPECT_EQ(text.rfind("JPEG エラー #", 0), 0u) << "only the JPEG decoding error is reported: " << text;
        shown += std::min<size_t>(60, variants.size() - first);
        boxes += run.boxes.size();
    }
    std::printf("damaged pictures as tiles: %zu shown, %zu JPEG error boxes answered, the host alive\n", shown, boxes);
}

TEST_F(Hardening, HugeAndOddMapsStillWork) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.loaded());
    const std::string picture = plugin.folder() + "\\p.bmp";
    WriteFileBytes(picture, fixtures::SolidBmp(4, 4, {200, 0, 0}));
    struct Case {
        const char* name;
        std::string map;
        std::string header;
        bool window;
    };
    std::string many;
    for (int i = 0; i < 100000; ++i) many += "user" + std::to_string(i) + "@example.jp=x\r\n";
    many += "last@example.jp=" + picture + "\r\n";
    const Case cases[] = {
        {"100,000 lines", many, "last@example.jp", true},
        {"one line of 1 MB", std::string(1 << 20, 'k') + "=" + picture, "nothing", false},
        {"a 1 MB key that occurs", "k" + std::string(1 << 20, 'k') + "=" + picture,
         std::string(4095, 'k'), false},  // the header holds at most 4095 bytes
        {"NUL bytes", std::string("\0\0a=b\0", 6) + "taro=" + picture, "taro", false},
        {"lone CRs", "\r\r\rtaro=" + picture + "\r\r", "taro", true},
        {"only NULs", std::string(5000, '\0'), "anything", false},
    };
    for (const Case& c : cases) {
        WriteFileBytes(plugin.ini_path(), c.map);
        Script().headers = {{"To", c.header}};
        if (c.window) {
            const SendRun run = SendAnswering(plugin, true, 100);
            EXPECT_TRUE(run.seen) << c.name;
            EXPECT_EQ(run.result, 0) << c.name;
        } else {
            EXPECT_EQ(plugin.OnOutgoing(kCompose, 0), 0) << c.name;
            EXPECT_EQ(FindWindowA(nullptr, kCaption), nullptr) << c.name;
        }
    }
}

// Committed private memory, summed over the address space: Wine reports no PrivateUsage,
// and its GDI objects live in the process's own memory, so a leaked bitmap shows here.
size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}

// Threads of this process: a decoding thread left running would add to them.
size_t ThreadCount() {
    const UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return 0;
    size_t count = 0;
    THREADENTRY32 entry = {sizeof entry};
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    return count;
}

// Windows of this process, top-level and children: a leaked tile or form would add to them.
size_t WindowCount() {
    struct Counter {
        static BOOL CALLBACK Child(HWND, LPARAM p) {
            ++*reinterpret_cast<size_t*>(p);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND hwnd, LPARAM p) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == GetCurrentProcessId()) {
                ++*reinterpret_cast<size_t*>(p);
                EnumChildWindows(hwnd, Child, p);
            }
            return TRUE;
        }
    };
    size_t count = 0;
    EnumWindows(Counter::Top, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(Hardening, AThousandSendsLeaveNothingBehind) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.loaded());
    // Pictures of every kind, a missing one and a JPEG cut short, in all three rows.
    const fixtures::Rgb c{10, 200, 90};
    const std::pair<const char*, std::string> files[] = {
        {"a.bmp", fixtures::SolidBmp(30, 20, c)},          {"b.ico", fixtures::SolidIcon(32, c)},
        {"c.emf", fixtures::SolidEmf(30, 20, c)},          {"d.wmf", fixtures::SolidPlaceableWmf(300, 200, 1440, c)},
        {"e.jpg", fixtures::SolidJpeg(400, 300, c)},       {"f.jpg", fixtures::SolidJpeg(400, 300, c).substr(0, 700)},
        {"g.bmp", fixtures::SolidBmp(8, 8, c, 8)},
        // Decoded at 1/8 from its DC scans, ahead of the paint with the Cc row's other JPEGs,
        // in a scratch made and released by each send.
        {"h.jpg", fixtures::PatternJpeg(720, 960, [](int x, int y) {
             return fixtures::Rgb{uint8_t(x), uint8_t(y), uint8_t(x ^ y)};
         }, 85, true)},
    };
    std::string map;
    for (const auto& [name, bytes] : files) {
        WriteFileBytes(plugin.folder() + "\\" + name, bytes);
        map += std::string("k-") + name + "=" + plugin.folder() + "\\" + name + "\r\n";
    }
    map += "k-missing=" + plugin.folder() + "\\missing.jpg\r\n";
    WriteFileBytes(plugin.ini_path(), map);
    Script().headers = {{"To", "k-a.bmp k-b.ico k-c.emf k-d.wmf"}, {"Cc", "k-e.jpg k-f.jpg k-h.jpg"}, {"Bcc", "k-g.bmp k-missing"}};

    // GetGuiResources counts GDI and USER objects on Windows; Wine answers 0, so the windows
    // are counted directly as well.
    const auto gdi = [] { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); };
    const auto user = [] { return GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS); };
    // The first sends warm up what the system keeps once (classes, fonts, caches).
    for (int i = 0; i < 20; ++i) SendAnswering(plugin, true, 30);
    size_t windows_while_up = 0;
    SendAnswering(plugin, true, 30, [&](HWND) { windows_while_up = WindowCount(); });
    EXPECT_GT(windows_while_up, 10u) << "the window count sees the form, its rows and tiles";
    const DWORD gdi_before = gdi(), user_before = user();
    const size_t windows_before = WindowCount(), private_before = PrivateBytes(), threads_before = ThreadCount();
    int wrong = 0;
    const int kSends = 1000;
    for (int i = 0; i < kSends; ++i) {
        const bool send = i % 2 == 0;
        const SendRun run = SendAnswering(plugin, send, 30);
        wrong += !run.seen || run.result != (send ? 0 : -1);
    }
    const DWORD gdi_after = gdi(), user_after = user();
    const size_t windows_after = WindowCount(), private_after = PrivateBytes(), threads_after = ThreadCount();
    std::printf("long run: %d sends; GDI objects %lu -> %lu, USER objects %lu -> %lu, windows %zu -> %zu "
                "(%zu while a window is up), threads %zu -> %zu, "
                "committed private memory %zu KB -> %zu KB\n",
                kSends, gdi_before, gdi_after, user_before, user_after, windows_before, windows_after, windows_while_up,
                threads_before, threads_after, private_before / 1024, private_after / 1024);
    EXPECT_GT(threads_before, 0u) << "the thread count works";
    EXPECT_EQ(threads_after, threads_before);
    EXPECT_EQ(wrong, 0) << "every result is the one the button asked for";
    EXPECT_LE(gdi_after, gdi_before + 5);
    EXPECT_LE(user_after, user_before + 5);
    EXPECT_EQ(windows_after, windows_before);
    // Each send loads 9 pictures; a leak of even one small bitmap or DC per send would add
    // well over the 1 MB allowed for allocator noise.
    EXPECT_LE(private_after, private_before + 1024 * 1024);
}

// A send whose window scrolls a row of twenty photos to its end: seven decoded together before
// the first paint, the others together as the scroll brings them into view, each time on
// threads with scratch memory of their own.
struct ScrollingSend {
    explicit ScrollingSend(LoadedPlugin& plugin) {
        std::string map, to;
        for (int i = 0; i < 20; ++i) {
            const std::string path = plugin.folder() + "\\p" + std::to_string(i) + ".jpg";
            WriteFileBytes(path, fixtures::PatternJpeg(720, 960, [i](int x, int y) {
                               return fixtures::Rgb{uint8_t(x + i), uint8_t(y * 2), uint8_t(x ^ y)};
                           }, 85, i % 4 != 0));
            map += "k" + std::to_string(i) + "=" + path + "\r\n";
            to += "k" + std::to_string(i) + " ";
        }
        WriteFileBytes(plugin.ini_path(), map);
        Script().headers = {{"To", to}};
    }
    static SendRun Run(LoadedPlugin& plugin, const std::function<void()>& while_up = [] {}) {
        return SendAnswering(plugin, true, 200, [&](HWND window) {
            while_up();
            for (const ChildInfo& c : ChildrenOf(window))
                if (c.class_name == "ZvScrollBox") {
                    SendMessageA(c.hwnd, WM_HSCROLL, SB_RIGHT, 0);
                    break;
                }
        });
    }
};

TEST_F(Hardening, NoThreadNorMemoryOutlivesTheWindowOrTheLibrary) {
    const size_t before_load = ThreadCount();
    ASSERT_GT(before_load, 0u);
    size_t private_after_unload[2] = {};
    for (int cycle = 0; cycle < 2; ++cycle) {
        {
            LoadedPlugin plugin;
            ASSERT_TRUE(plugin.loaded());
            ScrollingSend send(plugin);
            ScrollingSend::Run(plugin);  // what the system keeps once: classes, fonts, caches
            const size_t before = ThreadCount(), private_before = PrivateBytes();
            size_t while_up = 0;
            const SendRun run = ScrollingSend::Run(plugin, [&] { while_up = ThreadCount(); });
            EXPECT_TRUE(run.seen);
            EXPECT_EQ(while_up, before + 1) << "the count sees the thread that answers the window";
            EXPECT_EQ(ThreadCount(), before) << "after the window closed";
            // Each thread's scratch held libjpeg's 2 MB coefficient buffer of a photo: one left
            // behind would pass the 1 MB allowed for allocator noise.
            EXPECT_LE(PrivateBytes(), private_before + 1024 * 1024) << "after the window closed";
        }
        EXPECT_EQ(ThreadCount(), before_load) << "after the library was unloaded";
        private_after_unload[cycle] = PrivateBytes();
    }
    EXPECT_LE(private_after_unload[1], private_after_unload[0] + 1024 * 1024)
        << "a second load, send and unload leaves no more than the first";
}

}  // namespace
}  // namespace zv::host
