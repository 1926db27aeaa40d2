// The report of a failed invariant check.
#include "wgui/Verify.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace WGUI {

bool VerifyStops() {
#ifdef FC_VERIFY_STOPS
    return true;
#else
    return false;
#endif
}

bool VerifyFailed(const char* condition, const char* file, int line) {
    if (VerifyStops()) {
        std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
        std::fflush(stderr);
        std::abort();
    }
    // A check that fails in a loop or on every paint is reported once, not thousands of times.
    static std::mutex lock;
    static std::set<std::pair<std::string, int>> reported;
    std::lock_guard<std::mutex> guard(lock);
    if (reported.emplace(file, line).second)
        std::fprintf(stderr, "fundcompare: %s:%d: invariant failed: %s\n", file, line, condition);
    return false;
}

} // namespace WGUI
