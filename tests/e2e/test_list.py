#!/usr/bin/env python3
"""LIST shows the host's open drawings in the candidate list, with the active one selected; the
user's first choice ends the list and activates that drawing in the host."""

import time

import harness
from commands_support import (BUTTON4_ID, HOST_TITLE, NO_AUTO_CLOSE, VK_BACK, VK_DOWN, VK_ESCAPE, VK_RETURN,
                              VK_SHIFT, LogMark, app_window, centred_on_screen, check_refs_return, click_control,
                              foreground_hwnd, letter, list_rows, list_window, message_box, press, xdotool)
from harness import LAMP_GREEN

# Drawings b, A and c in the host's order; the index (from 0) makes b the active one.
DOCS = ("docs", "0", "b", "A", "c")

# how the list is left, the keys pressed (none: the host is brought to the front), what the host
# should activate
OUTCOMES = [
    ("Enter", [VK_RETURN], ["b"]),
    ("Down arrow", [VK_DOWN], ["c"]),
    ("Escape", [VK_ESCAPE], []),
    ("switch to the host", None, []),
]

# Typing in the list, over the rows A, b, c: the keys typed at once, then (after a pause of more
# than the 500 ms that keep a search text) the keys typed next, and what the host should activate.
# A wrong acceptance on the way shows as another drawing activated, or as the list still open.
TYPED = [
    ("x and a begin no row, then c after a pause", [letter("x"), letter("a")], [letter("c")], ["c"]),
    ("x begins no row, then Backspace", [letter("x"), VK_BACK], None, ["A"]),
    ("a lower-case a for the row A", [letter("a")], None, ["A"]),
    ("a capital C for the row c", [f"{VK_SHIFT}:down", letter("c"), f"{VK_SHIFT}:up"], None, ["c"]),
]
PAUSE_SECONDS = 1.5  # well over the 500 ms, also when the program takes its keys late
LIST_CLIENT = (296, 295)


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


def check_activated(s: harness.Session, mark: LogMark, what: str, activated: list[str]) -> None:
    """The host activates what was chosen, and nothing more. The list hides before the program
    asks the host to activate the drawing, so the host's answer may come a moment later."""
    expected = [[a] for a in activated]
    s.eventually(f"{what}: the host activates {activated}", lambda: mark.events("activated") == expected)
    s.holds(f"{what}: nothing else is activated", lambda: mark.events("activated") == expected, 0.5)


def visible(s: harness.Session) -> bool:
    return bool((list_window(s) or {}).get("visible"))


def typed_search(s: harness.Session, host: harness.Host) -> None:
    for what, first, after_pause, activated in TYPED:
        s.step(f"typing in the list: {what}")
        host.send(*DOCS)
        mark = LogMark(host)
        if not open_list(s, what):
            continue
        press(s, *first)
        if after_pause:
            s.holds(f"{what}: the list stays open", lambda: visible(s), PAUSE_SECONDS)
            press(s, *after_pause)
        s.eventually(f"{what}: the candidate list is hidden", lambda: not visible(s))
        check_activated(s, mark, what, activated)


def drag(s: harness.Session, start: tuple[int, int], end: tuple[int, int]) -> None:
    """A user's drag with the left button, in small steps, as the sizing loop expects motion."""
    xdotool(s, "mousemove", str(start[0]), str(start[1]))
    xdotool(s, "mousedown", "1")
    steps = 5
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i // steps
        y = start[1] + (end[1] - start[1]) * i // steps
        xdotool(s, "mousemove", str(x), str(y))
        time.sleep(0.05)
    xdotool(s, "mouseup", "1")
    # Away from every window, so that no hover tracking follows the pointer.
    xdotool(s, "mousemove", "1010", "10")


def place_and_size(s: harness.Session, host: harness.Host) -> None:
    s.step("the list window: centred at first, then where and as large as the user left it")
    host.send(*DOCS)
    if not open_list(s, "first LIST"):
        return
    first = list_window(s)
    s.check_equal(tuple(first["client"]), LIST_CLIENT, "first LIST: client size")
    s.check(centred_on_screen(first["rect"]), "first LIST: the list window is centred on the screen",
            f"rect {first['rect']}")
    # The window has no title bar: the user moves its top-left corner by its sizing frame, which
    # moves and enlarges it at once.
    left, top = first["rect"][0], first["rect"][1]
    drag(s, (left + 1, top + 1), (left - 60, top - 40))
    moved = s.eventually("the list window is moved and resized by the user",
                         lambda: (lambda w: w if w and w["rect"] != first["rect"] else None)(list_window(s)))
    if not moved:
        return
    s.check(visible(s), "resizing does not close the list")
    rows = list_rows(s)
    listbox = next((c for c in s.probe("children", "TInputListForm") if c["class"].lower() == "listbox"), None)
    s.check(listbox is not None and listbox["rect"] == [0, 0, *moved["client"]],
            "the list fills the resized client area", f"list {listbox and listbox['rect']}, client {moved['client']}")
    s.check(rows is not None and rows["selected"] == 1, "resizing selects no other row", f"saw {rows}")
    press(s, VK_ESCAPE)
    s.eventually("the resized list is hidden", lambda: not visible(s))
    host.send(*DOCS)
    if open_list(s, "next LIST"):
        s.check_equal(list_window(s)["rect"], moved["rect"], "next LIST: the list window's place and size")
        press(s, VK_ESCAPE)
        s.eventually("next LIST: the list is hidden", lambda: not visible(s))


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

    place_and_size(s, host)
    typed_search(s, host)

    for what, keys, activated in OUTCOMES:
        s.step(f"LIST left by {what}")
        # Each run starts from drawing b being active, whatever the last run activated.
        host.send(*DOCS)
        mark = LogMark(host)
        if not open_list(s, what):
            continue
        if keys:
            press(s, *keys)
        else:
            host.send("front", "main")
        check_after(s, main["hwnd"], what)
        check_activated(s, mark, what, activated)
        check_refs_return(s, host, what)

    s.step("the host ends while the list is open")
    host.send(*DOCS)
    if open_list(s, "host killed"):
        host.proc.kill()
        host.proc.wait()
        # The list now holds rows of a host that is gone; accepting one makes the command call it.
        press(s, VK_RETURN)
        s.eventually("host killed: the candidate list is hidden", lambda: not (list_window(s) or {}).get("visible"))
        s.eventually("host killed: the main window is topmost again", lambda: (app_window(s) or {}).get("topmost"))
        s.check(message_box(s) is None, "host killed: no message shows")
        s.holds("host killed: the program goes on running", app.running, 1.0)


if __name__ == "__main__":
    harness.main(scenario)
