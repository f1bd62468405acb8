#!/usr/bin/env python3
"""The settings file beside the executable: defaults on a first start, a prepared file applied and
written back, a file that cannot be written, and a Japanese registered path across a restart."""

import shutil
import time

import harness
from harness import APP_CLASS, CAPTION_PREFIX
from settings_support import (BOM, KEYS, SCREEN_HEIGHT, SCREEN_WIDTH, SETTINGS_NAME, LaunchTarget, centred,
                              close_app, immutable, parse_profile, profile_bytes, section,
                              shown_window, start_app_in, toggle_states, version_box)

ALL_TICKED = {"Shift": 1, "Ctrl": 1, "IME": 1, "OFF": 1}
HOST_2024 = "KORVA 2024 - [Plan.drw]"


def outer_size(win: dict) -> tuple[int, int]:
    left, top, right, bottom = win["rect"]
    return right - left, bottom - top


def first_start_without_file(s: harness.Session) -> None:
    s.step("first start with no settings file")
    app = s.start_app("no-file")
    win = shown_window(s, app)
    width, height = outer_size(win)
    expected = (centred(SCREEN_WIDTH, width), centred(SCREEN_HEIGHT, height))
    s.check_equal(tuple(win["rect"][:2]), expected, "outer top-left corner, centred on the 1024x768 screen")
    s.check_equal(version_box(app), "2020", "version box")
    s.check_equal(toggle_states(app), ALL_TICKED, "toggles")
    s.check(not app.settings_file.exists(), "nothing is written while the program runs")

    s.check_equal(close_app(s, app), 0, "exit code after WM_CLOSE")
    s.require(app.settings_file.exists(), "the settings file exists after the exit")
    data = app.settings_file.read_bytes()
    s.check(data.startswith(BOM), "a new settings file starts with the UTF-16LE byte-order mark",
            f"first bytes {data[:4]!r}")
    written = [(str(expected[0])), (str(expected[1])), "", "2020", "1", "1", "1", "1"]
    s.check_equal(parse_profile(data), [("KORVA", list(zip(KEYS, written)))],
                  "the file's sections and keys in order")


# The file a user kept, with sections and keys the program does not know about around its own.
PREPARED = """[Layout]
Left=7
Colour=blue
[KORVA]
Left={left}
Top={top}
Version=2024
Shift=0
Extra=keep me
[Tail]
Note=last section
"""

# Left text, Top text, left and top expected (None: the centred default for that axis)
POSITIONS = [
    ("-50", "$20", -50, 32),
    ("0x20", "abc", 32, None),
]


def prepared_file_is_applied(s: harness.Session, host: harness.Host) -> None:
    host.window("h2024", HOST_2024)
    # Something else in front, so that a hand-over of the foreground to the host is logged.
    host.window("other", "Other window", "OtherAppClass")
    for left_text, top_text, left, top in POSITIONS:
        s.step(f"prepared file with Left={left_text}, Top={top_text}, Version=2024, Shift=0")
        host.send("front", "other")
        handed_over = len([e for e in host.events("foreground") if e == ["h2024"]])
        folder = s.new_folder("prepared")
        app = start_app_in(s, folder, profile_bytes(PREPARED.format(left=left_text, top=top_text)))
        win = shown_window(s, app)
        width, height = outer_size(win)
        expected = (left if left is not None else centred(SCREEN_WIDTH, width),
                    top if top is not None else centred(SCREEN_HEIGHT, height))
        s.check_equal(tuple(win["rect"][:2]), expected, "outer top-left corner")
        s.check_equal(version_box(app), "2024", "version box")
        s.check_equal(toggle_states(app), dict(ALL_TICKED, Shift=0), "toggles")
        s.check(len([e for e in host.events("foreground") if e == ["h2024"]]) > handed_over,
                "unticking Shift at start-up handed the foreground to the 2024 host window",
                f"foreground events: {host.events('foreground')}")
        s.check_equal(app.wait_caption(CAPTION_PREFIX + "KORVA 2024 - ["), CAPTION_PREFIX + "KORVA 2024 - [",
                      "caption follows the host window of the stored version")

        # A change during the run reaches the file at the exit.
        app.click("Ctrl")
        s.eventually("Ctrl is unticked", lambda: toggle_states(app)["Ctrl"] == 0)
        s.check_equal(close_app(s, app), 0, "exit code")
        data = app.settings_file.read_bytes()
        sections = parse_profile(data)
        s.check_equal([name for name, _ in sections], ["Layout", "KORVA", "Tail"], "sections after the exit")
        s.check_equal(section(data, "Layout"), [("Left", "7"), ("Colour", "blue")], "the other section before")
        s.check_equal(section(data, "Tail"), [("Note", "last section")], "the other section after")
        own = dict(section(data) or [])
        s.check_equal(own.get("Extra"), "keep me", "a foreign key inside [KORVA]")
        s.check_equal({key: own.get(key) for key in KEYS},
                      {"Left": str(expected[0]), "Top": str(expected[1]), "AppFullName": "", "Version": "2024",
                       "Shift": "0", "Ctrl": "0", "IME": "1", "OFF": "1"},
                      "the eight keys written at the exit")


# Values that fail the integer rule give the default; any integer other than 0 means ticked.
ODD_VALUES = """[KORVA]
Left=abc
Top=
Version=
Shift=False
Ctrl=-1
IME=off
OFF=2
"""


