// Built three times, as hosts with every function, without ZVA_SetStatus and without
// ZVA_Connect: whether the real library loads into each.
#include <gtest/gtest.h>

#include "substitute_host.h"

namespace zv::host {
namespace {

struct Case {
    const char* version;  // null: ZVA_GetVersion returns no text
    bool loads_with_set_status;
    bool loads_without_set_status;
};

const Case kCases[] = {
    {"2.00.05", true, true},  {"1.26.04", true, true},   {"10.0", true, true},
    {"2.00.06", true, false}, {"2.10.00", true, false},  {"2.00.10", true, false},
    {"2.00.05a", true, false}, {nullptr, true, false},
};

bool Expected(const Case& c) {
#if defined(HOST_WITHOUT_CONNECT)
    (void)c;
    return false;
#elif defined(HOST_WITHOUT_SET_STATUS)
    return c.loads_without_set_status;
#else
    return c.loads_with_set_status;
#endif
}

TEST(HostBinding, LoadFollowsTheVersionRuleAndTheMissingNames) {
    for (const Case& c : kCases) {
        Script().version = c.version ? c.version : "";
        Script().version_is_null = c.version == nullptr;
        Script().version_calls = 0;
        LoadedPlugin plugin;
        EXPECT_EQ(plugin.loaded(), Expected(c)) << (c.version ? c.version : "(no text)");
        if (!plugin.loaded()) {
            EXPECT_NE(plugin.load_error(), 0u);
        }
#if defined(HOST_WITHOUT_CONNECT)
        EXPECT_EQ(Script().version_calls, 0) << "binding stops at the missing name";
#else
        EXPECT_EQ(Script().version_calls, 1);
#endif
    }
    EXPECT_EQ(Script().other_calls, 0);
}

}  // namespace
}  // namespace zv::host
