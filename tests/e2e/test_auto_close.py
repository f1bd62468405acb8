#!/usr/bin/env python3
"""Closing the program when the host goes away, and only when the user asked for it."""

import harness
from harness import CAPTION_PREFIX, LAMP_GREEN, LAMP_GREY

HOST_TITLE = "KORVA 2020 - [Drawing1.drw]"
QUIET_SECONDS = 1.5  # fifteen ticks


def host_was_never_seen(s: harness.Session) -> None:
    s.step("no host since start, OFF ticked")
    app = s.start_app("never-seen")
    app.wait_window()
    s.check_equal(app.control("OFF")["checked"], 1, "OFF is ticked")
    s.holds("the program stays open while no host was ever seen", app.running, QUIET_SECONDS)
    app.stop()


def host_goes_away_with_off_ticked(s: harness.Session, host: harness.Host) -> None:
    s.step("host seen, then closed, OFF ticked")
    host.window("main", HOST_TITLE)
    app = s.start_app("off-ticked")
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, "the host is found first")
    host.send("close", "main")
    s.check_equal(app.wait_exit(), 0, "exit code after the host went away")


def host_goes_away_with_off_unticked(s: harness.Session, host: harness.Host) -> None:
    s.step("host seen, OFF unticked, host closed, then OFF ticked again")
    host.window("main", HOST_TITLE)
    app = s.start_app("off-unticked")
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, "the host is found first")
    app.click("OFF")
    s.eventually("OFF is unticked", lambda: app.control("OFF")["checked"] == 0)
    host.send("close", "main")
    s.check_equal(app.wait_lamp(LAMP_GREY), LAMP_GREY, "lamp colour after the host went away")
    s.check_equal(app.wait_caption(CAPTION_PREFIX), CAPTION_PREFIX, "caption after the host went away")
    s.holds("the program stays open with OFF unticked", app.running, QUIET_SECONDS)
    app.click("OFF")
    s.check_equal(app.wait_exit(), 0, "exit code once OFF is ticked with the host still away")


def scenario(s: harness.Session) -> None:
    host_was_never_seen(s)
    host = s.start_host()
    host_goes_away_with_off_ticked(s, host)
    host_goes_away_with_off_unticked(s, host)


if __name__ == "__main__":
    harness.main(scenario)
