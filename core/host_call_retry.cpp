#include "core/host_call_retry.h"

#include <algorithm>

namespace zo {

std::int32_t CallWithRetry(const std::function<std::int32_t()>& attempt, RetryClock& clock) {
    const std::uint64_t started = clock.NowMs();
    for (;;) {
        const std::int32_t result = attempt();
        if (!IsRefusedCall(result)) return result;
        const std::uint64_t elapsed = clock.NowMs() - started;
        if (elapsed >= kHostCallRetryBoundMs) return result;
        const auto left = static_cast<std::uint32_t>(kHostCallRetryBoundMs - elapsed);
        clock.SleepMs(std::min(kHostCallRetrySpacingMs, left));
    }
}

}  // namespace zo
