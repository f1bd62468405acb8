// Windows-side measurements for the benchmark, each a console command that prints one JSON line:
//   bench_helper windows <count>        create <count> extra top-level windows, print "ready", and
//                                       keep them until one of them is sent WM_CLOSE
//   bench_helper gui <class>            GDI and USER object counts of the process owning that window
//   bench_helper events <class> <ms>    for that long: window events raised by that window's process,
//                                       and what polling every millisecond from outside sees of its
//                                       caption and of pending paints of it and its lamp
//   bench_helper zorder <top|bottom>    move the extra windows above or below all other windows
//   bench_helper list <timeout-ms>      click LIST on the companion window, time until the drawing
//                                       list shows, press Escape, time until it hides again
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kAppClass[] = L"TKV24RUNForm";
constexpr wchar_t kListClass[] = L"TInputListForm";
constexpr wchar_t kExtraClass[] = L"ZoBenchExtra";
constexpr wchar_t kLampClass[] = L"ZO24_RAZ.Lamp";

double NowMs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value{};
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    return static_cast<double>(value.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int Fail(const char* what) {
    PrintLine(std::string("{\"error\": \"") + what + "\", \"code\": " + std::to_string(GetLastError()) + "}");
    return 2;
}

LRESULT CALLBACK ExtraProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int ExtraWindows(int count) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ExtraProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kExtraClass;
    if (!RegisterClassW(&windowClass)) return Fail("RegisterClassW");
    std::vector<HWND> windows;
    for (int i = 0; i < count; ++i) {
        const std::wstring title = L"Extra window " + std::to_wstring(i + 1);
        // Small and spread out; shown without activation, so each lands above the windows that
        // exist already and the host's main window ends up behind all of them.
        HWND window = CreateWindowExW(0, kExtraClass, title.c_str(), WS_OVERLAPPED | WS_CAPTION, 20 + (i % 40) * 20,
                                      300 + (i % 20) * 20, 160, 40, nullptr, nullptr, windowClass.hInstance, nullptr);
        if (!window) return Fail("CreateWindowExW");
        ShowWindow(window, SW_SHOWNOACTIVATE);
        windows.push_back(window);
    }
    PrintLine("{\"ready\": " + std::to_string(windows.size()) + "}");
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    for (HWND window : windows) DestroyWindow(window);
    return 0;
}

int GuiObjects(const wchar_t* className) {
    HWND window = FindWindowW(className, nullptr);
    if (!window) return Fail("no such window");
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return Fail("OpenProcess");
    SetLastError(0);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD gdiError = GetLastError();
    SetLastError(0);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD userError = GetLastError();
    CloseHandle(process);
    PrintLine("{\"pid\": " + std::to_string(pid) + ", \"gdi\": " + std::to_string(gdi) + ", \"gdi_error\": " +
              std::to_string(gdiError) + ", \"user\": " + std::to_string(user) +
              ", \"user_error\": " + std::to_string(userError) + "}");
    return 0;
}

struct EventCounts {
    DWORD pid = 0;
    std::map<DWORD, int> byEvent;  // events on the watched process's windows, by event id
    int total = 0;
};
EventCounts g_events;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
    if (!window) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != g_events.pid) return;
    ++g_events.byEvent[event];
    ++g_events.total;
}

bool PaintPending(HWND window) {
    RECT rect{};
    return window && GetUpdateRect(window, &rect, FALSE);
}

