#include "core/act_rule.h"
#include "core/messages.h"
#include "ui/handlers.h"
#include "ui/host_link.h"

namespace zo {

void Button1Click(Ports& ports) {
    MainWindowView& main = ports.main;
    SharedState& state = ports.state;

    // An unknown ProgID throws here and reaches the error box; the host then stays where it is.
    if (HostServerRunning(ports)) {
        HostObjectPtr application;
        try {
            application = AttachRunningHost(ports);
            state.appFullName = application->GetText(u"FullName");
            main.SetVexoexe1Caption(state.appFullName);
            main.ShowInformation(RegisteredMessage(state.appFullName));
        } catch (...) {
            // A host that goes away or refuses mid-way leaves the path as far as it got; the
            // user sees the menu caption and can simply register again.
        }
        application.reset();
    }

    // After the message box, so that the host ends up in front of everything.
    HandForegroundToHost(ports);
}

void KORVA1Click(Ports& ports) { Button1Click(ports); }

void Button2Click(Ports& ports) {
    const WindowHandle host = FindHostWindow(ports);
    // The file is looked at only when there is no host window to bring forward.
    const bool fileExists = host == kNoWindow && ports.desktop.FileExists(ports.state.appFullName);
    switch (DecideAct(host != kNoWindow, fileExists)) {
        case ActAction::BringHostToFront:
            if (ports.desktop.IsIconic(host)) ports.desktop.OpenIcon(host);
            ports.desktop.SetForegroundWindow(host);
            break;
        case ActAction::LaunchRegistered:
            ports.desktop.ShellOpen(ports.main.Handle(), ports.state.appFullName);
            break;
        case ActAction::ShowNotRegistered:
            // Names the version as the box shows it now, not the copy the window search uses.
            ports.main.ShowInformation(NotRegisteredMessage(ports.main.VersionBoxText()));
            break;
    }
}

}  // namespace zo
