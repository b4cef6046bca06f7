// The recipient confirmation window, through the substitute host, with real map and
// picture files, answered from a second thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include <commctrl.h>

#include "base/handles_win32.h"
#include "picture_fixtures.h"
#include "substitute_host.h"
#include "ui_driver.h"

namespace zv::host {
namespace {

constexpr char kCaption[] = "zvOvisto - アドレス確認";
const HWND kCompose = reinterpret_cast<HWND>(0x4321);

fixtures::Rgb ColourOf(int i) {
    static const fixtures::Rgb colours[] = {{255, 0, 0}, {0, 160, 0}, {0, 0, 255}, {255, 200, 0}, {160, 0, 160},
                                            {0, 160, 160}, {90, 60, 30}};
    if (i < 7) return colours[i];
    return {uint8_t(40 + i * 8), uint8_t(255 - i * 9), uint8_t(i * 10)};
}

COLORREF Ref(fixtures::Rgb c) { return RGB(c.r, c.g, c.b); }

class ConfirmWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Script() = HostScript();
        ASSERT_TRUE(plugin.loaded());
        text_height = MeasuredTextHeight();
    }

    // A map line "key=<folder>\<file>" and, unless missing, a solid bitmap of colour i.
    std::string Entry(const std::string& key, int colour, bool missing = false) {
        const std::string path = plugin.folder() + "\\pic" + std::to_string(colour) + ".bmp";
        if (!missing) WriteFileBytes(path, fixtures::SolidBmp(8, 8, ColourOf(colour)));
        return key + "=" + path;
    }
    void WriteMap(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const auto& l : lines) bytes += l + "\r\n";
        WriteFileBytes(plugin.ini_path(), bytes);
    }
    void Headers(const std::string& to, const std::string& cc = "", const std::string& bcc = "") {
        Script().headers = {{"To", to}, {"Cc", cc}, {"Bcc", bcc}};
    }

    // Runs the outgoing callback while `look` inspects the window and `answer` closes it.
    int Send(const std::function<void(HWND)>& look, const std::function<void(HWND)>& answer) {
        std::atomic<bool> seen{false};
        int result;
        {
            Driver driver([&] {
                HWND window = WaitForWindow(kCaption);
                if (!window) return;
                seen = true;
                WaitUntil([&] { return IsWindowEnabled(ChildWithText(window, "送信").hwnd) != FALSE; });
                look(window);
                answer(window);
                CloseLeftOpen(window);
            });
            result = plugin.OnOutgoing(kCompose, 0);
        }
        EXPECT_TRUE(seen) << "the window was not shown";
        return result;
    }

    int S(int v) const { return ScaledBy(v, text_height); }
    // Centre of tile n of a row (0 To, 1 Cc, 2 Bcc), in client coordinates.
    POINT TileCentre(int row, int n) const {
        const int tile_w = S(90), tile_h = S(120);
        return {S(22) + (tile_w + 2) * n + tile_w / 2, S(1 + 128 * row) + tile_h / 2};
    }
    // Waits until the tile shows the colour, then says whether it does.
    bool TileShows(HWND window, int row, int n, COLORREF colour) {
        const POINT p = TileCentre(row, n);
        return WaitUntil([&] { return Screenshot(window).At(p.x, p.y) == colour; }, 3000);
    }

    static void Click(HWND window, const char* text) {
        PostMessageA(ChildWithText(window, text).hwnd, BM_CLICK, 0, 0);
    }

    LoadedPlugin plugin;
    int text_height = 12;
};

TEST_F(ConfirmWindow, NoMatchSendsWithoutAWindow) {
    WriteMap({Entry("jiro@example.jp", 0), Entry("Taro", 1)});
    Headers("taro@example.jp", "hanako@example.jp");  // Taro differs in case only
    EXPECT_EQ(plugin.OnOutgoing(kCompose, 0), 0);
    EXPECT_EQ(FindWindowA(nullptr, kCaption), nullptr);
    WriteFileBytes(plugin.ini_path(), "");
    EXPECT_EQ(plugin.OnOutgoing(kCompose, 0), 0);
    DeleteFileA(plugin.ini_path().c_str());
    EXPECT_EQ(plugin.OnOutgoing(kCompose, 0), 0) << "a missing map is an empty map";
}

