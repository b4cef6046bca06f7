// Decoding ahead of the confirmation window's paints, through the real window class: the
// tiles a paint is about to draw are decoded together on a few threads, and must look, fail
// and report exactly as tiles that each decode inside their own paint (one thread).
#include <windows.h>

#include <gtest/gtest.h>
#include <stdio.h>

#include <jpeglib.h>
// jpeglib.h first: jerror.h needs its types.
#include <jerror.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/window_support_win32.h"
#include "confirm/show_address_form_win32.h"
#include "confirm/tiles_ahead_win32.h"
#include "drawn_tile.h"
#include "picture_fixtures.h"
#include "pictures/jpeg_image.h"
#include "pictures/jpeg_scratch.h"
#include "pictures/picture_win32.h"
#include "pictures/picture_control_win32.h"
#include "substitute_host.h"
#include "ui_driver.h"

namespace zv {
namespace {

using host::ChildInfo;
using host::ChildrenOf;
using host::Screenshot;
using host::WaitUntil;

constexpr char kCaption[] = "zvOvisto - アドレス確認";
constexpr char kAppTitle[] = "Tile_decoding_tests";

// Photo-like content, different for every seed, so that a tile decoded wrongly shows.
fixtures::Rgb Texture(int seed, int x, int y) {
    const int v = (x * (3 + seed) + y * (5 + 2 * seed) + ((x * y) >> (seed % 5))) & 0xFF;
    return {uint8_t(v), uint8_t((x * 7 + seed * 40) & 0xFF), uint8_t((y * 3 + (x ^ y) * seed) & 0xFF)};
}

enum class PhotoKind { kBaseline, kProgressive, kApproximation444, kCmyk, kGray };

// Photos of the kinds a window meets. The progressive ones are large enough to decode at 1/8
// for a tile, from their DC scans, with libjpeg's coefficient buffer for the whole image.
std::string Photo(int seed, PhotoKind kind) {
    fixtures::JpegWriting how;
    int width = 720 + seed * 8, height = 960 + seed * 4;
    switch (kind) {
        case PhotoKind::kBaseline:
            how.progressive = false;
            width = 640 + seed * 8, height = 480 - seed * 4;
            break;
        case PhotoKind::kProgressive: break;
        case PhotoKind::kApproximation444:
            how.h_sampling = how.v_sampling = 1;
            how.scans = {{{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 5, 0, 0}, {{2}, 1, 63, 0, 0}, {{1}, 1, 63, 0, 0},
                         {{0}, 6, 63, 0, 0},      {{0, 1, 2}, 0, 0, 1, 0}};
            break;
        case PhotoKind::kCmyk: how.colour = fixtures::JpegColour::kCmyk; break;
        case PhotoKind::kGray: how.colour = fixtures::JpegColour::kGray; break;
    }
    const int components = kind == PhotoKind::kGray ? 1 : kind == PhotoKind::kCmyk ? 4 : 3;
    std::vector<uint8_t> samples;
    samples.reserve(size_t(width) * height * components);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const fixtures::Rgb c = Texture(seed, x, y);
            const uint8_t all[4] = {c.r, c.g, c.b, uint8_t(c.r ^ c.b)};
            samples.insert(samples.end(), all, all + components);
        }
    return fixtures::WriteJpeg(width, height, samples, how);
}

std::string Photo(int seed, bool progressive) {
    return Photo(seed, progressive ? PhotoKind::kProgressive : PhotoKind::kBaseline);
}

PhotoKind KindOf(int i) { return static_cast<PhotoKind>(i % 5); }

class TileDecoding : public ::testing::Test {
protected:
    void SetUp() override { folder = host::MakeTempFolder("zvtiles"); }
    void TearDown() override {
        SetDecodeThreads(0);
        host::RemoveFolder(folder);
    }

    // Writes the file and returns its map line.
    std::string Entry(const std::string& key, const std::string& name, const std::string& bytes) {
        fixtures::WriteBytes(folder + "\\" + name, bytes);
        return Missing(key, name);
    }
    std::string Missing(const std::string& key, const std::string& name) { return key + "=" + folder + "\\" + name; }
    void WriteMap(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines) bytes += line + "\r\n";
        fixtures::WriteBytes(map(), bytes);
    }
    std::string map() const { return folder + "\\zvOvisto.ini"; }

