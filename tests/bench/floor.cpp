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
#include <imm.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 100;
constexpr int kTextBufferUnits = 256;
constexpr int kTextReadCount = 255;
constexpr wchar_t kVersionText[] = L"2020";
constexpr UINT kImeControl = 0x283;   // WM_IME_CONTROL
constexpr WPARAM kImeGetOpenStatus = 5;  // absent from MinGW's imm.h

bool BeginsWith(const wchar_t* text, const wchar_t* prefix) {
    return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0;
}

BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
    wchar_t title[kTextBufferUnits] = {};
    if (GetWindowTextW(window, title, kTextReadCount) == 0) return TRUE;
    if (!BeginsWith(title, L"KORVA") && !BeginsWith(title, L"Dravelin")) return TRUE;
    const wchar_t* version = std::wcsstr(title, kVersionText);
    if (version == nullptr || version == title) return TRUE;
    wchar_t className[kTextBufferUnits] = {};
    if (GetClassNameW(window, className, kTextReadCount) <= 0 || !BeginsWith(className, L"Afx:")) return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

// Only the sample is taken; what a tap means is decided by pure logic that costs no platform call.
int SampleKeys() {
    int down = 0;
    for (int vk = 32; vk <= 192; ++vk) {
        if (vk >= 160 && vk <= 166) continue;
        if (GetKeyState(vk) & 0x8000) {
            down = vk;
            break;
        }
    }
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    return down + (ctrl ? 1000 : 0) + (shift ? 2000 : 0);
}

volatile int g_keySample = 0;     // kept so that the optimiser cannot drop the reads
volatile LRESULT g_openStatus = 0;

void Tick(HWND window) {
    HWND host = nullptr;
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&host));
    if (GetForegroundWindow() == host) g_keySample = SampleKeys();
    if (HWND ime = ImmGetDefaultIMEWnd(host)) g_openStatus = SendMessageW(ime, kImeControl, kImeGetOpenStatus, 0);
    // Setting a running timer again restarts its interval from now.
    SetTimer(window, kTickTimer, kTickMs, nullptr);
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTickTimer) Tick(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, kTickTimer);
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
    if (!SetTimer(window, kTickTimer, kTickMs, nullptr)) return 1;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
