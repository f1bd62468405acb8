#include "tests/unit/fake_world.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "core/error.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

constexpr std::int32_t kDispUnknownName = static_cast<std::int32_t>(0x80020006);
constexpr std::int32_t kDispException = static_cast<std::int32_t>(0x80020009);
constexpr std::int32_t kClassString = static_cast<std::int32_t>(0x800401F3);
constexpr std::int32_t kUnavailable = static_cast<std::int32_t>(0x800401E3);

const char* ToggleName(Toggle toggle) {
    switch (toggle) {
        case Toggle::Shift:
            return "Shift";
        case Toggle::Ctrl:
            return "Ctrl";
        case Toggle::Ime:
            return "Ime";
        case Toggle::Off:
            return "Off";
    }
    return "?";
}

class FakeHostObject final : public HostObject {
  public:
    FakeHostObject(FakeWorld& world, HostScriptPtr script) : world_(world), script_(std::move(script)) {
        ++world_.liveHostObjects;
        ++world_.hostObjectsTaken;
    }
    ~FakeHostObject() override { --world_.liveHostObjects; }
    FakeHostObject(const FakeHostObject&) = delete;
    FakeHostObject& operator=(const FakeHostObject&) = delete;

    Text GetText(TextView member) override { return Answer(script_->texts, "GetText", member); }
    std::int64_t GetInteger(TextView member) override {
        return Answer(script_->integers, "GetInteger", member);
    }
    bool GetBoolean(TextView member) override { return Answer(script_->booleans, "GetBoolean", member); }
    HostObjectPtr GetObject(TextView member) override {
        return std::make_unique<FakeHostObject>(world_, Answer(script_->objects, "GetObject", member));
    }
    HostObjectPtr GetItem(std::int32_t index) override {
        world_.Record(script_->label + ".GetItem:" + std::to_string(index));
        Refuse("Item");
        if (index < 0 || static_cast<std::size_t>(index) >= script_->items.size()) {
            throw Error(u"Item: index out of range", kDispException);
        }
        return std::make_unique<FakeHostObject>(world_, script_->items[static_cast<std::size_t>(index)]);
    }
    void CallMethod(TextView member) override {
        world_.Record(script_->label + ".CallMethod:" + U8(member));
        Refuse(U8(member));
    }

  private:
    template <typename Map>
    typename Map::mapped_type Answer(const Map& answers, const char* kind, TextView member) {
        const std::string name = U8(member);
        world_.Record(script_->label + "." + kind + ":" + name);
        Refuse(name);
        const auto found = answers.find(name);
        if (found == answers.end()) throw Error(u"Unknown name: " + Text(member), kDispUnknownName);
        return found->second;
    }
    void Refuse(const std::string& member) const {
        if (script_->failing.count(member) != 0) {
            throw Error(u"The host refused " + FromUtf8(member), kDispException);
        }
    }

    FakeWorld& world_;
    HostScriptPtr script_;
};

}  // namespace

std::string Hex(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string U8(TextView text) { return ToUtf8(text); }

HostScriptPtr MakeHostApplication(WindowHandle hwnd, bool quiescent, Text fullName) {
    auto state = std::make_shared<HostScript>();
    state->label = "state";
    state->booleans["IsQuiescent"] = quiescent;
    auto application = std::make_shared<HostScript>();
    application->label = "app";
    application->integers["HWND"] = static_cast<std::int64_t>(hwnd);
    application->texts["FullName"] = std::move(fullName);
    application->objects["GetAcadState"] = state;
    return application;
}

void AddDrawings(HostScript& application, const std::vector<Text>& names, Text activeName) {
    auto documents = std::make_shared<HostScript>();
    documents->label = "docs";
    documents->integers["Count"] = static_cast<std::int64_t>(names.size());
    for (const Text& name : names) {
        auto drawing = std::make_shared<HostScript>();
        drawing->label = "doc:" + U8(name);
        drawing->texts["Name"] = name;
        documents->items.push_back(drawing);
    }
    auto active = std::make_shared<HostScript>();
    active->label = "active";
    active->texts["Name"] = std::move(activeName);
    application.objects["Documents"] = documents;
    application.objects["ActiveDocument"] = active;
}

FakeWindow HostMainWindow(WindowHandle handle, Text title) {
    return FakeWindow{handle, std::move(title), Text(u"Afx:00400000:8:00010003:00000000:000A0F2B")};
}

// --- main window ------------------------------------------------------------------------------

void FakeMain::SetCaption(TextView text) {
    world_.Record("SetCaption:" + U8(text));
    caption = Text(text);
}

void FakeMain::SetShape1Color(std::uint32_t color) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%06x", static_cast<unsigned>(color));
    world_.Record(std::string("SetShape1Color:") + buffer);
    lamp = color;
}

