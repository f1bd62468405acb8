#!/usr/bin/env python3
"""The host dies or hangs in the middle of a call the program makes to it: during a tap's busy
test, and during Register's FullName read. Failures inside those guarded steps are dropped without
a word, the monitor cycle goes on, and the program still ends normally and writes its settings.
While a call hangs the program waits for it, with no tick in between, and then carries on.

The test host's `die <member>` ends its process inside that member's call without replying, and
`stall <member> <ms>` holds its only thread (no messages pumped) inside that call before it answers.

GDI and USER object counts are not checked here: under Wine GetGuiResources answers 0 for every
process (last error ERROR_CALL_NOT_IMPLEMENTED), so leaks of them can only be seen on Windows."""

import time

import harness
from commands_support import (BUTTON1_ID, HOLD_SECONDS, HOST_TITLE, VK_F8, VK_F9, LogMark, bring_host_to_front,
                              check_refs_return, click_control, foreground_hwnd, host_refs, message_box, tap)
from harness import CAPTION_PREFIX, LAMP_GREEN, LAMP_GREY
from settings_support import KEYS, section

HOST_CAPTION = CAPTION_PREFIX + "KORVA 2020 x6"
DIED_EXIT_CODE = 86  # what the test host ends with when `die` strikes
REGISTERED_BEFORE = "Z:\\registered\\before\\korva.exe"
# OFF unticked, so that the host's end does not end the program; a registered path that Register
# must leave alone when it fails.
SETTINGS = f"[KORVA]\nOFF=0\nShift=1\nCtrl=1\nVersion=2020\nAppFullName={REGISTERED_BEFORE}\n"
QUIET_SECONDS = 1.5  # fifteen ticks
STALL_MS = 3000
SIDE_CLASS = "VexoPalette"  # another program's window, not a host main window


def start_pair(s: harness.Session, label: str, *host_setup: tuple[str, ...]) -> tuple[harness.Host, dict,
                                                                                        harness.App]:
    """A host with its automation server and main window, set up further by `host_setup`, and the
    program beside it once it has found the host."""
    host = s.start_host(f"host-{label}")
    host.send("automation", "20")
    for command in host_setup:
        host.send(*command)
    main = host.window("main", HOST_TITLE)
    app = s.start_app(label, settings=SETTINGS)
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, f"{label}: the host window is found")
    s.check_equal(app.wait_caption(HOST_CAPTION), HOST_CAPTION, f"{label}: caption with the host")
    return host, main, app


def host_dies(s: harness.Session, host: harness.Host, member: str, mark: LogMark, what: str) -> None:
    if s.eventually(f"{what}: the host dies inside {member}", lambda: not host.running()):
        s.check_equal(host.proc.returncode, DIED_EXIT_CODE, f"{what}: the host's exit code")
    calls = mark.calls()
    s.check(bool(calls) and calls[-1] == member, f"{what}: {member} was the program's last call", f"calls: {calls}")


def goes_on_without_host(s: harness.Session, app: harness.App, what: str) -> None:
    """No box for the dropped failure, and the monitor cycle still follows the host's absence."""
    s.holds(f"{what}: no message or error box and the program keeps running",
            lambda: message_box(s) is None and app.running(), QUIET_SECONDS)
    s.check_equal(app.wait_lamp(LAMP_GREY), LAMP_GREY, f"{what}: lamp once the host is gone")
    s.check_equal(app.wait_caption(CAPTION_PREFIX), CAPTION_PREFIX, f"{what}: caption once the host is gone")


def closes_and_writes_settings(s: harness.Session, app: harness.App, what: str) -> None:
    s.probe("close", harness.APP_CLASS)
    s.check_equal(app.wait_exit(harness.START_TIMEOUT), 0, f"{what}: exit code after a normal close")
    if not s.check(app.settings_file.exists(), f"{what}: the settings file is written at the exit"):
        return
    values = dict(section(app.settings_file.read_bytes()) or [])
    s.check_equal(sorted(values), sorted(KEYS), f"{what}: keys of the settings file")
    s.check_equal((values.get("OFF"), values.get("AppFullName")), ("0", REGISTERED_BEFORE),
                  f"{what}: OFF and the registered path in the settings file")


def host_killed_during_a_tap(s: harness.Session) -> None:
    what = "killed in a tap"
    s.step("the host dies while the tap assist asks it for its state")
    host, main, app = start_pair(s, "killed-in-tap", ("busy", "1"), ("die", "GetAcadState"))
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap(s, "shift")
    host_dies(s, host, "GetAcadState", mark, what)
    s.check("HWND" in mark.calls(), f"{what}: the host's HWND was read before the failing call",
            f"calls: {mark.calls()}")
    s.check_equal(mark.keys(VK_F8), [], f"{what}: F8 presses the host received before it died")
    goes_on_without_host(s, app, what)
    closes_and_writes_settings(s, app, what)


def host_killed_during_register(s: harness.Session) -> None:
    what = "killed in register"
    s.step("the host dies while Register reads its FullName")
    host, _main, app = start_pair(s, "killed-in-register", ("die", "FullName"))
    mark = LogMark(host)
    click_control(s, BUTTON1_ID)
    host_dies(s, host, "FullName", mark, what)
    goes_on_without_host(s, app, what)
    closes_and_writes_settings(s, app, what)


