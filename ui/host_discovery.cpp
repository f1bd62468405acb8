#include "core/host_match.h"
#include "ui/handlers.h"

namespace zo {
namespace {

constexpr std::int32_t kEnumGoOn = -1;
constexpr std::int32_t kEnumStop = 0;

}  // namespace

std::int32_t HostWindowEnumProc(WindowHandle window, std::intptr_t parameter) {
    Ports& ports = *reinterpret_cast<Ports*>(parameter);
    SharedState& state = ports.state;
    Text title = ports.windows.ReadTitle(window);
    if (title.empty() || !IsHostTitle(title, state.versionText)) return kEnumGoOn;
    // The class name costs a second read, so only the few windows whose title passed pay it.
    const std::optional<Text> className = ports.windows.ReadClassName(window);
    if (!className || !IsHostMainWindow(title, *className, state.versionText)) return kEnumGoOn;
    state.hostWindowHandle = window;
    state.hostWindowTitle = std::move(title);
    return kEnumStop;
}

WindowHandle FindHostWindow(Ports& ports) {
    SharedState& state = ports.state;
    // Each search starts from nothing, so a window found by an earlier call never carries over.
    state.hostWindowHandle = kNoWindow;
    state.hostWindowTitle.clear();
    // The callback reaches the search's values through the parameter, as the system hands it
    // over unchanged.
    ports.windows.EnumWindows(HostWindowEnumProc, reinterpret_cast<std::intptr_t>(&ports));
    return state.hostWindowHandle;
}

void HandForegroundToHost(Ports& ports) {
    const WindowHandle host = FindHostWindow(ports);
    if (host != kNoWindow) ports.desktop.SetForegroundWindow(host);
}

}  // namespace zo