    std::string folder;
};

struct SeenWindow {
    bool shown = false;
    std::vector<uint32_t> pixels;
    std::vector<std::string> errors;  // the error boxes' texts, in the order they were closed
    int width = 0;
    bool settled = false;  // two readings in a row agreed before the timeout
};

// Where two readings of the same window differ, for the failure's message.
std::string WhereTheyDiffer(const SeenWindow& a, const SeenWindow& b) {
    if (a.pixels.size() != b.pixels.size() || a.width <= 0) return "readings of different sizes";
    int count = 0, left = a.width, top = INT_MAX, right = -1, bottom = -1;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if (a.pixels[i] == b.pixels[i]) continue;
        const int x = static_cast<int>(i % a.width), y = static_cast<int>(i / a.width);
        ++count;
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
    }
    return std::to_string(count) + " pixels differ within (" + std::to_string(left) + "," + std::to_string(top) +
           ")-(" + std::to_string(right) + "," + std::to_string(bottom) + "); settled: " + std::to_string(a.settled) +
           ", " + std::to_string(b.settled);
}

// Closes every error box the window shows, then reads the settled window.
void LookAt(HWND window, SeenWindow& seen) {
    while (HWND box = host::WaitForMessageBox(kAppTitle, 1500)) seen.errors.push_back(host::AnswerMessageBox(box, IDOK));
    // Settled: two readings in a row agree.
    std::vector<uint32_t> last;
    seen.settled = WaitUntil([&] {
        const Screenshot shot(window);
        seen.width = shot.width();
        std::vector<uint32_t> now;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) now.push_back(shot.At(x, y));
        const bool same = now == last;
        last = std::move(now);
        return same;
    });
    seen.pixels = last;
}

// Runs the real window over the map for these headers; `look` runs while it is up, then Cancel.
ModalResult RunWindow(const std::string& map, const std::string& to, const std::string& cc, const std::string& bcc,
                      const std::function<void(HWND)>& look) {
    TShowAddressForm form;
    form.SetMapFile(map);
    ModalResult result = ModalResult::kNone;
    {
        host::Driver driver([&] {
            HWND window = host::WaitForWindow(kCaption);
            if (!window) return;
            look(window);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            host::CloseLeftOpen(window);
        });
        result = form.ConfirmRecipients(to, cc, bcc);
    }
    return result;
}

