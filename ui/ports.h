#pragma once
// The narrow interfaces the handlers' decision sequences run against. The Win32 program
// implements them thinly in platform/ and ui/; the native tests implement them with recording
// fakes. Nothing here includes <windows.h>.
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/candidates.h"
#include "core/tap_rule.h"
#include "core/text.h"

namespace zo {

// A top-level window handle as an integer; 0 is the null window.
using WindowHandle = std::uint64_t;
inline constexpr WindowHandle kNoWindow = 0;

// ---------------------------------------------------------------------------------------------
// Host automation. Each HostObject owns one reference to an object of the host's automation
// server and releases it when destroyed. Every call is a late-bound call by member name; every
// failure throws zo::Error (HRESULT and system text, the missing member's name, or the host's
// own description).
class HostObject;
using HostObjectPtr = std::unique_ptr<HostObject>;

class HostObject {
public:
    virtual ~HostObject() = default;
    // Property get or method call with no arguments, result converted to the named type.
    [[nodiscard]] virtual Text GetText(TextView member) = 0;
    [[nodiscard]] virtual std::int64_t GetInteger(TextView member) = 0;
    [[nodiscard]] virtual bool GetBoolean(TextView member) = 0;
    [[nodiscard]] virtual HostObjectPtr GetObject(TextView member) = 0;
    // "Item" with one 32-bit index.
    [[nodiscard]] virtual HostObjectPtr GetItem(std::int32_t index) = 0;
    // A method call without a result ("Activate").
    virtual void CallMethod(TextView member) = 0;
};

class HostAutomation {
public:
    virtual ~HostAutomation() = default;
    // False when the class is registered but no object runs; throws when the ProgID is unknown.
    [[nodiscard]] virtual bool IsRunning(TextView progId) = 0;
    // The running application object's IDispatch; throws on every failure.
    [[nodiscard]] virtual HostObjectPtr Attach(TextView progId) = 0;
};

// ---------------------------------------------------------------------------------------------
// A callback of the top-level window enumeration: non-zero lets it go on, zero stops it.
using EnumWindowsProc = std::int32_t (*)(WindowHandle window, std::intptr_t parameter);

// The desktop's top-level windows, for host discovery.
class WindowSource {
public:
    virtual ~WindowSource() = default;
    // EnumWindows: calls `proc` with `parameter` for each top-level window from the top of the Z
    // order until it returns zero.
    virtual void EnumWindows(EnumWindowsProc proc, std::intptr_t parameter) = 0;
    // The title as read into 256 units with a count of 255; empty when none or unreadable.
    [[nodiscard]] virtual Text ReadTitle(WindowHandle window) = 0;
    // The class name read the same way; nullopt when it cannot be read.
    [[nodiscard]] virtual std::optional<Text> ReadClassName(WindowHandle window) = 0;
};

// Window management, shell and kernel services used by the handlers.
class Desktop {
public:
    virtual ~Desktop() = default;
    [[nodiscard]] virtual WindowHandle GetForegroundWindow() = 0;
    virtual void SetForegroundWindow(WindowHandle window) = 0;  // null: does nothing
    [[nodiscard]] virtual bool IsIconic(WindowHandle window) = 0;
    virtual void OpenIcon(WindowHandle window) = 0;
    // SetWindowPos with HWND_TOPMOST / HWND_NOTOPMOST, no move, no size.
    virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // An existing file that is not a folder.
    [[nodiscard]] virtual bool FileExists(TextView path) = 0;
    // ShellExecuteW(owner, "open", path, nullptr, nullptr, SW_SHOWNORMAL); result ignored.
    virtual void ShellOpen(WindowHandle owner, TextView path) = 0;
};

// Bit vk set: the key is down in the calling thread's view of the keyboard.
using KeyStates = std::bitset<256>;

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Every key at once, as GetKeyState would answer for each (one call instead of one per key).
    [[nodiscard]] virtual KeyStates ReadKeyStates() = 0;
    // keybd_event(vk, 0, release ? KEYEVENTF_KEYUP : 0, 0).
    virtual void SendKeyEvent(int vk, bool release) = 0;
};

