// The picture file-open dialog and its preview pane, under Wine: Execute runs on this
// thread while a second thread works the dialog as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <commctrl.h>
#include <dlgs.h>

#include "picture_fixtures.h"
#include "pictures/open_picture_dialog_win32.h"
#include "pictures/picture_formats.h"
#include "pictures/picture_win32.h"
#include "pictures/preview_fit.h"
#include "substitute_host.h"
#include "ui_driver.h"
#include "upright_quarters.h"

namespace zv {
namespace {

using fixtures::Rgb;
using host::ChildInfo;
using host::ChildrenOf;
using host::RectIn;
using host::Screenshot;
using host::WaitUntil;

constexpr Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 160, 0}, kYellow{255, 220, 0};
constexpr char kNoPictureLine[] = "画像:";
constexpr char kPreviewCaption[] = "プレビュー";
constexpr char kAreaClass[] = "ZvOpenPreviewArea";

bool Near(COLORREF c, Rgb expected, int tolerance = 0) {
    return std::abs(GetRValue(c) - expected.r) <= tolerance && std::abs(GetGValue(c) - expected.g) <= tolerance &&
           std::abs(GetBValue(c) - expected.b) <= tolerance;
}
Rgb SysRgb(int index) {
    const COLORREF c = GetSysColor(index);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// Top-level windows of this process, by default only the visible ones.
std::vector<HWND> OurWindows(bool visible_only = true) {
    struct Context {
        bool visible_only;
        std::vector<HWND> found;
    } context{visible_only, {}};
    struct Collect {
        static BOOL CALLBACK One(HWND hwnd, LPARAM param) {
            auto* c = reinterpret_cast<Context*>(param);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == GetCurrentProcessId() && (!c->visible_only || IsWindowVisible(hwnd))) c->found.push_back(hwnd);
            return TRUE;
        }
    };
    EnumWindows(Collect::One, reinterpret_cast<LPARAM>(&context));
    return context.found;
}

std::string ClassOf(HWND hwnd) {
    char name[128] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}
std::string TextOf(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// The file dialog: a dialog with the file type box.
HWND FindFileDialog() {
    for (HWND hwnd : OurWindows())
        if (ClassOf(hwnd) == "#32770" && GetDlgItem(hwnd, cmb1)) return hwnd;
    return nullptr;
}

HWND FindChild(HWND top, const std::function<bool(const ChildInfo&)>& match) {
    for (const ChildInfo& c : ChildrenOf(top))
        if (match(c)) return c.hwnd;
    return nullptr;
}
HWND ChildOfClass(HWND top, const std::string& class_name) {
    return FindChild(top, [&](const ChildInfo& c) { return c.class_name == class_name; });
}

// The preview pane's parts, found by what they are rather than by their ids.
struct PaneParts {
    HWND text = nullptr, button = nullptr, area = nullptr;
};
PaneParts PaneOf(HWND dialog) {
    PaneParts p;
    p.area = ChildOfClass(dialog, kAreaClass);
    if (!p.area) return p;
    const HWND pane_dialog = GetParent(p.area);
    for (HWND c = GetWindow(pane_dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string name = ClassOf(c);
        if (name == "Static" && GetDlgCtrlID(c) != stc32) p.text = c;
        if (name == "Button") p.button = c;
    }
    return p;
}


HWND FileList(HWND dialog) { return ChildOfClass(dialog, "SysListView32"); }

// The names the file list shows, in order.
std::vector<std::string> ListedNames(HWND dialog) {
    std::vector<std::string> names;
    HWND list = FileList(dialog);
    const int count = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {};
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        names.push_back(text);
    }
    return names;
}

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

// Selects one entry of the file list, as a click on it would.
bool SelectFile(HWND dialog, const std::string& name) {
    int index = -1;
    if (!WaitUntil([&] { return (index = IndexOf(ListedNames(dialog), name)) >= 0; })) return false;
    HWND list = FileList(dialog);
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMA chosen = {};
    chosen.stateMask = chosen.state = LVIS_SELECTED | LVIS_FOCUSED;
    return SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&chosen)) != FALSE;
}

