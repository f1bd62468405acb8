#pragma once
// The way out of a call to the host that never returns. COM cannot cancel such a call and a
// message sent to a frozen window waits as long, so the program does not go back into it: when
// the user closes the program meanwhile, it writes the settings and ends from inside the wait.
#include <windows.h>

#include <functional>

namespace zo {

// True when a close waits in the queue of `window` (its own thread's): the close button, Alt+F4,
// the system menu's Close, a WM_CLOSE. What was taken out to look past and asks for nothing is put
// back in its order.
[[nodiscard]] bool CloseRequestQueued(HWND window);

// True once the program has begun to end inside a host call. From then on the windows' handlers
// run nothing: no tick, command, close or look at the queue, also under the error box of a failed
// write.
[[nodiscard]] bool IsEndingInsideHostCall() noexcept;

// Messages that run a handler of the program (ticks, commands, keys, clicks, closes): dropped
// while the program ends inside a host call.
[[nodiscard]] bool RunsAHandler(UINT message) noexcept;

// Ends the program inside the host call under way: stops the watch, hides the thread's windows,
// drops the input already queued, calls `writeSettings` (whose error box, when the write fails,
// is the last thing shown) and ends the process with exit code 0. Returns only when the program
// is already ending further up the stack.
void EndInsideHostCall(const std::function<void()>& writeSettings);

}  // namespace zo
