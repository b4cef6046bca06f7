// The harness's own promise: whatever a drive leaves open, the test ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "ui_driver.h"

namespace zv::host {
namespace {

struct LateBox {
    const char* what;
    UINT style;
    bool owned;
};

// Like the plug-in's windows, it takes no close while a box it owns is up (and disables it).
LRESULT CALLBACK ModalOwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE && !IsWindowEnabled(hwnd)) return 0;
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

class CloseLeftOpenTest : public testing::TestWithParam<LateBox> {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ModalOwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZvHarnessWindow";
        RegisterClassA(&wc);
    }
};

// A box that comes up after the drive's last look holds the thread in its modal loop; closing
// only the window would leave the test waiting for good.
TEST_P(CloseLeftOpenTest, ClosesABoxThatCameUpLateAndThenTheWindow) {
    const LateBox& c = GetParam();
    HWND window = CreateWindowExA(0, "ZvHarnessWindow", "zv harness window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                  0, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(window);
    bool closed = false;
    {
        Driver driver([&] { closed = CloseLeftOpen(window, 200); });
        MessageBoxA(c.owned ? window : nullptr, "late", "zv harness box", c.style);
        MSG msg;
        const DWORD start = GetTickCount();
        while (IsWindow(window) && GetTickCount() - start < 10000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
    }
    EXPECT_TRUE(closed) << c.what;
    EXPECT_FALSE(IsWindow(window)) << c.what;
    if (IsWindow(window)) DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Boxes, CloseLeftOpenTest,
                         testing::Values(LateBox{"OK box owned by the window", MB_OK, true},
                                         LateBox{"yes/no box of the thread", MB_YESNO | MB_TASKMODAL, false}));

}  // namespace
}  // namespace zv::host

namespace zv::host {
namespace {

// The lengths the layout tests expect follow the screen: on one of the dots per inch a prefix
// was made with (ZV_WINE_DPI), the font must be measured there, larger than at 96.
TEST(Screen, IsTheOneThePrefixWasMadeWith) {
    const char* asked = std::getenv("ZV_WINE_DPI");
    const int dpi = ScreenDpi(), text_height = MeasuredTextHeight();
    std::printf("screen: %d dpi, text height %d, scale %d/12\n", dpi, text_height, text_height);
    EXPECT_EQ(dpi, asked && *asked ? std::atoi(asked) : 96);
    EXPECT_GE(text_height, MulDiv(12, dpi, 96)) << "9 points at " << dpi << " dpi";
}

}  // namespace
}  // namespace zv::host
