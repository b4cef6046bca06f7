// The settings window, opened through the substitute host and driven from a second thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "base/handles_win32.h"
#include "picture_fixtures.h"
#include "substitute_host.h"
#include "ui_driver.h"
#include "upright_quarters.h"

namespace zv::host {
namespace {

constexpr char kCaption[] = "zvOvisto - 設定";
// The application title: this executable's name, first letter kept, the rest lower case.
constexpr char kAppTitle[] = "Settings_window_tests";
// What a list row shows, and holds as its text, of a longer line.
constexpr size_t kMaxShownLine = 4095;

// A message-only window of the thread that makes it; WM_APP sent or posted to it runs `call`.
class CallWindow {
public:
    explicit CallWindow(std::function<void()> call) : call_(std::move(call)) {
        static const ATOM registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "ZvTestCallWindow";
            return RegisterClassA(&wc);
        }();
        if (registered)
            window_.reset(CreateWindowExA(0, "ZvTestCallWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          GetModuleHandleA(nullptr), this));
    }
    HWND get() const { return window_.get(); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
        auto* self = reinterpret_cast<CallWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message != WM_APP || !self) return DefWindowProcA(hwnd, message, wparam, lparam);
        try {
            self->call_();
        } catch (...) {
            ADD_FAILURE() << "an exception in a call window";
        }
        return 0;
    }

    std::function<void()> call_;
    UniqueWindow window_;
};

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

// The text a row holds for each line: what the row shows of it.
std::vector<std::string> Shown(const std::vector<std::string>& lines) {
    std::vector<std::string> shown;
    for (const auto& l : lines) shown.push_back(l.substr(0, kMaxShownLine));
    return shown;
}

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Script() = HostScript();
        ASSERT_TRUE(plugin.loaded());
        picture = plugin.folder() + "\\red.bmp";
        WriteFileBytes(picture, fixtures::SolidBmp(8, 8, {255, 0, 0}));
        bak = plugin.folder() + "\\zvOvisto.bak";
        // Made on the window's thread, so the window's modal loop dispatches to it.
        hold_ = std::make_unique<CallWindow>([this] {
            SendMessageTimeoutA(relay_.load(), WM_APP, 0, 0, SMTO_NORMAL, 10000, nullptr);
        });
        ASSERT_TRUE(hold_->get());
    }

    // Opens the settings window; `drive` works it and must close it.
    int Run(const std::function<void(HWND)>& drive) {
        std::atomic<bool> seen{false};
        int result;
        {
            Driver driver([&] {
                HWND window = WaitForWindow(kCaption);
                if (!window) return;
                seen = true;
                drive(window);
                CloseLeftOpen(window);
            });
            result = plugin.OnPlugInSetup();
        }
        EXPECT_TRUE(seen) << "the settings window was not shown";
        return result;
    }

