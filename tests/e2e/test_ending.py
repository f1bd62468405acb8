#!/usr/bin/env python3
"""The program's end besides the close button: closed while minimised it stores where the window
would be restored, and at log-off it agrees to end and ends with all eight keys written."""

import harness
from harness import APP_CLASS
from settings_support import close_app, parse_profile, profile_bytes, shown_window, start_app_in


def closed_while_minimised(s: harness.Session) -> None:
    s.step("closed while minimised")
    app = start_app_in(s, s.new_folder("minimised"), profile_bytes("[KORVA]\nLeft=130\nTop=210\n"))
    win = shown_window(s, app)
    s.check_equal(win["rect"][:2], [130, 210], "the window opens at the stored place")
    s.probe("minimize", APP_CLASS)
    minimised = s.eventually("the window is minimised", lambda: (app.window() or {}).get("iconic"))
    if minimised:
        s.check(app.window()["rect"][:2] != [130, 210], "a minimised window stands elsewhere",
                f"rect {app.window()['rect']}")
    s.check_equal(close_app(s, app), 0, "exit code")
    stored = dict(parse_profile(app.settings_file.read_bytes())[0][1])
    s.check_equal((stored.get("Left"), stored.get("Top")), ("130", "210"),
                  "the stored position is the one the window is restored to")


def log_off(s: harness.Session) -> None:
    s.step("log-off")
    app = start_app_in(s, s.new_folder("log-off"),
                       profile_bytes("[KORVA]\nLeft=40\nTop=50\nVersion=2024\nShift=0\n"))
    shown_window(s, app)
    s.check_equal(s.probe("endsession", APP_CLASS), True, "the program agrees to end the session")
    s.check_equal(app.wait_exit(harness.START_TIMEOUT), 0, "exit code after the session ended")
    sections = parse_profile(app.settings_file.read_bytes())
    s.check_equal([name for name, _ in sections], ["KORVA"], "sections after the log-off")
    # Keys already in the file keep their lines; the others are added after them.
    written = {"Left": "40", "Top": "50", "AppFullName": "", "Version": "2024", "Shift": "0", "Ctrl": "1",
               "IME": "1", "OFF": "1"}
    s.check_equal(dict(sections[0][1]) if sections else None, written, "the eight keys after the log-off")


def scenario(s: harness.Session) -> None:
    closed_while_minimised(s)
    log_off(s)


if __name__ == "__main__":
    harness.main(scenario)
