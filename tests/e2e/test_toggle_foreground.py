#!/usr/bin/env python3
"""Ticking or unticking a toggle hands the foreground back to the host."""

import harness
from harness import APP_CLASS, LAMP_GREEN

HOST_TITLE = "KORVA 2020 (x64)"
TOGGLES = ["Shift", "Ctrl", "IME", "OFF"]


def app_in_front(s: harness.Session) -> None:
    s.probe("front", APP_CLASS)
    harness.poll("the main window to be in front", lambda: (s.foreground() or {}).get("class") == APP_CLASS)


def scenario(s: harness.Session) -> None:
    host = s.start_host()
    app = s.start_app()
    app.wait_window()

    s.step("no host window: the companion keeps the foreground")
    app_in_front(s)
    app.click("Shift")
    harness.poll("Shift to be unticked", lambda: app.control("Shift")["checked"] == 0)
    s.holds("the main window stays in front", lambda: (s.foreground() or {}).get("class") == APP_CLASS, 1.0)

    s.step("with the host window: each toggle, both ways, brings the host to the front")
    main = host.window("main", HOST_TITLE)
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, "the host is found")
    for toggle in TOGGLES:
        s.step(toggle)
        for _ in range(2):
            before = app.control(toggle)["checked"]
            app_in_front(s)
            app.click(toggle)
            action = "unticking" if before else "ticking"
            s.eventually(f"{action} {toggle!r} brings the host to the front",
                         lambda: (s.foreground() or {}).get("hwnd") == main["hwnd"])
            s.check_equal(app.control(toggle)["checked"], 1 - before, f"state of {toggle!r} after {action} it")


if __name__ == "__main__":
    harness.main(scenario)
