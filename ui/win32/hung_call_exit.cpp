#include "ui/win32/hung_call_exit.h"

#include <vector>

#include "platform/host_call.h"

namespace zo {
namespace {

bool g_ending = false;  // GUI thread only

// Takes every message of the range out of the window's queue, in order.
std::vector<MSG> TakeQueued(HWND window, UINT first, UINT last) {
    std::vector<MSG> taken;
    MSG message{};
    while (::PeekMessageW(&message, window, first, last, PM_REMOVE | PM_NOYIELD)) taken.push_back(message);
    return taken;
}

void PutBack(const std::vector<MSG>& messages) {
    for (const MSG& message : messages)
        ::PostMessageW(message.hwnd, message.message, message.wParam, message.lParam);
}

BOOL CALLBACK HideWindow(HWND window, LPARAM) noexcept {
    ::ShowWindow(window, SW_HIDE);
    return TRUE;
}

// Keys, clicks and posted commands that wait in the queue: none of them may start anything now.
// Bounded, because a timer that keeps coming would otherwise keep the loop going.
void DropQueuedInput() {
    constexpr int kMostDropped = 10000;
    MSG message{};
    for (int i = 0; i < kMostDropped; ++i) {
        if (!::PeekMessageW(&message, nullptr, 0, 0,
                            PM_REMOVE | PM_NOYIELD | PM_QS_INPUT | PM_QS_POSTMESSAGE)) {
            return;
        }
        if (message.message == WM_QUIT) return;
    }
}

}  // namespace

bool CloseRequestQueued(HWND window) {
    // The user's ways of closing, as they wait in the queue while the program cannot dispatch
    // them. A peek sees only the first message of a kind, so the kinds that also carry other
    // requests are taken out to look past them.
    MSG message{};
    if (::PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE | PM_NOYIELD)) return true;
    // A minimise from the taskbar can stand before the system menu's Close.
    const std::vector<MSG> commands = TakeQueued(window, WM_SYSCOMMAND, WM_SYSCOMMAND);
    for (const MSG& command : commands) {
        if ((command.wParam & 0xFFF0) == SC_CLOSE) return true;
    }
    PutBack(commands);
    // Presses on the frame: the close button ends the program; a press anywhere else on the
    // frame of a window that cannot answer is dropped.
    for (const MSG& press : TakeQueued(window, WM_NCLBUTTONDOWN, WM_NCMBUTTONDBLCLK)) {
        if (press.message == WM_NCLBUTTONDOWN && press.wParam == HTCLOSE) return true;
    }
    // Alt+F4 goes to the control that has the focus, behind the Alt press itself. The keys are
    // put back in their order when they ask for nothing, so typing is not lost.
    std::vector<MSG> keys;
    while (::PeekMessageW(&message, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE | PM_NOYIELD))
        keys.push_back(message);
    for (const MSG& key : keys) {
        if (key.message == WM_SYSKEYDOWN && key.wParam == VK_F4) return true;
    }
    PutBack(keys);
    return false;
}

bool IsEndingInsideHostCall() noexcept { return g_ending; }

bool RunsAHandler(UINT message) noexcept {
    switch (message) {
        case WM_TIMER:
        case WM_COMMAND:
        case WM_SYSCOMMAND:
        case WM_CONTEXTMENU:
        case WM_CLOSE:
        case WM_ENDSESSION:
        case WM_ACTIVATE:
        case WM_CHAR:
            return true;
        default:
            return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                   (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message >= WM_APP;
    }
}

void EndInsideHostCall(const std::function<void()>& writeSettings) {
    // A host that does not answer must not keep the user from closing, nor cost the session's
    // settings. The call cannot be cancelled, so the program does not go back into it.
    if (g_ending) return;
    g_ending = true;
    StopWatchingHostCalls();
    ::EnumThreadWindows(::GetCurrentThreadId(), HideWindow, 0);
    DropQueuedInput();
    writeSettings();
    ::ExitProcess(0);
}

}  // namespace zo