class InputMethod {
public:
    virtual ~InputMethod() = default;
    // ImmGetDefaultIMEWnd, held as a 32-bit signed value; 0 when there is none.
    [[nodiscard]] virtual std::int32_t DefaultImeWindow(WindowHandle window) = 0;
    // SendMessageW(imeWindow sign-extended, WM_IME_CONTROL, command, 0).
    virtual std::intptr_t SendImeControl(std::int32_t imeWindow, int command) = 0;
};

inline constexpr int kImcGetOpenStatus = 5;
inline constexpr int kImcSetOpenStatus = 6;

// ---------------------------------------------------------------------------------------------
// The main window as the handlers see it.
enum class Toggle { Shift, Ctrl, Ime, Off };

class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    [[nodiscard]] virtual WindowHandle Handle() = 0;
    [[nodiscard]] virtual Text Caption() = 0;
    virtual void SetCaption(TextView caption) = 0;
    // Shape1, the lamp.
    [[nodiscard]] virtual std::uint32_t Shape1Color() = 0;
    virtual void SetShape1Color(std::uint32_t color) = 0;
    [[nodiscard]] virtual bool IsTicked(Toggle toggle) = 0;
    [[nodiscard]] virtual Text VersionBoxText() = 0;
    virtual void SetTimer1Enabled(bool enabled) = 0;
    // The same close as the user's: the program ends after the running handler returns.
    virtual void Close() = 0;
    // The caption of vexoexe1, PopupMenu1's item that shows the registered path.
    virtual void SetVexoexe1Caption(TextView path) = 0;
    // Used while the settings are applied at creation: the outer left and top edges.
    virtual void SetLeft(std::int32_t left) = 0;
    virtual void SetTop(std::int32_t top) = 0;
    // Write a control's value and run no handler: whether its handler runs is decided by
    // ChangeControlValue (ui/control_change.h), as for every change the program makes.
    virtual void SetVersionBoxText(TextView text) = 0;
    virtual void SetTicked(Toggle toggle, bool ticked) = 0;
    // The information message box; returns when the user has closed it.
    virtual void ShowInformation(TextView text) = 0;
};

// The candidate list window and its list, as the document picker sees them.
class CandidateListView {
public:
    virtual ~CandidateListView() = default;
    [[nodiscard]] virtual WindowHandle Handle() = 0;
    virtual void Clear() = 0;
    // The rows to show, in the order given (BuildCandidateList's).
    virtual void SetRows(const std::vector<Text>& rows) = 0;
    // Selects a row, or none; raises no click event.
    virtual void Select(std::optional<std::size_t> row) = 0;
    [[nodiscard]] virtual std::optional<std::size_t> SelectedRow() = 0;
    [[nodiscard]] virtual Text RowText(std::size_t row) = 0;
    // Shows the window modally and returns its modal result (1 accept, 2 cancel).
    [[nodiscard]] virtual int ShowModal() = 0;
};

// ---------------------------------------------------------------------------------------------
// The process-wide values the handlers share.
struct SharedState {
    Text versionText;                         // copy of the version box
    WindowHandle hostWindowHandle = kNoWindow;  // last FindHostWindow result
    Text hostWindowTitle;                     // its title, empty when none
    Text hostProgId;
    TapFlags tapFlags;
    bool diRed = false;                       // the host has been seen since start
    Text appFullName;                         // the registered host path
};

// Everything a handler may reach, bundled so that a fake world can stand in for all of it.
struct Ports {
    MainWindowView& main;
    CandidateListView& list;
    Desktop& desktop;
    Keyboard& keyboard;
    InputMethod& ime;
    HostAutomation& automation;
    WindowSource& windows;
    SharedState& state;
    // The user's locale collation without regard to letter case: the list's order, its
    // preselection and its typed search all compare with it.
    const TextCompare& compareForUser;
};

}  // namespace zo
