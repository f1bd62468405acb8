#pragma once
// The way every command and assist reaches the host's automation server: the ProgID rebuilt from
// the version box right before the availability test, the attach, and the host's own window
// handle read as each user needs it. Each caller keeps its own catch around the steps it guards.
#include "core/host_automation.h"
#include "core/window_handle.h"
#include "ui/ports.h"

namespace zo {

// Rebuilds state.hostProgId from the version box as it reads now, then tests whether an object
// of that server runs. Throws when no server is registered under the ProgID.
[[nodiscard]] bool HostServerRunning(Ports& ports);

// The running application object of the server last tested by HostServerRunning.
[[nodiscard]] HostObjectPtr AttachRunningHost(Ports& ports);

// The host's "HWND" for the assists: any value, taken as an unsigned 64-bit handle.
[[nodiscard]] WindowHandle HostWindowAsUnsigned(HostObject& application);

// The host's "HWND" for LIST, which brings that window forward: a negative value is no window
// and fails the command.
[[nodiscard]] WindowHandle HostWindowNonNegative(HostObject& application);

// The IME guard reads the host's "HWND" and drops it: only a host that cannot report it, which
// fails the tick, matters there.
void ReadAndDropHostWindow(HostObject& application);

}  // namespace zo
