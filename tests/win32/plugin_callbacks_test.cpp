#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "substitute_host.h"

namespace zv::host {
namespace {

class PluginCallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        Script() = HostScript();
        ASSERT_TRUE(plugin.loaded()) << plugin.load_error();
        Script().version_calls = 0;
    }
    LoadedPlugin plugin;
};

TEST_F(PluginCallbacks, InformationRecordHoldsFourTexts) {
    std::vector<char> record(1024, '\x55');
    EXPECT_EQ(plugin.Get<int(WINAPI*)(char*)>("ZVC_OnPlugInInfo")(record.data()), 0);
    EXPECT_STREQ(&record[0], "zvOvisto plug-in");
    EXPECT_STREQ(&record[80], "qorvix");
    EXPECT_STREQ(&record[160], "1.0.0");
    EXPECT_STREQ(&record[240], "zvOvisto");
}

TEST_F(PluginCallbacks, TheTwelveIdleCallbacksReturnZeroWithoutCallingTheHost) {
    auto& p = plugin;
    EXPECT_EQ(p.Get<int(WINAPI*)()>("ZVC_OnStart")(), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)()>("ZVC_OnExit")(), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int, int, int)>("ZVC_OnMenuInit")(1, 2, 3), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int)>("ZVC_OnOpenFolder")(1), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int)>("ZVC_OnOpenMail")(1), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)()>("ZVC_OnEveryMinute")(), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int, int)>("ZVC_OnOpenCompose")(1, 2), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int, int, int)>("ZVC_OnKeyDispatch")(1, 2, 3), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int, int)>("ZVC_OnRetrieve")(1, 2), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int)>("ZVC_OnSend")(1), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int)>("ZVC_OnFinishRetrieve")(1), 0);
    EXPECT_EQ(p.Get<int(WINAPI*)(int, int, int, int)>("ZVC_OnDragDrop")(1, 2, 3, 4), 0);
    EXPECT_EQ(Script().other_calls, 0);
    EXPECT_TRUE(Script().header_calls.empty());
    EXPECT_EQ(Script().version_calls, 0);
}

#if defined(__i386__)
// Calls fn with the arguments pushed right to left, as a 32-bit host does, and returns how
// many bytes of them the callee took off the stack (4 per argument for __stdcall).
int StackBytesRemovedBy(FARPROC fn, const std::vector<int>& args) {
    int delta;
    int count = static_cast<int>(args.size());
    const int* values = args.data();
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "1: testl %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "pushl -4(%%edx,%%ecx,4)\n\t"
        "decl %%ecx\n\t"
        "jmp 1b\n\t"
        "2: call *%%edi\n\t"
        "movl %%esp, %%eax\n\t"
        "subl %%esi, %%eax\n\t"
        "movl %%esi, %%esp\n\t"
        : "=a"(delta), "+c"(count), "+d"(values)
        : "D"(fn)
        : "esi", "memory", "cc");
    return delta + 4 * static_cast<int>(args.size());
}
#endif

TEST_F(PluginCallbacks, EveryCallbackRemovesExactlyItsOwnArgumentsFromTheStack) {
#if defined(__i386__)
    // A wrong count in a __stdcall callee unbalances the host's stack: the host crashes
    // later, somewhere else.
    const struct {
        const char* name;
        std::vector<int> args;
    } cases[] = {
        {"ZVC_OnStart", {}},          {"ZVC_OnExit", {}},
        {"ZVC_OnMenuInit", {1, 2, 3}}, {"ZVC_OnOpenFolder", {1}},
        {"ZVC_OnOpenMail", {1}},      {"ZVC_OnEveryMinute", {}},
        {"ZVC_OnOpenCompose", {1, 2}}, {"ZVC_OnOutgoing", {0x1234, 1}},
        {"ZVC_OnKeyDispatch", {1, 2, 3}}, {"ZVC_OnRetrieve", {1, 2}},
        {"ZVC_OnSend", {1}},          {"ZVC_OnFinishRetrieve", {1}},
        {"ZVC_OnDragDrop", {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        FARPROC fn = plugin.Export(c.name);
        ASSERT_NE(fn, nullptr) << c.name;
        EXPECT_EQ(StackBytesRemovedBy(fn, c.args), 4 * static_cast<int>(c.args.size())) << c.name;
    }
    std::vector<char> record(1024);
    EXPECT_EQ(StackBytesRemovedBy(plugin.Export("ZVC_OnPlugInInfo"), {static_cast<int>(
                                                                           reinterpret_cast<INT_PTR>(record.data()))}),
              4);
#else
    GTEST_SKIP() << "32-bit only: __stdcall stack clean-up; the x64 convention has the caller clean up";
#endif
}

TEST_F(PluginCallbacks, Modes1And2SendAtOnceWithoutAskingTheHost) {
    const HWND compose = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(plugin.OnOutgoing(compose, 1), 0);
    EXPECT_EQ(plugin.OnOutgoing(compose, 2), 0);
    EXPECT_TRUE(Script().header_calls.empty());
    EXPECT_EQ(Script().other_calls + Script().version_calls, 0);
}

TEST_F(PluginCallbacks, OtherModesReadToCcBccWithCapacity4095) {
    const HWND compose = reinterpret_cast<HWND>(0x1234);
    for (int mode : {0, 3, -1, 77}) {
        Script().header_calls.clear();
        EXPECT_EQ(plugin.OnOutgoing(compose, mode), 0) << mode;  // empty map: nothing to confirm
        ASSERT_EQ(Script().header_calls.size(), 3u) << mode;
        const char* names[] = {"To", "Cc", "Bcc"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Script().header_calls[i].name, names[i]);
            EXPECT_EQ(Script().header_calls[i].capacity, 4095);
            EXPECT_EQ(Script().header_calls[i].compose, compose);
        }
    }
    EXPECT_EQ(Script().other_calls, 0);
}

}  // namespace
}  // namespace zv::host
