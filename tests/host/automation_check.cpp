// Drives the automation binding against a running test host in another process: start the host
// with a fresh control folder, steer it through its command file, and call it as the program
// would. One line per check, a summary, and a non-zero exit code when anything failed.
//
//   automation_check.exe <test_host.exe> <control folder>
#include <windows.h>
// The COM headers build on the declarations above.
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/automation.h"
#include "platform/unique_handle.h"
#include "platform/wide.h"
#include "tests/check_report.h"

namespace {

using namespace std::chrono_literals;
using zo::Text;

constexpr auto kDeadline = 10s;
constexpr wchar_t kHostWindowClass[] = L"ZoCheckHostFrame";
constexpr char16_t kRegistered[] = u"Vexo.Application.24";
constexpr char16_t kRegisteredIdle[] = u"Vexo.Application.20";
constexpr char16_t kUnregistered[] = u"Vexo.Application.99";

using zo::check::Report;

std::string Utf8(const Text& text) { return zo::ToUtf8(text); }

std::string Hex(std::int32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

// Runs `body` and reports whether it threw a zo::Error that satisfies `expect`.
void ExpectError(const std::string& name, const std::function<void()>& body,
                 const std::function<std::string(const zo::Error&)>& expect) {
    try {
        body();
        Report(name, false, "no error raised");
    } catch (const zo::Error& error) {
        const std::string problem = expect(error);
        Report(name, problem.empty(),
               (problem.empty() ? std::string() : problem + "; ") + Hex(error.hresult()) + " \"" +
                   Utf8(error.text()) + "\"");
    }
}

// The test host in its own process, steered through its control folder.
class HostProcess {
  public:
    HostProcess(const std::wstring& executable, std::wstring folder) : folder_(std::move(folder)) {
        CreateDirectoryW(folder_.c_str(), nullptr);
        DeleteFileW((folder_ + L"\\commands.txt").c_str());
        DeleteFileW((folder_ + L"\\log.txt").c_str());
        std::wstring commandLine = L"\"" + executable + L"\" \"" + folder_ + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info)) {
            throw std::runtime_error("cannot start the test host");
        }
        process_.reset(info.hProcess);
        CloseHandle(info.hThread);
    }
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;
    ~HostProcess() {
        try {
            Send(L"exit");
        } catch (const std::exception&) {
            // The host is gone already or cannot be told; it is ended below either way.
        }
        if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 1);
        }
    }

    // Appends one command and waits until the host has answered it; returns its answer line.
    std::wstring Command(const std::wstring& line) {
        Send(line);
        const std::wstring first = line.substr(0, line.find(L'\t'));
        const auto answer = WaitForLine([&](const std::wstring& logged) {
            return logged == L"ok\t" + first || logged.rfind(L"error\t" + first + L"\t", 0) == 0;
        });
        if (!answer) throw std::runtime_error("the test host did not answer " + Utf8(zo::FromWide(line)));
        return *answer;
    }

    // The first log line after the last one consumed that satisfies `match`, or none by the
    // deadline. Lines before it are consumed too.
    std::optional<std::wstring> WaitForLine(const std::function<bool(const std::wstring&)>& match) {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        do {
            const std::vector<std::wstring> lines = ReadLog();
            for (std::size_t i = consumed_; i < lines.size(); ++i) {
                if (match(lines[i])) {
                    consumed_ = i + 1;
                    return lines[i];
                }
            }
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < until);
        return std::nullopt;
    }

    // The host's count of live automation objects, from its `refs` event.
    long References() {
        Send(L"refs");
        const auto line =
            WaitForLine([](const std::wstring& logged) { return logged.rfind(L"refs\t", 0) == 0; });
        if (!line) throw std::runtime_error("no refs answer");
        return std::stol(line->substr(5));
    }

  private:
    void Send(const std::wstring& line) {
        const std::string bytes = Utf8(zo::FromWide(line)) + "\n";
        zo::UniqueKernelHandle file(CreateFileW((folder_ + L"\\commands.txt").c_str(), FILE_APPEND_DATA,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file.get() == INVALID_HANDLE_VALUE) {
            (void)file.release();
            throw std::runtime_error("cannot write the command file");
        }
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    std::vector<std::wstring> ReadLog() {
        std::vector<std::wstring> lines;
        zo::UniqueKernelHandle file(CreateFileW((folder_ + L"\\log.txt").c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            (void)file.release();
            return lines;
        }
        std::string bytes;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read != 0) {
            bytes.append(buffer, read);
        }
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = bytes.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(zo::ToWide(zo::FromUtf8(line)));
        }
        return lines;
    }

    std::wstring folder_;
    zo::UniqueKernelHandle process_;
    std::size_t consumed_ = 0;
};

