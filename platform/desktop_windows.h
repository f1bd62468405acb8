#pragma once
// The desktop's top-level windows and the window-management calls the handlers make.
#include <windows.h>

#include "core/desktop.h"

namespace zo {

[[nodiscard]] inline HWND ToHwnd(WindowHandle window) noexcept {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}
[[nodiscard]] inline WindowHandle FromHwnd(HWND window) noexcept {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

class Win32WindowSource final : public WindowSource {
  public:
    void EnumWindows(EnumWindowsProc proc, std::intptr_t parameter) override;
    [[nodiscard]] Text ReadTitle(WindowHandle window) override;
    [[nodiscard]] std::optional<Text> ReadClassName(WindowHandle window) override;
};

class Win32Desktop final : public Desktop {
  public:
    [[nodiscard]] WindowHandle GetForegroundWindow() override;
    void SetForegroundWindow(WindowHandle window) override;
    [[nodiscard]] bool IsIconic(WindowHandle window) override;
    void OpenIcon(WindowHandle window) override;
    void SetTopmost(WindowHandle window, bool topmost) override;
    void Sleep(std::uint32_t milliseconds) override;
    [[nodiscard]] bool FileExists(TextView path) override;
    void ShellOpen(WindowHandle owner, TextView path) override;
};

}  // namespace zo
