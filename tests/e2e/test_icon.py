#!/usr/bin/env python3
"""The main window carries the program's icon: Wine draws the window class's small icon at the
left of the title bar, so the green lamp of the icon shows there."""

import subprocess

import harness
from settings_support import close_app, shown_window, start_app_in


def green_pixels(shot, rect) -> int:
    left, top, right, bottom = rect
    result = subprocess.run(
        ["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "-depth", "8", "txt:-"],
        capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise harness.Fatal(f"reading pixels failed: {result.stderr.strip()}")
    count = 0
    for line in result.stdout.splitlines():
        if line.startswith("#") or "#" not in line:
            continue
        colour = line.split("#")[-1].split()[0]
        r, g, b = (int(colour[i:i + 2], 16) for i in (0, 2, 4))
        if g >= 160 and r <= 140 and b <= 180:
            count += 1
    return count


def scenario(s: harness.Session) -> None:
    folder = s.new_folder("app")
    app = start_app_in(s, folder)
    win = shown_window(s, app)
    # No host: the lamp in the client area is grey, so green above the client area is the icon's.
    s.require(app.wait_lamp(harness.LAMP_GREY) == harness.LAMP_GREY, "the lamp is grey (no host)")
    left, top, _, _ = win["rect"]
    caption_bottom = win["client_origin"][1]
    shot = s.screenshot(folder / "caption.png")
    icon_area = [left, top, left + 28, caption_bottom]
    greens = green_pixels(shot, icon_area)
    s.check(greens >= 20, "the title bar shows the green lamp of the program's icon",
            f"{greens} green pixels in {icon_area}, screenshot {shot}")
    caption_rest = [left + 40, top, left + 150, caption_bottom]
    s.check_equal(green_pixels(shot, caption_rest), 0, "green pixels elsewhere in the title bar")
    s.check_equal(close_app(s, app), 0, "exit code")


if __name__ == "__main__":
    harness.main(scenario)
