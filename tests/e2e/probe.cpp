// probe.exe: looks at the desktop from outside the program under test and answers one query per
// run with one line of JSON on standard output. The end-to-end harness runs it under Wine between
// its checks, so every query is cheap, never blocks on a hung window (timeouts on every message
// sent to another process) and never changes anything it was not asked to change.
//
//   probe windows                          all top-level windows, top of the Z order first
//   probe find <class> [<title>]           one top-level window, or null
//   probe foreground                       the foreground window, or null
//   probe focus                            the active and the focused window of the foreground thread
//   probe children <class>                 the direct child controls of that window, in Z order
//   probe click <class> <selector>         BM_CLICK on a child control (posted: a handler may open a
//                                          modal box)
//   probe contextmenu <class> [<selector>] WM_CONTEXTMENU on the window or one of its controls
//   probe msgbox                           the visible message box (#32770), or null
//   probe msgbox-ok                        presses its OK button
//   probe pixel <x> <y>                    a screen pixel as "#rrggbb"
//   probe client-pixel <class> <x> <y>     a pixel of a window's client area as "#rrggbb"
//   probe key <vk> down|up|tap             a synthetic key event into the system's input stream
//   probe keys <step>...                   several, in order: "<vk>" taps, "<vk>:down" and "<vk>:up"
//                                          press and release, "sleep:<ms>" waits
//   probe close <class>                    posts WM_CLOSE to every top-level window of that class
//   probe minimize <class>                 minimises that window as the shell's "show desktop" does
//   probe endsession <class>               log-off: WM_QUERYENDSESSION, then WM_ENDSESSION with its
//                                          answer; prints the answer
//   probe front <class>                    SetForegroundWindow on that window
//   probe settext <class> <selector> <text> WM_SETTEXT on a child control (its change handler runs)
//   probe watch <class> <ms>               prints "ready", then every change of that window's title or
//                                          visibility for <ms> milliseconds, one JSON line each
//   probe listbox <class>                  rows and selected index of the window's first list box
//   probe command <class> <id>             posts WM_COMMAND for a menu item id to that window
//   probe errortext <code>                 the system's message text for an error code, trimmed
//
// A selector names a child control: "id=<n>", "text=<caption>", "class=<window class>" (the first
// of that class) or "index=<n>" (0 = top of Z order).
// Exit code 0 when the query ran (a window that is not there is an answer: null), 2 for misuse, 3
// when the answer could not be written to standard output.
#include <windows.h>
// shellapi.h needs the types from windows.h.
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMs = 2000;
constexpr int kMessageTextId = 0xFFFF;  // the static that holds a message box's text

struct LocalFreeDeleter {
    void operator()(LPWSTR* p) const noexcept { LocalFree(p); }
};
using ArgvPtr = std::unique_ptr<LPWSTR, LocalFreeDeleter>;

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ScreenDc() = default;
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

