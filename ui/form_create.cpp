#include "ui/handlers.h"

namespace zo {

void FormCreate(Ports& ports, ProfileStore& store, const ScreenAndWindowSize& sizes) {
    MainWindowView& main = ports.main;
    SharedState& state = ports.state;

    state.tapFlags = TapFlags{};

    // The view runs Edit2Change and the toggles' click handlers itself when a stored value
    // differs from the designed one, so a toggle stored as off looks for the host here while
    // VersionText may still be empty.
    const RunSettings settings = LoadSettings(store, sizes);
    main.SetPosition(settings.left, settings.top);
    state.appFullName = settings.appFullName;
    main.SetRegisteredPathCaption(state.appFullName);
    main.SetVersionBoxText(settings.version);
    main.SetTicked(Toggle::Shift, settings.shift);
    main.SetTicked(Toggle::Ctrl, settings.ctrl);
    main.SetTicked(Toggle::Ime, settings.ime);
    main.SetTicked(Toggle::Off, settings.off);

    state.versionText = main.VersionBoxText();

    const WindowHandle host = FindHostWindow(ports);
    // Whether the shell managed to start it is deliberately not looked at: nothing is reported.
    if (host == kNoWindow && ports.desktop.FileExists(state.appFullName)) {
        ports.desktop.ShellOpen(main.Handle(), state.appFullName);
    }
}

}  // namespace zo