// Types into the file name box (an edit, or the edit inside the combo box).
bool TypeFileName(HWND dialog, const std::string& name) {
    HWND edit = GetDlgItem(dialog, edt1);
    if (!edit) {
        HWND combo = GetDlgItem(dialog, cmb13);
        edit = combo ? FindChild(combo, [](const ChildInfo& c) { return c.class_name == "Edit"; }) : nullptr;
    }
    if (!edit) return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return TextOf(edit) == name;
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Picks a file type as from the drop-down list, which tells both the change and the choice.
void ChooseFilter(HWND dialog, int index) {
    HWND types = GetDlgItem(dialog, cmb1);
    SendMessageA(types, CB_SETCURSEL, index, 0);
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
}

int FilterShown(HWND dialog) { return static_cast<int>(SendMessageA(GetDlgItem(dialog, cmb1), CB_GETCURSEL, 0, 0)); }

HWND FindPreviewWindow() {
    for (HWND hwnd : OurWindows())
        if (TextOf(hwnd) == kPreviewCaption) return hwnd;
    return nullptr;
}

class OpenPictureDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitPictureSupport();
        folder = host::MakeTempFolder("zvopen");
        // 640 x 480, left half red, right half blue: shows how it was scaled and placed.
        Put("wide.bmp", fixtures::PatternBmp(640, 480, [](int x, int) { return x < 320 ? kRed : kBlue; }));
        Put("small.bmp", fixtures::SolidBmp(20, 10, kGreen));
        // Taller than the area on any screen.
        Put("tall.jpg", fixtures::SolidJpeg(200, 1200, kYellow));
        Put("x.jpg", "plain text, not a picture");
        Put("empty.jpg", "");
        CreateDirectoryA((folder + "\\pics").c_str(), nullptr);
    }
    void TearDown() override { host::RemoveFolder(folder); }

    void Put(const std::string& name, const std::string& bytes) { host::WriteFileBytes(folder + "\\" + name, bytes); }

    // Runs the dialog while `drive` works it; whatever drive leaves open is closed after it,
    // so Execute always returns.
    // `closes`: drive ends the dialog itself, and must have done so shortly after.
    // Whatever is still up over the dialog (the preview, a message box) goes first, or the
    // dialog could not end; a window that opens late (a preview whose click was still queued
    // when a check gave up) is caught by the next round. Should the dialog outlive every
    // round, the run ends here as a failure rather than hang until ctest's timeout.
    static void CloseEverythingOver(HWND found) {
        const DWORD deadline = GetTickCount() + 30000;
        while (IsWindow(found) && IsWindowVisible(found)) {
            if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
                ADD_FAILURE() << "the file dialog could not be closed";
                std::fflush(stdout);
                TerminateProcess(GetCurrentProcess(), 3);
            }
            for (HWND other : OurWindows())
                if (other != found) {
                    ADD_FAILURE() << "left open: \"" << TextOf(other) << "\"";
                    PostMessageA(other, WM_CLOSE, 0, 0);
                    host::WaitForWindowGone(other, 3000);
                }
            PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
            host::WaitForWindowGone(found, 1000);
        }
    }

    bool Run(OpenPictureDialog& dialog, std::string& path, const std::function<void(HWND)>& drive,
             bool closes = false) {
        std::atomic<bool> seen{false};
        bool result = false;
        {
            host::Driver driver([&] {
                HWND found = nullptr;
                if (!WaitUntil([&] { return (found = FindFileDialog()) != nullptr; }, 10000)) return;
                seen = true;
                WaitUntil([&] { return PaneOf(found).area != nullptr; });
                drive(found);
                if (closes) {
                    EXPECT_TRUE(host::WaitForWindowGone(found, 5000)) << "the dialog did not close";
                }
                CloseEverythingOver(found);
            });
            result = dialog.Execute(nullptr, path);
        }
        EXPECT_TRUE(seen) << "the dialog was not shown";
        return result;
    }

    std::string folder;
};

