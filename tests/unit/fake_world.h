#pragma once
// A recording stand-in for every port the handlers use. Each port call is appended to one ordered
// list as a readable string ("SetCaption:...", "SetForegroundWindow:0x10",
// "app.GetInteger:HWND"), so a test states a sequence the way the handler reads. Reads of the
// main window's own state (caption, lamp, toggles, version box) and single key-state reads are
// not listed; keyboard snapshots are counted in `keyboardReads`.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/settings.h"
#include "ui/ports.h"

namespace zo::fake {

[[nodiscard]] std::string Hex(std::uint64_t value);  // "0x10"
[[nodiscard]] std::string U8(TextView text);

// The scripted answers of one host automation object. Members not scripted fail the way an
// unknown name fails; members in `failing` fail the way a host refusing the call does. "Item"
// and "Activate" stand for GetItem and CallMethod.
struct HostScript {
    std::string label;
    std::map<std::string, Text> texts;
    std::map<std::string, std::int64_t> integers;
    std::map<std::string, bool> booleans;
    std::map<std::string, std::shared_ptr<HostScript>> objects;
    std::vector<std::shared_ptr<HostScript>> items;
    std::set<std::string> failing;
};
using HostScriptPtr = std::shared_ptr<HostScript>;

// An application object with HWND, GetAcadState/IsQuiescent and FullName.
[[nodiscard]] HostScriptPtr MakeHostApplication(WindowHandle hwnd, bool quiescent,
                                                Text fullName = u"C:\\Vexo\\korva.exe");
// Adds ActiveDocument and Documents to `application`; drawings are labelled "doc:<name>".
void AddDrawings(HostScript& application, const std::vector<Text>& names, Text activeName);

struct FakeWindow {
    WindowHandle handle = kNoWindow;
    Text title;
    std::optional<Text> className;
};

class FakeWorld;

class FakeMain final : public MainWindowView {
  public:
    explicit FakeMain(FakeWorld& world) : world_(world) {}
    WindowHandle handle = 0x1;
    Text caption = u"\u25A0 DI_RED 1.63";
    std::uint32_t lamp = 0xFFFFFF;
    std::map<Toggle, bool> ticked{
        {Toggle::Shift, true}, {Toggle::Ctrl, true}, {Toggle::Ime, true}, {Toggle::Off, true}};
    Text versionBox = u"2020";
    bool timerEnabled = true;
    bool closed = false;

    WindowHandle Handle() override { return handle; }
    Text Caption() override { return caption; }
    void SetCaption(TextView text) override;
    std::uint32_t Shape1Color() override { return lamp; }
    void SetShape1Color(std::uint32_t color) override;
    bool IsTicked(Toggle toggle) override { return ticked.at(toggle); }
    Text VersionBoxText() override { return versionBox; }
    void SetTimer1Enabled(bool enabled) override;
    void Close() override;
    void SetVexoexe1Caption(TextView path) override;
    void SetLeft(std::int32_t left) override;
    void SetTop(std::int32_t top) override;
    void SetVersionBoxText(TextView text) override;
    void SetTicked(Toggle toggle, bool value) override;
    void ShowInformation(TextView text) override;

  private:
    FakeWorld& world_;
};

class FakeList final : public CandidateListView {
  public:
    explicit FakeList(FakeWorld& world) : world_(world) {}
    WindowHandle handle = 0x2;
    std::vector<Text> rows;
    std::optional<std::size_t> selected;
    // What the user does while the list is shown; returns the modal result. May throw.
    std::function<int(FakeList&)> onShowModal = [](FakeList&) { return 2; };

    WindowHandle Handle() override { return handle; }
    void Clear() override;
    void SetRows(const std::vector<Text>& newRows) override;
    void Select(std::optional<std::size_t> row) override;
    std::optional<std::size_t> SelectedRow() override;
    Text RowText(std::size_t row) override;
    int ShowModal() override;

  private:
    FakeWorld& world_;
};

class FakeDesktop final : public Desktop {
  public:
    explicit FakeDesktop(FakeWorld& world) : world_(world) {}
    WindowHandle foreground = kNoWindow;
    // Answers handed out before `foreground` is used, one per call, to move the foreground
    // between two reads.
    std::deque<WindowHandle> foregroundAnswers;
    std::set<WindowHandle> iconic;
    std::set<Text> existingFiles;

    WindowHandle GetForegroundWindow() override;
    void SetForegroundWindow(WindowHandle window) override;
    bool IsIconic(WindowHandle window) override;
    void OpenIcon(WindowHandle window) override;
    void SetTopmost(WindowHandle window, bool topmost) override;
    void Sleep(std::uint32_t milliseconds) override;
    bool FileExists(TextView path) override;
    void ShellOpen(WindowHandle owner, TextView path) override;

