#include "core/host_match.h"
#include "ui/handlers.h"

namespace zo {

WindowHandle FindHostWindow(Ports& ports) {
    SharedState& state = ports.state;
    // Each search starts from nothing, so a window found by an earlier call never carries over.
    state.hostWindowHandle = kNoWindow;
    state.hostWindowTitle.clear();
    ports.windows.ForEachTopLevelWindow([&](WindowHandle window) {
        Text title = ports.windows.ReadTitle(window);
        if (title.empty() || !IsHostTitle(title, state.versionText)) return true;
        // The class name costs a second read, so only the few windows whose title passed pay it.
        const std::optional<Text> className = ports.windows.ReadClassName(window);
        if (!className || !IsHostMainWindow(title, *className, state.versionText)) return true;
        state.hostWindowHandle = window;
        state.hostWindowTitle = std::move(title);
        return false;
    });
    return state.hostWindowHandle;
}

void Edit2Change(Ports& ports) { ports.state.versionText = ports.main.VersionBoxText(); }

void ToggleClick(Ports& ports) {
    // A click on the companion window took the foreground from the host; hand it straight back.
    const WindowHandle host = FindHostWindow(ports);
    if (host != kNoWindow) ports.desktop.SetForegroundWindow(host);
}

}  // namespace zo