int CountEvents(const wchar_t* className, DWORD durationMs) {
    HWND window = FindWindowW(className, nullptr);
    if (!window) return Fail("no such window");
    HWND lamp = FindWindowExW(window, nullptr, kLampClass, nullptr);
    GetWindowThreadProcessId(window, &g_events.pid);
    wchar_t before[256] = {};
    GetWindowTextW(window, before, 255);
    // Out of context: the program is watched without loading anything into it; the events come
    // back as messages to this thread, so it must keep pumping. All processes are hooked and the
    // callback filters, in case the process filter is not honoured.
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (!hook) return Fail("SetWinEventHook");
    PrintLine("{\"ready\": true}");
    int captionChanges = 0, windowPaints = 0, lampPaints = 0;
    std::wstring caption = before;
    bool windowWasPending = false, lampWasPending = false;
    const double end = NowMs() + durationMs;
    MSG message{};
    while (NowMs() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        wchar_t now[256] = {};
        GetWindowTextW(window, now, 255);
        if (caption != now) {
            ++captionChanges;
            caption = now;
        }
        // A paint is seen only while it is pending, between the invalidation and WM_PAINT, so
        // these counts are a lower bound.
        const bool windowPending = PaintPending(window);
        const bool lampPending = PaintPending(lamp);
        windowPaints += windowPending && !windowWasPending;
        lampPaints += lampPending && !lampWasPending;
        windowWasPending = windowPending;
        lampWasPending = lampPending;
    }
    UnhookWinEvent(hook);
    std::string byEvent;
    for (const auto& [event, count] : g_events.byEvent) {
        if (!byEvent.empty()) byEvent += ", ";
        char id[16];
        std::snprintf(id, sizeof id, "0x%04lX", static_cast<unsigned long>(event));
        byEvent += std::string("\"") + id + "\": " + std::to_string(count);
    }
    PrintLine("{\"total\": " + std::to_string(g_events.total) + ", \"by_event\": {" + byEvent +
              "}, \"caption_changes\": " + std::to_string(captionChanges) + ", \"window_paints_seen\": " +
              std::to_string(windowPaints) + ", \"lamp_paints_seen\": " + std::to_string(lampPaints) +
              ", \"lamp_found\": " + (lamp ? "true" : "false") + "}");
    return 0;
}

int MoveExtraWindows(bool top) {
    // Collected first: each move changes the order that the search walks.
    std::vector<HWND> extras;
    for (HWND window = FindWindowExW(nullptr, nullptr, kExtraClass, nullptr); window;
         window = FindWindowExW(nullptr, window, kExtraClass, nullptr))
        extras.push_back(window);
    int moved = 0;
    for (HWND window : extras) {
        if (SetWindowPos(window, top ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
            ++moved;
    }
    PrintLine("{\"moved\": " + std::to_string(moved) + "}");
    return 0;
}

HWND ChildWithText(HWND parent, const wchar_t* text) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[64] = {};
        GetWindowTextW(child, buffer, 63);
        if (std::wcscmp(buffer, text) == 0) return child;
    }
    return nullptr;
}

bool ListVisible() {
    HWND list = FindWindowW(kListClass, nullptr);
    return list && IsWindowVisible(list);
}

// Polls every millisecond; returns the time waited, or a negative value at the deadline.
template <typename Condition>
double WaitFor(Condition condition, double startMs, DWORD timeoutMs) {
    while (!condition()) {
        if (NowMs() - startMs > timeoutMs) return -1;
        Sleep(1);
    }
    return NowMs() - startMs;
}

int TimeList(DWORD timeoutMs) {
    HWND app = FindWindowW(kAppClass, nullptr);
    if (!app) return Fail("no companion window");
    HWND button = ChildWithText(app, L"LIST");
    if (!button) return Fail("no LIST button");
    if (ListVisible()) return Fail("the list is already showing");
    const double clicked = NowMs();
    if (!PostMessageW(button, BM_CLICK, 0, 0)) return Fail("PostMessageW");
    const double shown = WaitFor(ListVisible, clicked, timeoutMs);
    double hidden = -1;
    if (shown >= 0) {
        keybd_event(VK_ESCAPE, 0, 0, 0);
        Sleep(1);
        keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        const double pressed = NowMs();
        hidden = WaitFor([] { return !ListVisible(); }, pressed, timeoutMs);
    }
    char line[128];
    std::snprintf(line, sizeof line, "{\"shown_ms\": %.2f, \"hidden_ms\": %.2f}", shown, hidden);
    PrintLine(line);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    const auto number = [&](std::size_t at) { return std::wcstol(args.at(at).c_str(), nullptr, 10); };
    try {
        if (args.size() == 2 && args[0] == L"windows") return ExtraWindows(static_cast<int>(number(1)));
        if (args.size() == 2 && args[0] == L"gui") return GuiObjects(args[1].c_str());
        if (args.size() == 3 && args[0] == L"events")
            return CountEvents(args[1].c_str(), static_cast<DWORD>(number(2)));
        if (args.size() == 2 && args[0] == L"zorder") return MoveExtraWindows(args[1] == L"top");
        if (args.size() == 2 && args[0] == L"list") return TimeList(static_cast<DWORD>(number(1)));
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    std::fputs("usage: bench_helper windows <n> | gui <class> | events <class> <ms> | zorder <top|bottom> | list <timeout-ms>\n", stderr);
    return 1;
}