TEST_F(TileDecoding, DecodedTogetherTheWindowLooksAndReportsAsDecodedOneByOne) {
    // Three rows of baseline, progressive (two scan scripts), CMYK and grey photos, with
    // damaged ones among the visible tiles: cut short (shown as far as decoded), fatal in
    // decoding (reported), empty (reported), missing and not a JPEG (placeholder). Decoded
    // together, each thread's decodings after its first reuse libjpeg's working memory, the
    // damaged ones' included; one by one, each tile decodes in fresh memory in its paint.
    std::vector<std::string> lines;
    std::string to, cc, bcc;
    const auto add = [&](std::string& header, const std::string& key, const std::string& name,
                         const std::string& bytes) {
        lines.push_back(name == "missing.jpg" ? Missing(key, name) : Entry(key, name, bytes));
        header += key + " ";
    };
    for (int i = 0; i < 12; ++i) {
        const std::string key = "to" + std::to_string(i) + "@example.jp";
        switch (i) {
            case 2: add(to, key, "cut.jpg", Photo(i, false).substr(0, 9000)); break;
            case 4: add(to, key, "fatal.jpg", fixtures::WithSecondFrameHeader(Photo(i, true))); break;
            case 5: add(to, key, "empty.jpg", ""); break;
            default: add(to, key, "to" + std::to_string(i) + ".jpg", Photo(i, KindOf(i)));
        }
    }
    for (int i = 0; i < 8; ++i) {
        const std::string key = "cc" + std::to_string(i) + "@example.jp";
        switch (i) {
            case 1: add(cc, key, "missing.jpg", ""); break;
            case 3: add(cc, key, "text.jpg", "not a picture"); break;
            case 5: add(cc, key, "cut-progressive.jpg", Photo(25, PhotoKind::kProgressive).substr(0, 40000)); break;
            case 6: add(cc, key, "grey.jpg", fixtures::SolidJpeg(300, 200, {90, 90, 90}, 90, true)); break;
            default: add(cc, key, "cc" + std::to_string(i) + ".jpg", Photo(20 + i, KindOf(i + 1)));
        }
    }
    for (int i = 0; i < 3; ++i) add(bcc, "bcc" + std::to_string(i) + "@", "bcc" + std::to_string(i) + ".jpg", Photo(40 + i, KindOf(i + 2)));
    ASSERT_FALSE(fixtures::WithSecondFrameHeader(Photo(4, true)).empty());
    WriteMap(lines);

    // In view: the first seven tiles of each row; of those, 7 + 5 + 3 are JPEG files.
    const long kJpegsInView = 15;
    // One by one; decoded together; and decoded together while other decodings hold the
    // memory, which a scratch too small for a progressive photo's coefficients stands for:
    // those decodings ahead run out of memory and are left to the tiles' paints.
    struct Run {
        const char* name;
        int threads;
        size_t memory_limit;
        SeenWindow seen;
        long decoded_before_shown = -1, decoded_while_loading = -1, decoded = -1, given_up = -1;
    };
    Run runs[] = {{"one by one", 1, 0, {}}, {"together", 4, 0, {}}, {"together, memory short", 4, 64 * 1024, {}}};
    for (Run& run : runs) {
        SetDecodeThreads(run.threads);
        SetDecodeAheadMemoryLimit(run.memory_limit);
        const long before = JpegDecodingsSoFar(), before_loading = DecodedWhileLoadingSoFar(),
                   before_given_up = JpegDecodingsAheadGivenUpSoFar();
        RunWindow(map(), to, cc, bcc, [&](HWND window) {
            run.decoded_before_shown = JpegDecodingsSoFar() - before;
            run.decoded_while_loading = DecodedWhileLoadingSoFar() - before_loading;
            run.seen.shown = true;
            LookAt(window, run.seen);
        });
        SetDecodeAheadMemoryLimit(0);
        run.decoded = JpegDecodingsSoFar() - before;
        run.given_up = JpegDecodingsAheadGivenUpSoFar() - before_given_up;
        EXPECT_TRUE(run.seen.shown) << run.name;
    }
    const Run& serial = runs[0];
    EXPECT_EQ(serial.decoded, kJpegsInView);
    EXPECT_EQ(serial.given_up, 0);
    ASSERT_FALSE(serial.seen.pixels.empty());
    ASSERT_EQ(serial.seen.errors.size(), 2u) << "the fatal and the empty JPEG";
    for (const std::string& text : serial.seen.errors) EXPECT_EQ(text.rfind("JPEG エラー #", 0), 0u) << text;
    std::vector<std::string> serial_errors = serial.seen.errors;
    // Which of two boxes that open together is closed first is up to the driver's timing.
    std::sort(serial_errors.begin(), serial_errors.end());
    for (Run& run : runs) {
        if (&run == &serial) continue;
        // A tile whose decoding ahead gave up may already be decoding in its paint by the time
        // the driver sees the window.
        EXPECT_GE(run.decoded_before_shown, kJpegsInView) << run.name << ": decoded together before the window showed";
        EXPECT_LE(run.decoded_before_shown, kJpegsInView + run.given_up) << run.name;
        EXPECT_EQ(run.decoded_while_loading, kJpegsInView)
            << run.name << ": each as soon as it was loaded, by the loading's helpers";
        EXPECT_EQ(run.decoded, kJpegsInView + run.given_up)
            << run.name << ": each that ran out of memory ahead decoded again, alone, in its paint";
        EXPECT_TRUE(serial.seen.pixels == run.seen.pixels)
            << run.name << ": the same pixels, damaged pictures included: " << WhereTheyDiffer(serial.seen, run.seen);
        std::sort(run.seen.errors.begin(), run.seen.errors.end());
        EXPECT_EQ(run.seen.errors, serial_errors) << run.name << ": no error of its own, the damaged ones' once";
    }
    EXPECT_EQ(runs[1].given_up, 0);
    // Most photos in view are progressive: their coefficients alone need more than the limit.
    EXPECT_GE(runs[2].given_up, 4) << "memory ran out ahead";
}

// One thread of a preparation: pictures decoded one after another in one scratch, each in the
// memory the one before left, damaged or not. Each draws and reports as it does alone.
TEST_F(TileDecoding, PicturesPreparedInOneScratchDrawAsEachAlone) {
    const std::pair<const char*, std::string> files[] = {
        {"progressive", Photo(1, PhotoKind::kProgressive)},
        {"fatal", fixtures::WithSecondFrameHeader(Photo(2, PhotoKind::kProgressive))},
        {"approximation", Photo(3, PhotoKind::kApproximation444)},
        {"cut progressive", Photo(4, PhotoKind::kApproximation444).substr(0, 50000)},
        {"cmyk", Photo(5, PhotoKind::kCmyk)},
        {"empty", ""},
        {"gray", Photo(6, PhotoKind::kGray)},
        {"baseline", Photo(7, PhotoKind::kBaseline)},
        {"progressive again", Photo(1, PhotoKind::kProgressive)},
    };
    const RECT tile = {0, 0, 90, 120};
    JpegScratch scratch;
    int errors = 0;
    for (const auto& [name, bytes] : files) {
        const std::string path = folder + "\\" + name + ".jpg";
        fixtures::WriteBytes(path, bytes);
        Picture shared, alone;
        LoadPicture(shared, path);
        LoadPicture(alone, path);
        ASSERT_TRUE(shared.NeedsPreparing(tile)) << name;
        shared.PrepareToDraw(tile, scratch);
        EXPECT_FALSE(shared.NeedsPreparing(tile)) << name;
        EXPECT_TRUE(DrawnTile(shared).pixels() == DrawnTile(alone).pixels()) << name;
        const int error = alone.TakeDecodeError();
        EXPECT_EQ(shared.TakeDecodeError(), error) << name;
        errors += error != 0;
    }
    EXPECT_EQ(errors, 2) << "the fatal and the empty one";
    EXPECT_GT(scratch.BlocksMade(), 0u) << "libjpeg took its working memory from the scratch";

    // A scratch that cannot grow: memory running out ahead is not the picture's result. Nothing
    // is reported, the preparation is not tried again, and the draw decodes alone.
    JpegScratch cannot_grow(64 * 1024);
    Picture starved, alone;
    LoadPicture(starved, folder + "\\progressive.jpg");
    LoadPicture(alone, folder + "\\progressive.jpg");
    const long given_up = JpegDecodingsAheadGivenUpSoFar();
    starved.PrepareToDraw(tile, cannot_grow);
    EXPECT_EQ(JpegDecodingsAheadGivenUpSoFar(), given_up + 1);
    EXPECT_LE(cannot_grow.HeldBytes(), 64u * 1024);
    EXPECT_EQ(starved.TakeDecodeError(), 0);
    EXPECT_FALSE(starved.NeedsPreparing(tile)) << "left to the draw";
    const long decodings = JpegDecodingsSoFar();
    const DrawnTile drawn(starved);
    EXPECT_EQ(JpegDecodingsSoFar(), decodings + 1) << "decoded in the draw";
    EXPECT_TRUE(drawn.pixels() == DrawnTile(alone).pixels());
    EXPECT_EQ(starved.TakeDecodeError(), 0);
}

