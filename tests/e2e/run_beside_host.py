#!/usr/bin/env python3
"""Shows ZO24_RAZ.exe at work: starts the test host with three drawings open and the program beside
it, takes a screenshot once the program has found the host, and keeps both running until the
program is closed (or exits right after the screenshot with --screenshot-only).

The host's window says what the host does: click its box to make it busy, click into it and tap
Shift, and the F8 that the program sends shows among the keys it received. On a private Xvfb
server (no $DISPLAY) the script plays that tap itself before the screenshot.

Uses the screen in $DISPLAY when there is one, otherwise a private Xvfb server."""

import argparse
import os
import signal
import subprocess
import sys
import time
from pathlib import Path

import harness
from commands_support import VK_F8, LogMark, bring_host_to_front, tap
from harness import CAPTION_PREFIX, HOST_CLASS, LAMP_GREEN

HOST_TITLE = "KORVA 2020 - [Drawing1.drw]"
DRAWINGS = ["Drawing1.drw", "Drawing2.drw", "Site plan.drw"]
CROP_MARGIN = 24
# The program beside the host's window, not over it.
APP_SETTINGS = "[KORVA]\nLeft=410\nTop=40\n"


def parse_args() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__)
    for name in ("app", "host", "probe", "progids", "prefix", "work"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--screenshot-only", action="store_true", help="exit after the screenshot")
    parser.add_argument("--crop", help="also save the main window with a margin around it to this file")
    return parser.parse_args()


def crop_windows(shot: Path, windows: list[dict], out: Path) -> None:
    left, top = min(w["rect"][0] for w in windows), min(w["rect"][1] for w in windows)
    right, bottom = max(w["rect"][2] for w in windows), max(w["rect"][3] for w in windows)
    x, y = max(left - CROP_MARGIN, 0), max(top - CROP_MARGIN, 0)
    size = f"{right - left + 2 * CROP_MARGIN}x{bottom - top + 2 * CROP_MARGIN}+{x}+{y}"
    out.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["convert", str(shot), "-crop", size, "+repage", str(out)], check=True, timeout=30)


def play_busy_tap(s: harness.Session, host: harness.Host, host_window: dict) -> None:
    """What a newcomer tries by hand: the host busy with a command, a Shift tap in it, F8 back."""
    host.send("busy", "1")
    bring_host_to_front(s, host, "main", host_window["hwnd"])
    mark = LogMark(host)
    tap(s, "shift")
    try:
        harness.poll("F8 to reach the host", lambda: mark.keys(VK_F8) == ["down", "up"])
    except harness.Fatal:
        harness.say("run: the Shift tap did not come back as F8; the screenshot shows what the host saw")


def show(s: harness.Session, args: argparse.Namespace) -> int:
    host = s.start_host("host")
    host_window = host.window("main", HOST_TITLE, HOST_CLASS)
    host.send("automation", "20")
    host.send("docs", "0", *DRAWINGS)
    app = s.start_app("ZO24_RAZ", settings=APP_SETTINGS)
    window = app.wait_window()
    expected = CAPTION_PREFIX + HOST_TITLE[:14]
    if app.wait_caption(expected) != expected or app.wait_lamp(LAMP_GREEN) != LAMP_GREEN:
        harness.say("run: the program did not show the host in its caption and lamp; the screenshot shows why")
    if s.x is not None:
        play_busy_tap(s, host, host_window)
    window = app.window() or window
    host_window = s.probe("find", HOST_CLASS, HOST_TITLE) or host_window
    shot = s.screenshot(s.run_dir / "screenshot.png")
    harness.say(f"run: screenshot saved to {shot}")
    if args.crop:
        crop_windows(shot, [window, host_window], Path(args.crop))
        harness.say(f"run: the host's window and the main window saved to {args.crop}")
    if args.screenshot_only:
        return 0
    harness.say("run: ZO24_RAZ.exe runs beside the test host; close its window (or press Ctrl+C) to end")
    while app.running():
        time.sleep(0.5)
    return app.proc.returncode or 0


def main() -> None:
    args = parse_args()
    session = harness.Session(args, "run")
    session.run_dir = Path(args.work)
    session.keep_files = True

    def on_signal(signum, _frame):
        raise harness.Fatal(f"stopped by signal {signum}")
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    code = 1
    try:
        session.open(display=os.environ.get("DISPLAY") or None)
        code = show(session, args)
    except harness.Fatal as e:
        harness.say(f"run: {e}")
    finally:
        session.close()
    sys.exit(code)


if __name__ == "__main__":
    main()
