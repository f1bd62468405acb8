#pragma once
// The desktop's windows and the window, shell and kernel services the handlers use;
// platform/desktop_windows.h binds them to Win32.
#include <cstdint>
#include <optional>

#include "core/text.h"
#include "core/window_handle.h"

namespace zo {

// A callback of the top-level window enumeration: non-zero lets it go on, zero stops it.
using EnumWindowsProc = std::int32_t (*)(WindowHandle window, std::intptr_t parameter);

// The desktop's top-level windows, for host discovery.
class WindowSource {
  public:
    virtual ~WindowSource() = default;
    // EnumWindows: calls `proc` with `parameter` for each top-level window from the top of the Z
    // order until it returns zero.
    virtual void EnumWindows(EnumWindowsProc proc, std::intptr_t parameter) = 0;
    // The title as read into 256 units with a count of 255; empty when none or unreadable.
    [[nodiscard]] virtual Text ReadTitle(WindowHandle window) = 0;
    // The class name read the same way; nullopt when it cannot be read.
    [[nodiscard]] virtual std::optional<Text> ReadClassName(WindowHandle window) = 0;
};

// Window management, shell and kernel services used by the handlers.
class Desktop {
  public:
    virtual ~Desktop() = default;
    [[nodiscard]] virtual WindowHandle GetForegroundWindow() = 0;
    virtual void SetForegroundWindow(WindowHandle window) = 0;  // null: does nothing
    [[nodiscard]] virtual bool IsIconic(WindowHandle window) = 0;
    virtual void OpenIcon(WindowHandle window) = 0;
    // SetWindowPos with HWND_TOPMOST / HWND_NOTOPMOST, no move, no size.
    virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // An existing file that is not a folder.
    [[nodiscard]] virtual bool FileExists(TextView path) = 0;
    // ShellExecuteW(owner, "open", path, nullptr, nullptr, SW_SHOWNORMAL); result ignored.
    virtual void ShellOpen(WindowHandle owner, TextView path) = 0;
};

}  // namespace zo
