#include "core/caption.h"
#include "ui/handlers.h"

namespace zo {

void Timer1Timer(Ports& ports) {
    MainWindowView& main = ports.main;
    SharedState& state = ports.state;

    // Off for the whole tick so that no tick starts while an automation call or a message to the
    // host's window waits. An error leaves before the last line, so the cycle stays stopped.
    main.SetTimer1Enabled(false);

    WindowHandle tickHandle = FindHostWindow(ports);

    // Caption and lamp are written only on a change, so a steady state repaints nothing.
    const Text caption = BuildMonitorCaption(state.hostWindowTitle);
    if (main.Caption() != caption) main.SetCaption(caption);

    // diRed is still false on every tick before the first that found the host, so a host that
    // was never seen never closes the window. The rest of the tick still runs after Close.
    if (state.diRed && tickHandle == kNoWindow && main.IsTicked(Toggle::Off)) main.Close();

    if (tickHandle != kNoWindow) {
        state.diRed = true;
        if (main.Shape1Color() != kLampFound) main.SetShape1Color(kLampFound);
    } else if (main.Shape1Color() != kLampMissing) {
        main.SetShape1Color(kLampMissing);
    }

    // Plain equality: with no host and no foreground window both are null and the assist runs.
    if (ports.desktop.GetForegroundWindow() == tickHandle) {
        tickHandle = RunTapAssist(ports, tickHandle);
    }
    RunImeGuard(ports, tickHandle);

    main.SetTimer1Enabled(true);
}

}  // namespace zo
