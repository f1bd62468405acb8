// A stand-in for the CAD host in the end-to-end tests: top-level windows on demand, an automation
// server registered in the running object table, and a line protocol through two files in a
// control folder. A driver appends commands to commands.txt and waits for lines in log.txt.
//
// Besides `fail <member>`, two commands make the host fault inside a client's call, so that a
// client's handling of a host that dies or hangs mid-call can be exercised:
//   die <member>         the next call of that member (after its `call` event is logged) ends the
//                        host process at once with exit code 86, without replying: the client's
//                        call is in flight when the host goes. `die off` cancels it.
//   stall <member> <ms>  every call of that member (after its `call` event is logged) holds the
//                        host's only thread in Sleep for <ms> milliseconds, pumping no messages and
//                        reading no commands, and then answers as usual. `stall off` ends it.
// The member name is compared without regard to case, as `fail` does.
//
// A host whose UI thread stops answering outside any automation call (a long regeneration):
//   hang <ms>            holds the thread in Sleep for <ms> milliseconds at once: no window
//                        message, no call and no command is handled meanwhile. `hanging <ms>` is
//                        logged before, the command's `ok` after.
//   hang <ms> after <member>  the same, right after the next call of that member has answered.
//   ime 0|1              the open status the host's windows report to WM_IME_CONTROL (as a
//                        default IME window would); each IMC_GETOPENSTATUS is logged as
//                        `ime get <status>`, each IMC_SETOPENSTATUS as `ime set <lParam>`.
//
// A busy host that refuses calls, and a host member that fails with a text of its own:
//   refuse <ms> [call]   for the next <ms> milliseconds every incoming call is refused at once
//                        (the host's message filter answers SERVERCALL_REJECTED), as a host in a
//                        modal state does; with `call` (e.g. IDispatch.Invoke) only calls of that
//                        name. Each refusal is logged as `refused <interface.method> <tick count
//                        in ms>`. `refuse off` ends it early.
//   refuse-next <ms> [call]  the same refusal, started by the next incoming call (of that name)
//                        instead of now, that call refused too: a caller whose call comes late on a
//                        loaded machine still meets the busy host.
//   fail <member> [text] every call of that member fails with DISP_E_EXCEPTION; the description is
//                        the text when given. `fail off` ends it.
//
// A file another program has open, as an editor or a sync client keeps it:
//   hold <path>          opens the file for reading and writing, sharing reading only, and keeps
//                        it open; `release` closes it.
//
// The host's main windows (class "Afx:...") show for a person what the host is and does: busy or
// idle (click the box to switch), whether the automation object is published, the open drawings,
// the keys and calls it received last.
#include <windows.h>
// The COM and shell headers build on the declarations above.
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "host_objects.h"

