#include "platform/input_method.h"

#include <windows.h>
#include <imm.h>

#include "platform/desktop_windows.h"
#include "platform/fault_injection.h"
#include "platform/host_call.h"

namespace zo {

std::int32_t Win32InputMethod::DefaultImeWindow(WindowHandle window) {
    // The test build can take the window itself for its input-method window: Wine finds none for a
    // window of another process, and what the sends below wait for must still be reachable there.
    const HWND ime = StandInAsked("host-ime-window") ? ToHwnd(window) : ::ImmGetDefaultIMEWnd(ToHwnd(window));
    // Window handles fit in 32 bits across processes; the value is kept signed as callers store it.
    const auto raw = reinterpret_cast<std::uintptr_t>(ime);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
}

std::intptr_t Win32InputMethod::SendImeControl(std::int32_t imeWindow, int command) {
    const auto window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(imeWindow));
    // The IME window belongs to the host's UI thread, which may stop answering as its automation
    // server can: the send is watched like a call to the host.
    const HostCallScope scope;
    return static_cast<std::intptr_t>(
        ::SendMessageW(window, WM_IME_CONTROL, static_cast<WPARAM>(command), 0));
}

}  // namespace zo
