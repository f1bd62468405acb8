#!/usr/bin/env python3
"""Shows ZO24_RAZ.exe at work: starts the test host with a drawing open and the program beside it,
takes a screenshot once the program has found the host, and keeps both running until the program is
closed (or exits right after the screenshot with --screenshot-only).

Uses the screen in $DISPLAY when there is one, otherwise a private Xvfb server."""

import argparse
import os
import signal
import subprocess
import sys
import time
from pathlib import Path

import harness
from harness import CAPTION_PREFIX, HOST_CLASS, LAMP_GREEN

HOST_TITLE = "KORVA 2020 - [Drawing1.dwg]"
DRAWINGS = ["Drawing1.dwg", "Drawing2.dwg", "Site plan.dwg"]
CROP_MARGIN = 24


def parse_args() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__)
    for name in ("app", "host", "probe", "progids", "prefix", "work"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--screenshot-only", action="store_true", help="exit after the screenshot")
    parser.add_argument("--crop", help="also save the main window with a margin around it to this file")
    return parser.parse_args()


def crop_main_window(shot: Path, window: dict, out: Path) -> None:
    left, top, right, bottom = window["rect"]
    x, y = max(left - CROP_MARGIN, 0), max(top - CROP_MARGIN, 0)
    size = f"{right - left + 2 * CROP_MARGIN}x{bottom - top + 2 * CROP_MARGIN}+{x}+{y}"
    out.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["convert", str(shot), "-crop", size, "+repage", str(out)], check=True, timeout=30)


def show(s: harness.Session, args: argparse.Namespace) -> int:
    host = s.start_host("host")
    host.window("main", HOST_TITLE, HOST_CLASS)
    host.send("automation", "20")
    host.send("docs", "0", *DRAWINGS)
    app = s.start_app("ZO24_RAZ")
    window = app.wait_window()
    expected = CAPTION_PREFIX + HOST_TITLE[:14]
    if app.wait_caption(expected) != expected or app.wait_lamp(LAMP_GREEN) != LAMP_GREEN:
        harness.say("run: the program did not show the host in its caption and lamp; the screenshot shows why")
    window = app.window() or window
    shot = s.screenshot(s.run_dir / "screenshot.png")
    harness.say(f"run: screenshot saved to {shot}")
    if args.crop:
        crop_main_window(shot, window, Path(args.crop))
        harness.say(f"run: main window saved to {args.crop}")
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
