#include "core/tap_rule.h"
#include "ui/handlers.h"
#include "ui/host_link.h"

namespace zo {

int FirstOtherKeyDown(const KeyStates& keys) {
    for (int vk = kFirstScannedKey; vk <= kLastScannedKey; ++vk) {
        if (IsScannedKey(vk) && keys.test(static_cast<std::size_t>(vk))) return vk;
    }
    return 0;
}

void InjectKeyPress(Ports& ports, int vk) {
    ports.keyboard.SendKeyEvent(vk, false);
    ports.desktop.Sleep(1);
    ports.keyboard.SendKeyEvent(vk, true);
}

std::optional<WindowHandle> SendKeyIfHostBusy(Ports& ports, int vk) {
    if (!HostServerRunning(ports)) return std::nullopt;

    // Failures up to here leave the tick and stop the monitor cycle with the error shown.
    const HostObjectPtr application = AttachRunningHost(ports);
    const WindowHandle reportedWindow = HostWindowAsUnsigned(*application);

    try {
        const HostObjectPtr hostState = application->GetObject(u"GetAcadState");
        const bool busy = !hostState->GetBoolean(u"IsQuiescent");
        // The key goes to whatever is in front; the user may have switched away while the host
        // answered, and then the key must not land elsewhere.
        if (busy && ports.desktop.GetForegroundWindow() == reportedWindow) {
            InjectKeyPress(ports, vk);
        }
    } catch (...) {
        // A host that cannot answer right now is simply not sent a key; the next tap tries again.
    }
    return reportedWindow;
}

WindowHandle RunTapAssist(Ports& ports, WindowHandle tickHandle) {
    SharedState& state = ports.state;
    // One snapshot of the whole keyboard serves the scan and both modifiers: the same answers as
    // reading the keys one by one, at a fraction of the calls on every tick the host is in front.
    const KeyStates keys = ports.keyboard.ReadKeyStates();
    const bool otherDown = FirstOtherKeyDown(keys) != 0;
    const bool ctrlDown = keys.test(kVkControl);
    const bool shiftDown = keys.test(kVkShift);
    const KeySample sample{.shiftDown = shiftDown, .ctrlDown = ctrlDown, .otherKeyDown = otherDown};

    const TapOutcome tap = ModifierTapRule(state.tapFlags, sample);
    // Stored before any call to the host: an error there leaves the tick with the flags as
    // recording this tick's keys made them.
    state.tapFlags = tap.recorded;

    WindowHandle handle = tickHandle;
    if (tap.fired != Tap::None) {
        const bool shift = tap.fired == Tap::Shift;
        // The toggle is read only now: a tap made while it is off is consumed all the same.
        if (ports.main.IsTicked(shift ? Toggle::Shift : Toggle::Ctrl)) {
            if (const auto reported = SendKeyIfHostBusy(ports, shift ? kVkF8 : kVkF9)) handle = *reported;
        }
    }
    state.tapFlags = tap.flags;
    return handle;
}

}  // namespace zo
