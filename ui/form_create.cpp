#include "ui/control_change.h"
#include "ui/handlers.h"

namespace zo {
namespace {

void ApplyToggle(Ports& ports, Toggle toggle, bool ticked, void (*click)(Ports&)) {
    MainWindowView& main = ports.main;
    ChangeControlValue([&] { return main.IsTicked(toggle); }, [&] { main.SetTicked(toggle, ticked); },
                       [&] { click(ports); });
}

// One key's value, applied before the next key is read. A toggle stored as off runs its click
// handler here, and so looks for the host while VersionText may still be empty.
void ApplySetting(Ports& ports, SettingsKey key, const RunSettings& read) {
    MainWindowView& main = ports.main;
    switch (key) {
        case SettingsKey::Left:
            main.SetLeft(read.left);
            break;
        case SettingsKey::Top:
            main.SetTop(read.top);
            break;
        case SettingsKey::AppFullName:
            ports.state.appFullName = read.appFullName;
            main.SetVexoexe1Caption(ports.state.appFullName);
            break;
        case SettingsKey::Version:
            ChangeControlValue([&] { return main.VersionBoxText(); },
                               [&] { main.SetVersionBoxText(read.version); }, [&] { Edit2Change(ports); });
            break;
        case SettingsKey::Shift:
            ApplyToggle(ports, Toggle::Shift, read.shift, CheckBox1Click);
            break;
        case SettingsKey::Ctrl:
            ApplyToggle(ports, Toggle::Ctrl, read.ctrl, CheckBox2Click);
            break;
        case SettingsKey::Ime:
            ApplyToggle(ports, Toggle::Ime, read.ime, CheckBox3Click);
            break;
        case SettingsKey::Off:
            ApplyToggle(ports, Toggle::Off, read.off, CheckBox4Click);
            break;
    }
}

}  // namespace

void FormCreate(Ports& ports, ProfileStore& store, const ScreenAndWindowSize& sizes) {
    SharedState& state = ports.state;

    state.tapFlags = TapFlags{};

    LoadSettings(store, sizes,
                 [&](SettingsKey key, const RunSettings& read) { ApplySetting(ports, key, read); });

    state.versionText = ports.main.VersionBoxText();

    const WindowHandle host = FindHostWindow(ports);
    // Whether the shell managed to start it is deliberately not looked at: nothing is reported.
    if (host == kNoWindow && ports.desktop.FileExists(state.appFullName)) {
        ports.desktop.ShellOpen(ports.main.Handle(), state.appFullName);
    }
}

}  // namespace zo
