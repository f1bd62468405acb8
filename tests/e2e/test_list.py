#!/usr/bin/env python3
"""LIST shows the host's open drawings in the candidate list, with the active one selected; the
user's first choice ends the list and activates that drawing in the host."""

import harness
from commands_support import (BUTTON4_ID, HOST_TITLE, NO_AUTO_CLOSE, LogMark, app_window, check_refs_return,
                              click_control, foreground_hwnd, list_rows, list_window, message_box, xdotool)
from harness import LAMP_GREEN

# Drawings b, A and c in the host's order; the index (from 0) makes b the active one.
DOCS = ("docs", "0", "b", "A", "c")

# how the list is left, what the host should activate
OUTCOMES = [
    ("Enter", None, ["b"]),
    ("Down arrow", "Down", ["c"]),
    ("Escape", "Escape", []),
    ("switch to the host", None, []),
]


def open_list(s: harness.Session, what: str) -> bool:
    click_control(s, BUTTON4_ID)
    shown = s.eventually(f"{what}: the candidate list shows",
                         lambda: (list_window(s) or {}).get("visible") and (list_window(s) or {}).get("foreground"))
    if not shown:
        return False
    listed = list_rows(s)
    s.check(listed is not None and listed["rows"] == ["A", "b", "c"], f"{what}: the rows read A, b, c",
            f"saw {listed}")
    s.check(listed is not None and listed["selected"] == 1, f"{what}: the active drawing's row is selected",
            f"saw {listed}")
    s.check(not (app_window(s) or {}).get("topmost"), f"{what}: the main window leaves the topmost band",
            f"saw {app_window(s)}")
    return True


def check_after(s: harness.Session, main_hwnd: int, what: str) -> None:
    s.eventually(f"{what}: the candidate list is hidden", lambda: not (list_window(s) or {}).get("visible"))
    s.eventually(f"{what}: the main window is topmost again", lambda: (app_window(s) or {}).get("topmost"))
    s.eventually(f"{what}: the host window is in front", lambda: foreground_hwnd(s) == main_hwnd)
    s.check(message_box(s) is None, f"{what}: no message shows")


def scenario(s: harness.Session) -> None:
    host = s.start_host()
    host.send("automation", "20")
    host.send(*DOCS)
    main = host.window("main", HOST_TITLE)
    app = s.start_app(settings=NO_AUTO_CLOSE)
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, "the host window is found")
    s.require(list_window(s) is not None and not list_window(s)["visible"],
              "the candidate list window exists, hidden, from start-up")

    for what, key, activated in OUTCOMES:
        s.step(f"LIST left by {what}")
        # Each run starts from drawing b being active, whatever the last run activated.
        host.send(*DOCS)
        mark = LogMark(host)
        if not open_list(s, what):
            continue
        if key == "Down":
            xdotool(s, "key", "Down")
        elif key == "Escape":
            xdotool(s, "key", "Escape")
        elif what == "Enter":
            xdotool(s, "key", "Return")
        else:
            host.send("front", "main")
        check_after(s, main["hwnd"], what)
        # Activation happens before the host is brought forward; a short hold catches a late one.
        s.holds(f"{what}: the host activates {activated}", lambda: mark.events("activated") == [[a] for a in activated],
                0.5)
        check_refs_return(s, host, what)

    s.step("the host ends while the list is open")
    host.send(*DOCS)
    if open_list(s, "host killed"):
        host.proc.kill()
        host.proc.wait()
        # The list now holds rows of a host that is gone; accepting one makes the command call it.
        xdotool(s, "key", "Return")
        s.eventually("host killed: the candidate list is hidden", lambda: not (list_window(s) or {}).get("visible"))
        s.eventually("host killed: the main window is topmost again", lambda: (app_window(s) or {}).get("topmost"))
        s.check(message_box(s) is None, "host killed: no message shows")
        s.holds("host killed: the program goes on running", app.running, 1.0)


if __name__ == "__main__":
    harness.main(scenario)