class UsageError {
  public:
    explicit UsageError(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

std::string Json(std::wstring_view text) {
    std::string out = "\"";
    for (const char c : Utf8(text)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Json(bool value) { return value ? "true" : "false"; }

// Without this a wide C string would quietly pick the bool overload.
std::string Json(const wchar_t* text) { return Json(std::wstring_view(text)); }

template <typename Number>
requires std::is_arithmetic_v<Number> std::string Json(Number value) { return std::to_string(value); }

std::string Json(HWND window) { return std::to_string(reinterpret_cast<std::uintptr_t>(window)); }

// Builders append piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + string.
std::string Array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (const std::string& item : items) {
        if (out.size() > 1) out += ',';
        out += item;
    }
    out += ']';
    return out;
}

class Object {
  public:
    Object& Add(std::string_view key, const std::string& value) {
        text_ += text_.empty() ? "{\"" : ",\"";
        text_ += key;
        text_ += "\":";
        text_ += value;
        return *this;
    }
    std::string Done() const { return text_.empty() ? std::string("{}") : text_ + "}"; }

  private:
    std::string text_;
};

std::string Json(const RECT& r) { return Array({Json(r.left), Json(r.top), Json(r.right), Json(r.bottom)}); }

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

// WM_GETTEXT rather than GetWindowTextW: for another process's edit box the latter returns the
// text the box was created with, not what it shows now.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return {};
    text.resize(copied);
    return text;
}

std::string WindowJson(HWND window) {
    if (!window) return "null";
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const auto style = static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exstyle = static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    return Object()
        .Add("hwnd", Json(window))
        .Add("class", Json(ClassOf(window)))
        .Add("title", Json(TextOf(window)))
        .Add("visible", Json(IsWindowVisible(window) != FALSE))
        .Add("iconic", Json(IsIconic(window) != FALSE))
        .Add("rect", Json(rect))
        .Add("client", Array({Json(client.right - client.left), Json(client.bottom - client.top)}))
        .Add("client_origin", Array({Json(origin.x), Json(origin.y)}))
        .Add("style", Json(style))
        .Add("exstyle", Json(exstyle))
        .Add("topmost", Json((exstyle & WS_EX_TOPMOST) != 0))
        .Add("pid", Json(static_cast<unsigned long>(pid)))
        .Add("foreground", Json(GetForegroundWindow() == window))
        .Done();
}

// The keyboard focus of the foreground window's thread, which may be another process's: the
// window that receives the keys typed now.
std::string FocusJson() {
    const HWND front = GetForegroundWindow();
    if (!front) return "null";
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &info)) return "null";
    const auto describe = [](HWND window) {
        if (!window) return std::string("null");
        return Object()
            .Add("hwnd", Json(window))
            .Add("class", Json(ClassOf(window)))
            .Add("id", Json(GetDlgCtrlID(window)))
            .Add("text", Json(TextOf(window)))
            .Done();
    };
    return Object()
        .Add("active", describe(info.hwndActive))
        .Add("focus", describe(info.hwndFocus))
        .Add("capture", describe(info.hwndCapture))
        .Done();
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND FindTop(const std::wstring& cls) {
    HWND window = FindWindowW(cls.c_str(), nullptr);
    if (!window) throw UsageError(std::string("no top-level window of class ").append(Utf8(cls)));
    return window;
}

HWND SelectChild(HWND parent, const std::wstring& selector) {
    const auto children = DirectChildren(parent);
    const auto eq = selector.find(L'=');
    if (eq == std::wstring::npos) throw UsageError("selector must be id=, text=, class= or index=");
    const std::wstring kind = selector.substr(0, eq);
    const std::wstring value = selector.substr(eq + 1);
    if (kind == L"index") {
        const auto index = static_cast<std::size_t>(std::wcstoul(value.c_str(), nullptr, 10));
        if (index < children.size()) return children[index];
    } else {
        for (HWND child : children) {
            if (kind == L"id" && GetDlgCtrlID(child) == std::wcstol(value.c_str(), nullptr, 0)) return child;
            if (kind == L"text" && TextOf(child) == value) return child;
            if (kind == L"class" && _wcsicmp(ClassOf(child).c_str(), value.c_str()) == 0) return child;
        }
    }
    throw UsageError(std::string("no child control ").append(Utf8(selector)));
}

std::string CheckState(HWND control) {
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state))
        return "null";
    return Json(static_cast<unsigned long>(state));
}

std::string ChildrenJson(HWND parent) {
    std::vector<std::string> items;
    for (HWND child : DirectChildren(parent)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        const std::wstring cls = ClassOf(child);
        const bool isButton = _wcsicmp(cls.c_str(), L"Button") == 0;
        items.push_back(
            Object()
                .Add("hwnd", Json(child))
                .Add("id", Json(GetDlgCtrlID(child)))
                .Add("class", Json(cls))
                .Add("text", Json(TextOf(child)))
                .Add("visible", Json(IsWindowVisible(child) != FALSE))
                .Add("rect", Json(rect))
                .Add("style", Json(static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_STYLE))))
                .Add("checked", isButton ? CheckState(child) : std::string("null"))
                .Done());
    }
    return Array(items);
}

HWND FindMessageBox() {
    for (HWND window : TopLevelWindows())
        if (ClassOf(window) == L"#32770" && IsWindowVisible(window)) return window;
    return nullptr;
}

std::string MessageBoxJson(HWND box) {
    if (!box) return "null";
    wchar_t text[4096] = {};
    GetDlgItemTextW(box, kMessageTextId, text, 4096);
    // The icon's control id differs between systems (0x14 on Windows, 0x440 under Wine), and Wine
    // leaves the icon static visible but empty in a box without an icon: look for an icon static
    // that holds an icon.
    bool icon = false;
    for (HWND child : DirectChildren(box)) {
        const auto style = static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_STYLE));
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0 || (style & SS_TYPEMASK) != SS_ICON ||
            !IsWindowVisible(child))
            continue;
        DWORD_PTR held = 0;
        if (SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &held) &&
            held != 0)
            icon = true;
    }
    std::vector<std::string> buttons;
    for (HWND child : DirectChildren(box)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") != 0 || !IsWindowVisible(child)) continue;
        buttons.push_back(
            Object().Add("id", Json(GetDlgCtrlID(child))).Add("text", Json(TextOf(child))).Done());
    }
    const auto exstyle = static_cast<unsigned long>(GetWindowLongPtrW(box, GWL_EXSTYLE));
    return Object()
        .Add("hwnd", Json(box))
        .Add("title", Json(TextOf(box)))
        .Add("text", Json(text))
        .Add("icon", Json(icon))
        .Add("buttons", Array(buttons))
        .Add("topmost", Json((exstyle & WS_EX_TOPMOST) != 0))
        .Done();
}