namespace {

using Microsoft::WRL::ComPtr;
using test_host::DispatchObject;
using test_host::HostModel;

constexpr UINT kPollMilliseconds = 20;
constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 300;
constexpr wchar_t kProgIdStem[] = L"Vexo.Application.";
// WM_IME_CONTROL's commands; MinGW's headers lack them.
constexpr WPARAM kImcGetOpenStatus = 5;
constexpr WPARAM kImcSetOpenStatus = 6;

std::wstring Widen(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::vector<std::wstring> SplitFields(const std::wstring& line) {
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
        if (tab == std::wstring::npos) return fields;
        start = tab + 1;
    }
}

std::wstring HexCode(HRESULT hr) {
    wchar_t text[16];
    wsprintfW(text, L"0x%08X", static_cast<unsigned>(hr));
    return text;
}

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr) CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct WindowDestroyer {
    void operator()(HWND window) const noexcept {
        if (IsWindow(window)) DestroyWindow(window);
    }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// A failed command: its text goes to the log as the third field of the error line.
struct CommandError {
    std::wstring text;
};

// Refuses every incoming call while a deadline lies ahead, as a host busy in a modal loop does.
class RefusingFilter final : public IMessageFilter {
  public:
    std::function<void(const std::vector<std::wstring>&)> log;

    void RefuseFor(DWORD milliseconds, std::wstring onlyCall = {}) {
        refuseUntil_ = GetTickCount64() + milliseconds;
        onlyCall_ = std::move(onlyCall);
    }
    void RefuseFromNextCall(DWORD milliseconds, std::wstring onlyCall = {}) {
        refuseUntil_ = 0;
        armedMs_ = milliseconds;
        onlyCall_ = std::move(onlyCall);
    }
    void StopRefusing() {
        refuseUntil_ = 0;
        armedMs_.reset();
    }
    [[nodiscard]] ULONGLONG RefusingLeft() const {
        const ULONGLONG now = GetTickCount64();
        return refuseUntil_ > now ? refuseUntil_ - now : 0;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IMessageFilter) return E_NOINTERFACE;
        *object = static_cast<IMessageFilter*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) override {
        if (RefusingLeft() == 0 && !armedMs_) return SERVERCALL_ISHANDLED;
        const std::wstring call = CallName(info);
        if (!onlyCall_.empty() && call != onlyCall_) return SERVERCALL_ISHANDLED;
        if (armedMs_) {
            refuseUntil_ = GetTickCount64() + *armedMs_;
            armedMs_.reset();
        }
        // With the host's clock, so that a driver can tell how long a caller kept trying.
        if (log) log({L"refused", call, std::to_wstring(GetTickCount64())});
        return SERVERCALL_REJECTED;
    }
    // The host makes no calls of its own; these belong to a caller's side.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

  private:
    static std::wstring CallName(LPINTERFACEINFO info) {
        if (info == nullptr) return L"?";
        static const GUID kRemUnknown = {0x00000131, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
        static const wchar_t* const kDispatchMethods[] = {
            L"QueryInterface", L"AddRef",        L"Release", L"GetTypeInfoCount",
            L"GetTypeInfo",    L"GetIDsOfNames", L"Invoke"};
        static const wchar_t* const kRemUnknownMethods[] = {
            L"QueryInterface", L"AddRef", L"Release", L"RemQueryInterface", L"RemAddRef", L"RemRelease"};
        const WORD method = info->wMethod;
        if (info->iid == IID_IDispatch && method < std::size(kDispatchMethods)) {
            return std::wstring(L"IDispatch.") + kDispatchMethods[method];
        }
        if (info->iid == kRemUnknown && method < std::size(kRemUnknownMethods)) {
            return std::wstring(L"IRemUnknown.") + kRemUnknownMethods[method];
        }
        wchar_t iid[40] = {};
        StringFromGUID2(info->iid, iid, 40);
        return std::wstring(iid) + L"." + std::to_wstring(method);
    }

    std::atomic<ULONG> references_{1};
    ULONGLONG refuseUntil_ = 0;
    std::optional<DWORD> armedMs_;
    std::wstring onlyCall_;
};

class TestHost {
  public:
    TestHost(HINSTANCE instance, std::wstring controlDir);
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;
    ~TestHost();

    [[nodiscard]] bool Start();
    void Log(const std::vector<std::wstring>& fields);
    // Holds the UI thread, as a host busy in a long operation does.
    void Freeze(DWORD milliseconds);
    // The freeze that `hang <ms> after <member>` asked for, posted to the thread as this message.
    static constexpr UINT kFreezeMessage = WM_APP + 1;
    void FreezeAsAsked() { Freeze(freezeMilliseconds_); }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK PollTimer(HWND, UINT, UINT_PTR, DWORD);

    void Poll();
    void Handle(const std::vector<std::wstring>& fields);
    HWND WindowById(const std::wstring& id);
    std::wstring IdOf(HWND window) const;
    void CreateHostWindow(const std::wstring& id, const std::wstring& className, const std::wstring& title);
    void SetAutomation(const std::wstring& digits);
    void RevokeAutomation();
    void SetDrawings(const std::vector<std::wstring>& fields);
    [[nodiscard]] std::int64_t ReportedWindow();
    [[nodiscard]] long ExternalApplicationReferences() const;
    void DestroyWindows();
    void Exit();
    // What a person sees in the host's main windows.
    void NotePanelEvent(const std::vector<std::wstring>& fields);
    void RefreshPanels();
    void PaintPanel(HWND window);
    void ClickPanel(HWND window, POINT at);
    [[nodiscard]] static bool ShowsPanel(HWND window);

    HINSTANCE instance_;
    std::wstring controlDir_;
    UniqueHandle log_;
    std::uint64_t commandsRead_ = 0;
    std::string pending_;  // a command line whose end has not been written yet
    UINT_PTR timer_ = 0;

    std::map<std::wstring, UniqueWindow> windows_;
    std::set<std::wstring> classes_;
    std::wstring firstWindowId_;
    std::wstring reportedWindowId_;
    std::optional<std::int64_t> reportedRawWindow_;

    HostModel model_;
    ComPtr<DispatchObject> application_;
    DWORD registration_ = 0;

    ComPtr<RefusingFilter> filter_;
    std::wstring publishedProgId_;
    std::deque<std::wstring> lastKeys_;
    std::deque<std::wstring> lastCalls_;
    bool panelShowedRefusing_ = false;
    DWORD freezeMilliseconds_ = 0;
    bool imeOpen_ = false;
    UniqueHandle held_;  // the file of `hold`
};

TestHost* g_host = nullptr;  // the timer callback and the window procedure find the host here

TestHost::TestHost(HINSTANCE instance, std::wstring controlDir)
    : instance_(instance), controlDir_(std::move(controlDir)) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    model_.fullName.assign(path, length);
    model_.log = [this](const std::vector<std::wstring>& fields) { Log(fields); };
    model_.reportedWindow = [this] { return ReportedWindow(); };
    model_.freezeSoon = [] { PostThreadMessageW(GetCurrentThreadId(), kFreezeMessage, 0, 0); };
    application_.Attach(test_host::CreateApplication(model_));
}

