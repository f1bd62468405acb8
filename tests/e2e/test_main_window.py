#!/usr/bin/env python3
"""The main window as a user first sees it, and the one-copy rule."""

import harness
from harness import APP_CLASS, CAPTION_PREFIX, LAMP_GREY

WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00020000, 0x00010000

# text shown, window class, rect in client pixels (left, top, right, bottom), check state (None: not a toggle)
CONTROLS = [
    ("ACT", "Button", (14, 1, 51, 26), None),
    ("LIST", "Button", (57, 1, 98, 26), None),
    ("2020", "Edit", (137, 2, 181, 24), None),
    ("IME", "Button", (2, 28, 43, 45), 1),
    ("Shift", "Button", (47, 28, 91, 45), 1),
    ("Ctrl", "Button", (97, 28, 137, 45), 1),
    ("OFF", "Button", (141, 28, 181, 45), 1),
    (" 登録", "Button", (12, 71, 51, 96), None),
    ("MOUSE", "Button", (12, 103, 70, 120), 0),
]


def scenario(s: harness.Session) -> None:
    s.step("first start, no settings file, no host")
    watch = s.watch_app_window()
    app = s.start_app()
    win = app.wait_window()

    s.check_equal(win["class"], APP_CLASS, "window class")
    s.check(win["topmost"], "the window is topmost", f"exstyle {win['exstyle']:#x}")
    s.check_equal(tuple(win["client"]), (188, 49), "client size")
    style = win["style"]
    s.check(style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU,
            "title bar with the system menu", f"style {style:#x}")
    s.check(not style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            "not resizable, no minimise or maximise button", f"style {style:#x}")

    def titles(changes):
        return [c["window"]["title"] for c in changes if c["window"]]
    captions = titles(watch.changes_until(lambda changes: CAPTION_PREFIX in titles(changes)))
    s.check(bool(captions) and captions[0] == "\u25a0 DI_RED 1.63",
            "the window is created with the caption '■ DI_RED 1.63'", f"captions seen: {captions}")
    s.check(CAPTION_PREFIX in captions, "the first tick replaces it with the bare prefix", f"captions seen: {captions}")
    s.check_equal(app.wait_caption(CAPTION_PREFIX), CAPTION_PREFIX, "caption without a host")
    s.check_equal(app.wait_lamp(LAMP_GREY), LAMP_GREY, "lamp colour without a host")

    controls = {c["text"]: c for c in app.controls()}
    for text, cls, rect, checked in CONTROLS:
        control = controls.get(text)
        if not s.check(control is not None, f"control {text!r} exists", f"controls: {sorted(controls)}"):
            continue
        s.check(control["class"].lower() == cls.lower() and tuple(control["rect"]) == rect,
                f"control {text!r} is a {cls} at {rect}", f"saw {control['class']} at {tuple(control['rect'])}")
        if checked is not None:
            s.check_equal(control["checked"], checked, f"check state of {text!r}")

    s.step("a second copy while the first runs")
    second = s.start_app("second-copy")
    s.check_equal(second.wait_exit(harness.START_TIMEOUT), 0, "exit code of the second copy")
    windows = [w for w in s.probe("windows") if w["class"] == APP_CLASS]
    s.check_equal(len(windows), 1, "number of main windows")
    s.check(bool(windows) and windows[0]["hwnd"] == win["hwnd"], "the first copy's window is the one left")
    s.check(not second.settings_file.exists(), "the second copy wrote no settings file")
    s.require(app.running(), "the first copy still runs")


if __name__ == "__main__":
    harness.main(scenario)