def host_hangs_during_a_tap(s: harness.Session) -> None:
    what = "hang in a tap"
    s.step(f"the host hangs {STALL_MS} ms while the tap assist asks whether it is busy")
    host, main, app = start_pair(s, "hang-in-tap", ("busy", "1"), ("stall", "IsQuiescent", str(STALL_MS)))
    bring_host_to_front(s, host, "main", main["hwnd"])
    s.check_equal(host_refs(host), 0, f"{what}: the host's reference count before the tap")

    mark = LogMark(host)
    tap(s, "shift")
    s.eventually(f"{what}: the program asks the hanging host whether it is busy", lambda: "IsQuiescent" in mark.calls(),
                 timeout=harness.WAIT_TIMEOUT)
    # The answer comes after the hang; the host is still in front then, so the key goes out.
    seen = s.eventually(f"{what}: after the hang the host receives F8 down and up",
                        lambda: mark.keys(VK_F8) == ["down", "up"], timeout=STALL_MS / 1000 + harness.WAIT_TIMEOUT)
    if seen:
        s.holds(f"{what}: only one press of F8", lambda: mark.keys(VK_F8) == ["down", "up"], 0.4)
    check_refs_return(s, host, f"{what}, host in front")
    host.send("title", "main", "KORVA 2020 resumed")
    resumed = CAPTION_PREFIX + "KORVA 2020 res"
    s.check_equal(app.wait_caption(resumed), resumed, f"{what}: the caption follows a title set after the hang")

    s.step("the host hangs again and another program's window comes to the front meanwhile")
    # A second host process owns that window: a window of the hanging host could not take the
    # front while its thread sleeps, and a key sent by mistake reaches the second one's log.
    bystander = s.start_host("bystander")
    side = bystander.window("side", "Layer properties", SIDE_CLASS)
    host.send("stall", "IsQuiescent", "1500")
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark, side_mark = LogMark(host), LogMark(bystander)
    tap(s, "shift")
    if s.eventually(f"{what}, front changed: the busy question reaches the host", lambda: "IsQuiescent" in mark.calls()):
        s.probe("front", SIDE_CLASS)
        s.eventually(f"{what}, front changed: the other program is in front during the hang",
                     lambda: foreground_hwnd(s) == side["hwnd"], timeout=1.0)
    host.send("stall", "off", timeout=harness.WAIT_TIMEOUT + 2)
    # Once the program has released the host's objects it has made its foreground test.
    check_refs_return(s, host, f"{what}, front changed")
    # Fence: a Ctrl tap with the host main window in front comes out as F9; by then the Shift tap
    # has long been handled.
    bring_host_to_front(s, host, "main", main["hwnd"])
    time.sleep(HOLD_SECONDS)
    tap(s, "ctrl")
    if s.eventually(f"{what}, front changed: the fence tap reaches the host as F9",
                    lambda: mark.keys(VK_F9) == ["down", "up"]):
        s.check_equal((mark.keys(VK_F8), side_mark.keys(VK_F8)), ([], []),
                      f"{what}, front changed: F8 presses the host and the other program received")
    ticks_wait_for_the_hang(s, app, host, bystander, what)
    s.check(message_box(s) is None, f"{what}: no error box")
    s.check(app.running(), f"{what}: the program still runs")
    closes_and_writes_settings(s, app, what)


def ticks_wait_for_the_hang(s: harness.Session, app: harness.App, host: harness.Host, bystander: harness.Host,
                            what: str) -> None:
    """No tick runs while a tick waits in a call: a host window whose title changes during the hang
    is mirrored only once the hang is over. The window belongs to the bystander, which keeps pumping
    and so can rename it; the hanging host reports it as its own, so the key goes there."""
    what = f"{what}, rename in the hang"
    s.step("the host hangs while the title of the window it reports changes")
    rival = bystander.window("rival", "KORVA 2020 rival", "Afx:rival")
    host.send("hwnd", "raw", str(rival["hwnd"]))
    host.send("stall", "IsQuiescent", str(STALL_MS))
    s.require(bool(harness.poll("the rival window to be in front", lambda: foreground_hwnd(s) == rival["hwnd"])),
              f"{what}: the rival window is in front")
    before = CAPTION_PREFIX + "KORVA 2020 riv"
    s.check_equal(app.wait_caption(before), before, f"{what}: caption before the hang")
    mark, rival_mark = LogMark(host), LogMark(bystander)
    tap(s, "shift")
    s.eventually(f"{what}: the busy question reaches the host", lambda: "IsQuiescent" in mark.calls())
    hang_ends = time.monotonic() + STALL_MS / 1000
    bystander.send("title", "rival", "KORVA 2020 renamed")
    # The hang began a little before its call showed in the log: stop watching well before its end.
    watch_seconds = hang_ends - time.monotonic() - 0.8
    if watch_seconds >= 0.5:
        s.holds(f"{what}: the caption stays while the program waits for the host",
                lambda: app.caption() == before, watch_seconds)
    else:
        harness.say(f"  note  too little of the hang was left to watch the caption ({watch_seconds:.1f} s)")
    after = CAPTION_PREFIX + "KORVA 2020 ren"
    s.check_equal(app.wait_caption(after, STALL_MS / 1000 + harness.WAIT_TIMEOUT), after,
                  f"{what}: the caption follows the new title after the hang")
    if s.eventually(f"{what}: the reported window receives F8 down and up",
                    lambda: rival_mark.keys(VK_F8) == ["down", "up"]):
        s.holds(f"{what}: only one press of F8", lambda: rival_mark.keys(VK_F8) == ["down", "up"], 0.4)
    host.send("stall", "off")
    check_refs_return(s, host, what)


def scenario(s: harness.Session) -> None:
    host_killed_during_a_tap(s)
    host_killed_during_register(s)
    host_hangs_during_a_tap(s)


if __name__ == "__main__":
    harness.main(scenario)
