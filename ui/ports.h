#pragma once
// What the handlers' decision sequences run against besides the platform's services (core/):
// the program's own two windows as views, the values the handlers share, and the bundle of all of
// it. The Win32 program implements the views in ui/win32/; the native tests implement everything
// with recording fakes. Nothing here includes <windows.h>.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/desktop.h"
#include "core/host_automation.h"
#include "core/input_method.h"
#include "core/keyboard.h"
#include "core/tap_rule.h"
#include "core/text.h"
#include "core/text_compare.h"
#include "core/window_handle.h"

namespace zo {

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
    Text versionText;                           // copy of the version box
    WindowHandle hostWindowHandle = kNoWindow;  // last FindHostWindow result
    Text hostWindowTitle;                       // its title, empty when none
    Text hostProgId;
    TapFlags tapFlags;
    bool diRed = false;  // the host has been seen since start
    Text appFullName;    // the registered host path
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