    // Controls found by what they show, or by kind and place.
    static HWND Button(HWND w, const char* text) { return ChildWithText(w, text).hwnd; }
    static HWND List(HWND w) { return Child(w, "ListBox", 0); }
    static HWND Address(HWND w) { return Child(w, "Edit", 0); }   // the upper field
    static HWND FileName(HWND w) { return Child(w, "Edit", 1); }  // the lower one
    static HWND Child(HWND w, const char* cls, int nth) {
        std::vector<ChildInfo> found;
        for (const ChildInfo& c : ChildrenOf(w))
            if (lstrcmpiA(c.class_name.c_str(), cls) == 0) found.push_back(c);
        std::sort(found.begin(), found.end(), [](const ChildInfo& a, const ChildInfo& b) { return a.rect.top < b.rect.top; });
        return nth < static_cast<int>(found.size()) ? found[nth].hwnd : nullptr;
    }
    static std::string Text(HWND control) {
        char buffer[4096] = {};
        SendMessageA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    // Posts through the queue, as input would, so the window's idle update runs after it.
    static void Select(HWND w, int index) {
        PostMessageA(List(w), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageA(w, WM_NULL, 0, 0);
    }
    static void Click(HWND w, const char* text) { PostMessageA(Button(w, text), BM_CLICK, 0, 0); }
    static void Type(HWND control, const std::string& text) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    static bool Enabled(HWND w, const char* text) { return IsWindowEnabled(Button(w, text)) != FALSE; }
    // Every row's text, read as a screen reader does.
    static std::vector<std::string> ListTexts(HWND list) {
        std::vector<std::string> texts;
        const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            if (length == LB_ERR) {
                texts.push_back("(no text)");
                continue;
            }
            std::string text(static_cast<size_t>(length) + 1, '\0');
            const LRESULT got =
                SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
            text.resize(got == LB_ERR || got > length ? 0 : static_cast<size_t>(got));
            texts.push_back(text);
        }
        return texts;
    }
    // Runs `check` here, on the driver's thread, while the window's thread waits in a SendMessage
    // to this thread: it then handles only messages sent to it, so its modal loop takes no step
    // (and runs no idle update) before `check` returns.
    void WhileHeld(const std::function<void()>& check) {
        bool done = false;
        CallWindow relay([&] {
            check();
            done = true;
        });
        relay_ = relay.get();
        PostMessageA(hold_->get(), WM_APP, 0, 0);
        EXPECT_TRUE(WaitUntil([&] {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // takes the sent call
            return done;
        })) << "the window's thread did not call back";
        relay_ = nullptr;
    }
    // Waits for a box with this caption, returns its text and presses `button`.
    static std::string AnswerBox(const char* caption, int button) {
        HWND box = WaitForMessageBox(caption);
        return box ? AnswerMessageBox(box, button) : "(no box)";
    }

    LoadedPlugin plugin;
    std::string picture, bak;
    std::unique_ptr<CallWindow> hold_;
    std::atomic<HWND> relay_{nullptr};
};

TEST_F(SettingsWindow, OkWritesTheWorkingCopyByteForByte) {
    // A byte-order mark, Shift-JIS keys (one with a 0x5C trail byte) and a lone lead byte.
    const std::vector<std::string> lines = {"\xEF\xBB\xBFtaro=C:\\a.jpg", "\x95\x5C\x8E\xA6=C:\\\x95\x5C.jpg",
                                            "odd\x82=x", "no equals", "last=C:\\b.jpg"};
    std::string original;
    for (const auto& l : lines) original += l + "\n";  // LF only: OK writes CR LF
    WriteFileBytes(plugin.ini_path(), original);
    int count = -1;
    EXPECT_EQ(Run([&](HWND w) {
        WaitUntil([&] { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 5; });
        count = static_cast<int>(SendMessageA(List(w), LB_GETCOUNT, 0, 0));
        Click(w, "OK");
    }), 1);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(ReadFileBytes(plugin.ini_path()), JoinLines(lines));
    EXPECT_EQ(ReadFileBytes(bak), original);
}

TEST_F(SettingsWindow, OpensWithNothingSelectedAndEnablesActionsOnSelection) {
    WriteFileBytes(plugin.ini_path(), "\x8E\x52\x93\x63=" + picture + "\r\nb=x\r\n");  // 山田
    Run([&](HWND w) {
        EXPECT_EQ(SendMessageA(List(w), LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(FocusOf(w), List(w));
        EXPECT_EQ(Text(Address(w)), "");
        EXPECT_EQ(Text(FileName(w)), "");
        for (const char* b : {">", "<", "×"}) EXPECT_FALSE(Enabled(w, b)) << b;
        EXPECT_TRUE(Enabled(w, "<<"));
        EXPECT_TRUE(Enabled(w, "..."));
        Select(w, 0);
        EXPECT_TRUE(WaitUntil([&] { return Enabled(w, ">") && Enabled(w, "<") && Enabled(w, "×"); }));
        Click(w, ">");
        EXPECT_TRUE(WaitUntil([&] { return Text(FileName(w)) == picture; }));
        EXPECT_EQ(Text(Address(w)), "\x8E\x52\x93\x63");
        Click(w, "ｷｬﾝｾﾙ");
    });
}

TEST_F(SettingsWindow, ReplaceAddAndDeleteChangeTheList) {
    WriteFileBytes(plugin.ini_path(), "a=" + picture + "\r\nb=" + picture + "\r\n");
    Run([&](HWND w) {
        Select(w, 1);
        WaitUntil([&] { return Enabled(w, "<"); });
        Type(Address(w), " c ");  // stored with its blanks
        Type(FileName(w), picture);
        Click(w, "<");
        // The click is posted; wait for its effect before the next text goes into the field.
        const std::vector<std::string> replaced = {"a=" + picture, " c =" + picture};
        EXPECT_TRUE(WaitUntil([&] { return ListTexts(List(w)) == replaced; }));
        EXPECT_EQ(SendMessageA(List(w), LB_GETCURSEL, 0, 0), 1) << "the replaced row stays selected";
        EXPECT_TRUE(Enabled(w, "<"));
        Type(Address(w), "d");
        Click(w, "<<");
        EXPECT_TRUE(WaitUntil([&] { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 3; }));
        EXPECT_EQ(SendMessageA(List(w), LB_GETCURSEL, 0, 0), 1) << "adding keeps the selection";
        Select(w, 0);
        WaitUntil([&] { return SendMessageA(List(w), LB_GETCURSEL, 0, 0) == 0; });
        Click(w, "×");
        EXPECT_EQ(AnswerBox("確認", IDCANCEL), "選択行を削除します。よろしいですか？");
        Click(w, "×");
        AnswerBox("確認", IDOK);
        EXPECT_TRUE(WaitUntil([&] { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 2; }));
        EXPECT_EQ(SendMessageA(List(w), LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_TRUE(WaitUntil([&] { return !Enabled(w, ">") && !Enabled(w, "<") && !Enabled(w, "×"); }));
        Click(w, "OK");
    });
    EXPECT_EQ(ReadFileBytes(plugin.ini_path()), " c =" + picture + "\r\nd=" + picture + "\r\n");
}

TEST_F(SettingsWindow, TheListHoldsEachLineAsTextInStepWithTheWorkingCopy) {
    // ASCII; 太郎 and 表 (trail byte 0x5C) in Shift-JIS; an empty line; a line longer than a row shows.
    std::vector<std::string> lines = {"ascii=" + picture, "\x91\xBE\x98\x59=C:\\pic\\x.jpg", "\x95\x5C=" + picture, "",
                                      "long=" + std::string(5000, 'x')};
    WriteFileBytes(plugin.ini_path(), JoinLines(lines));
    Run([&](HWND w) {
        const auto in_step = [&](const char* after) {
            WaitUntil([&] { return ListTexts(List(w)) == Shown(lines); });
            EXPECT_EQ(ListTexts(List(w)), Shown(lines)) << "after " << after;
        };
        in_step("opening");
        Type(Address(w), "\x89\xD4\x8E\x71");  // 花子
        Type(FileName(w), picture);
        Click(w, "<<");
        lines.push_back("\x89\xD4\x8E\x71=" + picture);
        in_step("<<");
        Select(w, 2);
        WaitUntil([&] { return Enabled(w, "<"); });
        Type(Address(w), "\x95\x5C\x8E\xA6");  // 表示
        Click(w, "<");
        lines[2] = "\x95\x5C\x8E\xA6=" + picture;
        in_step("<");
        EXPECT_EQ(SendMessageA(List(w), LB_GETCURSEL, 0, 0), 2);
        Select(w, 0);
        WaitUntil([&] { return SendMessageA(List(w), LB_GETCURSEL, 0, 0) == 0; });
        Click(w, "×");
        AnswerBox("確認", IDOK);
        lines.erase(lines.begin());
        in_step("×");
        Click(w, "OK");
    });
    EXPECT_EQ(ReadFileBytes(plugin.ini_path()), JoinLines(lines)) << "OK writes the lines the list held, whole";
}

TEST_F(SettingsWindow, TypingALetterSelectsTheNextLineStartingWithIt) {
    WriteFileBytes(plugin.ini_path(), JoinLines({"apple=x", "banana=x", "cherry=x", "\x91\xBE\x98\x59=x", "blue=x"}));
    // Typed one after another into the focused list, posted as the keyboard's characters come.
    const struct {
        std::vector<WPARAM> chars;
        bool sent;
        int selected;
    } typed[] = {
        {{'b'}, false, 1},
        {{'b'}, false, 4},
        {{'b'}, false, 1},  // round again
        {{'C'}, false, 2},  // letter case does not count
        // 太 as its two bytes, as the keyboard (or the IME through DefWindowProc) posts them, and
        // sent straight to the list.
        {{0x91, 0xBE}, false, 3},
        {{'a'}, false, 0},
        {{0x91, 0xBE}, true, 3},
    };
    Run([&](HWND w) {
        for (const auto& t : typed) {
            for (WPARAM c : t.chars) {
                if (t.sent)
                    SendMessageA(List(w), WM_CHAR, c, 1);
                else
                    PostMessageA(List(w), WM_CHAR, c, 1);
            }
            EXPECT_TRUE(WaitUntil([&] { return SendMessageA(List(w), LB_GETCURSEL, 0, 0) == t.selected; }))
                << "after character " << t.chars[0] << " the selection is " << SendMessageA(List(w), LB_GETCURSEL, 0, 0);
        }
        EXPECT_TRUE(WaitUntil([&] { return Enabled(w, ">") && Enabled(w, "<") && Enabled(w, "×"); }));
        // The same characters typed into an edit field arrive whole.
        for (WPARAM c : {WPARAM('x'), WPARAM(0x91), WPARAM(0xBE), WPARAM(0x95), WPARAM(0x5C)})
            PostMessageA(Address(w), WM_CHAR, c, 1);
        EXPECT_TRUE(WaitUntil([&] { return Text(Address(w)) == "x\x91\xBE\x95\x5C"; })) << Text(Address(w));
        Click(w, "ｷｬﾝｾﾙ");
    });
}

TEST_F(SettingsWindow, ActionsFollowTheSelectionAtOnceHoweverItChanges) {
    WriteFileBytes(plugin.ini_path(), JoinLines({"apple=x", "banana=x", "cherry=x", "damson=x"}));
    Run([&](HWND w) {
        HWND list = List(w);
        // As an accessibility tool does it: the selection, then only the notification.
        const auto set_from_outside = [&](int index) {
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
            SendMessageA(w, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        };
        const auto actions = [&] { return std::vector<bool>{Enabled(w, ">"), Enabled(w, "<"), Enabled(w, "×")}; };
        const std::vector<bool> none(3, false), all(3, true);
        const struct {
            const char* way;
            std::function<void()> select;
            int selected;
        } ways[] = {
            {"set from outside", [&] { set_from_outside(1); }, 1},
            {"a click",
             [&] {
                 RECT r = {};
                 SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
                 const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                 SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
                 SendMessageA(list, WM_LBUTTONUP, 0, at);
             },
             2},
            {"the End key, twice",  // with nothing selected, Wine's list first selects the row with the caret
             [&] {
                 for (int i = 0; i < 2; ++i) {
                     SendMessageA(list, WM_KEYDOWN, VK_END, 1);
                     SendMessageA(list, WM_KEYUP, VK_END, 0xC0000001);
                 }
             },
             3},
            {"a typed letter", [&] { SendMessageA(list, WM_CHAR, 'b', 1); }, 1},
        };
        for (const auto& way : ways) {
            WhileHeld([&] {
                set_from_outside(-1);
                EXPECT_EQ(actions(), none) << way.way << ": nothing selected";
                way.select();
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), way.selected) << way.way;
                EXPECT_EQ(actions(), all) << way.way;
            });
        }
        // What proves the hold: a selection without its notification changes nothing while held...
        WhileHeld([&] {
            set_from_outside(-1);
            SendMessageA(list, LB_SETCURSEL, 1, 0);
            EXPECT_EQ(actions(), none) << "the idle update ran while the thread was held";
        });
        // ...and the idle update catches up once the loop runs.
        EXPECT_TRUE(WaitUntil([&] { return actions() == all; }));
        Click(w, "ｷｬﾝｾﾙ");
    });
}

TEST_F(SettingsWindow, ValidationMessagesInThePlainBoxMoveTheFocus) {
    WriteFileBytes(plugin.ini_path(), "a=" + picture + "\r\n");
    struct Case {
        const char* address;
        std::string file;
        const char* message;
        bool focus_on_address;
    } cases[] = {
        {"   ", picture, "アドレスを入力して下さい。", true},
        {"a=b", "C:\\no\\such.jpg", "アドレスに\"=\"は使用できません。", true},
        {"taro", plugin.folder() + "\\missing.jpg", "有効な画像ファイルを指定して下さい。", false},
    };
    Run([&](HWND w) {
        for (const Case& c : cases) {
            Type(Address(w), c.address);
            Type(FileName(w), c.file);
            SetForegroundWindow(w);
            Click(w, "<<");
            EXPECT_EQ(AnswerBox(kAppTitle, IDOK), c.message);
            EXPECT_TRUE(WaitUntil([&] { return FocusOf(w) == (c.focus_on_address ? Address(w) : FileName(w)); }))
                << c.message;
        }
        EXPECT_EQ(SendMessageA(List(w), LB_GETCOUNT, 0, 0), 1) << "nothing was added";
        Click(w, "ｷｬﾝｾﾙ");
    });
}

TEST_F(SettingsWindow, CancelEscAndCloseBoxLeaveTheFilesAlone) {
    const std::string map = "a=" + picture + "\r\n";
    WriteFileBytes(plugin.ini_path(), map);
    WriteFileBytes(bak, "older\r\n");
    const std::function<void(HWND)> closers[] = {
        [](HWND w) { Click(w, "ｷｬﾝｾﾙ"); },
        [](HWND w) {
            // Found once: once the key is down, the window may be gone.
            const HWND list = List(w);
            PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(list, WM_KEYUP, VK_ESCAPE, 0xC0000000);
        },
        [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : closers) {
        EXPECT_EQ(Run([&](HWND w) {
            Type(Address(w), "new");
            Type(FileName(w), picture);
            Click(w, "<<");
            EXPECT_TRUE(WaitUntil([&] { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 2; })) << "not added";
            Select(w, 0);
            Click(w, "×");
            EXPECT_NE(AnswerBox("確認", IDOK), "(no box)");
            EXPECT_TRUE(WaitUntil([&] { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 1; })) << "not deleted";
            close(w);
        }), 1);
        EXPECT_EQ(ReadFileBytes(plugin.ini_path()), map);
        EXPECT_EQ(ReadFileBytes(bak), "older\r\n");
    }
}

TEST_F(SettingsWindow, OkWithAnEmptyListWritesAZeroByteFile) {
    WriteFileBytes(plugin.ini_path(), "a=" + picture + "\r\n");
    Run([&](HWND w) {
        Select(w, 0);
        WaitUntil([&] { return Enabled(w, "×"); });
        Click(w, "×");
        AnswerBox("確認", IDOK);
        WaitUntil([&] { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 0; });
        Click(w, "OK");
    });
    EXPECT_EQ(ReadFileBytes(plugin.ini_path()), "");
    EXPECT_EQ(ReadFileBytes(bak), "a=" + picture + "\r\n");
}

TEST_F(SettingsWindow, CheckReportsInThePlainBox) {
    WriteFileBytes(plugin.ini_path(), "taro=" + picture + "\r\ntaro.yamada=" + picture + "\r\n");
    std::string report;
    Run([&](HWND w) {
        Click(w, "チェック");
        report = AnswerBox(kAppTitle, IDOK);
        Click(w, "ｷｬﾝｾﾙ");
    });
    EXPECT_EQ(report, "アドレス taro.yamada が使用されることはありません。");
}

// A report taller than the screen: the box is as tall as the work area allows, the text
// scrolls in a read-only view with the box's font, OK stays on the screen, and Enter and Esc
// close it wherever the focus is. A short report keeps its plain label.
TEST_F(SettingsWindow, ALongReportScrollsInABoxThatFitsTheScreen) {
    std::string map, report;
    for (int i = 0; i < 2000; ++i) {
        const std::string path = "C:\\missing\\" + std::to_string(i) + ".jpg";
        map += "m" + std::to_string(i) + "@example.jp=" + path + "\r\n";
        report += (report.empty() ? "" : "\r\n") + path + " ファイルが存在しません。";
    }
    WriteFileBytes(plugin.ini_path(), map);
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    struct Case {
        const char* name;
        bool focus_on_view;
        WPARAM key;
    } const cases[] = {{"Enter on OK", false, VK_RETURN}, {"Esc on OK", false, VK_ESCAPE},
                       {"Enter in the view", true, VK_RETURN}, {"Esc in the view", true, VK_ESCAPE}};
    Run([&](HWND w) {
        for (const Case& c : cases) {
            Click(w, "チェック");
            HWND box = WaitForMessageBox(kAppTitle, 30000);
            ASSERT_TRUE(box) << c.name;
            const ChildInfo ok = ChildWithText(box, "OK");
            ChildInfo view{};
            for (const ChildInfo& child : ChildrenOf(box))
                if (lstrcmpiA(child.class_name.c_str(), "Edit") == 0) view = child;
            ASSERT_TRUE(ok.hwnd && view.hwnd) << c.name;
            RECT frame, button = ok.rect;
            GetWindowRect(box, &frame);
            MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&button), 2);
            EXPECT_GE(frame.top, work.top) << c.name;
            EXPECT_LE(frame.bottom, work.bottom) << c.name;
            EXPECT_GE(frame.bottom - frame.top, (work.bottom - work.top) * 9 / 10) << "as tall as fits";
            EXPECT_TRUE(ok.visible);
            EXPECT_LE(button.bottom, work.bottom) << "OK on the screen";
            EXPECT_LE(view.rect.bottom, ok.rect.top);
            const LONG style = GetWindowLongA(view.hwnd, GWL_STYLE);
            EXPECT_TRUE((style & ES_MULTILINE) && (style & ES_READONLY) && (style & WS_VSCROLL)) << std::hex << style;
            EXPECT_EQ(SendMessageA(view.hwnd, WM_GETFONT, 0, 0), SendMessageA(ok.hwnd, WM_GETFONT, 0, 0));
            SCROLLINFO scroll = {sizeof scroll, SIF_ALL};
            GetScrollInfo(view.hwnd, SB_VERT, &scroll);
            EXPECT_GT(scroll.nMax + 1, static_cast<int>(scroll.nPage)) << "the text is taller than its view";
            SendMessageA(view.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
            EXPECT_GT(SendMessageA(view.hwnd, EM_GETFIRSTVISIBLELINE, 0, 0), 1000) << "it scrolls to the end";
            HWND focus = ok.hwnd;
            if (c.focus_on_view) {
                PostMessageA(box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(view.hwnd), TRUE);
                EXPECT_TRUE(WaitUntil([&] { return FocusOf(box) == view.hwnd; })) << c.name;
                focus = view.hwnd;
            } else {
                EXPECT_EQ(FocusOf(box), ok.hwnd) << "the focus starts on OK";
            }
            std::string shown(static_cast<size_t>(GetWindowTextLengthA(view.hwnd)) + 1, '\0');
            shown.resize(static_cast<size_t>(GetWindowTextA(view.hwnd, &shown[0], static_cast<int>(shown.size()))));
            EXPECT_EQ(shown, report) << "the report, byte for byte";
            PostMessageA(focus, WM_KEYDOWN, c.key, 0);
            PostMessageA(focus, WM_KEYUP, c.key, 0xC0000000);
            EXPECT_TRUE(WaitForWindowGone(box, 5000)) << c.name;
        }
        Click(w, "ｷｬﾝｾﾙ");
    });
}

TEST_F(SettingsWindow, AShortReportKeepsItsLabel) {
    WriteFileBytes(plugin.ini_path(), "taro=C:\\none.jpg\r\n");
    Run([&](HWND w) {
        Click(w, "チェック");
        HWND box = WaitForMessageBox(kAppTitle);
        ASSERT_TRUE(box);
        EXPECT_EQ(Child(box, "Edit", 0), nullptr);
        EXPECT_EQ(ChildWithText(box, "C:\\none.jpg ファイルが存在しません。").class_name, "Static");
        AnswerMessageBox(box, IDOK);
        Click(w, "ｷｬﾝｾﾙ");
    });
}

TEST_F(SettingsWindow, AboutShowsTheVersionFromTheLibrary) {
    std::string text;
    Run([&](HWND w) {
        Click(w, "About");
        text = AnswerBox("バージョン情報", IDOK);
        Click(w, "ｷｬﾝｾﾙ");
    });
    EXPECT_EQ(text.substr(0, text.find('\n')), "zvOvisto Ver 1.0.0");
}

TEST_F(SettingsWindow, AMapHeldOpenOpensEmptyAndOkReportsTheCreationError) {
    WriteFileBytes(plugin.ini_path(), "mine=1\r\n");
    WriteFileBytes(bak, "older=1\r\n");
    UniqueFile other(CreateFileA(plugin.ini_path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 0, nullptr));
    ASSERT_TRUE(other);
    std::string error;
    int count = -1;
    Run([&](HWND w) {
        count = static_cast<int>(SendMessageA(List(w), LB_GETCOUNT, 0, 0));
        Click(w, "OK");
        error = AnswerBox(kAppTitle, IDOK);
    });
    other.reset();
    EXPECT_EQ(count, 0) << "an unreadable map opens as an empty list";
    EXPECT_EQ(error, "ファイル " + plugin.ini_path() + " を作成できません.") << "the error box adds \".\"";
    EXPECT_EQ(ReadFileBytes(plugin.ini_path()), "mine=1\r\n");
    EXPECT_EQ(ReadFileBytes(bak), "older=1\r\n");
}

}  // namespace
}  // namespace zv::host

namespace zv::host {
namespace {

TEST_F(SettingsWindow, TabOrderAndTheLabelsAltKeys) {
    std::vector<std::string> order;
    HWND after_alt_a = nullptr, after_alt_i = nullptr, address = nullptr, file_name = nullptr;
    Run([&](HWND w) {
        address = Address(w);
        file_name = FileName(w);
        HWND at = List(w);
        for (int i = 0; i < 7; ++i) {
            at = GetNextDlgTabItem(w, at, FALSE);
            char text[64] = {};
            GetWindowTextA(at, text, sizeof text);
            order.push_back(at == address ? "txtAddress" : at == file_name ? "txtFileName" : at == List(w) ? "PictureMap" : text);
        }
        // Alt+A and Alt+I, as the keyboard sends them.
        PostMessageA(List(w), WM_SYSCHAR, 'a', 1 << 29);
        WaitUntil([&] { return FocusOf(w) == address; });
        after_alt_a = FocusOf(w);
        PostMessageA(List(w), WM_SYSCHAR, 'i', 1 << 29);
        WaitUntil([&] { return FocusOf(w) == file_name; });
        after_alt_i = FocusOf(w);
        Click(w, "ｷｬﾝｾﾙ");
    });
    EXPECT_EQ(order, (std::vector<std::string>{"チェック", "txtAddress", "txtFileName", "OK", "ｷｬﾝｾﾙ", "About", "PictureMap"}));
    EXPECT_EQ(after_alt_a, address);
    EXPECT_EQ(after_alt_i, file_name);
}


// The host's window that was active before the call is the active and foreground window again
// after it, however the settings window closes.
TEST_F(SettingsWindow, TheHostWindowIsActiveAgainAfterEachWayOfClosing) {
    WriteFileBytes(plugin.ini_path(), "a=" + picture + "\r\n");
    struct Case {
        const char* name;
        std::function<void(HWND)> close;
    } const cases[] = {
        {"OK", [](HWND w) { Click(w, "OK"); }},
        {"ｷｬﾝｾﾙ", [](HWND w) { Click(w, "ｷｬﾝｾﾙ"); }},
        {"Esc",
         [](HWND w) {
             const HWND list = List(w);
             PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
             PostMessageA(list, WM_KEYUP, VK_ESCAPE, 0xC0000000);
         }},
        {"close box", [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Case& c : cases) {
        const UniqueWindow compose = MakeActiveHostWindow();
        ASSERT_EQ(GetActiveWindow(), compose.get());
        ASSERT_EQ(GetForegroundWindow(), compose.get());
        bool disabled_while_up = false;
        Run([&](HWND w) {
            disabled_while_up = !IsWindowEnabled(compose.get());
            c.close(w);
        });
        EXPECT_TRUE(disabled_while_up) << c.name;
        EXPECT_TRUE(IsWindowEnabled(compose.get())) << c.name;
        EXPECT_EQ(GetActiveWindow(), compose.get()) << c.name;
        EXPECT_EQ(GetForegroundWindow(), compose.get()) << c.name;
    }
}

// What a failure says of where the focus is.
std::string Describe(HWND w, HWND focus) {
    if (!focus) return "nothing";
    if (focus == w) return "the frame";
    char name[64] = {}, text[64] = {};
    GetClassNameA(focus, name, sizeof name);
    GetWindowTextA(focus, text, sizeof text);
    return std::string(name) + " \"" + text + "\"";
}

// Finds the file dialog, a dialog with the file type box, among a thread's windows.
BOOL CALLBACK FindFileDialog(HWND hwnd, LPARAM out) {
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, 0x470 /* cmb1 */)) return TRUE;
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
}

// The file dialog of the thread that runs the settings window.
HWND FileDialogOver(HWND w) {
    HWND found = nullptr;
    WaitUntil([&] {
        EnumThreadWindows(GetWindowThreadProcessId(w, nullptr), FindFileDialog, reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
    }, 10000);
    return found;
}

// Every box and dialog over the settings window gives the focus back to the control that had
// it, as the system's dialogs do.
TEST_F(SettingsWindow, EachBoxAndDialogGivesTheFocusBack) {
    const std::string bad = plugin.folder() + "\\bad.bmp";
    WriteFileBytes(bad, "not a bitmap");
    WriteFileBytes(plugin.ini_path(), "a=" + picture + "\r\nb=" + picture + "\r\nc=" + picture + "\r\n");
    struct Case {
        const char* name;
        HWND (*start)(HWND);  // the control with the focus before
        std::function<void(HWND)> box;  // opens the box or dialog and answers it
    } const cases[] = {
        {"the check's report", [](HWND w) { return Button(w, "チェック"); },
         [](HWND w) {
             Click(w, "チェック");
             EXPECT_NE(AnswerBox(kAppTitle, IDOK), "(no box)");
         }},
        {"About", [](HWND w) { return Button(w, "About"); },
         [](HWND w) {
             Click(w, "About");
             EXPECT_NE(AnswerBox("バージョン情報", IDOK), "(no box)");
         }},
        {"the delete confirmation, cancelled", List,
         [](HWND w) {
             Click(w, "×");
             EXPECT_NE(AnswerBox("確認", IDCANCEL), "(no box)");
         }},
        {"the delete confirmation, answered", List,
         [](HWND w) {
             Click(w, "×");
             EXPECT_NE(AnswerBox("確認", IDOK), "(no box)");
         }},
        {"the file-open dialog, cancelled", Address,
         [](HWND w) {
             Click(w, "...");
             const HWND dialog = FileDialogOver(w);
             ASSERT_TRUE(dialog);
             PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
             EXPECT_TRUE(WaitForWindowGone(dialog));
         }},
        {"the loader's error box", FileName,
         [&bad](HWND w) {
             Click(w, "...");
             const HWND dialog = FileDialogOver(w);
             ASSERT_TRUE(dialog);
             HWND name = GetDlgItem(dialog, 0x480 /* edt1 */);
             if (const HWND combo = name ? nullptr : GetDlgItem(dialog, 0x47C /* cmb13 */))
                 name = Child(combo, "Edit", 0);
             ASSERT_TRUE(name);
             SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bad.c_str()));
             PostMessageA(dialog, WM_COMMAND, IDOK, 0);
             EXPECT_NE(AnswerBox(kAppTitle, IDOK), "(no box)");
         }},
    };
    Run([&](HWND w) {
        for (const Case& c : cases) {
            Select(w, 0);
            const HWND start = c.start(w);
            PostMessageA(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(start), TRUE);
            ASSERT_TRUE(WaitUntil([&] { return FocusOf(w) == start && Enabled(w, "×"); })) << c.name;
            c.box(w);
            EXPECT_TRUE(WaitUntil([&] { return FocusOf(w) == start; }))
                << c.name << ": the focus is on " << Describe(w, FocusOf(w));
            EXPECT_TRUE(IsWindowEnabled(w)) << c.name;
        }
        Click(w, "ｷｬﾝｾﾙ");
    });
}

// The small buttons beside the list run their action on a click and leave the focus in the
// list, so the arrow keys still move in it.
TEST_F(SettingsWindow, SmallButtonsLeaveTheFocusWhereItWas) {
    WriteFileBytes(plugin.ini_path(), "a=" + picture + "\r\nb=" + picture + "\r\nc=" + picture + "\r\n");
    const auto nothing = [](HWND) {};
    struct Case {
        const char* button;
        std::function<void(HWND)> before, after;  // fill the fields; answer a box
        std::function<bool(HWND)> done;           // the action's effect
    } const cases[] = {
        {">", nothing, nothing, [&](HWND w) { return Text(FileName(w)) == picture; }},
        {"<", [](HWND w) { Type(Address(w), "z"); }, nothing,
         [&](HWND w) { return ListTexts(List(w))[0] == "z=" + picture; }},
        {"<<", nothing, nothing, [](HWND w) { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 4; }},
        {"×", nothing, [](HWND) { EXPECT_NE(AnswerBox("確認", IDOK), "(no box)"); },
         [](HWND w) { return SendMessageA(List(w), LB_GETCOUNT, 0, 0) == 3; }},
    };
    Run([&](HWND w) {
        for (const Case& c : cases) {
            Select(w, 0);
            PostMessageA(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(List(w)), TRUE);
            ASSERT_TRUE(WaitUntil([&] { return FocusOf(w) == List(w) && Enabled(w, "×"); })) << c.button;
            c.before(w);
            Click(w, c.button);
            c.after(w);
            EXPECT_TRUE(WaitUntil([&] { return c.done(w); })) << c.button;
            EXPECT_EQ(FocusOf(w), List(w)) << c.button << ": the focus is on " << Describe(w, FocusOf(w));
        }
        // A click of the mouse itself, pressed and released over the button.
        {
            Select(w, 0);
            SetForegroundWindow(w);
            Type(FileName(w), "");
            PostMessageA(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(List(w)), TRUE);
            ASSERT_TRUE(WaitUntil([&] { return FocusOf(w) == List(w) && Enabled(w, ">"); }));
            RECT r;
            GetWindowRect(Button(w, ">"), &r);
            SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            INPUT clicks[2] = {};
            clicks[0].type = clicks[1].type = INPUT_MOUSE;
            clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(2, clicks, sizeof(INPUT));
            EXPECT_TRUE(WaitUntil([&] { return Text(FileName(w)) == picture; })) << "the mouse click";
            EXPECT_EQ(FocusOf(w), List(w)) << "the mouse click: the focus is on " << Describe(w, FocusOf(w));
        }
        // The arrow key reaches the list.
        Select(w, 0);
        WaitUntil([&] { return SendMessageA(List(w), LB_GETCURSEL, 0, 0) == 0; });
        PostMessageA(FocusOf(w), WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(FocusOf(w), WM_KEYUP, VK_DOWN, 0xC0000000);
        EXPECT_TRUE(WaitUntil([&] { return SendMessageA(List(w), LB_GETCURSEL, 0, 0) == 1; }));
        // Enter still means OK.
        PostMessageA(FocusOf(w), WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(FocusOf(w), WM_KEYUP, VK_RETURN, 0xC0000000);
        EXPECT_TRUE(WaitForWindowGone(w, 5000)) << "Enter did not press OK";
    });
}

}  // namespace
}  // namespace zv::host

namespace zv::host {
namespace {

// Every control where the layout puts it, scaled by the text height this screen gives the
// font; the preview stretches its picture over the whole scaled image.
TEST_F(SettingsWindow, LayoutFollowsTheTextHeight) {
    struct Control {
        const char* name;
        std::function<HWND(HWND)> find;
        int left, top, width, height;  // a label's size follows its text
    };
    const auto text = [](const char* t) { return [t](HWND w) { return Button(w, t); }; };
    const Control controls[] = {
        {"PictureMap", List, 4, 12, 229, 197},
        {"SpeedButton2", text(">"), 244, 64, 29, 25},
        {"SpeedButton1", text("<"), 244, 96, 29, 25},
        {"SpeedButton4", text("<<"), 244, 128, 29, 25},
        {"SpeedButton3", text("×"), 244, 160, 29, 25},
        {"Label1", text("アドレス(&A)："), 284, 8, -1, -1},
        {"txtAddress", Address, 280, 24, 265, 20},
        {"Label2", text("画像(&i)："), 284, 56, -1, -1},
        {"Panel1", [](HWND w) { return GetParent(Child(w, "ZvPictureControl", 0)); }, 360, 52, 101, 129},
        {"txtFileName", FileName, 288, 185, 225, 20},
        {"btnFileOpen", text("..."), 520, 184, 25, 21},
        {"btnAbout", text("About"), 8, 216, 69, 25},
        {"Button1", text("チェック"), 136, 216, 97, 25},
        {"btnOk", text("OK"), 340, 216, 97, 25},
        {"btnCancel", text("ｷｬﾝｾﾙ"), 448, 216, 97, 25},
    };
    const int text_height = MeasuredTextHeight();
    WriteFileBytes(plugin.ini_path(), "taro=" + picture + "\r\n");
    Run([&](HWND w) {
        ScaledLengths lengths(text_height);
        const SIZE client = ClientSize(w);
        lengths.Length("client width", client.cx, 552);
        lengths.Length("client height", client.cy, 247);
        for (const Control& c : controls) {
            const HWND control = c.find(w);
            if (!control) {
                ADD_FAILURE() << c.name << " not found";
                continue;
            }
            lengths.Rect(c.name, RectIn(control, w), c.left, c.top, c.width, c.height);
        }
        lengths.Length("PictureMap's rows", SendMessageA(List(w), LB_GETITEMHEIGHT, 0, 0), 12);
        // RefImage, inside Panel1's frame.
        const HWND image = Child(w, "ZvPictureControl", 0);
        RECT in_panel = RectIn(image, GetParent(image));
        lengths.Rect("RefImage", in_panel, 6, 5, 90, 120);
        EXPECT_EQ(lengths.Off(), "") << "at a text height of " << text_height;

        // The red picture, stretched to the image's last pixel and no further.
        Select(w, 0);
        WaitUntil([&] { return Enabled(w, ">"); });
        Click(w, ">");
        const RECT r = RectIn(image, w);
        const COLORREF red = RGB(255, 0, 0);
        EXPECT_TRUE(WaitUntil([&] {
            const Screenshot shot(w);
            return shot.At(r.left, r.top) == red && shot.At(r.right - 1, r.bottom - 1) == red &&
                   shot.At(r.right, r.bottom - 1) != red && shot.At(r.right - 1, r.bottom) != red &&
                   shot.At(r.left - 1, r.top) != red && shot.At(r.left, r.top - 1) != red;
        })) << "at a text height of " << text_height;
        Click(w, "ｷｬﾝｾﾙ");
    });
}

TEST_F(SettingsWindow, ThePictureOfALineShowsPhotosUprightAtEveryScale) {
    std::vector<std::string> lines;
    for (int scale = 1; scale <= 8; ++scale)
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const std::string path = plugin.folder() + "\\" + upright::FileName(orientation, scale);
            WriteFileBytes(path, upright::File(orientation, scale));
            lines.push_back(upright::FileName(orientation, scale) + "=" + path);
        }
    WriteFileBytes(plugin.ini_path(), JoinLines(lines));
    Run([&](HWND w) {
        const HWND image = Child(w, "ZvPictureControl", 0);
        ASSERT_TRUE(image);
        for (size_t i = 0; i < lines.size(); ++i) {
            Select(w, static_cast<int>(i));
            ASSERT_TRUE(WaitUntil([&] { return Enabled(w, ">"); })) << i;
            Click(w, ">");
            ASSERT_TRUE(WaitUntil([&] { return Text(FileName(w)) == lines[i].substr(lines[i].find('=') + 1); })) << i;
            std::string seen;
            EXPECT_TRUE(WaitUntil([&] {
                const Screenshot s(image);
                seen = upright::QuartersSeen([&](int x, int y) { return s.At(x, y); }, s.width(), s.height());
                return seen.empty();
            })) << lines[i] << ":" << seen;
        }
        Click(w, "ｷｬﾝｾﾙ");
    });
}

}  // namespace
}  // namespace zv::host