std::string PixelJson(int x, int y) {
    ScreenDc screen;
    const COLORREF colour = GetPixel(screen.dc, x, y);
    if (colour == CLR_INVALID) return "null";
    char text[16];
    std::snprintf(text, sizeof text, "\"#%02x%02x%02x\"", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

void SendKey(BYTE vk, bool down) { keybd_event(vk, 0, down ? 0 : KEYEVENTF_KEYUP, 0); }

void PrintLine(const std::string& line) {
    std::string out = line;
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

// Polls in a tight loop rather than asking the program: a caption that stands for a single tick
// (100 ms) is still seen. GetWindowTextW on another process's top-level window reads the text
// the system keeps and sends no message, so a busy program cannot slow the loop down.
void Watch(const std::wstring& cls, DWORD durationMs) {
    PrintLine("\"ready\"");
    const DWORD start = GetTickCount();
    std::string last;
    while (GetTickCount() - start < durationMs) {
        const HWND window = FindWindowW(cls.c_str(), nullptr);
        std::string now = "null";
        if (window) {
            wchar_t title[512] = {};
            GetWindowTextW(window, title, 512);
            now = Object()
                      .Add("hwnd", Json(window))
                      .Add("title", Json(title))
                      .Add("visible", Json(IsWindowVisible(window) != FALSE))
                      .Done();
        }
        if (now != last) {
            PrintLine(Object()
                          .Add("ms", Json(static_cast<unsigned long>(GetTickCount() - start)))
                          .Add("window", now)
                          .Done());
            last = now;
        }
        Sleep(1);
    }
}

// LB_GETTEXT copies into the caller's buffer; across processes the system marshals it for a list
// box that keeps its strings (LBS_HASSTRINGS), which is what the rows are read through.
std::string ListBoxJson(HWND top) {
    HWND list = nullptr;
    for (HWND child : DirectChildren(top))
        if (_wcsicmp(ClassOf(child).c_str(), L"ListBox") == 0) list = child;
    if (!list) return "null";
    DWORD_PTR count = 0;
    DWORD_PTR selected = 0;
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count) ||
        !SendMessageTimeoutW(list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &selected))
        return "null";
    std::vector<std::string> rows;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length);
        std::wstring row(static_cast<std::size_t>(static_cast<LONG_PTR>(length) < 0 ? 0 : length) + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()), SMTO_ABORTIFHUNG,
                            kSendTimeoutMs, &copied);
        row.resize(static_cast<LONG_PTR>(copied) < 0 ? 0 : static_cast<std::size_t>(copied));
        rows.push_back(Json(row));
    }
    return Object()
        .Add("hwnd", Json(list))
        .Add("count", Json(static_cast<long>(count)))
        .Add("rows", Array(rows))
        .Add("selected", Json(static_cast<long>(static_cast<LONG_PTR>(selected))))
        .Add("owner_drawn",
             Json((GetWindowLongPtrW(list, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0))
        .Done();
}

std::string SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return Json(text);
}

int Number(const std::wstring& text) { return static_cast<int>(std::wcstol(text.c_str(), nullptr, 0)); }

