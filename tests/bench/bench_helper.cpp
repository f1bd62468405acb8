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
//   bench_helper day <class> <host-class> <sample-ms> <request-file>
//                                       the endurance run's watch, until that window's process ends:
//                                       every change of its caption and of the host window's title,
//                                       every message box that shows, and every <sample-ms> the
//                                       process's memory, GDI/USER object and window counts; one JSON
//                                       line each, times in ms of QueryPerformanceCounter. When
//                                       <request-file> appears, a quiet sample: the same counters with
//                                       the system's handle list (the handles by type) and the GDI
//                                       table, labelled with the file's text; the file is then deleted
#include <windows.h>
// The process counters build on the declarations above.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
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
        HWND window =
            CreateWindowExW(0, kExtraClass, title.c_str(), WS_OVERLAPPED | WS_CAPTION, 20 + (i % 40) * 20,
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
    PrintLine("{\"pid\": " + std::to_string(pid) + ", \"gdi\": " + std::to_string(gdi) +
              ", \"gdi_error\": " + std::to_string(gdiError) + ", \"user\": " + std::to_string(user) +
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
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnWinEvent, 0, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
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
        if (SetWindowPos(window, top ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
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

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The window's title, or null when there is no such window. Another process's top-level window:
// the text the system keeps is read, no message is sent, so a busy program does not slow the watch.
std::string TitleOf(const wchar_t* className) {
    const HWND window = FindWindowW(className, nullptr);
    if (!window) return "null";
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    return JsonText(Utf8(title));
}

// Under Wine GetProcessHandleCount and GetGuiResources answer 0 for another process; the
// system's handle list and the process's GDI handle table (where its PEB points, in the layout
// Windows had) still tell. Each count is -1 when it cannot be read.
using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryProcessInformation = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

struct HandleEntry {
    ULONG_PTR object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};

using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

// The type of one of the process's handles, from a copy of it in this process.
std::string HandleTypeName(HANDLE process, ULONG_PTR value) {
    static const auto query = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    HANDLE copy = nullptr;
    if (!query || !DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0,
                                   FALSE, DUPLICATE_SAME_ACCESS))
        return "?";
    alignas(8) unsigned char buffer[1024] = {};
    constexpr ULONG kObjectTypeInformation = 2;
    const LONG status = query(copy, kObjectTypeInformation, buffer, sizeof buffer, nullptr);
    CloseHandle(copy);
    if (status < 0) return "?";
    // The answer begins with the type's name as a counted string: length in bytes, then the text.
    struct CountedText {
        USHORT length;
        USHORT capacity;
        const wchar_t* text;
    } name{};
    std::memcpy(&name, buffer, sizeof name);
    if (!name.text) return "?";
    return Utf8(std::wstring(name.text, name.length / sizeof(wchar_t)).c_str());
}

// The process's handles in the system's list, by type; -1 when the list cannot be read.
long long HandlesInSystemList(HANDLE process, DWORD pid, std::map<std::string, int>& byType) {
    static const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    constexpr ULONG kExtendedHandleInformation = 64;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<unsigned char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const LONG status =
            query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return -1;
        ULONG_PTR count = 0;
        std::memcpy(&count, buffer.data(), sizeof count);
        long long own = 0;
        const std::size_t header = 2 * sizeof(ULONG_PTR);
        for (ULONG_PTR i = 0; i < count && header + (i + 1) * sizeof(HandleEntry) <= buffer.size(); ++i) {
            HandleEntry entry{};
            std::memcpy(&entry, buffer.data() + header + i * sizeof(HandleEntry), sizeof entry);
            if (entry.processId != pid) continue;
            ++own;
            ++byType[HandleTypeName(process, entry.handle)];
        }
        return own;
    }
}

long long GdiObjectsInTable(HANDLE process) {
    static const auto query = reinterpret_cast<QueryProcessInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return -1;
    struct BasicInformation {
        LONG_PTR exitStatus;
        void* peb;
        ULONG_PTR affinity;
        LONG_PTR priority;
        ULONG_PTR processId;
        ULONG_PTR parentId;
    } basic{};
    if (query(process, 0, &basic, sizeof basic, nullptr) < 0 || !basic.peb) return -1;
    constexpr std::size_t kGdiTableInPeb = 0xF8;  // PEB64.GdiSharedHandleTable
    void* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(basic.peb) + kGdiTableInPeb, &table, sizeof table,
                           &read) ||
        !table)
        return -1;
    // 24 bytes an entry as on 64-bit Windows: the object, the owner's process id and a count,
    // a word of flags, the object's type (0 for a free entry), the user-mode address. Checked
    // under Wine 8: 100 brushes created raise the count of entries with a type by 100, and
    // deleting them lowers it again.
    struct GdiEntry {
        ULONG64 object;
        USHORT ownerPid;
        USHORT count;
        USHORT upper;
        USHORT type;
        ULONG64 user;
    };
    static_assert(sizeof(GdiEntry) == 24);
    constexpr std::size_t kEntries = 0x10000;
    std::vector<GdiEntry> entries(kEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry), &read))
        return -1;
    long long used = 0;
    for (std::size_t i = 0; i < read / sizeof(GdiEntry); ++i) {
        if (entries[i].type != 0) ++used;
    }
    return used;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long long*>(count);
    return TRUE;
}

