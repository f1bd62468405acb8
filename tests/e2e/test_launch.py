#!/usr/bin/env python3
"""Starting the registered executable at start-up: only when no host window is found and the
registered path names an existing file."""

import harness
from harness import APP_CLASS
from settings_support import LaunchTarget, close_app, profile_bytes, shown_window, start_app_in

QUIET_SECONDS = 2.0  # twenty ticks, and far longer than a started copy needs to log "ready"

# label, what AppFullName names, title of a host window present at start-up (None: no host window),
# whether the registered executable is started
CASES = [
    ("an existing executable, no host", "exe", None, True),
    ("an existing executable, host running under another version", "exe", "KORVA 2024 - [a.drw]", True),
    ("an existing executable, host window found", "exe", "KORVA 2020 - [a.drw]", False),
    ("a folder", "folder", None, False),
    ("a missing file", "missing", None, False),
    ("an empty path", "empty", None, False),
]


def visible_windows(s: harness.Session) -> dict[int, dict]:
    return {w["hwnd"]: w for w in s.probe("windows") if w["visible"]}


def scenario(s: harness.Session) -> None:
    host = s.start_host()
    for number, (label, names, host_title, started) in enumerate(CASES):
        s.step(f"registered path: {label}")
        target = LaunchTarget(s, s.new_folder("target"))
        path = {"exe": target.windows_path, "folder": harness.windows_path(target.folder),
                "missing": harness.windows_path(target.folder / "missing.exe"), "empty": ""}[names]
        if host_title:
            host.window(f"main{number}", host_title)
        before = visible_windows(s)
        app = start_app_in(s, s.new_folder("app"), profile_bytes(f"[KORVA]\nAppFullName={path}\n"))
        shown_window(s, app)
        if started:
            s.eventually("the registered executable was started", lambda: target.starts() >= 1,
                         harness.START_TIMEOUT)
            s.holds("it was started once", lambda: target.starts() == 1, QUIET_SECONDS)
        else:
            s.holds("the registered executable was not started", lambda: target.starts() == 0, QUIET_SECONDS)

            def new_windows():
                return [(w["class"], w["title"]) for hwnd, w in visible_windows(s).items()
                        if hwnd not in before and w["class"] != APP_CLASS]
            s.check_equal(new_windows(), [], "windows that appeared besides the main window (nothing opened, "
                                             "nothing reported)")
        s.check_equal(close_app(s, app), 0, "exit code")
        target.stop()
        if host_title:
            host.send("close", f"main{number}")


if __name__ == "__main__":
    harness.main(scenario)