void CheckAvailability(zo::ComHostAutomation& automation, HostProcess& host) {
    Report("IsRunning is false for a registered ProgID with nothing running",
           !automation.IsRunning(kRegisteredIdle));
    ExpectError(
        "Attach to a registered ProgID with nothing running fails with MK_E_UNAVAILABLE",
        [&] { (void)automation.Attach(kRegisteredIdle); },
        [](const zo::Error& e) {
            return e.hresult() == static_cast<std::int32_t>(MK_E_UNAVAILABLE) ? "" : "wrong code";
        });
    for (const char16_t* progId : {kUnregistered, u""}) {
        ExpectError(
            "IsRunning throws CO_E_CLASSSTRING with a text for \"" + Utf8(progId) + "\"",
            [&] { (void)automation.IsRunning(progId); },
            [](const zo::Error& e) -> std::string {
                if (e.hresult() != static_cast<std::int32_t>(CO_E_CLASSSTRING)) return "wrong code";
                return e.text().empty() ? "no text" : "";
            });
    }
    ExpectError(
        "Attach to an unregistered ProgID throws CO_E_CLASSSTRING",
        [&] { (void)automation.Attach(kUnregistered); },
        [](const zo::Error& e) {
            return e.hresult() == static_cast<std::int32_t>(CO_E_CLASSSTRING) ? "" : "wrong code";
        });
    host.Command(L"automation\t24");
    Report("IsRunning is true once the host registers", automation.IsRunning(kRegistered));
    Report("IsRunning stays false for another registered version", !automation.IsRunning(kRegisteredIdle));
}

void CheckApplication(zo::ComHostAutomation& automation, HostProcess& host) {
    const Text fullName = u"C:\\Program Files\\ホスト 2024\\korva.exe";
    host.Command(L"fullname\t" + zo::ToWide(fullName));
    const zo::HostObjectPtr app = automation.Attach(kRegistered);
    const Text readName = app->GetText(u"FullName");
    Report("FullName round-trips a Japanese path", readName == fullName, Utf8(readName));
    Report("the host logged the call by name",
           host.WaitForLine([](const std::wstring& l) { return l == L"call\tFullName"; }).has_value());

    const HWND window = FindWindowW(kHostWindowClass, nullptr);
    const std::int64_t reported = app->GetInteger(u"HWND");
    Report("HWND reports the host's first window",
           window != nullptr && reported == reinterpret_cast<std::intptr_t>(window),
           std::to_string(reported));
    host.Command(L"hwnd\traw\t123456789012");
    Report("HWND keeps a value beyond 32 bits", app->GetInteger(u"HWND") == 123456789012LL);

    for (const auto& [busy, quiescent] : {std::pair{L"0", true}, std::pair{L"1", false}}) {
        host.Command(std::wstring(L"busy\t") + busy);
        const bool answer = app->GetObject(u"GetAcadState")->GetBoolean(u"IsQuiescent");
        Report(std::string("IsQuiescent is ") + (quiescent ? "true" : "false") + " with busy " +
                   Utf8(zo::FromWide(busy)),
               answer == quiescent);
    }
}

void CheckDocuments(zo::ComHostAutomation& automation, HostProcess& host) {
    host.Command(L"docs\t1\ta.drw\t図面2.drw\tc.drw");
    const zo::HostObjectPtr app = automation.Attach(kRegistered);
    Report("ActiveDocument names the active drawing",
           app->GetObject(u"ActiveDocument")->GetText(u"Name") == u"図面2.drw");
    const zo::HostObjectPtr documents = app->GetObject(u"Documents");
    Report("Count is the number of drawings", documents->GetInteger(u"Count") == 3);
    const Text names[] = {u"a.drw", u"図面2.drw", u"c.drw"};
    for (std::int32_t i = 0; i < 3; ++i) {
        const Text name = documents->GetItem(i)->GetText(u"Name");
        Report("Item(" + std::to_string(i) + ") is " + Utf8(names[i]), name == names[i], Utf8(name));
    }
    ExpectError(
        "Item out of range carries the host's description", [&] { (void)documents->GetItem(3); },
        [](const zo::Error& e) { return e.text() == u"Index out of range: 3" ? "" : "wrong description"; });

    documents->GetItem(2)->CallMethod(u"Activate");
    Report("Activate is logged by the host",
           host.WaitForLine([](const std::wstring& l) { return l == L"activated\tc.drw"; }).has_value());
    Report("the activated drawing becomes the active one",
           app->GetObject(u"ActiveDocument")->GetText(u"Name") == u"c.drw");

    host.Command(L"docs\t-1\ta.drw");
    ExpectError(
        "ActiveDocument without an active drawing raises the host's exception",
        [&] { (void)app->GetObject(u"ActiveDocument"); },
        [](const zo::Error& e) {
            return dynamic_cast<const zo::HostException*>(&e) != nullptr && e.text() == u"No active document"
                       ? ""
                       : "not the host's exception";
        });
}

