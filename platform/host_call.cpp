#include "platform/host_call.h"

#include <atomic>

#include "core/host_call_retry.h"

namespace zo {
namespace {

constexpr DWORD kWatchPeriodMs = 100;
// A call that answers within this time is never watched: a host that refuses a call is asked
// again for up to the retry bound, and the last try must have its moment to come back. The
// first look comes at 1.1 s, so a close clicked at the start of a call is still handled well
// within 2 s.
constexpr DWORD kWatchDelayMs = kHostCallRetryBoundMs + kWatchPeriodMs;

int g_depth = 0;  // GUI thread only
HANDLE g_watchTimer = nullptr;
std::atomic<HWND> g_watchWindow{nullptr};
std::atomic<UINT> g_watchMessage{0};

// Runs on a thread of the system's pool. It touches nothing of the program: the message is a
// nudge that makes the GUI thread look at its own queue from inside the wait.
void CALLBACK NudgeWatchWindow(PVOID, BOOLEAN) {
    const HWND window = g_watchWindow.load();
    if (window) ::SendNotifyMessageW(window, g_watchMessage.load(), 0, 0);
}

class Win32RetryClock final : public RetryClock {
  public:
    std::uint64_t NowMs() override { return ::GetTickCount64(); }
    void SleepMs(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

HostCallScope::HostCallScope() noexcept {
    if (g_depth++ == 0 && g_watchWindow.load() && !g_watchTimer) {
        // Without the watch a stalled call would still end normally, only not be left early.
        if (!::CreateTimerQueueTimer(&g_watchTimer, nullptr, NudgeWatchWindow, nullptr, kWatchDelayMs,
                                     kWatchPeriodMs, WT_EXECUTEDEFAULT)) {
            g_watchTimer = nullptr;
        }
    }
}

HostCallScope::~HostCallScope() {
    if (--g_depth == 0 && g_watchTimer) {
        // Not waited for: a nudge that comes after the call is over finds no call and is ignored.
        ::DeleteTimerQueueTimer(nullptr, g_watchTimer, nullptr);
        g_watchTimer = nullptr;
    }
}

bool IsInsideHostCall() noexcept { return g_depth > 0; }

void WatchHostCallsFor(HWND window, UINT message) noexcept {
    g_watchMessage.store(message);
    g_watchWindow.store(window);
}

void StopWatchingHostCalls() noexcept {
    WatchHostCallsFor(nullptr, 0);
    if (g_watchTimer) {
        // Not waited for either: a nudge already on its way finds no window to tell.
        ::DeleteTimerQueueTimer(nullptr, g_watchTimer, nullptr);
        g_watchTimer = nullptr;
    }
}

HRESULT CallHost(const std::function<HRESULT()>& attempt) {
    const HostCallScope scope;
    Win32RetryClock clock;
    return static_cast<HRESULT>(CallWithRetry([&] { return static_cast<std::int32_t>(attempt()); }, clock));
}

}  // namespace zo