std::string Run(const std::vector<std::wstring>& args) {
    const auto need = [&](std::size_t count) {
        if (args.size() < count) throw UsageError("missing arguments");
    };
    need(1);
    const std::wstring& query = args[0];
    if (query == L"windows") {
        std::vector<std::string> items;
        for (HWND window : TopLevelWindows()) items.push_back(WindowJson(window));
        return Array(items);
    }
    if (query == L"find") {
        need(2);
        return WindowJson(FindWindowW(args[1].c_str(), args.size() > 2 ? args[2].c_str() : nullptr));
    }
    if (query == L"foreground") return WindowJson(GetForegroundWindow());
    if (query == L"focus") return FocusJson();
    if (query == L"children") {
        need(2);
        return ChildrenJson(FindTop(args[1]));
    }
    if (query == L"click") {
        need(3);
        const HWND control = SelectChild(FindTop(args[1]), args[2]);
        return Json(PostMessageW(control, BM_CLICK, 0, 0) != FALSE);
    }
    if (query == L"contextmenu") {
        need(2);
        const HWND top = FindTop(args[1]);
        const HWND target = args.size() > 2 ? SelectChild(top, args[2]) : top;
        RECT rect{};
        GetWindowRect(target, &rect);
        const LPARAM at = MAKELPARAM(rect.left + 3, rect.top + 3);
        return Json(PostMessageW(target, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), at) != FALSE);
    }
    if (query == L"msgbox") return MessageBoxJson(FindMessageBox());
    if (query == L"msgbox-ok") {
        const HWND box = FindMessageBox();
        const HWND ok = box ? GetDlgItem(box, IDOK) : nullptr;
        if (!ok) return Json(false);
        return Json(PostMessageW(ok, BM_CLICK, 0, 0) != FALSE);
    }
    if (query == L"pixel") {
        need(3);
        return PixelJson(Number(args[1]), Number(args[2]));
    }
    if (query == L"client-pixel") {
        need(4);
        POINT at{Number(args[2]), Number(args[3])};
        ClientToScreen(FindTop(args[1]), &at);
        return PixelJson(at.x, at.y);
    }
    if (query == L"key") {
        need(3);
        const auto vk = static_cast<BYTE>(Number(args[1]));
        if (args[2] == L"down" || args[2] == L"tap") SendKey(vk, true);
        if (args[2] == L"tap") Sleep(1);
        if (args[2] == L"up" || args[2] == L"tap") SendKey(vk, false);
        return Json(true);
    }
    if (query == L"keys") {
        need(2);
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::wstring& step = args[i];
            const auto colon = step.find(L':');
            const std::wstring head = step.substr(0, colon);
            const std::wstring tail = colon == std::wstring::npos ? std::wstring() : step.substr(colon + 1);
            if (head == L"sleep") {
                Sleep(static_cast<DWORD>(Number(tail)));
                continue;
            }
            const auto vk = static_cast<BYTE>(Number(head));
            if (tail.empty() || tail == L"down") SendKey(vk, true);
            if (tail.empty()) Sleep(1);
            if (tail.empty() || tail == L"up") SendKey(vk, false);
        }
        return Json(true);
    }
    if (query == L"minimize") {
        need(2);
        return Json(ShowWindowAsync(FindTop(args[1]), SW_MINIMIZE) != FALSE);
    }
    if (query == L"endsession") {
        need(2);
        const HWND window = FindTop(args[1]);
        DWORD_PTR agreed = 0;
        if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                 kSendTimeoutMs, &agreed))
            return "null";
        // The process may end inside this call: its answer does not matter.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_ENDSESSION, agreed ? TRUE : FALSE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                            kSendTimeoutMs, &ignored);
        return Json(agreed != 0);
    }
    if (query == L"close") {
        need(2);
        int closed = 0;
        for (HWND window : TopLevelWindows())
            if (ClassOf(window) == args[1] && PostMessageW(window, WM_CLOSE, 0, 0)) ++closed;
        return Json(closed);
    }
    if (query == L"front") {
        need(2);
        return Json(SetForegroundWindow(FindTop(args[1])) != FALSE);
    }
    if (query == L"settext") {
        need(4);
        const HWND control = SelectChild(FindTop(args[1]), args[2]);
        DWORD_PTR result = 0;
        return Json(SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[3].c_str()),
                                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0);
    }
    if (query == L"watch") {
        need(3);
        Watch(args[1], static_cast<DWORD>(Number(args[2])));
        return "null";
    }
    if (query == L"listbox") {
        need(2);
        return ListBoxJson(FindTop(args[1]));
    }
    if (query == L"command") {
        need(3);
        return Json(PostMessageW(FindTop(args[1]), WM_COMMAND, MAKEWPARAM(Number(args[2]), 0), 0) != FALSE);
    }
    if (query == L"syscommand") {
        // What the system menu's items send, e.g. SC_CLOSE (0xF060).
        need(3);
        return Json(PostMessageW(FindTop(args[1]), WM_SYSCOMMAND, static_cast<WPARAM>(Number(args[2])), 0) !=
                    FALSE);
    }
    if (query == L"endsession") {
        // As the system does at log-off: ask, then tell. A program that ends while handling the
        // second message leaves it unanswered.
        need(2);
        const HWND window = FindTop(args[1]);
        DWORD_PTR agreed = 0;
        const bool asked = SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                               kSendTimeoutMs, &agreed) != 0;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_ENDSESSION, asked && agreed, ENDSESSION_LOGOFF, SMTO_NORMAL,
                            kSendTimeoutMs, &ignored);
        return Json(asked && agreed != 0);
    }
    if (query == L"errortext") {
        need(2);
        return SystemText(static_cast<DWORD>(std::wcstoul(args[1].c_str(), nullptr, 0)));
    }
    throw UsageError(std::string("unknown query ").append(Utf8(query)));
}

}  // namespace

int main() {
    int argc = 0;
    const ArgvPtr argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv.get()[i]);
    try {
        PrintLine(Run(args));
        // An answer that could not be written is no answer: say so by the exit code.
        return std::ferror(stdout) ? 3 : 0;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "probe: %s\n", e.text().c_str());
        return 2;
    }
}