void FakeMain::SetTimer1Enabled(bool enabled) {
    world_.Record(std::string("SetTimer1Enabled:") + (enabled ? "1" : "0"));
    timerEnabled = enabled;
}

void FakeMain::Close() {
    world_.Record("Close");
    closed = true;
}

void FakeMain::SetVexoexe1Caption(TextView path) { world_.Record("SetVexoexe1Caption:" + U8(path)); }

void FakeMain::SetLeft(std::int32_t left) { world_.Record("SetLeft:" + std::to_string(left)); }

void FakeMain::SetTop(std::int32_t top) { world_.Record("SetTop:" + std::to_string(top)); }

// Only the value: which handler a change runs is the program's own rule, not the fake's.
void FakeMain::SetVersionBoxText(TextView text) {
    world_.Record("SetVersionBoxText:" + U8(text));
    versionBox = Text(text);
}

void FakeMain::SetTicked(Toggle toggle, bool value) {
    world_.Record(std::string("SetTicked:") + ToggleName(toggle) + "," + (value ? "1" : "0"));
    ticked[toggle] = value;
}

void FakeMain::ShowInformation(TextView text) { world_.Record("ShowInformation:" + U8(text)); }

// --- candidate list ---------------------------------------------------------------------------

void FakeList::Clear() {
    world_.Record("Clear");
    rows.clear();
    selected.reset();
}

void FakeList::SetRows(const std::vector<Text>& newRows) {
    std::string call = "SetRows:";
    for (std::size_t row = 0; row < newRows.size(); ++row) call += (row == 0 ? "" : "|") + U8(newRows[row]);
    world_.Record(call);
    rows = newRows;
}

void FakeList::Select(std::optional<std::size_t> row) {
    world_.Record("Select:" + (row ? std::to_string(*row) : std::string("none")));
    selected = row;
}

std::optional<std::size_t> FakeList::SelectedRow() {
    world_.Record("SelectedRow");
    return selected;
}

Text FakeList::RowText(std::size_t row) {
    world_.Record("RowText:" + std::to_string(row));
    return rows.at(row);
}

int FakeList::ShowModal() {
    world_.Record("ShowModal");
    return onShowModal(*this);
}

// --- desktop ----------------------------------------------------------------------------------

WindowHandle FakeDesktop::GetForegroundWindow() {
    world_.Record("GetForegroundWindow");
    if (foregroundAnswers.empty()) return foreground;
    const WindowHandle answer = foregroundAnswers.front();
    foregroundAnswers.pop_front();
    return answer;
}

void FakeDesktop::SetForegroundWindow(WindowHandle window) {
    world_.Record("SetForegroundWindow:" + Hex(window));
    if (window != kNoWindow) foreground = window;
}

bool FakeDesktop::IsIconic(WindowHandle window) {
    world_.Record("IsIconic:" + Hex(window));
    return iconic.count(window) != 0;
}

void FakeDesktop::OpenIcon(WindowHandle window) {
    world_.Record("OpenIcon:" + Hex(window));
    iconic.erase(window);
}

