#pragma once
// What our checker programs print under Wine: a PASS or FAIL line for each check, then the line
// "N passed, M failed" that the harness's run_checker reads. Checkers run single-threaded.
#include <cstdio>
#include <string>

namespace zo::check {

inline int g_passed = 0;
inline int g_failed = 0;

inline void Report(const std::string& name, bool passed, const std::string& detail = {}) {
    (passed ? g_passed : g_failed) += 1;
    std::printf("%s %s%s%s\n", passed ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
}

// Prints the closing line; the checker's exit code.
[[nodiscard]] inline int Summary() {
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}

}  // namespace zo::check
