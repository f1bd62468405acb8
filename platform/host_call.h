#pragma once
// Every call into the host's automation server goes through here: refused calls are made again
// for a short while, and the GUI thread can tell whether it is waiting inside such a call. The
// messages sent to a window of the host's process wait for the host's UI thread in the same way
// and are marked alike.
#include <windows.h>

#include <functional>

namespace zo {

// Marks the GUI thread as waiting in a call to the host (or in a message sent to one of the host's
// windows) for as long as it lives. Once one has lasted longer than a refused call is ever tried
// (core/host_call_retry.h), the window named by WatchHostCallsFor is sent its message every 100
// ms: a host that never answers keeps the call waiting, and during that wait (so Wine's COM and
// SendMessageW do) only sent messages reach the window procedure, not the user's clicks and keys.
// A call that is merely slow ends before the watch starts, and a close clicked meanwhile is
// handled as usual once it is over.
class HostCallScope {
  public:
    HostCallScope() noexcept;
    ~HostCallScope();
    HostCallScope(const HostCallScope&) = delete;
    HostCallScope& operator=(const HostCallScope&) = delete;
};

// True while the GUI thread waits in a call to the host (or between two tries of one).
[[nodiscard]] bool IsInsideHostCall() noexcept;

// The window that is told, with `message`, while a call to the host takes long.
void WatchHostCallsFor(HWND window, UINT message) noexcept;

// Ends the watch for good, also the one of the call under way: nothing is told from now on.
void StopWatchingHostCalls() noexcept;

// One call into the host's server, inside a HostCallScope, made again while the host refuses it
// (the policy of core/host_call_retry.h). The pause between tries is a plain Sleep: no message
// is dispatched meanwhile, so no tick runs and no click starts a command inside the call; the
// user's input waits in the queue and is handled once the command is done.
[[nodiscard]] HRESULT CallHost(const std::function<HRESULT()>& attempt);

}  // namespace zo
