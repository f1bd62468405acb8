#pragma once
// When a call into the host's automation server is made again. A host that is busy in a modal
// state refuses incoming calls at once instead of queueing them; a short, bounded retry rides
// that out without the user noticing, and a host that stays busy still fails the call promptly.
#include <cstdint>
#include <functional>

namespace zo {

inline constexpr std::int32_t kRpcCallRejected = static_cast<std::int32_t>(0x80010001u);
inline constexpr std::int32_t kRpcServerCallRetryLater = static_cast<std::int32_t>(0x8001010Au);

// One call, all of its attempts included, is given up after this long.
inline constexpr std::uint32_t kHostCallRetryBoundMs = 1000;
// The pause between two attempts of the same call.
inline constexpr std::uint32_t kHostCallRetrySpacingMs = 50;

// The two answers of a host that is busy right now; every other failure is final.
[[nodiscard]] constexpr bool IsRefusedCall(std::int32_t hresult) noexcept {
    return hresult == kRpcCallRejected || hresult == kRpcServerCallRetryLater;
}

// The time source and the pause of the retry loop, so that a test can run it on a fake clock.
class RetryClock {
  public:
    virtual ~RetryClock() = default;
    [[nodiscard]] virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t milliseconds) = 0;
};

// Runs `attempt` (one try of the call, returning its HRESULT) until it is not refused, or until
// kHostCallRetryBoundMs have passed since the first try; returns the last try's HRESULT. The
// pause before a retry never reaches past the bound, so the last try comes at the bound.
[[nodiscard]] std::int32_t CallWithRetry(const std::function<std::int32_t()>& attempt, RetryClock& clock);

}  // namespace zo