void CheckErrors(zo::ComHostAutomation& automation, HostProcess& host) {
    const zo::HostObjectPtr app = automation.Attach(kRegistered);
    ExpectError(
        "an unknown member's error names it", [&] { (void)app->GetText(u"Foo"); },
        [](const zo::Error& e) -> std::string {
            if (e.hresult() != static_cast<std::int32_t>(DISP_E_UNKNOWNNAME)) return "wrong code";
            return e.text().find(u"'Foo'") != Text::npos ? "" : "name missing";
        });
    ExpectError(
        "a member of another object is unknown here", [&] { (void)app->GetBoolean(u"IsQuiescent"); },
        [](const zo::Error& e) {
            return e.text().find(u"'IsQuiescent'") != Text::npos ? "" : "name missing";
        });

    host.Command(L"fail\tFullName");
    ExpectError(
        "a failing member gives the host's description, code and source",
        [&] { (void)app->GetText(u"FullName"); },
        [](const zo::Error& e) -> std::string {
            const auto* host = dynamic_cast<const zo::HostException*>(&e);
            if (host == nullptr) return "not a HostException";
            if (e.text() != u"テストホストの失敗: FullName") return "wrong description";
            if (host->source() != u"Vexo.Application") return "wrong source";
            return e.hresult() == static_cast<std::int32_t>(0x80040201) ? "" : "wrong code";
        });
    host.Command(L"fail\toff");
    Report("the member works again once the failure is off", !app->GetText(u"FullName").empty());

    ExpectError(
        "a text member read as an object is refused", [&] { (void)app->GetObject(u"FullName"); },
        [](const zo::Error&) { return std::string(); });
    ExpectError(
        "an object read as an integer is refused", [&] { (void)app->GetInteger(u"Documents"); },
        [](const zo::Error&) { return std::string(); });
}

void CheckReferences(zo::ComHostAutomation& automation, HostProcess& host) {
    Report("the earlier checks left no references behind", host.References() == 0);
    host.Command(L"docs\t0\ta.drw\tb.drw");
    {
        const zo::HostObjectPtr app = automation.Attach(kRegistered);
        const long attached = host.References();
        Report("an attached application object is counted", attached == 1, std::to_string(attached));
        const zo::HostObjectPtr state = app->GetObject(u"GetAcadState");
        const zo::HostObjectPtr documents = app->GetObject(u"Documents");
        const zo::HostObjectPtr drawing = documents->GetItem(1);
        const long held = host.References();
        Report("the state, collection and drawing are counted as well", held == 4, std::to_string(held));
    }
    const long after = host.References();
    Report("refs returns to 0 after everything is released", after == 0, std::to_string(after));

    host.Command(L"automation\toff");
    Report("IsRunning is false after the host revokes its registration", !automation.IsRunning(kRegistered));
}

struct Apartment {
    HRESULT result = CoInitialize(nullptr);
    Apartment() = default;
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    ~Apartment() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: automation_check <test_host.exe> <control folder>\n");
        return 2;
    }
    const Apartment apartment;
    try {
        HostProcess host(argv[1], argv[2]);
        if (!host.WaitForLine([](const std::wstring& l) { return l == L"ready"; })) {
            std::printf("FAIL the test host did not start\n");
            return 1;
        }
        host.Command(std::wstring(L"window\tmain\t") + kHostWindowClass + L"\tKORVA 2024");
        zo::ComHostAutomation automation;
        CheckAvailability(automation, host);
        CheckApplication(automation, host);
        CheckDocuments(automation, host);
        CheckErrors(automation, host);
        CheckReferences(automation, host);
    } catch (const std::exception& error) {
        Report("unexpected error", false, error.what());
    }
    return zo::check::Summary();
}
