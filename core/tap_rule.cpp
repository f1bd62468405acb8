#include "core/tap_rule.h"

namespace zo {
namespace {

TapFlags RecordKeys(TapFlags flags, KeySample sample) noexcept {
    // Another key spoils a modifier that was already held: Shift+A must not turn into an F8 once
    // A is released before Shift.
    if (sample.otherKeyDown) {
        flags.shiftSeen = false;
        flags.ctrlSeen = false;
    }
    if (sample.ctrlDown) flags.ctrlSeen = true;
    if (sample.shiftDown) flags.shiftSeen = true;
    if (sample.otherKeyDown) flags.otherKeySeen = true;
    return flags;
}

bool ShiftTapFires(TapFlags flags, KeySample sample) noexcept {
    return flags.shiftSeen && !sample.shiftDown && !flags.otherKeySeen && !flags.ctrlSeen;
}

bool CtrlTapFires(TapFlags flags, KeySample sample) noexcept {
    return flags.ctrlSeen && !sample.ctrlDown && !flags.otherKeySeen && !flags.shiftSeen;
}

TapFlags IdleReset(TapFlags flags, KeySample sample) noexcept {
    if (!sample.ctrlDown && !sample.shiftDown && !sample.otherKeyDown) return TapFlags{};
    return flags;
}

}  // namespace

TapOutcome ModifierTapRule(TapFlags flags, KeySample sample) noexcept {
    TapOutcome out;
    out.recorded = RecordKeys(flags, sample);
    out.flags = out.recorded;
    if (ShiftTapFires(out.flags, sample)) {
        out.fired = Tap::Shift;
        out.flags = TapFlags{};
    }
    // Tested on the flags as the Shift step left them; a fired Shift tap has cleared ctrlSeen, so
    // at most one tap fires per tick.
    if (CtrlTapFires(out.flags, sample)) {
        out.fired = Tap::Ctrl;
        out.flags = TapFlags{};
    }
    out.flags = IdleReset(out.flags, sample);
    return out;
}

}  // namespace zo
