#include "platform/input_method.h"

#include <windows.h>
#include <imm.h>

#include "platform/desktop_windows.h"

namespace zo {

std::int32_t Win32InputMethod::DefaultImeWindow(WindowHandle window) {
    // Window handles fit in 32 bits across processes; the value is kept signed as callers store it.
    const auto raw = reinterpret_cast<std::uintptr_t>(::ImmGetDefaultIMEWnd(ToHwnd(window)));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
}

std::intptr_t Win32InputMethod::SendImeControl(std::int32_t imeWindow, int command) {
    const auto window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(imeWindow));
    return static_cast<std::intptr_t>(
        ::SendMessageW(window, WM_IME_CONTROL, static_cast<WPARAM>(command), 0));
}

}  // namespace zo
