// The modal runner and the window shape on their own, with windows of this test's classes.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "base/handles_win32.h"
#include "base/modal_window_win32.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "ui_driver.h"

namespace zv {
namespace {

// A window whose object the window makes and frees itself, and which fails at one message.
class Failing {
public:
    static inline int live = 0;
    static inline UINT fail_at = 0;
    ~Failing() { --live; }

private:
    friend struct zv::WindowAccess;
    explicit Failing(HWND) { ++live; }
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == fail_at) throw std::runtime_error("fails");
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
};

TEST(WindowShape, AnExceptionWhileTheWindowIsMadeFailsTheCreationAndFreesTheObject) {
    EnsureWindowClass("ZvTestFailing", WindowProcOf<Failing, HandlerErrors::kQuiet, ObjectSource::kOwnNew>);
    for (UINT message : {WM_NCCREATE, WM_CREATE}) {
        Failing::fail_at = message;
        const UniqueWindow window(CreateWindowExA(0, "ZvTestFailing", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                  GetModuleHandleA(nullptr), nullptr));
        EXPECT_EQ(window.get(), nullptr) << message;
        EXPECT_EQ(Failing::live, 0) << message;
    }
    Failing::fail_at = 0;
    {
        const UniqueWindow window(CreateWindowExA(0, "ZvTestFailing", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                  GetModuleHandleA(nullptr), nullptr));
        EXPECT_NE(window.get(), nullptr);
        EXPECT_EQ(Failing::live, 1);
    }
    EXPECT_EQ(Failing::live, 0);
}

// A modal window whose handlers a test sets; WM_APP runs `on_app`.
class Modal {
public:
    ModalState state;
    std::function<void()> on_app;

private:
    friend struct zv::WindowAccess;
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_APP && on_app) on_app();
        if (message == WM_CLOSE) {
            state.End(ModalResult::kCancel);
            return 0;
        }
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
};

class ModalRun : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureWindowClass("ZvTestModal", WindowProcOf<Modal, HandlerErrors::kQuiet>);
        window.reset(CreateWindowExA(0, "ZvTestModal", "modal", WS_POPUP | WS_CAPTION, 50, 50, 200, 100, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), &modal));
        ASSERT_TRUE(window);
    }

    // Runs the window; a run still going after a few seconds is ended from a timer, which the
    // test then reports.
    ModalResult Run(const ModalShow& show) {
        running = this;
        expired = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 5000, Expire);
        const ModalResult result = RunModal(window.get(), modal.state, show);
        KillTimer(nullptr, timer);
        return result;
    }
    static void CALLBACK Expire(HWND, UINT, UINT_PTR, DWORD) {
        running->expired = true;
        running->modal.state.End(ModalResult::kOk);
    }

    static inline ModalRun* running = nullptr;
    Modal modal;
    UniqueWindow window;
    bool expired = false;
};

TEST_F(ModalRun, ARunWhoseWindowIsDestroyedFromOutsideEndsAsCancelled) {
    modal.on_app = [this] { window.reset(); };
    ModalShow show;
    show.before_show = [this] { PostMessageA(window.get(), WM_APP, 0, 0); };
    EXPECT_EQ(Run(show), ModalResult::kCancel);
    EXPECT_FALSE(expired) << "the run went on after its window was gone";
}

TEST_F(ModalRun, AnEndAtAnyTimeAfterTheRunStartedIsKept) {
    const std::function<void(ModalShow&)> ends[] = {
        [this](ModalShow& show) { show.before_show = [this] { modal.state.End(ModalResult::kOk); }; },
        [this](ModalShow& show) { show.on_idle = [this] { modal.state.End(ModalResult::kOk); }; },
    };
    for (const auto& end : ends) {
        ModalShow show;
        end(show);
        EXPECT_EQ(Run(show), ModalResult::kOk);
        EXPECT_FALSE(expired);
    }
}

// The window active before the run is active and in the foreground after it; windows
// disabled before stay so, the others are enabled again.
TEST_F(ModalRun, ActivationGoesBackToTheWindowActiveBefore) {
    const UniqueWindow busy(CreateWindowExA(0, "STATIC", "busy", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_DISABLED, 0,
                                            0, 100, 100, nullptr, nullptr, nullptr, nullptr));
    const UniqueWindow host = host::MakeActiveHostWindow();
    ASSERT_EQ(GetActiveWindow(), host.get());
    for (ModalKind kind : {ModalKind::kTopLevel, ModalKind::kOverOwner}) {
        bool host_enabled_while_up = true;
        ModalShow show;
        show.kind = kind;
        show.focus = window.get();
        show.before_show = [&] {
            host_enabled_while_up = IsWindowEnabled(host.get()) != FALSE;
            PostMessageA(window.get(), WM_CLOSE, 0, 0);
        };
        EXPECT_EQ(Run(show), ModalResult::kCancel);
        EXPECT_FALSE(host_enabled_while_up);
        EXPECT_FALSE(IsWindowVisible(window.get()));
        EXPECT_TRUE(IsWindowEnabled(host.get()));
        EXPECT_FALSE(IsWindowEnabled(busy.get()));
        EXPECT_EQ(GetActiveWindow(), host.get());
        EXPECT_EQ(GetForegroundWindow(), host.get());
    }
}

// A system box, with its own loop, under the same rule.
TEST_F(ModalRun, ASystemBoxGivesActivationBackToo) {
    const UniqueWindow host = host::MakeActiveHostWindow();
    ASSERT_EQ(GetActiveWindow(), host.get());
    host::Driver answer([] {
        HWND box = host::WaitForMessageBox("box");
        if (box) host::AnswerMessageBox(box, IDOK);
    });
    EXPECT_EQ(RunSystemModal([] { return MessageBoxA(nullptr, "text", "box", MB_OK | MB_TASKMODAL); }), IDOK);
    EXPECT_TRUE(IsWindowEnabled(host.get()));
    EXPECT_EQ(GetActiveWindow(), host.get());
    EXPECT_EQ(GetForegroundWindow(), host.get());
}

}  // namespace
}  // namespace zv
