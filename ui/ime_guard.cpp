#include "ui/handlers.h"
#include "ui/host_link.h"

namespace zo {

void RunImeGuard(Ports& ports, WindowHandle tickHandle) {
    if (!ports.main.IsTicked(Toggle::Ime)) return;

    // Asked also for a null handle: the guard runs on ticks that found no host window as well.
    const std::int32_t imeWindow = ports.ime.DefaultImeWindow(tickHandle);
    if (imeWindow == 0) return;
    // Only the low byte carries the open status; higher bits set alone still mean closed.
    const std::intptr_t openStatus = ports.ime.SendImeControl(imeWindow, kImcGetOpenStatus);
    if ((openStatus & 0xFF) == 0) return;

    if (!HostServerRunning(ports)) return;
    const HostObjectPtr application = AttachRunningHost(ports);
    // Read although unused: a host that cannot report its window fails the tick here, the same
    // as in the tap assist.
    ReadAndDropHostWindow(*application);

    try {
        const HostObjectPtr hostState = application->GetObject(u"GetAcadState");
        // Closed only while the host waits for a command; during a command the user may be
        // typing text into it.
        if (hostState->GetBoolean(u"IsQuiescent")) {
            ports.ime.SendImeControl(imeWindow, kImcSetOpenStatus);
        }
    } catch (...) {
        // The input method stays as it is until a later tick gets an answer.
    }
}

}  // namespace zo
