#include "hostapi/zavi_api.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace zv {
namespace {

class FakeHost : public HostModuleLookup {
public:
    void* module = reinterpret_cast<void*>(uintptr_t{0x400000});
    std::set<std::string> missing;
    const char* version = "2.00.06";
    std::vector<std::string> looked_up;
    int version_calls = 0;

    void* MainModule() override { return module; }
    void* FindFunction(void*, const char* name) override {
        looked_up.push_back(name);
        return missing.count(name) ? nullptr : reinterpret_cast<void*>(uintptr_t{0x1000} + looked_up.size());
    }
    const char* CallGetVersion(void*) override {
        ++version_calls;
        return version;
    }
};

TEST(BindHostApi, LooksUpTheRequiredNamesInOrderThenSetStatus) {
    FakeHost host;
    TZaviAPI api(host);
    ASSERT_TRUE(api.BindHostApi());
    ASSERT_EQ(host.looked_up.size(), kHostFunctionCount);
    for (size_t i = 0; i < kHostFunctionCount; ++i) EXPECT_EQ(host.looked_up[i], kHostFunctionNames[i]);
    EXPECT_EQ(host.looked_up.front(), "ZVA_GetVersion");
    EXPECT_EQ(host.looked_up[kRequiredHostFunctionCount - 1], "ZVA_Connect");
    EXPECT_EQ(host.looked_up.back(), "ZVA_SetStatus");
    // The host's table as it stands: 54 required names, the header lookup the 35th of them.
    EXPECT_EQ(kRequiredHostFunctionCount, 54u);
    EXPECT_EQ(host.looked_up[34], "ZVA_CompGetSpecifiedHeader");
    EXPECT_EQ(kCompGetSpecifiedHeaderIndex, 34u);
    EXPECT_TRUE(api.IsBound());
}

TEST(BindHostApi, SecondCallDoesNotAskTheHostAgain) {
    FakeHost host;
    TZaviAPI api(host);
    ASSERT_TRUE(api.BindHostApi());
    host.looked_up.clear();
    EXPECT_TRUE(api.BindHostApi());
    EXPECT_TRUE(host.looked_up.empty());
    EXPECT_EQ(host.version_calls, 1);
}

TEST(BindHostApi, FirstMissingNameStopsTheBinding) {
    FakeHost host;
    host.missing = {"ZVA_GetStatus", "ZVA_Connect"};
    TZaviAPI api(host);
    EXPECT_FALSE(api.BindHostApi());
    EXPECT_EQ(host.looked_up.back(), "ZVA_GetStatus");
    EXPECT_EQ(host.version_calls, 0);
    EXPECT_FALSE(api.IsBound());
}

TEST(BindHostApi, VersionDecidesWhenSetStatusIsMissing) {
    struct Case {
        const char* version;
        bool bound;
    } cases[] = {{"2.00.05", true}, {"2.00.06", false}, {"2.00.05a", false}, {nullptr, false}};
    for (const auto& c : cases) {
        FakeHost host;
        host.missing = {"ZVA_SetStatus"};
        host.version = c.version;
        TZaviAPI api(host);
        EXPECT_EQ(api.BindHostApi(), c.bound) << (c.version ? c.version : "(no text)");
        EXPECT_EQ(api.IsBound(), c.bound);
    }
}

TEST(BindHostApi, ModuleHandleBelow32FailsWithoutLookups) {
    FakeHost host;
    host.module = reinterpret_cast<void*>(uintptr_t{31});
    TZaviAPI api(host);
    EXPECT_FALSE(api.BindHostApi());
    EXPECT_TRUE(host.looked_up.empty());
}

}  // namespace
}  // namespace zv