TEST_F(OpenPictureDialogTest, OffersThePictureFiltersWithTheFirstChosen) {
    const std::vector<FilterChoice> choices = PictureFilterChoices();
    Put("notes.txt", "x");
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    Run(dialog, path, [&](HWND d) {
        HWND types = GetDlgItem(d, cmb1);
        ASSERT_EQ(SendMessageA(types, CB_GETCOUNT, 0, 0), 7);
        for (int i = 0; i < 7; ++i) {
            char text[256] = {};
            ASSERT_LT(SendMessageA(types, CB_GETLBTEXTLEN, i, 0), LRESULT(sizeof text));
            SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            EXPECT_EQ(text, choices[i].text) << i;
        }
        char first[256] = {};
        SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        EXPECT_STREQ(first, "すべてのファイル (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)");
        EXPECT_EQ(FilterShown(d), 0);
        // The first pattern is in force: every picture name and the folder, not the other file.
        EXPECT_TRUE(WaitUntil([&] { return IndexOf(ListedNames(d), "x.jpg") >= 0; }));
        std::vector<std::string> names = ListedNames(d);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"empty.jpg", "pics", "small.bmp", "tall.jpg", "wide.bmp", "x.jpg"}));
    });
}

TEST_F(OpenPictureDialogTest, PaneLiesRightOfTheStandardControlsAndFollowsResizing) {
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    Run(dialog, path, [&](HWND d) {
        EXPECT_NE(GetWindowLongPtrA(d, GWL_STYLE) & WS_THICKFRAME, 0) << "sizeable";
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, chx1))) << "no read-only box";
        const PaneParts pane = PaneOf(d);
        ASSERT_TRUE(pane.text && pane.button && pane.area);
        EXPECT_NE(GetWindowLongPtrA(pane.button, GWL_STYLE) & BS_BITMAP, 0);
        EXPECT_NE(SendMessageA(pane.button, BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the preview glyph";
        EXPECT_NE(GetClassLongA(pane.area, GCL_STYLE) & CS_DBLCLKS, 0u);
        EXPECT_NE(GetWindowLongPtrA(pane.area, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0) << "sunken";

        // Where the pane must stay: right of the file list and the Open button, the text and
        // button above the area, all within the dialog.
        const auto check_layout = [&](const char* when) {
            const RECT list = RectIn(FileList(d), d);
            const RECT open = RectIn(GetDlgItem(d, IDOK), d);
            const RECT text = RectIn(pane.text, d), button = RectIn(pane.button, d), area = RectIn(pane.area, d);
            const SIZE client = host::ClientSize(d);
            EXPECT_GE(text.left, std::max(list.right, open.right)) << when;
            EXPECT_GE(area.left, std::max(list.right, open.right)) << when;
            EXPECT_EQ(text.top, 4) << when;
            EXPECT_EQ(button.top, 4) << when;
            EXPECT_LE(text.right, button.left) << when;
            EXPECT_GE(area.top, button.bottom) << when;
            EXPECT_GT(area.right - area.left, 100) << when;
            EXPECT_LE(area.right, client.cx) << when;
            EXPECT_LE(area.bottom, client.cy) << when;
            EXPECT_GE(area.bottom, open.bottom) << when << ": spans the dialog's height";
            // Clear of the size grip in the dialog's corner, which would hide the picture's corner.
            const HWND grip = FindChild(d, [](const ChildInfo& c) {
                return c.visible && lstrcmpiA(c.class_name.c_str(), "ScrollBar") == 0 &&
                       (GetWindowLongPtrA(c.hwnd, GWL_STYLE) & SBS_SIZEGRIP) != 0;
            });
            EXPECT_TRUE(grip) << when;
            RECT overlap;
            const RECT grip_rect = grip ? RectIn(grip, d) : RECT{};
            EXPECT_FALSE(IntersectRect(&overlap, &area, &grip_rect)) << when << ": under the size grip";
            return area;
        };
        const RECT before = check_layout("as opened");
        RECT r;
        GetWindowRect(d, &r);
        SetWindowPos(d, nullptr, 0, 0, r.right - r.left + 200, r.bottom - r.top + 120, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_TRUE(WaitUntil([&] { return RectIn(pane.area, d).right >= before.right + 200; }));
        const RECT after = check_layout("widened");
        EXPECT_EQ(after.bottom - before.bottom, 120);
        EXPECT_EQ(after.right - after.left, before.right - before.left) << "the pane keeps its width";
    });
}

TEST_F(OpenPictureDialogTest, PreviewButtonHasItsHint) {
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    Run(dialog, path, [&](HWND d) {
        const HWND button = PaneOf(d).button;
        std::string hint;
        // Whichever of this process's tooltip windows knows the button.
        for (HWND tip : OurWindows(false)) {
            if (ClassOf(tip) != TOOLTIPS_CLASSA) continue;
            char text[128] = {};
            TOOLINFOA tool = {sizeof tool};
            tool.hwnd = GetParent(button);
            tool.uId = reinterpret_cast<UINT_PTR>(button);
            tool.lpszText = text;
            if (SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool))) {
                SendMessageA(tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
                hint = text;
            }
        }
        EXPECT_EQ(hint, kPreviewCaption);
    });
}

