// The cost floor of one idle monitor tick: a minimal window whose 100 ms timer makes exactly the
// platform calls that any program watching the host this way must make, and nothing else. The
// benchmark sets ZO24_RAZ.exe against it, so the ratio shows only what the program adds.
//
// Per tick: one window enumeration with one title read per window (the class name only for a
// window whose title passes the host rule, and the enumeration stops there), the foreground
// window, the key-state sampling on ticks where the host window is in front, and the input-method
// window lookup with its open-status query. Like the program, the next tick comes a full interval
// after this one ended, so that both tick equally often when a tick takes long.
#include <windows.h>

#include "idle_tick.h"

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == idle_tick::kTimer) idle_tick::Tick(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, idle_tick::kTimer);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"ZoBenchFloor";
    if (!RegisterClassW(&windowClass)) return 1;
    // Always on top and about as large as the companion window, so both sit alike on the desktop.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"ZoBenchFloor", L"floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                  0, 0, 360, 60, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    if (!SetTimer(window, idle_tick::kTimer, idle_tick::kIntervalMs, nullptr)) return 1;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