// The whole layout, scaled by the text height this screen gives the font: the heights and
// the buttons as the rows in use make them, the rows, their labels and first tiles.
TEST_F(ConfirmWindow, LayoutFollowsTheRowsInUseAndTheTextHeight) {
    struct Case {
        const char *to, *cc, *bcc;
        int height;
        bool cc_label, bcc_label;
        int filled_row, colour;  // a row whose first tile shows a picture, and its colour
    } cases[] = {
        {"taro@example.jp", "", "", 173, false, false, 0, 0},
        {"taro@example.jp", "hanako@example.jp", "", 300, true, false, 1, 1},
        {"", "", "hanako@example.jp", 424, true, true, 2, 1},
    };
    struct Control {
        const char* text;
        int left, top;
    };
    const Control buttons[] = {{"送信", 404, 392}, {"ｷｬﾝｾﾙ", 520, 392}};
    const Control labels[] = {{"To", 2, 57}, {"Cc", 2, 181}, {"Bcc", 2, 309}};
    WriteMap({Entry("taro", 0), Entry("hanako", 1)});
    for (const Case& c : cases) {
        Headers(c.to, c.cc, c.bcc);
        const int result = Send(
            [&](HWND window) {
                ScaledLengths lengths(text_height);
                const SIZE size = ClientSize(window);
                lengths.Length("client width", size.cx, 634);
                lengths.Length("client height", size.cy, c.height);
                for (const Control& b : buttons) {
                    const RECT r = ChildWithText(window, b.text).rect;
                    const std::string name = b.text;
                    lengths.Length(name + " left", r.left, b.left);
                    lengths.Length(name + " width", r.right - r.left, 105);
                    lengths.Length(name + " height", r.bottom - r.top, 25);
                    lengths.Length(name + " from the bottom", size.cy - r.top, 424 - b.top);
                }
                for (const Control& l : labels) lengths.Rect(l.text, ChildWithText(window, l.text).rect, l.left, l.top);
                std::vector<ChildInfo> boxes, tiles;
                for (const ChildInfo& child : ChildrenOf(window)) {
                    if (child.class_name == "ZvScrollBox") boxes.push_back(child);
                    if (child.class_name == "ZvPictureControl") tiles.push_back(child);
                }
                const auto by_top = [](const ChildInfo& a, const ChildInfo& b) { return a.rect.top < b.rect.top; };
                std::sort(boxes.begin(), boxes.end(), by_top);
                std::sort(tiles.begin(), tiles.end(), by_top);
                EXPECT_EQ(boxes.size(), 3u);
                EXPECT_EQ(tiles.size(), 3u) << "each row's first tile";
                for (size_t row = 0; row < std::min<size_t>(boxes.size(), tiles.size()); ++row) {
                    const std::string n = std::to_string(row);
                    const int top = 1 + 128 * static_cast<int>(row);
                    lengths.Rect("row " + n, boxes[row].rect, 22, top, 607, 121);
                    lengths.Rect("row " + n + "'s first tile", tiles[row].rect, 22, top, 90, 120);
                }
                EXPECT_EQ(lengths.Off(), "") << c.height << " at a text height of " << text_height;
                if (static_cast<size_t>(c.filled_row) < tiles.size()) {
                    // The picture is stretched over the whole scaled tile, to its last pixel.
                    const RECT t = tiles[c.filled_row].rect;
                    const COLORREF colour = Ref(ColourOf(c.colour));
                    EXPECT_TRUE(WaitUntil([&] {
                        const Screenshot shot(window);
                        return shot.At(t.left, t.top) == colour && shot.At(t.right - 1, t.bottom - 1) == colour &&
                               shot.At(t.right, t.bottom - 1) != colour && shot.At(t.right - 1, t.bottom) != colour;
                    }, 3000)) << c.height;
                }
                EXPECT_TRUE(ChildWithText(window, "To").visible);
                EXPECT_EQ(ChildWithText(window, "Cc").visible, c.cc_label) << c.height;
                EXPECT_EQ(ChildWithText(window, "Bcc").visible, c.bcc_label) << c.height;
                // Centred on the primary screen.
                RECT r;
                GetWindowRect(window, &r);
                EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
                EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
            },
            [](HWND window) { Click(window, "送信"); });
        EXPECT_EQ(result, 0);
    }
}