TestHost::~TestHost() {
    RevokeAutomation();
    if (timer_ != 0) KillTimer(nullptr, timer_);
    DestroyWindows();
    // Clients in other processes may still hold references; cut them off before COM goes.
    CoDisconnectObject(static_cast<IDispatch*>(application_.Get()), 0);
    application_.Reset();
}

bool TestHost::Start() {
    const std::wstring logPath = controlDir_ + L"\\log.txt";
    log_.reset(CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (log_.get() == INVALID_HANDLE_VALUE) {
        log_.release();
        return false;
    }
    filter_.Attach(new RefusingFilter);
    filter_->log = [this](const std::vector<std::wstring>& fields) { Log(fields); };
    CoRegisterMessageFilter(filter_.Get(), nullptr);
    timer_ = SetTimer(nullptr, 0, kPollMilliseconds, &TestHost::PollTimer);
    Log({L"ready"});
    return timer_ != 0;
}

void TestHost::Log(const std::vector<std::wstring>& fields) {
    std::wstring line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) line += L'\t';
        line += fields[i];
    }
    const std::string bytes = Narrow(line) + "\n";
    DWORD written = 0;
    // One write per line with no buffering in between, so a reader never sees half an event.
    WriteFile(log_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    NotePanelEvent(fields);
}

void TestHost::Freeze(DWORD milliseconds) {
    Log({L"hanging", std::to_wstring(milliseconds)});
    Sleep(milliseconds);
}

void CALLBACK TestHost::PollTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_host != nullptr) g_host->Poll();
}

void TestHost::Poll() {
    if ((filter_->RefusingLeft() != 0) != panelShowedRefusing_) RefreshPanels();
    const std::wstring path = controlDir_ + L"\\commands.txt";
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return;
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    if (total < commandsRead_) {
        // The driver started a new file; read it from its beginning.
        commandsRead_ = 0;
        pending_.clear();
    }
    if (total == commandsRead_) return;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(commandsRead_);
    SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN);
    std::string chunk(static_cast<std::size_t>(total - commandsRead_), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) return;
    file.reset();
    chunk.resize(read);
    commandsRead_ += read;
    pending_ += chunk;

    // Commands may change the windows and so dispatch messages; take the lines out first.
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = pending_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        if (!line.empty()) lines.push_back(Widen(line));
    }
    pending_.erase(0, start);
    for (const std::wstring& line : lines) {
        const std::vector<std::wstring> fields = SplitFields(line);
        try {
            Handle(fields);
            Log({L"ok", fields[0]});
        } catch (const CommandError& error) {
            Log({L"error", fields[0], error.text});
        }
        if (fields[0] == L"exit") {
            PostQuitMessage(0);
            return;
        }
    }
}

void RequireFields(const std::vector<std::wstring>& fields, std::size_t count) {
    if (fields.size() < count) throw CommandError{L"missing argument"};
}