struct WindowCount {
    DWORD pid;
    long long count;
};

BOOL CALLBACK CountTopLevel(HWND window, LPARAM parameter) {
    auto& counting = *reinterpret_cast<WindowCount*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == counting.pid) {
        ++counting.count;
        EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&counting.count));
    }
    return TRUE;
}

// `full`: also the system's handle list with the program's handles by type, read from a copy of
// each one, and the GDI table, read from the program's memory. Left to the quiet samples: both
// reach into the program, and Wine 8's server crashed twice in long runs ("wineserver crashed")
// just as a sample that listed every process's handles was due, while probe processes came and
// went; at a quiet sample none do.
std::string ProcessCounters(HANDLE process, DWORD pid, bool full) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    const BOOL memoryRead =
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    DWORD handles = 0;
    const BOOL handlesRead = GetProcessHandleCount(process, &handles);
    SetLastError(0);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD gdiError = GetLastError();
    SetLastError(0);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD userError = GetLastError();
    WindowCount windows{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    std::map<std::string, int> byType;
    const long long listed = full ? HandlesInSystemList(process, pid, byType) : -1;
    std::string types;
    for (const auto& [name, number] : byType) {
        types += (types.empty() ? "" : ", ") + JsonText(name) + ": " + std::to_string(number);
    }
    const auto kib = [](SIZE_T bytes) { return std::to_string(bytes / 1024); };
    return "{\"private_kib\": " + (memoryRead ? kib(memory.PrivateUsage) : std::string("null")) +
           ", \"working_set_kib\": " + (memoryRead ? kib(memory.WorkingSetSize) : std::string("null")) +
           ", \"pagefile_kib\": " + (memoryRead ? kib(memory.PagefileUsage) : std::string("null")) +
           ", \"handles\": " + (handlesRead ? std::to_string(handles) : std::string("null")) +
           ", \"handles_listed\": " + std::to_string(listed) + ", \"handle_types\": {" + types + "}" +
           ", \"gdi\": " + std::to_string(gdi) + ", \"gdi_error\": " + std::to_string(gdiError) +
           ", \"gdi_table\": " + std::to_string(full ? GdiObjectsInTable(process) : -1) +
           ", \"user\": " + std::to_string(user) + ", \"user_error\": " + std::to_string(userError) +
           ", \"windows\": " + std::to_string(windows.count) + "}";
}