// Each way gives its result, and the host's window that was active before the call is the
// active and foreground window again after it, with its own windows enabled.
TEST_F(ConfirmWindow, EveryWayOfAnsweringGivesItsResultAndActivationBack) {
    WriteMap({Entry("taro", 0)});
    Headers("taro@example.jp");
    const auto press = [](WPARAM key) {
        return [key](HWND window) {
            HWND focus = ChildWithText(window, "送信").hwnd;  // the focus starts on the send button
            PostMessageA(focus, WM_KEYDOWN, key, 0);
            PostMessageA(focus, WM_KEYUP, key, 0xC0000000);
        };
    };
    struct Case {
        const char* name;
        std::function<void(HWND)> answer;
        int result;
    } cases[] = {
        {"send button", [](HWND w) { Click(w, "送信"); }, 0},
        {"cancel button", [](HWND w) { Click(w, "ｷｬﾝｾﾙ"); }, -1},
        {"Enter", press(VK_RETURN), 0},
        {"Esc", press(VK_ESCAPE), -1},
        {"close box", [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, -1},
    };
    for (const Case& c : cases) {
        const UniqueWindow compose = MakeActiveHostWindow();
        ASSERT_EQ(GetActiveWindow(), compose.get());
        ASSERT_EQ(GetForegroundWindow(), compose.get());
        EXPECT_EQ(Send([](HWND) {}, c.answer), c.result) << c.name;
        EXPECT_EQ(GetActiveWindow(), compose.get()) << c.name;
        EXPECT_EQ(GetForegroundWindow(), compose.get()) << c.name;
        EXPECT_TRUE(IsWindowEnabled(compose.get())) << c.name;
    }
}

TEST_F(ConfirmWindow, TheFocusStartsOnSendAndTabGoesBetweenTheButtons) {
    WriteMap({Entry("taro", 0)});
    Headers("taro@example.jp");
    std::vector<std::string> order;
    Send(
        [&](HWND window) {
            const HWND send = ChildWithText(window, "送信").hwnd;
            const HWND cancel = ChildWithText(window, "ｷｬﾝｾﾙ").hwnd;
            const auto name = [&] {
                const HWND focus = FocusOf(window);
                return focus == send ? "送信" : focus == cancel ? "ｷｬﾝｾﾙ" : "?";
            };
            order.push_back(name());
            for (int i = 0; i < 2; ++i) {
                const HWND from = FocusOf(window);
                PostMessageA(from, WM_KEYDOWN, VK_TAB, 0);
                PostMessageA(from, WM_KEYUP, VK_TAB, 0xC0000000);
                WaitUntil([&] { return FocusOf(window) != from; });
                order.push_back(name());
            }
        },
        [](HWND w) { Click(w, "ｷｬﾝｾﾙ"); });
    EXPECT_EQ(order, (std::vector<std::string>{"送信", "ｷｬﾝｾﾙ", "送信"}));
}

TEST_F(ConfirmWindow, HostWindowsAreDisabledWhileItIsUp) {
    WriteMap({Entry("taro", 0)});
    Headers("taro@example.jp");
    const UniqueWindow host_window(CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                                   100, nullptr, nullptr, nullptr, nullptr));
    // One the host had disabled itself stays so.
    const UniqueWindow disabled_before(CreateWindowExA(0, "STATIC", "busy", WS_OVERLAPPEDWINDOW | WS_VISIBLE |
                                                       WS_DISABLED, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                                                       nullptr));
    bool enabled_while_up = true;
    EXPECT_EQ(Send([&](HWND) { enabled_while_up = IsWindowEnabled(host_window.get()); },
                   [](HWND w) { Click(w, "ｷｬﾝｾﾙ"); }),
              -1);
    EXPECT_FALSE(enabled_while_up);
    EXPECT_TRUE(IsWindowEnabled(host_window.get()));
    EXPECT_FALSE(IsWindowEnabled(disabled_before.get()));
}

