#!/usr/bin/env python3
"""Start-up that fails while the windows are built: one error box, no window left behind, exit
code 0 and the settings file untouched, whatever was thrown."""

import time

import harness
from faults_support import start_failing_app
from harness import APP_CLASS
from settings_support import profile_bytes

LIST_CLASS = "TInputListForm"

# step asked to fail, how it fails, the error box's text
CASES = [
    ("font", "error", "Test failure in step font."),
    ("controls", "bad_alloc", "Out of memory."),
    ("menu", "unknown", "Unexpected error."),
    ("theme", "exception", "Test failure in step theme."),
    ("list-window", "error", "Test failure in step list-window."),
]
KEPT_SETTINGS = profile_bytes("[KORVA]\nLeft=10\nTop=20\nVersion=2024\n")


def visible_program_windows(s: harness.Session, pid: int) -> list[str]:
    """Classes of the visible top-level windows of the program's process besides its error box
    (the thread's hidden input-method window is the system's own)."""
    return [w["class"] for w in s.probe("windows") if w["pid"] == pid and w["visible"] and w["class"] != "#32770"]


def scenario(s: harness.Session) -> None:
    for index, (step, kind, text) in enumerate(CASES):
        s.step(f"{step} fails with {kind}")
        folder = s.new_folder(f"fail-{step}")
        # Every other case starts with a settings file of its own, which must stay as it is.
        settings = KEPT_SETTINGS if index % 2 else None
        app = start_failing_app(s, folder, f"{step}:{kind}", settings)
        box = harness.poll(f"the error box of the failed {step}", lambda: s.probe("msgbox"), harness.START_TIMEOUT)
        s.check_equal(box["text"], text, f"{step}: error box text")
        s.check_equal(box["title"], "Zo24_raz", f"{step}: error box title")
        frame = s.probe("find", "#32770")
        s.require(frame is not None, f"{step}: the box is a top-level #32770 window")
        left, top, right, bottom = frame["rect"]
        shot = folder.parent / f"{folder.name}-box.png"
        reds = s.red_pixels([left, top, min(right, left + 90), bottom], shot)
        s.check(box["icon"] and reds >= 40, f"{step}: the box shows the stop icon (red)",
                f"icon shown: {box['icon']}, {reds} red pixels, screenshot {shot}")
        s.check_equal([b["id"] for b in box["buttons"]], [1], f"{step}: the box's buttons (OK only)")
        s.check_equal(s.probe("find", APP_CLASS), None, f"{step}: no main window while the box shows")
        s.check_equal(s.probe("find", LIST_CLASS), None, f"{step}: no candidate list window while the box shows")
        s.check_equal(visible_program_windows(s, frame["pid"]), [], f"{step}: no other window of the program on the screen")
        s.check(app.running(), f"{step}: the program waits for the box")
        s.probe("msgbox-ok")
        later = []
        deadline = time.monotonic() + 3
        while app.running() and time.monotonic() < deadline:
            seen = s.probe("msgbox")
            if seen and seen["hwnd"] != box["hwnd"]:
                later.append(seen["text"])
                s.probe("msgbox-ok")
            time.sleep(0.1)
        s.check_equal(later, [], f"{step}: boxes after OK")
        s.check_equal(app.wait_exit(harness.START_TIMEOUT), 0, f"{step}: exit code")
        if settings is None:
            s.check(not app.settings_file.exists(), f"{step}: no settings file was written")
        else:
            s.check_equal(app.settings_file.read_bytes(), settings, f"{step}: the settings file is unchanged")


if __name__ == "__main__":
    harness.main(scenario)