// What the area shows, read from the screen.
struct AreaView {
    Screenshot shot;
    explicit AreaView(HWND area) : shot(area) {}
    int w() const { return shot.width(); }
    int h() const { return shot.height(); }
    bool Is(int x, int y, Rgb c, int tolerance = 0) const { return Near(shot.At(x, y), c, tolerance); }
    bool Background(int x, int y) const { return Is(x, y, SysRgb(COLOR_BTNFACE)); }
    // Text in the middle, nothing else anywhere.
    bool ShowsOnlyCentredText() const {
        int inside = 0;
        for (int y = 0; y < h(); ++y)
            for (int x = 0; x < w(); ++x) {
                if (Background(x, y)) continue;
                const bool central = std::abs(x - w() / 2) < w() / 3 && std::abs(y - h() / 2) < 16;
                if (!central) return false;
                ++inside;
            }
        return inside > 10;
    }
    bool AllBackground() const {
        for (int y = 0; y < h(); ++y)
            for (int x = 0; x < w(); ++x)
                if (!Background(x, y)) return false;
        return true;
    }
};

TEST_F(OpenPictureDialogTest, PaneShowsTheSelectedPictureOrNothing) {
    struct Step {
        const char* select;  // null: as the dialog opens
        std::string line;
        bool button;
        std::function<bool(const AreaView&)> shows;
    } steps[] = {
        {nullptr, kNoPictureLine, false, [](const AreaView& a) { return a.ShowsOnlyCentredText(); }},
        {"pics", kNoPictureLine, false, [](const AreaView& a) { return a.ShowsOnlyCentredText(); }},
        {"wide.bmp", " (640x480)", true,
         [](const AreaView& a) {
             // Wider than tall: the area's width, its height to scale, from the top left.
             const int fh = MulDiv(480, a.w(), 640);
             return fh < a.h() - 3 && a.Is(1, 1, kRed) && a.Is(a.w() - 2, 1, kBlue) && a.Is(1, fh - 2, kRed) &&
                    a.Is(a.w() - 2, fh - 2, kBlue) && a.Is(a.w() / 2 - 3, fh / 2, kRed) &&
                    a.Is(a.w() / 2 + 3, fh / 2, kBlue) && a.Background(1, fh + 1) && a.Background(a.w() - 2, a.h() - 2);
         }},
        {"x.jpg", kNoPictureLine, false, [](const AreaView& a) { return a.ShowsOnlyCentredText(); }},
        {"small.bmp", " (20x10)", true,
         [](const AreaView& a) {
             // Fits: its own size, centred.
             const int l = (a.w() - 20) / 2, t = (a.h() - 10) / 2;
             return a.Is(l, t, kGreen) && a.Is(l + 19, t + 9, kGreen) && a.Background(l - 1, t) &&
                    a.Background(l + 20, t + 9) && a.Background(l, t - 1) && a.Background(l, t + 10);
         }},
        {"tall.jpg", " (200x1200)", true,
         [](const AreaView& a) {
             // Taller than wide: the area's height, its width to scale.
             const int fw = MulDiv(200, a.h(), 1200);
             return fw < a.w() - 3 && a.Is(1, 1, kYellow, 12) && a.Is(1, a.h() - 2, kYellow, 12) &&
                    a.Is(fw - 2, a.h() / 2, kYellow, 12) && a.Background(fw + 1, a.h() / 2) &&
                    a.Background(a.w() - 2, 1);
         }},
        // Its header reads, its decoding fails: nothing is drawn and no message is shown.
        {"empty.jpg", " (0x0)", true, [](const AreaView& a) { return a.AllBackground(); }},
        {"wide.bmp", " (640x480)", true, [](const AreaView& a) { return a.Is(1, 1, kRed); }},
    };
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    Run(dialog, path, [&](HWND d) {
        const PaneParts pane = PaneOf(d);
        ASSERT_TRUE(pane.text && pane.button && pane.area);
        for (const Step& step : steps) {
            const std::string what = step.select ? step.select : "(as opened)";
            if (step.select) {
                ASSERT_TRUE(SelectFile(d, step.select)) << what;
            }
            EXPECT_TRUE(WaitUntil([&] { return TextOf(pane.text) == step.line; })) << what << ": " << TextOf(pane.text);
            EXPECT_EQ(IsWindowEnabled(pane.button) != FALSE, step.button) << what;
            EXPECT_TRUE(WaitUntil([&] { return step.shows(AreaView(pane.area)); })) << what;
        }
        EXPECT_EQ(OurWindows().size(), 1u) << "no message box beside the dialog";
    });
}