HWND RowBox(HWND window, int row) {
    int n = 0;
    for (const ChildInfo& c : ChildrenOf(window))
        if (c.class_name == "ZvScrollBox" && n++ == row) return c.hwnd;
    return nullptr;
}

// The tiles of a row's box that show some of themselves in its client area now.
std::vector<HWND> TilesShownIn(HWND box) {
    RECT view;
    GetClientRect(box, &view);
    std::vector<HWND> shown;
    for (HWND tile = GetWindow(box, GW_CHILD); tile; tile = GetWindow(tile, GW_HWNDNEXT)) {
        const RECT r = RectIn(tile, box);
        RECT overlap;
        if (IntersectRect(&overlap, &r, &view)) shown.push_back(tile);
    }
    return shown;
}

TEST_F(TileDecoding, OnlyTilesInViewAreDecodedAndEachOnce) {
    std::vector<std::string> lines;
    std::string to;
    for (int i = 0; i < 20; ++i) {
        const std::string key = "k" + std::to_string(i) + "@example.jp";
        lines.push_back(Entry(key, "p" + std::to_string(i) + ".jpg", Photo(i, i % 3 == 0)));
        to += key + " ";
    }
    WriteMap(lines);
    for (int threads : {1, 4}) {
        SetDecodeThreads(threads);
        const long start = JpegDecodingsSoFar();
        const auto decoded = [&] { return JpegDecodingsSoFar() - start; };
        long first_paint = 0, after_page = 0, after_end = 0, after_back = 0;
        std::vector<HWND> in_view, newly_in_view;
        RunWindow(map(), to, "", "", [&](HWND window) {
            HWND box = RowBox(window, 0);
            ASSERT_NE(box, nullptr);
            in_view = TilesShownIn(box);
            WaitUntil([&] { return decoded() >= long(in_view.size()); });
            Sleep(200);  // time for a tile out of view to be decoded, were it going to be
            first_paint = decoded();
            SendMessageA(box, WM_HSCROLL, SB_PAGERIGHT, 0);
            for (HWND tile : TilesShownIn(box))
                if (std::find(in_view.begin(), in_view.end(), tile) == in_view.end()) newly_in_view.push_back(tile);
            WaitUntil([&] { return decoded() >= first_paint + long(newly_in_view.size()); });
            Sleep(200);
            after_page = decoded();
            SendMessageA(box, WM_HSCROLL, SB_RIGHT, 0);
            WaitUntil([&] { return decoded() >= 20; });
            after_end = decoded();
            SendMessageA(box, WM_HSCROLL, SB_LEFT, 0);
            Sleep(300);
            after_back = decoded();
        });
        EXPECT_EQ(in_view.size(), 7u) << "seven tiles of a row are in view, the seventh partly";
        EXPECT_EQ(first_paint, long(in_view.size())) << threads << " threads: only the tiles in view";
        EXPECT_GT(newly_in_view.size(), 4u);
        EXPECT_EQ(after_page, first_paint + long(newly_in_view.size())) << threads << " threads";
        EXPECT_EQ(after_end, 20) << threads << " threads: every tile once, when it comes into view";
        EXPECT_EQ(after_back, 20) << threads << " threads: nothing decoded again";
    }
}

}  // namespace
}  // namespace zv