TEST_F(ConfirmWindow, TilesShowThePicturesInMapOrder) {
    // The header names the addresses in the other order; the map's order wins.
    WriteMap({Entry("a@example.jp", 0), Entry("nobody", 6), Entry("b@example.jp", 1), Entry("c@example.jp", 2)});
    Headers("c@example.jp, b@example.jp, a@example.jp", "b@example.jp");
    Send(
        [&](HWND window) {
            EXPECT_TRUE(TileShows(window, 0, 0, Ref(ColourOf(0))));
            EXPECT_TRUE(TileShows(window, 0, 1, Ref(ColourOf(1))));
            EXPECT_TRUE(TileShows(window, 0, 2, Ref(ColourOf(2))));
            EXPECT_FALSE(TileShows(window, 0, 3, Ref(ColourOf(6))));
            EXPECT_TRUE(TileShows(window, 1, 0, Ref(ColourOf(1)))) << "one entry fills tiles in several rows";
        },
        [](HWND w) { Click(w, "送信"); });
}

TEST_F(ConfirmWindow, KeysEqualButForCaseShareTheFirstPath) {
    WriteMap({Entry("Taro", 0), Entry("taro", 1)});
    Headers("taro@example.jp");
    Send(
        [&](HWND window) {
            EXPECT_TRUE(TileShows(window, 0, 0, Ref(ColourOf(0)))) << "the first entry's picture";
            const POINT second = TileCentre(0, 1);
            EXPECT_EQ(Screenshot(window).At(second.x, second.y), GetSysColor(COLOR_BTNFACE)) << "one tile only";
        },
        [](HWND w) { Click(w, "送信"); });
}

TEST_F(ConfirmWindow, ADomainKeyShowsOneTilePerHeader) {
    WriteMap({Entry("example.jp", 3)});
    Headers("a@example.jp, b@example.jp", "c@example.jp");
    Send(
        [&](HWND window) {
            EXPECT_TRUE(TileShows(window, 0, 0, Ref(ColourOf(3))));
            EXPECT_TRUE(TileShows(window, 1, 0, Ref(ColourOf(3))));
            const POINT second = TileCentre(0, 1);
            EXPECT_EQ(Screenshot(window).At(second.x, second.y), GetSysColor(COLOR_BTNFACE));
        },
        [](HWND w) { Click(w, "送信"); });
}

TEST_F(ConfirmWindow, AMissingPictureShowsThePlaceholder) {
    WriteMap({Entry("taro", 0, /*missing=*/true)});
    Headers("taro@example.jp");
    Send(
        [&](HWND window) {
            const POINT c = TileCentre(0, 0);
            const int left = c.x - S(90) / 2, top = c.y - S(120) / 2;
            // The middle of the prohibition sign's bar, then white around it.
            EXPECT_TRUE(WaitUntil([&] { return Screenshot(window).At(left + S(44), top + S(43)) == RGB(255, 0, 0); }));
            const Screenshot shot(window);
            EXPECT_EQ(shot.At(left + 1, top + 1), RGB(255, 255, 255));
            EXPECT_EQ(shot.At(left + S(45), top + S(110)), RGB(255, 255, 255)) << "below the text";
        },
        [](HWND w) { Click(w, "送信"); });
}