// Once it closes, the dialog is active again with the focus where it was: on the button that
// opened it, or wherever it was before a double-click on the area.
TEST_F(OpenPictureDialogTest, PreviewWindowShowsThePictureAtItsOwnSize) {
    // Opened by the button or by a double-click on the area.
    struct Opener {
        std::function<void(const PaneParts&)> open;
        bool by_button;
    } const openers[] = {
        {[](const PaneParts& p) { PostMessageA(p.button, BM_CLICK, 0, 0); }, true},
        {[](const PaneParts& p) { PostMessageA(p.area, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5)); }, false},
    };
    for (const Opener& opener : openers) {
        OpenPictureDialog dialog;
        dialog.SetInitialDir(folder);
        std::string path;
        Run(dialog, path, [&](HWND d) {
            const PaneParts pane = PaneOf(d);
            ASSERT_TRUE(SelectFile(d, "wide.bmp"));
            ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(pane.button) != FALSE; }));
            const HWND focus_before = opener.by_button ? pane.button : host::FocusOf(d);
            ASSERT_NE(focus_before, nullptr);
            opener.open(pane);
            HWND preview = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (preview = FindPreviewWindow()) != nullptr; }));
            EXPECT_FALSE(IsWindowEnabled(d)) << "the dialog waits for it";
            EXPECT_EQ(GetWindow(preview, GW_OWNER), d);
            const LONG_PTR style = GetWindowLongPtrA(preview, GWL_STYLE);
            EXPECT_EQ(style & (WS_THICKFRAME | WS_CAPTION | WS_SYSMENU), WS_THICKFRAME | WS_CAPTION | WS_SYSMENU);
            EXPECT_NE(GetWindowLongPtrA(preview, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
            // The border is 5 pixels at a 12-pixel text height, scaled like the layouts.
            const int b = host::ScaledBy(5, host::MeasuredTextHeight());
            const SIZE client = host::ClientSize(preview);
            EXPECT_EQ(client.cx, 640 + 2 * b);
            EXPECT_EQ(client.cy, 480 + 2 * b);
            RECT r;
            GetWindowRect(preview, &r);
            EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
            EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
            // Unscaled inside the border: the colours change exactly mid-picture.
            EXPECT_TRUE(WaitUntil([&] {
                const Screenshot s(preview);
                return Near(s.At(b, b), kRed) && Near(s.At(b + 319, b), kRed) && Near(s.At(b + 320, b), kBlue) &&
                       Near(s.At(b + 639, b + 479), kBlue) && Near(s.At(b - 1, b - 1), SysRgb(COLOR_BTNFACE)) &&
                       Near(s.At(b + 640, b + 480), SysRgb(COLOR_BTNFACE));
            }));
            PostMessageA(preview, WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_TRUE(host::WaitForWindowGone(preview, 5000)) << "Esc closes it";
            EXPECT_TRUE(IsWindowEnabled(d));
            EXPECT_TRUE(WaitUntil([&] { return host::FocusOf(d) == focus_before; })) << "the focus is back";
            GUITHREADINFO info = {sizeof info};
            GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &info);
            EXPECT_EQ(info.hwndActive, d);
        });
    }
}

