#include "platform/desktop_windows.h"

#include <exception>

#include "core/host_match.h"
#include "platform/host_call.h"
#include "platform/shell.h"
#include "platform/wide.h"

namespace zo {
namespace {

struct EnumState {
    EnumWindowsProc proc;
    std::intptr_t parameter;
    std::exception_ptr failure;
};

BOOL CALLBACK VisitTopLevelWindow(HWND window, LPARAM context) noexcept {
    auto& state = *reinterpret_cast<EnumState*>(context);
    try {
        return state.proc(FromHwnd(window), state.parameter) != 0 ? TRUE : FALSE;
    } catch (...) {
        // The enumeration is a system frame: carry the failure across it and rethrow outside.
        state.failure = std::current_exception();
        return FALSE;
    }
}

}  // namespace

void Win32WindowSource::EnumWindows(EnumWindowsProc proc, std::intptr_t parameter) {
    EnumState state{proc, parameter, nullptr};
    ::EnumWindows(VisitTopLevelWindow, reinterpret_cast<LPARAM>(&state));
    if (state.failure) std::rethrow_exception(state.failure);
}

Text Win32WindowSource::ReadTitle(WindowHandle window) {
    wchar_t buffer[kWindowTextBufferUnits] = {};
    // The same text GetWindowTextW reads, without the WM_GETTEXT it sends to this program's own
    // windows on every tick (another process's windows are read this way by GetWindowTextW anyway).
    const int length = ::InternalGetWindowText(ToHwnd(window), buffer, kWindowTextReadCount);
    return length > 0 ? FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length))) : Text();
}

std::optional<Text> Win32WindowSource::ReadClassName(WindowHandle window) {
    wchar_t buffer[kWindowTextBufferUnits] = {};
    const int length = ::GetClassNameW(ToHwnd(window), buffer, kWindowTextReadCount);
    if (length <= 0) return std::nullopt;
    return FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length)));
}

WindowHandle Win32Desktop::GetForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }

void Win32Desktop::SetForegroundWindow(WindowHandle window) {
    if (window != kNoWindow) ::SetForegroundWindow(ToHwnd(window));
}

bool Win32Desktop::IsIconic(WindowHandle window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

void Win32Desktop::OpenIcon(WindowHandle window) {
    // Restoring another process's window waits until that window's thread has handled it (the
    // WM_QUERYOPEN it is asked first included): a host that stops answering holds the program
    // here as inside an automation call. SetForegroundWindow, by contrast, only posts the
    // activation to the host's thread.
    const HostCallScope scope;
    ::OpenIcon(ToHwnd(window));
}

void Win32Desktop::SetTopmost(WindowHandle window, bool topmost) {
    ::SetWindowPos(ToHwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
}

void Win32Desktop::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

bool Win32Desktop::FileExists(TextView path) { return IsExistingFile(path); }

void Win32Desktop::ShellOpen(WindowHandle owner, TextView path) { ShellOpenFile(ToHwnd(owner), path); }

}  // namespace zo
