#pragma once
// The idle monitor tick that the cost floor makes and nothing more: one window enumeration with
// one title read per window (the class name only for a window whose title passes the host rule,
// and the enumeration stops there), the foreground window, one snapshot of the keyboard on ticks
// where the host window is in front, and the input-method window lookup with its open-status
// query. Like the program, the next tick comes a full interval after this one ended.
//
// Shared by floor.exe and memory_steps.exe, so that both tick exactly alike.
#include <windows.h>
#include <imm.h>

#include <cwchar>

namespace idle_tick {

constexpr UINT_PTR kTimer = 1;
constexpr UINT kIntervalMs = 100;
constexpr int kTextBufferUnits = 256;
constexpr int kTextReadCount = 255;
constexpr wchar_t kVersionText[] = L"2020";
constexpr UINT kImeControl = 0x283;      // WM_IME_CONTROL
constexpr WPARAM kImeGetOpenStatus = 5;  // absent from MinGW's imm.h

inline bool BeginsWith(const wchar_t* text, const wchar_t* prefix) {
    return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0;
}

inline BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
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

// Only the sample is taken, as the program takes it: one GetKeyState, which brings this thread's
// key state up to date, then the whole state at once. What a tap means is decided by pure logic
// that costs no platform call.
inline int SampleKeys() {
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    BYTE state[256] = {};
    if (!GetKeyboardState(state)) return -1;
    int down = 0;
    for (int vk = 32; vk <= 192 && down == 0; ++vk) {
        if ((vk < 160 || vk > 166) && (state[vk] & 0x80)) down = vk;
    }
    return down + ((state[VK_CONTROL] & 0x80) ? 1000 : 0) + (shift ? 2000 : 0);
}

inline volatile int g_keySample = 0;  // kept so that the optimiser cannot drop the reads
inline volatile LRESULT g_openStatus = 0;

inline void Tick(HWND window) {
    HWND host = nullptr;
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&host));
    if (GetForegroundWindow() == host) g_keySample = SampleKeys();
    if (HWND ime = ImmGetDefaultIMEWnd(host))
        g_openStatus = SendMessageW(ime, kImeControl, kImeGetOpenStatus, 0);
    // Setting a running timer again restarts its interval from now.
    SetTimer(window, kTimer, kIntervalMs, nullptr);
}

}  // namespace idle_tick