std::int64_t ParseInteger(const std::wstring& text) {
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used, 10);
        if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    throw CommandError{L"not an integer: " + text};
}

void TestHost::Handle(const std::vector<std::wstring>& fields) {
    const std::wstring& command = fields[0];
    if (command == L"window") {
        RequireFields(fields, 3);
        CreateHostWindow(fields[1], fields[2], fields.size() > 3 ? fields[3] : std::wstring());
    } else if (command == L"title") {
        RequireFields(fields, 2);
        SetWindowTextW(WindowById(fields[1]), fields.size() > 2 ? fields[2].c_str() : L"");
    } else if (command == L"close") {
        RequireFields(fields, 2);
        WindowById(fields[1]);
        // Out of the table before it goes, so that WM_NCDESTROY finds nothing to forget.
        auto closing = windows_.extract(fields[1]);
        closing.mapped().reset();
    } else if (command == L"minimize") {
        RequireFields(fields, 2);
        ShowWindow(WindowById(fields[1]), SW_MINIMIZE);
    } else if (command == L"restore") {
        RequireFields(fields, 2);
        ShowWindow(WindowById(fields[1]), SW_RESTORE);
    } else if (command == L"front") {
        RequireFields(fields, 2);
        const HWND window = WindowById(fields[1]);
        SetForegroundWindow(window);
        SetActiveWindow(window);
    } else if (command == L"automation") {
        RequireFields(fields, 2);
        if (fields[1] == L"off") {
            RevokeAutomation();
        } else {
            SetAutomation(fields[1]);
        }
    } else if (command == L"busy") {
        RequireFields(fields, 2);
        model_.busy = ParseInteger(fields[1]) != 0;
    } else if (command == L"docs") {
        RequireFields(fields, 2);
        SetDrawings(fields);
    } else if (command == L"fullname") {
        RequireFields(fields, 2);
        model_.fullName = fields[1];
    } else if (command == L"hwnd") {
        RequireFields(fields, 2);
        if (fields[1] == L"raw") {
            RequireFields(fields, 3);
            reportedRawWindow_ = ParseInteger(fields[2]);
        } else {
            WindowById(fields[1]);
            reportedRawWindow_.reset();
            reportedWindowId_ = fields[1];
        }
    } else if (command == L"fail") {
        RequireFields(fields, 2);
        if (fields[1] == L"off") {
            model_.failingMember.reset();
        } else {
            model_.failingMember = fields[1];
        }
        model_.failingDescription = fields.size() > 2 ? fields[2] : std::wstring();
    } else if (command == L"refuse" || command == L"refuse-next") {
        RequireFields(fields, 2);
        if (fields[1] == L"off") {
            filter_->StopRefusing();
        } else {
            const std::int64_t milliseconds = ParseInteger(fields[1]);
            if (milliseconds < 0 || milliseconds > 600000) throw CommandError{L"out of range: " + fields[1]};
            std::wstring onlyCall = fields.size() > 2 ? fields[2] : std::wstring();
            if (command == L"refuse") {
                filter_->RefuseFor(static_cast<DWORD>(milliseconds), std::move(onlyCall));
            } else {
                filter_->RefuseFromNextCall(static_cast<DWORD>(milliseconds), std::move(onlyCall));
            }
        }
    } else if (command == L"die") {
        RequireFields(fields, 2);
        if (fields[1] == L"off") {
            model_.dyingMember.reset();
        } else {
            model_.dyingMember = fields[1];
        }
    } else if (command == L"stall") {
        RequireFields(fields, 2);
        if (fields[1] == L"off") {
            model_.stallingMember.reset();
        } else {
            RequireFields(fields, 3);
            const std::int64_t milliseconds = ParseInteger(fields[2]);
            if (milliseconds < 0 || milliseconds > 600000) throw CommandError{L"out of range: " + fields[2]};
            model_.stallingMember = fields[1];
            model_.stallMilliseconds = static_cast<std::uint32_t>(milliseconds);
        }
    } else if (command == L"hold") {
        RequireFields(fields, 2);
        UniqueHandle file(CreateFileW(fields[1].c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            throw CommandError{L"cannot open " + fields[1] + L": " + std::to_wstring(GetLastError())};
        }
        held_ = std::move(file);
    } else if (command == L"release") {
        held_.reset();
    } else if (command == L"hang") {
        RequireFields(fields, 2);
        const std::int64_t milliseconds = ParseInteger(fields[1]);
        if (milliseconds < 0 || milliseconds > 600000) throw CommandError{L"out of range: " + fields[1]};
        if (fields.size() > 2) {
            if (fields[2] != L"after") throw CommandError{L"expected after: " + fields[2]};
            RequireFields(fields, 4);
            model_.freezingAfterMember = fields[3];
            freezeMilliseconds_ = static_cast<DWORD>(milliseconds);
        } else {
            Freeze(static_cast<DWORD>(milliseconds));
        }
    } else if (command == L"ime") {
        RequireFields(fields, 2);
        imeOpen_ = ParseInteger(fields[1]) != 0;
    } else if (command == L"refs") {
        Log({L"refs", std::to_wstring(model_.liveObjects + ExternalApplicationReferences()),
             std::to_wstring(model_.liveObjects), std::to_wstring(ExternalApplicationReferences())});
    } else if (command == L"exit") {
        Exit();
        CoRegisterMessageFilter(nullptr, nullptr);
    } else {
        throw CommandError{L"unknown command"};
    }
}

HWND TestHost::WindowById(const std::wstring& id) {
    const auto found = windows_.find(id);
    if (found == windows_.end()) throw CommandError{L"no window " + id};
    return found->second.get();
}

std::wstring TestHost::IdOf(HWND window) const {
    for (const auto& [id, owned] : windows_) {
        if (owned.get() == window) return id;
    }
    return {};
}

void TestHost::CreateHostWindow(const std::wstring& id, const std::wstring& className,
                                const std::wstring& title) {
    if (windows_.count(id) != 0) throw CommandError{L"window exists: " + id};
    if (classes_.count(className) == 0) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &TestHost::WindowProc;
        windowClass.hInstance = instance_;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = className.c_str();
        if (RegisterClassExW(&windowClass) == 0) {
            throw CommandError{L"RegisterClassExW failed: " + std::to_wstring(GetLastError())};
        }
        classes_.insert(className);
    }
    UniqueWindow window(CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW,
                                        CW_USEDEFAULT, CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr,
                                        nullptr, instance_, nullptr));
    if (!window) throw CommandError{L"CreateWindowExW failed: " + std::to_wstring(GetLastError())};
    const HWND handle = window.get();
    windows_.emplace(id, std::move(window));
    if (firstWindowId_.empty()) firstWindowId_ = id;
    ShowWindow(handle, SW_SHOWNORMAL);
    UpdateWindow(handle);
}