// A message box is a #32770 window; each one is reported once, when it first shows.
void ReportNewBoxes(std::vector<HWND>& known, const std::string& stamp) {
    std::vector<HWND> now;
    for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
        if (!IsWindowVisible(box)) continue;
        now.push_back(box);
        bool seen = false;
        for (HWND old : known) seen = seen || old == box;
        if (seen) continue;
        wchar_t title[256] = {};
        GetWindowTextW(box, title, 256);
        wchar_t text[1024] = {};
        DWORD_PTR copied = 0;
        if (HWND label = GetDlgItem(box, 0xFFFF))
            SendMessageTimeoutW(label, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                2000, &copied);
        PrintLine(std::string("{") + stamp + ", \"box\": " + JsonText(Utf8(title)) +
                  ", \"text\": " + JsonText(Utf8(text)) + "}");
    }
    known = now;
}

// The text of a quiet-sample request, and the request gone; empty when there is none.
std::string TakeRequest(const wchar_t* path) {
    // Looked for every 20 ms: a look that finds nothing must not open a file.
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return {};
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char text[128] = {};
    DWORD read = 0;
    const BOOL ok = ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    // The run writes the file under another name and renames it, so a request is whole or absent.
    if (!ok || read == 0) return {};
    DeleteFileW(path);
    return std::string(text, read);
}

int WatchDay(const wchar_t* className, const wchar_t* hostClass, DWORD sampleMs, const wchar_t* requestPath) {
    HWND window = nullptr;
    for (int tries = 0; !window && tries < 300; ++tries) {
        window = FindWindowW(className, nullptr);
        if (!window) Sleep(100);
    }
    if (!window) return Fail("no such window");
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE | SYNCHRONIZE, FALSE, pid);
    if (!process) return Fail("OpenProcess");
    const auto stamp = [] {
        char text[40];
        std::snprintf(text, sizeof text, "\"t\": %.1f", NowMs());
        return std::string(text);
    };
    PrintLine(std::string("{") + stamp() + ", \"ready\": " + std::to_string(pid) + "}");
    std::string caption;
    std::string hostTitle;
    std::vector<HWND> boxes;
    double nextSample = NowMs();
    // Every 20 ms: a caption that stands for a single tick (100 ms) is still seen.
    while (WaitForSingleObject(process, 20) == WAIT_TIMEOUT) {
        // The host's title first: a caption that follows it is then never seen before it.
        const std::string nowHost = TitleOf(hostClass);
        const double hostRead = NowMs();
        if (nowHost != hostTitle) {
            hostTitle = nowHost;
            PrintLine(std::string("{") + stamp() + ", \"host\": " + hostTitle + "}");
        }
        const std::string nowCaption = TitleOf(className);
        if (nowCaption != caption) {
            caption = nowCaption;
            // How long this watch was held up between its two reads: a caption can follow a title
            // the host took meanwhile, one this watch sees only at its next read.
            char since[32];
            std::snprintf(since, sizeof since, "%.1f", NowMs() - hostRead);
            PrintLine(std::string("{") + stamp() + ", \"caption\": " + caption +
                      ", \"since_host_ms\": " + since + "}");
        }
        ReportNewBoxes(boxes, stamp());
        if (NowMs() >= nextSample) {
            nextSample += sampleMs;
            PrintLine(std::string("{") + stamp() + ", \"sample\": " + ProcessCounters(process, pid, false) +
                      "}");
        }
        if (const std::string label = TakeRequest(requestPath); !label.empty()) {
            PrintLine(std::string("{") + stamp() + ", \"quiet\": " + JsonText(label) +
                      ", \"sample\": " + ProcessCounters(process, pid, true) + "}");
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    PrintLine(std::string("{") + stamp() + ", \"ended\": " + std::to_string(exitCode) + "}");
    return 0;
}

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
        if (args.size() == 5 && args[0] == L"day")
            return WatchDay(args[1].c_str(), args[2].c_str(), static_cast<DWORD>(number(3)), args[4].c_str());
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    std::fputs(
        "usage: bench_helper windows <n> | gui <class> | events <class> <ms> | zorder <top|bottom> | list "
        "<timeout-ms> | day <class> <host-class> <sample-ms> <request-file>\n",
        stderr);
    return 1;
}
