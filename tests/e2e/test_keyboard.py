#!/usr/bin/env python3
"""The main window from the keyboard: the first activation focuses the hidden Register button, Tab
walks all nine controls in tab order and Shift+Tab walks back, and Enter on Register registers."""

import harness
from commands_support import (HOST_TITLE, NO_AUTO_CLOSE, VK_RETURN, VK_SHIFT, VK_TAB, centred_on_screen,
                              close_message_box, foreground_hwnd, message_box_frame, press, wait_message_box)
from harness import APP_CLASS, LAMP_GREEN

# Control ids in tab order (creation order from 101) with the text each shows.
TAB_ORDER = [
    (101, " 登録"),   # Button1, below the visible client area
    (102, "ACT"),     # Button2
    (103, "2020"),    # Edit2
    (104, "Shift"),   # CheckBox1
    (105, "Ctrl"),    # CheckBox2
    (106, "IME"),     # CheckBox3
    (107, "OFF"),     # CheckBox4
    (108, "LIST"),    # Button4
    (109, "MOUSE"),   # CheckBox5, below the visible client area
]


def focused(s: harness.Session) -> tuple[int, str] | None:
    info = s.probe("focus")
    if not info or not info["focus"] or (info["active"] or {}).get("class") != APP_CLASS:
        return None
    return info["focus"]["id"], info["focus"]["text"]


def walk(s: harness.Session, steps: list[tuple[int, str]], backwards: bool) -> None:
    direction = "Shift+Tab" if backwards else "Tab"
    for expected in steps:
        if backwards:
            press(s, f"{VK_SHIFT}:down", VK_TAB, f"{VK_SHIFT}:up")
        else:
            press(s, VK_TAB)
        s.check_equal(harness.wait_for_value(lambda: focused(s), expected, harness.WAIT_TIMEOUT), expected,
                      f"{direction} moves the focus to")


def toggle_states(app: harness.App) -> dict[str, int]:
    return {c["text"]: c["checked"] for c in app.controls() if c["checked"] is not None}


def scenario(s: harness.Session) -> None:
    host = s.start_host()
    host.send("automation", "20")
    main = host.window("main", HOST_TITLE)
    app = s.start_app(settings=NO_AUTO_CLOSE)
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, "the host window is found")

    s.step("the first activation")
    if not s.eventually("the main window is in front", lambda: (s.foreground() or {}).get("class") == APP_CLASS):
        raise harness.Fatal("the main window never came to the front")
    s.check_equal(harness.wait_for_value(lambda: focused(s), TAB_ORDER[0], harness.WAIT_TIMEOUT), TAB_ORDER[0],
                  "the focus after the first activation")

    s.step("Tab round the nine controls and back")
    before = toggle_states(app)
    walk(s, TAB_ORDER[1:] + TAB_ORDER[:1], backwards=False)
    # From Button1 back: CheckBox5 first, then down the order to Button1 again.
    walk(s, list(reversed(TAB_ORDER[1:])) + TAB_ORDER[:1], backwards=True)
    s.check_equal(toggle_states(app), before, "the toggles after walking the focus")

    s.step("Enter on Register")
    host.send("fullname", r"C:\KORVA\korva.exe")
    press(s, VK_RETURN)
    box = wait_message_box(s, "Enter on Register: a message shows")
    if box:
        s.check_equal(box["text"], "C:\\KORVA\\korva.exe\nを登録しました．", "Enter on Register: message text")
        frame = message_box_frame(s)
        s.check(frame is not None and centred_on_screen(frame), "the message box is centred on the screen",
                f"frame {frame}")
        close_message_box(s)
        s.eventually("after OK the host window comes to the front", lambda: foreground_hwnd(s) == main["hwnd"])


if __name__ == "__main__":
    harness.main(scenario)
