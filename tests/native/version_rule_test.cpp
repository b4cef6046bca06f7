#include "hostapi/version_rule.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

struct VersionCase {
    const char* version;  // null: the host's version call gave no text
    bool with_set_status;
    bool accepted;
};

TEST(HostVersionRule, AcceptsOlderHostsAndHostsWithSetStatus) {
    const VersionCase cases[] = {
        {"2.00.05", false, true},  {"1.26.04", false, true},   {"2.00.06", false, false},
        {"2.00.06", true, true},   {"2.10.00", false, false},  {"2.00.10", false, false},
        {"10.0", false, true},     {"2.00.05a", false, false}, {"2.00.05a", true, true},
        {"", false, true},         {"2.00.0", false, true},    {"2.00.06", true, true},
        {"2.00.0a", false, false}, {nullptr, false, false},    {nullptr, true, true},
        {"12345678", true, true},  {"1234567", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostVersionAccepted(c.version, c.with_set_status), c.accepted)
            << (c.version ? c.version : "(no text)") << " set_status=" << c.with_set_status;
    }
}

TEST(HostVersionRule, ComparesTextWithLettersFoldedAndPrefixFirst) {
    EXPECT_LT(CompareVersionText("2.00.05", "2.00.06"), 0);
    EXPECT_GT(CompareVersionText("2.00.10", "2.00.06"), 0);
    EXPECT_LT(CompareVersionText("10.0", "2.00.06"), 0);
    EXPECT_LT(CompareVersionText("2.00", "2.00.06"), 0);
    EXPECT_EQ(CompareVersionText("2.00.0a", "2.00.0A"), 0);
    // Only a-z fold: "_" (0x5F) stays above "A" but below "a".
    EXPECT_GT(CompareVersionText("_", "a"), 0);
    // Bytes compare unsigned.
    EXPECT_GT(CompareVersionText("\x82", "2"), 0);
}

}  // namespace
}  // namespace zv
