#!/usr/bin/env python3
"""The application title comes from the executable's name in any script: a copy renamed with
Greek, Cyrillic or full-width capitals shows them lowered after the first character in the title
of its message boxes."""

import shutil

import harness
from settings_support import close_app

# file name of the copy, title of its boxes
CASES = [
    ("ΖΩΝΗ_ΑΒ.exe", "Ζωνη_αβ"),
    ("ПРОГРАММА.v2.exe", "Программа"),
    ("ＺＯ２４ＲＡＺ.exe", "Ｚｏ２４ｒａｚ"),
]


def scenario(s: harness.Session) -> None:
    for name, title in CASES:
        s.step(f"a copy named {name}")
        folder = s.new_folder("renamed")
        shutil.copy2(s.args.app, folder / name)
        app = harness.App(s, s.start_program("renamed", folder / name, [], folder), folder)
        s.programs.append(app)
        app.wait_window()
        # Nothing is registered and no host runs: ACT shows its message in an information box.
        app.click("ACT")
        box = s.eventually(f"{name}: ACT shows its message", lambda: s.probe("msgbox"))
        if box:
            s.check_equal(box["title"], title, f"{name}: box title")
            s.probe("msgbox-ok")
            harness.poll("the box to close", lambda: s.probe("msgbox") is None)
        s.check_equal(close_app(s, app), 0, f"{name}: exit code")


if __name__ == "__main__":
    harness.main(scenario)