TEST_F(OpenPictureDialogTest, PreviewOfNoPictureOpensEmptyAtTheDefaultSize) {
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    Run(dialog, path, [&](HWND d) {
        PostMessageA(PaneOf(d).area, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        HWND preview = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (preview = FindPreviewWindow()) != nullptr; }));
        const SIZE client = host::ClientSize(preview);
        EXPECT_EQ(client.cx, 200);
        EXPECT_EQ(client.cy, 150);
        EXPECT_TRUE(WaitUntil([&] {
            const Screenshot s(preview);
            return Near(s.At(100, 75), SysRgb(COLOR_WINDOW)) && Near(s.At(2, 2), SysRgb(COLOR_BTNFACE));
        }));
        PostMessageA(preview, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(host::WaitForWindowGone(preview, 5000));
    });
}

TEST_F(OpenPictureDialogTest, ReturnsTheChosenOrTypedNameAndFalseOnCancel) {
    // "ソ" ends in the byte of "\": the name must come back byte for byte.
    const std::string missing = "ソ無し.jpg";
    struct Case {
        std::string typed;  // empty: select wide.bmp instead
        int button;
        bool result;
        std::string path;  // expected, relative to the folder; empty: left as it was
    } cases[] = {
        {"", IDOK, true, "wide.bmp"},
        {missing, IDOK, true, missing},
        {missing, IDCANCEL, false, ""},
    };
    for (const Case& c : cases) {
        OpenPictureDialog dialog;
        dialog.SetInitialDir(folder);
        std::string path = "before";
        const bool result = Run(dialog, path, [&](HWND d) {
            if (c.typed.empty()) {
                ASSERT_TRUE(SelectFile(d, "wide.bmp"));
            } else {
                ASSERT_TRUE(TypeFileName(d, c.typed));
            }
            Press(d, c.button);
        }, true);
        EXPECT_EQ(result, c.result) << c.typed;
        EXPECT_EQ(path, c.path.empty() ? "before" : folder + "\\" + c.path) << c.typed;
    }
    EXPECT_EQ(GetFileAttributesA((folder + "\\" + missing).c_str()), INVALID_FILE_ATTRIBUTES) << "nothing created";
}

TEST_F(OpenPictureDialogTest, LeavesTheCurrentFolderAlone) {
    const std::string elsewhere = host::MakeTempFolder("zvcwd");
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    EXPECT_TRUE(Run(dialog, path, [&](HWND d) {
        // Into the folder, as typing its name and pressing Open does.
        ASSERT_TRUE(TypeFileName(d, "pics"));
        Press(d, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(GetDlgItem(d, cmb2)) == "pics"; }));
        ASSERT_TRUE(TypeFileName(d, "new.bmp"));
        Press(d, IDOK);
    }, true));
    EXPECT_EQ(path, folder + "\\pics\\new.bmp");
    char now[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof now, now);
    SetCurrentDirectoryA(before);
    host::RemoveFolder(elsewhere);
    EXPECT_STRCASEEQ(now, elsewhere.c_str());
}