LRESULT CALLBACK TestHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TestHost* host = g_host;
    if (host == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            host->Log({L"key", L"down", std::to_wstring(wParam)});
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            host->Log({L"key", L"up", std::to_wstring(wParam)});
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                // Windows being torn down are already out of the table and have no id to report.
                const std::wstring id = host->IdOf(window);
                if (!id.empty()) host->Log({L"foreground", id});
            }
            break;
        case WM_IME_CONTROL:
            if (wParam == kImcGetOpenStatus) {
                host->Log({L"ime", L"get", host->imeOpen_ ? L"1" : L"0"});
                return host->imeOpen_ ? 1 : 0;
            }
            if (wParam == kImcSetOpenStatus) {
                host->imeOpen_ = lParam != 0;
                host->Log({L"ime", L"set", std::to_wstring(lParam)});
                return 0;
            }
            break;
        case WM_PAINT:
            if (ShowsPanel(window)) {
                host->PaintPanel(window);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
            if (ShowsPanel(window))
                host->ClickPanel(
                    window, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            break;
        case WM_NCDESTROY: {
            // Closed from outside (the system menu, a WM_CLOSE): forget it without destroying again.
            const std::wstring id = host->IdOf(window);
            if (!id.empty()) {
                auto found = host->windows_.find(id);
                (void)found->second.release();
                host->windows_.erase(found);
            }
            break;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TestHost::SetAutomation(const std::wstring& digits) {
    RevokeAutomation();
    const std::wstring progId = kProgIdStem + digits;
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) throw CommandError{L"CLSIDFromProgID(" + progId + L") " + HexCode(hr)};
    // Weak on purpose: a strong entry holds a connection of its own for as long as it exists,
    // which hides whether any client still holds the object. Weak, the marshaller reports the
    // first client reference and the release of the last one, which is what `refs` needs; the
    // host keeps the object alive itself.
    hr = RegisterActiveObject(static_cast<IDispatch*>(application_.Get()), clsid, ACTIVEOBJECT_WEAK,
                              &registration_);
    if (FAILED(hr)) {
        registration_ = 0;
        throw CommandError{L"RegisterActiveObject " + HexCode(hr)};
    }
    publishedProgId_ = progId;
    RefreshPanels();
}

void TestHost::RevokeAutomation() {
    if (registration_ == 0) return;
    RevokeActiveObject(registration_, nullptr);
    registration_ = 0;
    publishedProgId_.clear();
    RefreshPanels();
}

long TestHost::ExternalApplicationReferences() const {
    // The object's own reference count cannot tell: the marshaller keeps its interface stubs
    // (and their references) for as long as the object is registered, and the references of
    // clients live in the marshaller alone. What it does report are connections.
    return model_.applicationConnections;
}

void TestHost::SetDrawings(const std::vector<std::wstring>& fields) {
    const auto active = static_cast<int>(ParseInteger(fields[1]));
    model_.drawings.clear();
    for (std::size_t i = 2; i < fields.size(); ++i) {
        model_.drawings.push_back(std::make_shared<test_host::Drawing>(test_host::Drawing{fields[i]}));
    }
    model_.activeIndex = active;
}

std::int64_t TestHost::ReportedWindow() {
    if (reportedRawWindow_) return *reportedRawWindow_;
    const std::wstring& id = reportedWindowId_.empty() ? firstWindowId_ : reportedWindowId_;
    const auto found = windows_.find(id);
    if (found == windows_.end()) return 0;
    return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(found->second.get()));
}

void TestHost::DestroyWindows() {
    // Moved out first: WM_NCDESTROY looks windows up in the table while they are destroyed.
    auto closing = std::move(windows_);
    windows_.clear();
    closing.clear();
}

void TestHost::Exit() {
    RevokeAutomation();
    DestroyWindows();
}

// ---- What a person sees in the host's main windows -----------------------------------------

constexpr std::size_t kPanelHistory = 6;
constexpr RECT kBusyBox = {10, 34, 230, 62};

std::wstring KeyName(const std::wstring& code) {
    if (code == L"119") return L"F8";
    if (code == L"120") return L"F9";
    if (code == L"16") return L"Shift";
    if (code == L"17") return L"Ctrl";
    return L"key " + code;
}

void Remember(std::deque<std::wstring>& history, std::wstring entry) {
    history.push_back(std::move(entry));
    while (history.size() > kPanelHistory) history.pop_front();
}

std::wstring Joined(const std::deque<std::wstring>& items) {
    std::wstring text;
    for (const std::wstring& item : items) text += (text.empty() ? L"" : L", ") + item;
    return text.empty() ? L"none yet" : text;
}

bool TestHost::ShowsPanel(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return std::wstring_view(name).substr(0, 4) == L"Afx:";
}

void TestHost::NotePanelEvent(const std::vector<std::wstring>& fields) {
    const std::wstring& kind = fields[0];
    if (kind == L"key" && fields.size() >= 3) {
        Remember(lastKeys_, KeyName(fields[2]) + L" " + fields[1]);
    } else if ((kind == L"call" || kind == L"activated") && fields.size() >= 2) {
        Remember(lastCalls_, kind == L"call" ? fields[1] : L"activated " + fields[1]);
    } else if (kind == L"refused" && fields.size() >= 2) {
        Remember(lastCalls_, L"REFUSED " + fields[1]);
    }
    RefreshPanels();
}

void TestHost::RefreshPanels() {
    panelShowedRefusing_ = filter_ && filter_->RefusingLeft() != 0;
    for (const auto& [id, window] : windows_) {
        if (ShowsPanel(window.get())) InvalidateRect(window.get(), nullptr, TRUE);
    }
}

void TestHost::ClickPanel(HWND, POINT at) {
    if (!PtInRect(&kBusyBox, at)) return;
    model_.busy = !model_.busy;
    Log({L"clicked", L"busy", model_.busy ? L"1" : L"0"});
}

void TestHost::PaintPanel(HWND window) {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    const HFONT font =
        CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    const HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));

    RECT line{10, 8, client.right - 10, 30};
    DrawTextW(dc, L"test_host.exe: a stand-in for the CAD host", -1, &line, DT_LEFT | DT_SINGLELINE);

    // Amber while a command runs, so that a Shift tap in this window becomes F8.
    const HBRUSH fill = CreateSolidBrush(model_.busy ? RGB(255, 200, 60) : RGB(210, 230, 210));
    FillRect(dc, &kBusyBox, fill);
    DeleteObject(fill);
    FrameRect(dc, &kBusyBox, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT box = kBusyBox;
    DrawTextW(dc, model_.busy ? L"BUSY: a command runs" : L"IDLE: waits for a command", -1, &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RECT hint{kBusyBox.right + 8, kBusyBox.top, client.right - 10, kBusyBox.bottom};
    SetTextColor(dc, RGB(90, 90, 90));
    DrawTextW(dc, L"click to switch", -1, &hint, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, RGB(0, 0, 0));

    std::wstring drawings;
    for (std::size_t i = 0; i < model_.drawings.size(); ++i) {
        if (!drawings.empty()) drawings += L", ";
        drawings += model_.drawings[i]->name;
        if (static_cast<int>(i) == model_.activeIndex) drawings += L" (active)";
    }
    std::wstring faults;
    if (filter_ && filter_->RefusingLeft() != 0) faults += L"refusing every call (busy in a dialog); ";
    if (model_.stallingMember) {
        faults += L"hangs " + std::to_wstring(model_.stallMilliseconds) + L" ms in " +
                  *model_.stallingMember + L"; ";
    }
    if (model_.failingMember) faults += L"fails " + *model_.failingMember + L"; ";
    if (model_.dyingMember) faults += L"dies in " + *model_.dyingMember + L"; ";
    const std::wstring text =
        L"Automation: " +
        (publishedProgId_.empty() ? std::wstring(L"not published") : publishedProgId_ + L" published") +
        L"\nFaults: " + (faults.empty() ? std::wstring(L"none") : faults) + L"\nDrawings: " +
        (drawings.empty() ? std::wstring(L"none open") : drawings) + L"\nKeys received: " +
        Joined(lastKeys_) + L"\nCalls answered: " + Joined(lastCalls_);
    RECT body{10, kBusyBox.bottom + 10, client.right - 10, client.bottom - 6};
    DrawTextW(dc, text.c_str(), -1, &body, DT_LEFT | DT_WORDBREAK);

    SelectObject(dc, oldFont);
    DeleteObject(font);
    EndPaint(window, &paint);
}

struct ComApartment {
    HRESULT result = CoInitialize(nullptr);
    ComApartment() = default;
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
};

struct ArgumentList {
    int count = 0;
    wchar_t** values = CommandLineToArgvW(GetCommandLineW(), &count);
    ArgumentList() = default;
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    ~ArgumentList() { LocalFree(values); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    std::wstring controlDir;
    {
        const ArgumentList arguments;
        if (arguments.values == nullptr) return 2;
        if (arguments.count >= 2) {
            controlDir = arguments.values[1];
        } else {
            // Started without arguments (as the program launches a registered executable): the
            // folder of the executable is the control folder, so a driver can still see the start.
            wchar_t module[MAX_PATH] = {};
            const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
            if (length == 0 || length >= MAX_PATH) return 2;
            controlDir.assign(module, length);
            const auto slash = controlDir.find_last_of(L"\\/");
            if (slash == std::wstring::npos) return 2;
            controlDir.resize(slash);
        }
    }
    while (!controlDir.empty() && (controlDir.back() == L'\\' || controlDir.back() == L'/')) {
        controlDir.pop_back();
    }
    const ComApartment apartment;
    if (FAILED(apartment.result)) return 3;
    int exitCode = 0;
    {
        TestHost host(instance, controlDir);
        g_host = &host;
        if (!host.Start()) {
            g_host = nullptr;
            return 4;
        }
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == TestHost::kFreezeMessage) {
                host.FreezeAsAsked();
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        exitCode = static_cast<int>(message.wParam);
        g_host = nullptr;
    }
    return exitCode;
}
