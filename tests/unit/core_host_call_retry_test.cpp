#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/host_call_retry.h"

namespace zo {
namespace {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);
constexpr std::int32_t kDisconnected = static_cast<std::int32_t>(0x80010108u);  // RPC_E_DISCONNECTED
constexpr std::int32_t kServerUnavailable = static_cast<std::int32_t>(0x800706BAu);
constexpr std::int32_t kCallFailed = static_cast<std::int32_t>(0x800706BEu);
constexpr std::int32_t kCallCanceled = static_cast<std::int32_t>(0x80010002u);  // RPC_E_CALL_CANCELED
constexpr std::int32_t kException = static_cast<std::int32_t>(0x80020009u);     // DISP_E_EXCEPTION
constexpr std::int32_t kRejected = kRpcCallRejected;
constexpr std::int32_t kRetryLater = kRpcServerCallRetryLater;

// Time moves only when the loop sleeps or an attempt says how long it took.
class FakeClock final : public RetryClock {
  public:
    std::uint64_t NowMs() override { return now; }
    void SleepMs(std::uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
    std::uint64_t now = 5000;
    std::vector<std::uint32_t> sleeps;
};

// The host's answers in order; the last one repeats for as long as the loop keeps asking.
struct Case {
    const char* name;
    std::vector<std::int32_t> answers;
    std::uint32_t attemptMs;  // how long each attempt takes
    std::int32_t result;
    std::size_t attempts;
    std::vector<std::uint32_t> sleeps;
};

std::vector<std::uint32_t> Repeat(std::uint32_t value, std::size_t count) {
    return std::vector<std::uint32_t>(count, value);
}

TEST(HostCallRetry, RetriesOnlyRefusalsEvery50MsForOneSecondInAll) {
    const Case cases[] = {
        {"answered at once", {kOk}, 3, kOk, 1, {}},
        {"other failure: E_FAIL", {kFail}, 3, kFail, 1, {}},
        {"other failure: disconnected", {kDisconnected}, 3, kDisconnected, 1, {}},
        {"other failure: server gone", {kServerUnavailable}, 3, kServerUnavailable, 1, {}},
        {"other failure: call failed in flight", {kCallFailed}, 3, kCallFailed, 1, {}},
        {"other failure: call cancelled", {kCallCanceled}, 3, kCallCanceled, 1, {}},
        {"the host's own exception", {kException}, 3, kException, 1, {}},
        {"rejected once, then answered", {kRejected, kOk}, 0, kOk, 2, {50}},
        {"retry later once, then answered", {kRetryLater, kOk}, 0, kOk, 2, {50}},
        {"refusals of both kinds, then a final failure",
         {kRejected, kRetryLater, kRejected, kException},
         0,
         kException,
         4,
         Repeat(50, 3)},
        {"refused throughout, instant answers: the last try at the bound",
         {kRejected},
         0,
         kRejected,
         21,
         Repeat(50, 20)},
        {"retry later throughout", {kRetryLater}, 0, kRetryLater, 21, Repeat(50, 20)},
        // Tries end at 30, 110, ..., 990 (13 tries); the last pause is cut to the 10 ms left.
        {"refused throughout, 30 ms a try",
         {kRejected},
         30,
         kRejected,
         14,
         [] {
             auto s = Repeat(50, 12);
             s.push_back(10);
             return s;
         }()},
        {"refused throughout, 400 ms a try", {kRejected}, 400, kRejected, 3, {50, 50}},
        {"a refusal that took longer than the bound is final", {kRejected}, 1200, kRejected, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        std::size_t attempts = 0;
        const std::int32_t result = CallWithRetry(
            [&] {
                const std::int32_t answer = c.answers[std::min(attempts, c.answers.size() - 1)];
                ++attempts;
                clock.now += c.attemptMs;
                return answer;
            },
            clock);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(attempts, c.attempts);
        EXPECT_EQ(clock.sleeps, c.sleeps);
    }
}

TEST(HostCallRetry, NeverWaitsPastTheBound) {
    for (const std::uint32_t attemptMs : {0u, 1u, 7u, 49u, 50u, 51u, 333u, 999u}) {
        SCOPED_TRACE(std::to_string(attemptMs) + " ms a try");
        FakeClock clock;
        const std::uint64_t started = clock.now;
        std::uint64_t lastTryStarted = started;
        static_cast<void>(CallWithRetry(
            [&] {
                lastTryStarted = clock.now;
                clock.now += attemptMs;
                return kRejected;
            },
            clock));
        EXPECT_LE(lastTryStarted - started, kHostCallRetryBoundMs);
        for (const std::uint32_t pause : clock.sleeps) EXPECT_LE(pause, kHostCallRetrySpacingMs);
    }
}

}  // namespace
}  // namespace zo
