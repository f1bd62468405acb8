#!/usr/bin/env python3
"""The program outlives a host that dies under it or whose window keeps coming and going, and
still ends normally and writes its settings afterwards."""

import time

import harness
from harness import CAPTION_PREFIX, LAMP_GREEN, LAMP_GREY
from settings_support import close_app, section, shown_window, start_app_in, toggle_states, version_box

HOST_TITLE = "KORVA 2020 - [Drawing1.drw]"
HOST_CAPTION = CAPTION_PREFIX + "KORVA 2020 - ["
QUIET_SECONDS = 1.5  # fifteen ticks
FLAP_PERIOD = 0.5
FLAP_SECONDS = 30.0


def start_watching_host(s: harness.Session, host: harness.Host, label: str) -> harness.App:
    """Starts the program beside a visible host with its automation server, and unticks OFF so that
    the host's end does not end the program."""
    host.window("main", HOST_TITLE)
    host.send("automation", "20")
    app = start_app_in(s, s.new_folder(label))
    shown_window(s, app)
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, "the host is found first")
    app.click("OFF")
    s.require(bool(harness.poll("OFF to be unticked", lambda: toggle_states(app)["OFF"] == 0)), "OFF is unticked")
    return app


def answers(app: harness.App) -> bool:
    """The main window's controls give their texts and states, which needs its message loop."""
    return version_box(app) == "2020" and None not in toggle_states(app).values()


def kill(host: harness.Host) -> None:
    host.proc.kill()
    host.wait_exit()


def survives_without_host(s: harness.Session, app: harness.App, when: str) -> None:
    s.check_equal(app.wait_lamp(LAMP_GREY), LAMP_GREY, f"lamp colour after the host was killed {when}")
    s.check_equal(app.wait_caption(CAPTION_PREFIX), CAPTION_PREFIX, f"caption after the host was killed {when}")
    s.holds(f"the program goes on after the host was killed {when}", app.running, QUIET_SECONDS)
    # Register against a host that is gone: nothing to register, nothing to report.
    app.click(" 登録")
    s.holds("register with the host gone shows no box", lambda: s.probe("msgbox") is None, QUIET_SECONDS)
    s.check_equal(close_app(s, app), 0, "exit code")
    own = dict(section(app.settings_file.read_bytes()) if app.settings_file.exists() else [])
    s.check_equal((own.get("OFF"), own.get("Version")), ("0", "2020"), "OFF and Version written at the exit")


def host_killed_while_idle(s: harness.Session) -> None:
    s.step("the host is killed while the program watches it")
    host = s.start_host("host-idle")
    app = start_watching_host(s, host, "killed-idle")
    kill(host)
    survives_without_host(s, app, "while idle")


def host_killed_during_a_call(s: harness.Session) -> None:
    s.step("the host is killed while the program waits in a call to it")
    host = s.start_host("host-hanging")
    app = start_watching_host(s, host, "killed-in-call")
    host.send("fullname", "Z:\\nowhere\\vexo.exe")
    # The host answers "hang" only once it pumps again, so the command is not waited for; it
    # reads its commands every 20 ms.
    with open(host.commands, "a", encoding="utf-8", newline="") as f:
        f.write("hang\t20000\n")
    time.sleep(0.5)
    # Register asks the host, which pumps no messages now, for its FullName. Nothing outside
    # shows the call under way, so give it a moment to get there before the host dies.
    app.click(" 登録")
    time.sleep(1.0)
    kill(host)
    # Where the call was decides whether the failure is dropped (attached already) or reported
    # (still in the availability test); either way the program must come back.
    deadline = time.monotonic() + harness.WAIT_TIMEOUT
    reported = []
    while time.monotonic() < deadline:
        box = s.probe("msgbox")
        if box:
            reported.append(box["text"])
            s.probe("msgbox-ok")
        elif answers(app) and app.caption() == CAPTION_PREFIX:
            break
        time.sleep(0.1)
    s.check(answers(app) and app.caption() == CAPTION_PREFIX,
            "the program answers again after the call failed", f"boxes seen: {reported}")
    s.check(len(reported) <= 1, "at most one error box for the failed call", f"boxes seen: {reported}")
    if reported:
        harness.say(f"  note  the failed call was reported: {reported[0]!r}")
    survives_without_host(s, app, "during a call")


def flapping_host_window(s: harness.Session) -> None:
    s.step(f"the host window appears and disappears every {FLAP_PERIOD} s for {FLAP_SECONDS:.0f} s")
    host = s.start_host("host-flapping")
    app = start_watching_host(s, host, "flapping")
    host.send("close", "main")
    shown = False
    flips = 0
    crashed_at = None
    started = time.monotonic()
    next_flip = started
    while time.monotonic() - started < FLAP_SECONDS:
        if shown:
            host.send("close", "main")
        else:
            host.send("window", "main", harness.HOST_CLASS, HOST_TITLE)
        shown = not shown
        flips += 1
        if not app.running():
            crashed_at = time.monotonic() - started
            break
        next_flip += FLAP_PERIOD
        time.sleep(max(0.0, next_flip - time.monotonic()))
    s.require(crashed_at is None, f"the program ran through {flips} changes of the host window",
              f"it ended after {crashed_at:.1f} s with exit code {app.proc.returncode}" if crashed_at else "")

    # Still responding: its controls answer, and the lamp and caption follow the host again.
    s.check(answers(app), "the controls answer after the flapping", f"controls: {app.controls()}")
    if not shown:
        host.send("window", "main", harness.HOST_CLASS, HOST_TITLE)
    s.check_equal(app.wait_lamp(LAMP_GREEN), LAMP_GREEN, "lamp with the host window back")
    s.check_equal(app.wait_caption(HOST_CAPTION), HOST_CAPTION, "caption with the host window back")
    host.send("close", "main")
    s.check_equal(app.wait_lamp(LAMP_GREY), LAMP_GREY, "lamp with the host window gone")
    s.check_equal(close_app(s, app), 0, "exit code")
    own = dict(section(app.settings_file.read_bytes()) if app.settings_file.exists() else [])
    s.check_equal(own.get("OFF"), "0", "OFF written at the exit")


def scenario(s: harness.Session) -> None:
    host_killed_while_idle(s)
    host_killed_during_a_call(s)
    flapping_host_window(s)


if __name__ == "__main__":
    harness.main(scenario)