void FakeDesktop::SetTopmost(WindowHandle window, bool topmost) {
    world_.Record("SetTopmost:" + Hex(window) + "," + (topmost ? "1" : "0"));
}

void FakeDesktop::Sleep(std::uint32_t milliseconds) {
    world_.Record("Sleep:" + std::to_string(milliseconds));
}

bool FakeDesktop::FileExists(TextView path) {
    world_.Record("FileExists:" + U8(path));
    return existingFiles.count(Text(path)) != 0;
}

void FakeDesktop::ShellOpen(WindowHandle owner, TextView path) {
    world_.Record("ShellOpen:" + Hex(owner) + "," + U8(path));
}

// --- keyboard and input method ----------------------------------------------------------------

KeyStates FakeKeyboard::ReadKeyStates() {
    ++keyboardReads;
    KeyStates keys;
    for (const int vk : down) keys.set(static_cast<std::size_t>(vk));
    return keys;
}

void FakeKeyboard::SendKeyEvent(int vk, bool release) {
    world_.Record("SendKeyEvent:" + std::to_string(vk) + (release ? ",up" : ",down"));
}

std::int32_t FakeInputMethod::DefaultImeWindow(WindowHandle window) {
    world_.Record("DefaultImeWindow:" + Hex(window));
    return imeWindow;
}

std::intptr_t FakeInputMethod::SendImeControl(std::int32_t window, int command) {
    world_.Record("SendImeControl:" + Hex(static_cast<std::uint32_t>(window)) + "," +
                  std::to_string(command));
    if (command == kImcGetOpenStatus) return openStatus;
    if (command == kImcSetOpenStatus) openStatus = 0;
    return 0;
}

// --- host automation and windows --------------------------------------------------------------

bool FakeAutomation::IsRunning(TextView progId) {
    world_.Record("IsRunning:" + U8(progId));
    if (!registered) throw Error(u"Invalid class string", kClassString);
    return running;
}

HostObjectPtr FakeAutomation::Attach(TextView progId) {
    world_.Record("Attach:" + U8(progId));
    if (!registered) throw Error(u"Invalid class string", kClassString);
    if (attachFails || !running) throw Error(u"Operation unavailable", kUnavailable);
    return std::make_unique<FakeHostObject>(world_, application);
}

void FakeWindows::EnumWindows(EnumWindowsProc proc, std::intptr_t parameter) {
    world_.Record("EnumWindows");
    for (const FakeWindow& window : windows) {
        if (proc(window.handle, parameter) == 0) return;
    }
}

Text FakeWindows::ReadTitle(WindowHandle window) {
    world_.Record("ReadTitle:" + Hex(window));
    for (const FakeWindow& w : windows) {
        if (w.handle == window) return w.title;
    }
    return {};
}

std::optional<Text> FakeWindows::ReadClassName(WindowHandle window) {
    world_.Record("ReadClassName:" + Hex(window));
    for (const FakeWindow& w : windows) {
        if (w.handle == window) return w.className;
    }
    return std::nullopt;
}

Text FakeProfileStore::ReadString(TextView key, TextView defaultText) {
    if (world_) world_->Record("ReadString:" + U8(key));
    const auto found = values.find(Text(key));
    return found == values.end() ? Text(defaultText) : found->second;
}

bool FakeProfileStore::WriteString(TextView key, TextView value) {
    values[Text(key)] = Text(value);
    return true;
}

// --- world ------------------------------------------------------------------------------------

FakeWorld::FakeWorld() = default;

std::vector<std::string> FakeWorld::CallsSince(std::size_t from) const {
    return {calls.begin() + static_cast<std::ptrdiff_t>(std::min(from, calls.size())), calls.end()};
}

bool FakeWorld::Called(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

bool FakeWorld::CalledInOrder(const std::vector<std::string>& inOrder) const {
    auto from = calls.begin();
    for (const std::string& call : inOrder) {
        from = std::find(from, calls.end(), call);
        if (from == calls.end()) return false;
        ++from;
    }
    return true;
}

}  // namespace zo::fake