TEST_F(ConfirmWindow, TwentyTilesAtMostAndTheRowScrolls) {
    std::vector<std::string> map;
    for (int i = 0; i < 25; ++i) map.push_back(Entry("user" + std::to_string(i) + "@", i));
    WriteMap(map);
    Headers("user1@, user2@, user3@, user4@, user5@, user6@, user7@, user8@, user9@, user0@, user1x@",
            "user0@ user1@ user2@ user3@ user4@ user5@");
    Send(
        [&](HWND window) {
            // Keys user1@ .. user24@ that occur: user0..user9 and user1x matches user1@ only.
            HWND to_box = nullptr, cc_box = nullptr;
            for (const ChildInfo& c : ChildrenOf(window)) {
                if (GetParent(c.hwnd) != window || c.class_name == "Button" || c.class_name == "Static") continue;
                if (!to_box) to_box = c.hwnd; else if (!cc_box) cc_box = c.hwnd;
            }
            ASSERT_TRUE(to_box && cc_box);
            RECT client, outer;
            GetClientRect(to_box, &client);
            GetWindowRect(to_box, &outer);
            EXPECT_LT(client.bottom, outer.bottom - outer.top) << "10 tiles: the scroll bar covers the tiles' bottom";
            GetClientRect(cc_box, &client);
            GetWindowRect(cc_box, &outer);
            EXPECT_EQ(client.bottom, outer.bottom - outer.top) << "6 tiles fit: no scroll bar";
            EXPECT_TRUE(TileShows(window, 0, 0, Ref(ColourOf(0))));
            EXPECT_TRUE(TileShows(window, 0, 5, Ref(ColourOf(5))));
            // An arrow click moves the row 8 pixels.
            const POINT p = TileCentre(0, 1);
            const int left_edge = p.x - S(90) / 2;
            SendMessageA(to_box, WM_HSCROLL, SB_LINERIGHT, 0);
            EXPECT_TRUE(WaitUntil([&] {
                const Screenshot shot(window);
                return shot.At(left_edge - 8, p.y) == Ref(ColourOf(1)) && shot.At(left_edge - 9, p.y) != Ref(ColourOf(1));
            }, 3000));
        },
        [](HWND w) { Click(w, "送信"); });

    // 25 matching entries fill exactly 20 tiles, the first 20 in map order.
    std::string all;
    for (int i = 0; i < 25; ++i) all += "user" + std::to_string(i) + "@ ";
    Headers(all);
    Send(
        [&](HWND window) {
            HWND to_box = GetParent(ChildWithText(window, "").hwnd);
            for (const ChildInfo& c : ChildrenOf(window))
                if (GetParent(c.hwnd) == window && c.class_name != "Button" && c.class_name != "Static") {
                    to_box = c.hwnd;
                    break;
                }
            int tiles = 0;
            for (const ChildInfo& c : ChildrenOf(window)) tiles += GetParent(c.hwnd) == to_box;
            EXPECT_EQ(tiles, 20);
            SendMessageA(to_box, WM_HSCROLL, SB_RIGHT, 0);
            // The last tile's right edge now meets the box's right edge: it is entry 20's.
            const int right = S(22) + S(607) - S(90) / 2;
            EXPECT_TRUE(WaitUntil([&] { return Screenshot(window).At(right, S(60)) == Ref(ColourOf(19)); }, 3000));
        },
        [](HWND w) { Click(w, "送信"); });
}

}  // namespace
}  // namespace zv::host

namespace zv::host {
namespace {

TEST_F(ConfirmWindow, AJpegThatFailsToDecodeIsReportedOnceInTheErrorBox) {
    const std::string empty_jpeg = plugin.folder() + "\\empty.jpg";
    WriteFileBytes(empty_jpeg, "");
    WriteMap({"taro=" + empty_jpeg});
    Headers("taro@example.jp");
    // The application title: the host executable's name, first letter kept, the rest lower case.
    const std::string title = "Confirm_window_tests";
    int boxes = 0;
    std::string text;
    Send(
        [&](HWND) {
            while (HWND box = WaitForMessageBox(title.c_str(), boxes ? 1500 : 5000)) {
                ++boxes;
                text = AnswerMessageBox(box, IDOK);
            }
        },
        [](HWND w) { Click(w, "送信"); });
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(text.rfind("JPEG エラー #", 0), 0u) << text;
    EXPECT_EQ(text.back(), '.') << "the error box ends a message with \".\"";
}

}  // namespace
}  // namespace zv::host

namespace zv::host {
namespace {

// The texts of every tool of the window's tooltip control.
std::vector<std::string> HintsOf(HWND window) {
    std::vector<std::string> hints;
    HWND tip = nullptr;
    while ((tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr)) != nullptr) {
        if (GetWindow(tip, GW_OWNER) != window) continue;
        const int count = static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[1024] = {};
            TOOLINFOA tool = {sizeof tool};
            tool.lpszText = text;
            if (SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool))) hints.push_back(text);
        }
    }
    return hints;
}

TEST_F(ConfirmWindow, TileHintsShowKeyAndThePathFoundByKey) {
    const std::string first = Entry("Taro", 0), second = Entry("taro", 1), piped = Entry("ka|na", 2);
    WriteMap({first, second, piped});
    Headers("taro@example.jp ka|na");
    std::vector<std::string> hints;
    Send([&](HWND window) { hints = HintsOf(window); }, [](HWND w) { Click(w, "送信"); });
    const std::string first_path = first.substr(first.find('=') + 1);
    EXPECT_EQ(hints, (std::vector<std::string>{"taro\r\n" + first_path, "ka"}))
        << "the path of the first key equal but for case; only the text before \"|\" is shown";
}

}  // namespace
}  // namespace zv::host