TEST_F(OpenPictureDialogTest, RemembersTheFilterChoiceWhileItLives) {
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    ASSERT_TRUE(Run(dialog, path, [&](HWND d) {
        EXPECT_EQ(FilterShown(d), 0);
        ChooseFilter(d, 3);
        ASSERT_TRUE(TypeFileName(d, "a.bmp"));
        Press(d, IDOK);
    }, true));
    Run(dialog, path, [&](HWND d) { EXPECT_EQ(FilterShown(d), 3) << "the same dialog, run again"; });
    OpenPictureDialog another;
    another.SetInitialDir(folder);
    Run(another, path, [&](HWND d) { EXPECT_EQ(FilterShown(d), 0) << "a new dialog"; });
}

TEST_F(OpenPictureDialogTest, PhotosWithAnOrientationShowUprightWithTheirUprightSize) {
    for (int scale = 1; scale <= 8; ++scale)
        for (int orientation = 1; orientation <= 8; ++orientation)
            Put(upright::FileName(orientation, scale), upright::File(orientation, scale));
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path;
    Run(dialog, path, [&](HWND d) {
        const PaneParts pane = PaneOf(d);
        ASSERT_TRUE(pane.text && pane.button && pane.area);
        for (int scale = 1; scale <= 8; ++scale)
            for (int orientation = 1; orientation <= 8; ++orientation) {
                const std::string name = upright::FileName(orientation, scale);
                const upright::UprightSize size = upright::kSizeForScale[scale - 1];
                ASSERT_TRUE(SelectFile(d, name)) << name;
                const std::string line = " (" + std::to_string(size.width) + "x" + std::to_string(size.height) + ")";
                EXPECT_TRUE(WaitUntil([&] { return TextOf(pane.text) == line; })) << name << ": " << TextOf(pane.text);
                std::string seen;
                EXPECT_TRUE(WaitUntil([&] {
                    const AreaView a(pane.area);
                    const PreviewRect fit = FitPreview(size.width, size.height, a.w(), a.h());
                    const auto at = [&](int x, int y) { return a.shot.At(x, y); };
                    // A picture wider than the area's proportions overruns it to the right.
                    seen = upright::QuartersSeen(at, fit.left, fit.top, fit.width, fit.height, a.w(), a.h());
                    return seen.empty();
                })) << name << ":" << seen;
            }
        // The preview window at the picture's own, upright size.
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const int scale = 4;  // wider than a framed window's least width, also at 144 dpi
            const upright::UprightSize size = upright::kSizeForScale[scale - 1];
            ASSERT_TRUE(SelectFile(d, upright::FileName(orientation, scale)));
            ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(pane.button) != FALSE; }));
            PostMessageA(pane.button, BM_CLICK, 0, 0);
            HWND preview = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (preview = FindPreviewWindow()) != nullptr; })) << orientation;
            const int b = host::ScaledBy(5, host::MeasuredTextHeight());  // the border, as above
            const SIZE client = host::ClientSize(preview);
            EXPECT_EQ(client.cx, size.width + 2 * b) << orientation;
            EXPECT_EQ(client.cy, size.height + 2 * b) << orientation;
            std::string seen;
            EXPECT_TRUE(WaitUntil([&] {
                const Screenshot s(preview);
                seen = upright::QuartersSeen([&](int x, int y) { return s.At(x, y); }, b, b, size.width, size.height,
                                             s.width(), s.height());
                return seen.empty();
            })) << orientation << ":" << seen;
            PostMessageA(preview, WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_TRUE(host::WaitForWindowGone(preview, 5000));
        }
    });
}

}  // namespace
}  // namespace zv