def odd_values(s: harness.Session) -> None:
    s.step("unusable numbers, truthy integers and an empty version")
    app = start_app_in(s, s.new_folder("odd-values"), profile_bytes(ODD_VALUES))
    win = shown_window(s, app)
    width, height = outer_size(win)
    s.check_equal(tuple(win["rect"][:2]), (centred(SCREEN_WIDTH, width), centred(SCREEN_HEIGHT, height)),
                  "outer top-left corner falls back to the centre")
    s.check_equal(toggle_states(app), ALL_TICKED, "toggles")
    s.check_equal(version_box(app), "", "version box of a Version key with an empty value")
    s.check_equal(app.wait_caption(CAPTION_PREFIX), CAPTION_PREFIX, "caption (no host can match)")
    s.check_equal(close_app(s, app), 0, "exit code")
    own = section(app.settings_file.read_bytes()) or []
    # Keys already in the file keep their places; the profile functions append a missing one.
    s.check_equal([key for key, _ in own], ["Left", "Top", "Version", "Shift", "Ctrl", "IME", "OFF", "AppFullName"],
                  "keys after the exit")
    s.check_equal(dict(own).get("Version"), "", "an empty version is written back as an empty value")


def unwritable(s: harness.Session) -> None:
    # what is made immutable, whether a settings file exists beforehand
    cases = [("the settings file", True), ("the folder, no settings file yet", False)]
    for what, with_file in cases:
        s.step(f"settings path that cannot be written: {what}")
        folder = s.new_folder("unwritable")
        shutil.copy2(s.args.app, folder / "ZO24_RAZ.exe")
        settings = folder / SETTINGS_NAME
        before = profile_bytes("[KORVA]\nVersion=2020\n")
        if with_file:
            settings.write_bytes(before)
        with immutable(settings if with_file else folder):
            # The program's output goes elsewhere: a locked folder takes no new file.
            app = start_app_in(s, folder, output=s.new_folder("unwritable-output"))
            app.wait_window()
            s.probe("close", APP_CLASS)
            box = harness.poll("the error box at exit", lambda: s.probe("msgbox"), harness.START_TIMEOUT)
            s.check_equal(box["title"], "Zo24_raz", "error box title")
            s.check_equal(box["text"], harness.windows_path(settings) + " に書き込めません.", "error box text")
            s.check_equal([b["id"] for b in box["buttons"]], [1], "the box's buttons (OK only)")
            left, top, right, bottom = box_rect(s)
            shot = folder.parent / f"{folder.name}-box.png"
            reds = s.red_pixels([left, top, min(right, left + 90), bottom], shot)
            # Which icon it is shows only on the screen: the stop sign is the red one.
            s.check(box["icon"] and reds >= 40, "the box shows the stop icon (red)",
                    f"icon shown: {box['icon']}, {reds} red pixels, screenshot {shot}")
            s.check(app.running(), "the program waits for the box")
            s.probe("msgbox-ok")
            later_boxes = []
            deadline = time.monotonic() + harness.START_TIMEOUT
            while app.running() and time.monotonic() < deadline:
                seen = s.probe("msgbox")
                if seen and seen["hwnd"] != box["hwnd"]:
                    later_boxes.append(seen["text"])
                    s.probe("msgbox-ok")
            s.check_equal(later_boxes, [], "boxes shown after OK")
            s.check_equal(app.wait_exit(), 0, "exit code after OK")
            if with_file:
                s.check_equal(settings.read_bytes(), before, "the settings file is unchanged")
            else:
                s.check(not settings.exists(), "no settings file appeared")


def box_rect(s: harness.Session) -> list[int]:
    frame = s.probe("find", "#32770")
    s.require(frame is not None, "the box is a top-level #32770 window")
    return frame["rect"]


def japanese_path_survives_restart(s: harness.Session, host: harness.Host) -> None:
    s.step("a Japanese registered path, registered through the host and read back after a restart")
    target = LaunchTarget(s, s.new_folder("jp-target") / "図面ツール 第2版", "KORVA 図面.exe")
    host.send("automation", "20")
    host.send("fullname", target.windows_path)
    folder = s.new_folder("jp")
    app = start_app_in(s, folder)
    app.wait_window()
    app.click(" 登録")
    box = harness.poll("the registered message", lambda: s.probe("msgbox"))
    s.check_equal(box["text"], target.windows_path + "\nを登録しました．", "registered message")
    left, top, right, bottom = box_rect(s)
    reds = s.red_pixels([left, top, min(right, left + 90), bottom], folder / "registered-box.png")
    s.check(not box["icon"] and reds < 40, "the information box shows no icon",
            f"icon shown: {box['icon']}, {reds} red pixels")
    s.probe("msgbox-ok")
    s.check_equal(close_app(s, app), 0, "exit code of the first run")
    data = app.settings_file.read_bytes()
    s.check(data.startswith(BOM), "the file the program created is UTF-16", f"first bytes {data[:4]!r}")
    s.check_equal(dict(section(data) or []).get("AppFullName"), target.windows_path,
                  "AppFullName after the first run")
    host.send("automation", "off")

    s.step("restart: no host window, so the registered path is launched")
    app = start_app_in(s, folder)
    app.wait_window()
    s.eventually("the program started the executable at the Japanese path", lambda: target.starts() == 1)
    s.check_equal(close_app(s, app), 0, "exit code of the restart")
    s.check_equal(dict(section(app.settings_file.read_bytes()) or []).get("AppFullName"), target.windows_path,
                  "AppFullName after the restart")
    target.stop()


def scenario(s: harness.Session) -> None:
    first_start_without_file(s)
    odd_values(s)
    unwritable(s)
    host = s.start_host()
    prepared_file_is_applied(s, host)
    japanese_path_survives_restart(s, host)


if __name__ == "__main__":
    harness.main(scenario)
