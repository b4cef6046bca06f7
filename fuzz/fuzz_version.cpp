// The host version rule on hostile text: the version call's text as the host returns it,
// NUL-terminated (everything after a NUL is not seen, as in the DLL).
#include <cstdint>
#include <string>

#include "base/app_error.h"
#include "fuzz_check.h"
#include "hostapi/version_rule.h"

namespace {
int Sign(int v) { return (v > 0) - (v < 0); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A NUL-terminated copy, as the host hands it over.
    std::string text(reinterpret_cast<const char*>(data), size);
    const char* version = text.c_str();
    try {
        const bool old_host = zv::HostVersionAccepted(version, false);
        ZV_FUZZ_CHECK(zv::HostVersionAccepted(version, true));
        const std::string seen(version);
        if (old_host) ZV_FUZZ_CHECK(seen.size() <= 7 && zv::CompareVersionText(seen, "2.00.06") < 0);

        // The comparison is a total order: reflexive and antisymmetric.
        const size_t half = size / 2;
        const std::string a = text.substr(0, half), b = text.substr(half);
        ZV_FUZZ_CHECK(zv::CompareVersionText(a, a) == 0);
        ZV_FUZZ_CHECK(Sign(zv::CompareVersionText(a, b)) == -Sign(zv::CompareVersionText(b, a)));
        ZV_FUZZ_CHECK(zv::CompareVersionText(seen, "2.00.06") == -zv::CompareVersionText("2.00.06", seen));
    } catch (const zv::AppError&) {
    }
    ZV_FUZZ_CHECK(!zv::HostVersionAccepted(nullptr, false));
    return 0;
}