  private:
    FakeWorld& world_;
};

class FakeKeyboard final : public Keyboard {
  public:
    explicit FakeKeyboard(FakeWorld& world) : world_(world) {}
    std::set<int> down;
    int keyboardReads = 0;

    KeyStates ReadKeyStates() override;
    void SendKeyEvent(int vk, bool release) override;

  private:
    FakeWorld& world_;
};

class FakeInputMethod final : public InputMethod {
  public:
    explicit FakeInputMethod(FakeWorld& world) : world_(world) {}
    std::int32_t imeWindow = 0x500;  // answered for every window, null included
    std::intptr_t openStatus = 1;

    std::int32_t DefaultImeWindow(WindowHandle window) override;
    std::intptr_t SendImeControl(std::int32_t window, int command) override;

  private:
    FakeWorld& world_;
};

class FakeAutomation final : public HostAutomation {
  public:
    explicit FakeAutomation(FakeWorld& world) : world_(world) {}
    bool registered = true;  // false: IsRunning throws, as for an unknown ProgID
    bool running = true;
    bool attachFails = false;
    HostScriptPtr application = MakeHostApplication(0x10, true);

    bool IsRunning(TextView progId) override;
    HostObjectPtr Attach(TextView progId) override;

  private:
    FakeWorld& world_;
};

class FakeWindows final : public WindowSource {
  public:
    explicit FakeWindows(FakeWorld& world) : world_(world) {}
    std::vector<FakeWindow> windows;

    void EnumWindows(EnumWindowsProc proc, std::intptr_t parameter) override;
    Text ReadTitle(WindowHandle window) override;
    std::optional<Text> ReadClassName(WindowHandle window) override;

  private:
    FakeWorld& world_;
};

class FakeProfileStore final : public ProfileStore {
  public:
    FakeProfileStore() = default;
    // Reads are recorded ("ReadString:Left") into that world's calls.
    explicit FakeProfileStore(FakeWorld& recordReadsInto) : world_(&recordReadsInto) {}
    std::map<Text, Text> values;
    Text ReadString(TextView key, TextView defaultText) override;
    bool WriteString(TextView key, TextView value) override;
    Text Path() const override { return u"C:\\Tools\\ZO24_RAZ,ini"; }

  private:
    FakeWorld* world_ = nullptr;
};

// The host's main window as the default world shows it: handle 0x10, version 2020.
inline constexpr WindowHandle kHostWindow = 0x10;
[[nodiscard]] FakeWindow HostMainWindow(WindowHandle handle = kHostWindow,
                                        Text title = u"KORVA 2020 (x64) - [Drawing1.drw]");

class FakeWorld {
  public:
    FakeWorld();
    FakeWorld(const FakeWorld&) = delete;
    FakeWorld& operator=(const FakeWorld&) = delete;

    std::vector<std::string> calls;
    int liveHostObjects = 0;   // references handed out and not yet released
    int hostObjectsTaken = 0;  // references handed out in all

    FakeMain main{*this};
    FakeList list{*this};
    FakeDesktop desktop{*this};
    FakeKeyboard keyboard{*this};
    FakeInputMethod ime{*this};
    FakeAutomation automation{*this};
    FakeWindows windows{*this};
    SharedState state;
    // The native stand-in for the user's locale collation: letters folded, then unit order.
    TextCompare compareForUser = CompareIgnoringCase;
    Ports ports{main, list, desktop, keyboard, ime, automation, windows, state, compareForUser};

    void Record(std::string call) { calls.push_back(std::move(call)); }
    // The calls recorded since `from`, for tests that set the scene with a first handler run.
    [[nodiscard]] std::vector<std::string> CallsSince(std::size_t from) const;
    [[nodiscard]] bool Called(const std::string& call) const;
    // Each of `inOrder` recorded, each after the one before it, whatever else came between: for
    // tests of the one order that matters rather than of a whole call log.
    [[nodiscard]] bool CalledInOrder(const std::vector<std::string>& inOrder) const;
};

// The failures that come before the host has reported its window (availability test, attach, the
// HWND read): the assists must let these leave the tick.
struct HostFailure {
    const char* name;
    std::function<void(FakeWorld&)> arrange;
};

[[nodiscard]] inline std::vector<HostFailure> FailuresBeforeTheHostWindowIsKnown() {
    return {
        {"ProgID not registered", [](FakeWorld& w) { w.automation.registered = false; }},
        {"attach fails", [](FakeWorld& w) { w.automation.attachFails = true; }},
        {"HWND fails", [](FakeWorld& w) { w.automation.application->failing.insert("HWND"); }},
    };
}

}  // namespace zo::fake
