#!/usr/bin/env python3
"""A registered path that is a symbolic link is judged by its target, at start-up and by ACT: a
link to an executable starts it, a dangling link or a link to a folder gives the not-registered
message. Wine follows Unix links itself, so these are Unix symbolic links in the run folder."""

import os
from pathlib import Path

import harness
from harness import APP_CLASS
from settings_support import LaunchTarget, close_app, profile_bytes, shown_window, start_app_in

QUIET_SECONDS = 2.0
NOT_REGISTERED = ("KORVA 2020 が登録されていません、\n"
                  "KORVA 2020 が起動中に[登録]ボタンをクリックして下さい．")


def link_windows_path(link: Path) -> str:
    """The link's own Windows path (resolving it would give its target's)."""
    return "Z:" + str(link.parent.resolve() / link.name).replace("/", "\\")


def starts_from(folder: Path) -> int:
    """How often a copy of the test host started through a link in `folder` has started: it logs
    in the folder of the path it was started by, the link's."""
    log = folder / "log.txt"
    return log.read_text(encoding="utf-8").split("\n").count("ready") if log.exists() else 0


def make_link(folder: Path, kind: str, target: LaunchTarget) -> Path:
    (folder / "commands.txt").touch()
    link = folder / "linked korva.exe"
    if kind == "file":
        os.symlink(target.exe, link)
    elif kind == "chain":
        os.symlink(target.exe, folder / "first link.exe")
        os.symlink(folder / "first link.exe", link)
    elif kind == "folder":
        os.symlink(target.folder, link)
    elif kind == "dangling":
        os.symlink(folder / "gone.exe", link)
    return link


# label, what the link leads to, whether it counts as an existing file
CASES = [
    ("a link to an executable", "file", True),
    ("a link to a link to an executable", "chain", True),
    ("a dangling link", "dangling", False),
    ("a link to a folder", "folder", False),
]


def scenario(s: harness.Session) -> None:
    for label, kind, exists in CASES:
        s.step(f"registered path: {label}")
        target = LaunchTarget(s, s.new_folder("target"))
        links = s.new_folder("links")
        link = make_link(links, kind, target)
        app = start_app_in(s, s.new_folder("app"), profile_bytes(f"[KORVA]\nAppFullName={link_windows_path(link)}\n"))
        shown_window(s, app)

        def starts() -> int:
            return starts_from(links) + target.starts()
        if exists:
            s.eventually(f"{label}: start-up started the target", lambda: starts() == 1, harness.START_TIMEOUT)
            app.click("ACT")
            s.eventually(f"{label}: ACT started it again", lambda: starts() == 2, harness.START_TIMEOUT)
            s.check_equal(s.probe("msgbox"), None, f"{label}: no message")
        else:
            s.holds(f"{label}: start-up started nothing", lambda: starts() == 0, QUIET_SECONDS)
            app.click("ACT")
            box = s.eventually(f"{label}: ACT shows a message", lambda: s.probe("msgbox"))
            if box:
                s.check_equal(box["text"], NOT_REGISTERED, f"{label}: the not-registered message")
                s.probe("msgbox-ok")
                harness.poll("the message to close", lambda: s.probe("msgbox") is None)
            s.check_equal(starts(), 0, f"{label}: nothing was started")
        s.check_equal(close_app(s, app), 0, f"{label}: exit code")
        if starts_from(links):
            with open(links / "commands.txt", "a", encoding="utf-8", newline="") as f:
                f.write("exit\n")
    s.check(s.probe("find", APP_CLASS) is None, "no main window is left")


if __name__ == "__main__":
    harness.main(scenario)
