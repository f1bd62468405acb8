// Drives the input-method binding against windows of this process, since Wine cannot reach another
// process's input method: a recording window stands for the host's default IME window and keeps
// every message the binding's calls deliver. One line per check, a summary, and a non-zero exit
// code when anything failed.
//
//   ime_binding_check.exe
#include <windows.h>
#include <imm.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/desktop_windows.h"
#include "platform/input_method.h"
#include "tests/check_report.h"

namespace {

// MinGW's imm.h lacks them.
constexpr WPARAM kGetOpenStatus = 5;
constexpr WPARAM kSetOpenStatus = 6;
constexpr wchar_t kRecorderClass[] = L"ZoImeRecorder";
// An open status whose low 8 bits are all zero, and one beyond 32 bits: the binding hands both
// back unchanged; what counts as open is the guard's rule, not the binding's.
constexpr LRESULT kAnswers[] = {0x1200, static_cast<LRESULT>(0x100000001LL)};

struct Delivered {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Delivered> g_delivered;
LRESULT g_answer = 0;
using zo::check::Report;

std::string Describe(const std::vector<Delivered>& delivered) {
    std::string text = "[";
    for (const Delivered& d : delivered) {
        char item[96];
        std::snprintf(item, sizeof item, "%s(0x%X, %llu, %lld)", text.size() > 1 ? ", " : "", d.message,
                      static_cast<unsigned long long>(d.wParam), static_cast<long long>(d.lParam));
        text += item;
    }
    return text + "]";
}

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_IME_CONTROL) {
        g_delivered.push_back({message, wParam, lParam});
        return g_answer;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The binding's sends must deliver exactly one WM_IME_CONTROL with `command` and lParam 0, and hand
// back the window's answer.
void CheckSend(zo::Win32InputMethod& binding, HWND recorder, WPARAM command, const char* name) {
    const auto handle = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(recorder));
    for (const LRESULT answer : kAnswers) {
        g_delivered.clear();
        g_answer = answer;
        const std::intptr_t result = binding.SendImeControl(handle, static_cast<int>(command));
        const bool exact = g_delivered.size() == 1 && g_delivered[0].message == WM_IME_CONTROL &&
                           g_delivered[0].wParam == command && g_delivered[0].lParam == 0;
        char label[96];
        std::snprintf(label, sizeof label, "%s with the window answering 0x%llX", name,
                      static_cast<unsigned long long>(answer));
        Report(std::string(label) + ": exactly WM_IME_CONTROL, command, lParam 0 arrive", exact,
               Describe(g_delivered));
        Report(std::string(label) + ": the answer comes back unchanged", result == answer,
               std::to_string(static_cast<long long>(result)));
    }
}

}  // namespace

int wmain() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kRecorderClass;
    if (!RegisterClassExW(&windowClass)) {
        std::printf("FAIL cannot register the recording window class\n0 passed, 1 failed\n");
        return 1;
    }
    const HWND recorder = CreateWindowExW(0, kRecorderClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                          windowClass.hInstance, nullptr);
    // An ordinary window of this process, which has a default IME window under Wine too.
    const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       windowClass.hInstance, nullptr);
    if (!recorder || !owner) {
        std::printf("FAIL cannot create the windows\n0 passed, 1 failed\n");
        return 1;
    }

    zo::Win32InputMethod binding;
    CheckSend(binding, recorder, kGetOpenStatus, "IMC_GETOPENSTATUS");
    CheckSend(binding, recorder, kSetOpenStatus, "IMC_SETOPENSTATUS");

    // The lookup keeps the handle in 32 signed bits; handed back to the send it must reach the
    // same IME window as the system's own handle does.
    const HWND systemIme = ImmGetDefaultIMEWnd(owner);
    const std::int32_t held = binding.DefaultImeWindow(zo::FromHwnd(owner));
    Report(
        "the IME window of a window is the system's, held in 32 bits",
        systemIme != nullptr && held == static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(systemIme)),
        std::to_string(held));
    if (systemIme) {
        const LRESULT direct = SendMessageW(systemIme, WM_IME_CONTROL, kGetOpenStatus, 0);
        Report("the held IME window answers as the system's handle does",
               binding.SendImeControl(held, static_cast<int>(kGetOpenStatus)) == direct,
               std::to_string(static_cast<long long>(direct)));
    }
    Report("the IME window of the null window is the system's",
           binding.DefaultImeWindow(zo::kNoWindow) ==
               static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(ImmGetDefaultIMEWnd(nullptr))));

    DestroyWindow(owner);
    DestroyWindow(recorder);
    return zo::check::Summary();
}
