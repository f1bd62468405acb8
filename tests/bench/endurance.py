#!/usr/bin/env python3
"""A working day beside the host, compressed into a given number of minutes (scripts/endurance).

ZO24_RAZ.exe runs under Wine beside test_host.exe, with auto-close off, while the run plays what a
day brings: the host's window retitled several times a second (caption and lamp change), the host
window closed and opened again, the host busy and idle, Shift and Ctrl taps (with F8/F9 sent, none
sent, or sent late because the host refused calls for a moment), LIST left by Enter, Down+Enter,
Escape and a click on the host, Register, and the version box changed and back.

Meanwhile `bench_helper.exe day` watches from another Windows process: every caption of the main
window, every title of the host's window, every message box, and every --sample-seconds the
program's private bytes, working set, handle count and GDI/USER objects. The run itself samples
/proc for the resident size and private memory of the program's process and of the Wine server.

At the end it checks exactness (every tap sent exactly once, every LIST activated what was chosen,
no error box, the caption always one the host's title asked for and never stale, the settings
written at close with all eight keys), prints the table and one closing line with the slopes, draws
the plot and writes its section of docs/performance.md. Exit code 1 when a check failed.
"""

from __future__ import annotations

import argparse
import datetime
import json
import os
import random
import shlex
import signal
import statistics
import struct
import subprocess
import sys
import threading
import time
import zlib
from bisect import bisect_right
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
sys.path.insert(0, str(Path(__file__).resolve().parent))
import bench  # noqa: E402
import harness  # noqa: E402
import heap_census  # noqa: E402
import bare_client  # noqa: E402
from commands_support import (BUTTON4_ID, LIST_CLASS, VK_DOWN, VK_ESCAPE, VK_F8, VK_F9,  # noqa: E402
                              VK_RETURN, LogMark, foreground_hwnd, host_holdings, host_holds_only_wines_connection,
                              list_rows, message_box, press, xdotool)
from harness import APP_CLASS, CAPTION_PREFIX, HOST_CLASS, LAMP_GREEN, LAMP_GREY, Fatal, poll, say  # noqa: E402
from settings_support import KEYS, section  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
EDIT2_ID = 103
APP_LEFT, APP_TOP = 820, 0
# Auto-close off, so that the program stays while the host's window is gone; all assists on.
DAY_SETTINGS = f"[KORVA]\nLeft={APP_LEFT}\nTop={APP_TOP}\nVersion=2020\nShift=1\nCtrl=1\nIME=1\nOFF=0\n"
FULL_NAME = r"C:\Program Files\KORVA\korva.exe"
REGISTERED_TEXT = FULL_NAME + "\nを登録しました．"
STEADY_TITLE = "KORVA 2020 (x64) - [Drawing1.drw]"
MENU_CLASS = "#32768"
# A point of the main window's client area that no control covers (between LIST and the version
# box): a right-click there opens the popup menu.
MENU_POINT = (115, 12)
DOCS = ("docs", "0", "b", "A", "c")  # rows A, b, c; b is active
# A tap held for five of the program's 100 ms samples. On a loaded machine a tick can come 300 ms
# late (caption follow delays up to 344 ms were seen with both cores busy), and a tap shorter than
# the gap between two ticks is rightly not seen at all.
HOLD_SECONDS = 0.5
REFUSAL_MS = 600  # after the release; the program tries a refused call again for up to 1 s
# The caption must show what the host's title asks for within this long (a tick during a refused
# call waits up to 1 s for the host).
CAPTION_LAG_MS = 2000.0
WATCH_SLACK_MS = 50.0
# The still moment that ends every round: host idle and in front on one title, nothing open, the
# pointer parked. Memory is compared at this moment only; anywhere else a sample lands on a thread
# pool's worker stacks, a list or a box that come and go, and the figures swing by whole MiB.
# Wine's thread pool lets an idle worker go after 5 s.
QUIET_SECONDS = 6.0
TEB_KIND = "Wine's thread environment blocks"
REFUSED_BY_NAME = "IDispatch.GetIDsOfNames"
SECTION_BEGIN, SECTION_END = bench.ENDURANCE_BEGIN, bench.ENDURANCE_END

# (what, key, busy, refused ms, the key the host should receive)
TAPS = (("Shift, host busy", "shift", True, 0, VK_F8),
        ("Ctrl, host busy", "ctrl", True, 0, VK_F9),
        ("Shift, host idle", "shift", False, 0, None),
        ("Ctrl, host idle", "ctrl", False, 0, None),
        ("Shift, host busy and refusing", "shift", True, REFUSAL_MS, VK_F8),
        ("Ctrl, host busy and refusing", "ctrl", True, REFUSAL_MS, VK_F9))
# (how the list is left, what the host should activate)
LIST_WAYS = (("Enter", ["b"]), ("Down and Enter", ["c"]), ("Escape", []), ("a click on the host", []))


def now() -> float:
    """Seconds on the clock Wine's QueryPerformanceCounter reads (CLOCK_MONOTONIC_RAW), so that the
    watch's times and the run's agree over a long run: CLOCK_MONOTONIC is slewed by NTP, by up to
    0.5 ms a second."""
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)


def host_title(index: int) -> str:
    """The host's title for its index-th retitling: mostly a host title whose caption differs
    from the last one, now and then one with the parenthesis the caption drops, and every ninth
    one not a host's at all (the lamp goes grey for it)."""
    if index % 9 == 8:
        return "Untitled - Viewer"
    if index % 9 == 4:
        return "KORVA 2020 (x64) - [Drawing1.drw]"
    return f"KORVA 2020 {index % 1000:03d} - [Drawing{index % 7 + 1}.drw]"


def expected_caption(title: str | None, version: str) -> str:
    """The caption the program shows for the host's title, or for no host window."""
    if title is None or not title or not (title.startswith("KORVA") or title.startswith("Dravelin")):
        return CAPTION_PREFIX
    if not version or title.find(version) < 1:
        return CAPTION_PREFIX
    head = title[:14].replace("(", "", 1)
    return CAPTION_PREFIX + head.strip("".join(chr(c) for c in range(33)))


class Retitler(threading.Thread):
    """Retitles the host's window every 0.2 to 0.4 s, without waiting for the host's answers."""

    def __init__(self, host: harness.Host, seed: int):
        super().__init__(daemon=True)
        self.host = host
        self.rng = random.Random(seed)
        self.stop_event = threading.Event()
        self.held = threading.Event()
        self.count = 0
        self.enabled = True
        self.written: list[tuple[float, str]] = []  # (monotonic ms just before the write, title)

    def run(self) -> None:
        commands = self.host.commands
        fd = os.open(commands, os.O_WRONLY | os.O_APPEND)
        try:
            while not self.stop_event.wait(self.rng.uniform(0.2, 0.4)):
                if self.held.is_set() or not self.enabled:
                    continue
                if self.host.commands != commands:
                    # The host was restarted: the new one reads a command file of its own.
                    os.close(fd)
                    commands = self.host.commands
                    fd = os.open(commands, os.O_WRONLY | os.O_APPEND)
                # One write of one line on an append-only descriptor: never mixed with the
                # commands the activities write meanwhile.
                title = host_title(self.count)
                self.written.append((now() * 1000, title))
                os.write(fd, f"title\tmain\t{title}\n".encode("utf-8"))
                self.count += 1
        finally:
            os.close(fd)


def rollup_kib(pid: int) -> dict[str, int]:
    """Resident and private memory of a process. Clean private pages (mapped files read but not
    written) come and go as the kernel reclaims them under load; dirty private pages and swap are
    what the process wrote itself, where a leak shows."""
    fields = {}
    for line in Path(f"/proc/{pid}/smaps_rollup").read_text().splitlines():
        name, _, rest = line.partition(":")
        if rest.strip().endswith("kB"):
            fields[name] = int(rest.split()[0])
    return {"rss": fields.get("Rss", 0), "private": fields.get("Private_Clean", 0) + fields.get("Private_Dirty", 0),
            "dirty": fields.get("Private_Dirty", 0) + fields.get("Swap", 0)}


def anonymous_kind(mem, start: int, end: int) -> str | None:
    """What an anonymous mapping of a Wine process holds, where it can be told: a Windows heap (its
    segment signature 0xffeeffee at 0x10), or Wine's thread environment blocks (a block of 64 KiB
    whose NT_TIB.Self at 0x30 is its own address; Wine keeps a block for every thread that ever
    lived at the same time as the others, and clears it when it gives it to the next thread)."""
    try:
        mem.seek(start + 0x10)
        if struct.unpack("<I", mem.read(4))[0] == 0xFFEEFFEE:
            return f"a Windows heap at {start:#010x}"
        for block in range((start + 0xFFFF) & ~0xFFFF, end, 0x10000):
            mem.seek(block + 0x30)
            if struct.unpack("<Q", mem.read(8))[0] == block:
                return TEB_KIND
    except (OSError, struct.error):
        return None
    return None


def memory_by_kind_kib(pid: int) -> dict[str, int]:
    """The process's private memory written (Private_Dirty + Swap) by what holds it: each Windows
    heap (by its first address, which stays as it grows), Wine's thread environment blocks, the
    Unix side's malloc ([heap]), mapped files, and the other anonymous memory (thread stacks
    first of all, which come and go with their threads)."""
    out: dict[str, int] = {}
    kind = None
    with open(f"/proc/{pid}/mem", "rb") as mem:
        for line in Path(f"/proc/{pid}/smaps").read_text().splitlines():
            fields = line.split()
            if fields and "-" in fields[0] and not fields[0].endswith(":"):
                start, end = (int(x, 16) for x in fields[0].split("-"))
                if len(fields) > 5:
                    kind = fields[5] if fields[5].startswith("[") else "mapped files"
                else:
                    kind = (anonymous_kind(mem, start, end) if fields[1].startswith("rw") else None) or \
                        "other anonymous memory (thread stacks and the rest)"
            elif kind and fields and fields[0] in ("Private_Dirty:", "Swap:"):
                out[kind] = out.get(kind, 0) + int(fields[1])
    return out


class Sampler(threading.Thread):
    """What Linux knows of the program's process and of the Wine server, every few seconds."""

    def __init__(self, app_pid: int, server_pid: int, seconds: float, clock: float):
        super().__init__(daemon=True)
        self.pids = {"app": app_pid, "server": server_pid}
        self.seconds = seconds
        self.clock = clock
        self.samples: list[dict] = []
        self.stop_event = threading.Event()

    def read(self) -> dict:
        row = {"t": (now() - self.clock)}
        for name, pid in self.pids.items():
            row.update({f"{name}_{k}": v for k, v in rollup_kib(pid).items()})
        return row

    def take(self) -> None:
        self.samples.append(self.read())

    def run(self) -> None:
        while True:
            try:
                self.take()
            except (FileNotFoundError, ProcessLookupError):
                return
            if self.stop_event.wait(self.seconds):
                return


# Queries that only look: asked again once when probe.exe gave no answer at all (seen about once in a
# few thousand runs of it under load: exit code 0, nothing on either output; probe.exe now ends with
# exit code 3 when it cannot write its answer). Counted and reported.
READ_ONLY_QUERIES = {"find", "foreground", "msgbox", "listbox", "children", "windows"}


class Day:
    def __init__(self, s: harness.Session, options: argparse.Namespace):
        self.s = s
        self.silent_probes: list[str] = []
        plain_probe = s.probe

        def probe(*args: str):
            try:
                return plain_probe(*args)
            except Fatal as e:
                silent = "printed nothing" in str(e) or "failed (3)" in str(e)
                if args[0] not in READ_ONLY_QUERIES or not silent:
                    raise
                self.silent_probes.append(" ".join(args))
                return plain_probe(*args)
        s.probe = probe
        self.o = options
        self.rng = random.Random(16)
        self.host: harness.Host | None = None
        self.app: harness.App | None = None
        self.busy = False
        self.totals: dict[str, int] = {}
        self.expected_keys = {VK_F8: 0, VK_F9: 0}
        self.expected_activations: list[str] = []
        self.registers = 0
        # (ms when its probe started, ms when it returned, version box text): the box changed in between.
        self.version_events: list[tuple[float, float, str]] = []
        self.lamp_checks = {"checked": 0, "skipped (a window over the lamp)": 0}
        self.watch_out: Path | None = None
        self.watch: harness.Program | None = None
        self.retitler: Retitler | None = None
        self.sampler: Sampler | None = None
        self.quiet: list[dict] = []  # one a round: /proc and the watch's counters at the still moment
        self.mappings: list[tuple[float, dict[str, int]]] = []  # the program's memory by kind, each still moment
        self.request_file: Path | None = None
        self.server_pid: int | None = None
        self.clock_offset_ms = 0.0  # monotonic ms minus the watch's clock
        self.started = 0.0
        self.events: list[tuple[float, str]] = []  # (monotonic ms, what began)
        # What Wine keeps of an attach and of a refused call in any client (bare_client.py), and how
        # many of the host's refusals came before the day (the bare client's).
        self.refusal: dict = {}
        self.refusals_before_day = 0
        # What the hosts the day restarted left: their logs, and the refusals in them.
        self.past_host_lines: list[str] = []
        self.past_refused: dict[str, int] = {}
        self.app_windows_pid = 0
        self.censuses: list[Path] = []  # of the program's heaps: at each still moment and at the end

    def count(self, what: str) -> None:
        self.totals[what] = self.totals.get(what, 0) + 1

    def note(self, what: str) -> None:
        self.events.append((now() * 1000, what))

    # -- the desktop ------------------------------------------------------------------------

    def host_window(self) -> dict | None:
        return self.s.probe("find", HOST_CLASS)

    def host_in_front(self) -> int:
        window = poll("the host window", self.host_window)
        if foreground_hwnd(self.s) != window["hwnd"]:
            self.host.send("front", "main")
            poll("the host window in front", lambda: foreground_hwnd(self.s) == window["hwnd"])
        return window["hwnd"]

    def set_busy(self, busy: bool) -> None:
        if busy != self.busy:
            self.host.send("busy", "1" if busy else "0")
            self.busy = busy
            self.count("host switched busy or idle")

    def park_pointer(self) -> None:
        # Away from every window: resting on a button, the pointer makes Wine poll that window.
        xdotool(self.s, "mousemove", "1010", "760")

    def lamp_is(self, colour: str) -> bool | None:
        """Whether the lamp shows the colour; None when another window covers it (a window
        created later can be drawn over a topmost one)."""
        app, host = self.s.probe("find", APP_CLASS), self.host_window()
        if host and app and not (host["rect"][2] <= app["rect"][0] or host["rect"][0] >= app["rect"][2] or
                                 host["rect"][3] <= app["rect"][1] or host["rect"][1] >= app["rect"][3]):
            return None
        return self.lamp(app) == colour

    def lamp(self, app: dict | None = None) -> str | None:
        """The lamp's colour as the X server shows it, read from a screenshot of one pixel.
        (probe client-pixel, Wine's GetPixel on the screen, twice printed nothing at this point
        of a long run, with exit code 0.)"""
        app = app or self.s.probe("find", APP_CLASS)
        if not app:
            return None
        x, y = app["client_origin"][0] + harness.LAMP_POINT[0], app["client_origin"][1] + harness.LAMP_POINT[1]
        shot = subprocess.run(["import", "-display", self.s.display, "-window", "root", "-crop", f"1x1+{x}+{y}",
                               "-depth", "8", "txt:-"], capture_output=True, text=True, timeout=60)
        for line in shot.stdout.splitlines():
            if not line.startswith("#") and "#" in line:
                return "#" + line.split("#")[1].split()[0][:6].lower()
        raise Fatal(f"reading the lamp's pixel failed: {shot.stderr.strip()}")

    def check_lamp(self, colour: str, what: str) -> None:
        # The title is held on a host's while the lamp is read: every ninth title greys it.
        self.retitler.held.set()
        try:
            if self.host_window():
                self.host.send("title", "main", STEADY_TITLE)
            self._check_lamp(colour, what)
        finally:
            self.retitler.held.clear()

    def _check_lamp(self, colour: str, what: str) -> None:
        seen = harness.wait_for_value(lambda: self.lamp_is(colour), True, 5.0)
        if seen is None:
            self.lamp_checks["skipped (a window over the lamp)"] += 1
            return
        self.lamp_checks["checked"] += 1
        self.s.check(seen, f"{what}: the lamp is {colour}", f"saw {self.lamp()}")

    # -- activities ---------------------------------------------------------------------------

    def tap(self, what: str, key: str, busy: bool, refuse_ms: int, sent: int | None) -> None:
        self.set_busy(busy)
        self.host_in_front()
        self.note(f"tap {self.totals.get('taps', 0) + 1} ({what})")
        if refuse_ms:
            # In force before the key goes down and for refuse_ms after it is released: the
            # program makes its calls once it sees the release, and they meet a refusing host.
            self.host.send("refuse", str(int(HOLD_SECONDS * 1000) + refuse_ms))
        mark = LogMark(self.host)
        xdotool(self.s, "keydown", key)
        time.sleep(HOLD_SECONDS)
        xdotool(self.s, "keyup", key)

        def keys() -> dict[int, int]:
            return {vk: mark.keys(vk).count("down") for vk in (VK_F8, VK_F9)}
        wanted = {VK_F8: 0, VK_F9: 0}
        if sent is not None:
            wanted[sent] = 1
            self.expected_keys[sent] += 1
        harness.wait_for_value(keys, wanted, 3.0)
        time.sleep(0.4)  # a second key sent late shows here
        self.s.check_equal(keys(), wanted, f"tap {self.totals.get('taps', 0) + 1} ({what}): keys sent")
        if refuse_ms:
            self.s.check(bool(mark.events("refused")) or sent is None,
                         f"tap {self.totals.get('taps', 0) + 1} ({what}): the host refused a call")
        self.count("taps")
        self.count(f"tap: {what}")

    def list_run(self, way: str, activated: list[str]) -> None:
        self.set_busy(False)
        self.host.send(*DOCS)
        host_hwnd = self.host_in_front()
        mark = LogMark(self.host)
        what = f"LIST {self.totals.get('LIST runs', 0) + 1} (left by {way})"
        self.note(what)
        self.s.probe("click", APP_CLASS, f"id={BUTTON4_ID}")
        shown = harness.wait_for_value(
            lambda: (lambda w: bool(w and w["visible"] and w["foreground"]))(self.s.probe("find", LIST_CLASS)),
            True, 8.0)
        if not self.s.check(shown, f"{what}: the list shows in front"):
            return
        rows = list_rows(self.s)
        self.s.check(rows is not None and rows["rows"] == ["A", "b", "c"] and rows["selected"] == 1,
                     f"{what}: rows A, b, c with b selected", f"saw {rows}")
        if way == "Enter":
            press(self.s, VK_RETURN)
        elif way == "Down and Enter":
            press(self.s, VK_DOWN, VK_RETURN)
        elif way == "Escape":
            press(self.s, VK_ESCAPE)
        else:
            host = self.host_window()
            lst = self.s.probe("find", LIST_CLASS)
            # A point of the host's window that neither the list nor the busy box covers.
            for x, y in ((host["rect"][0] + 300, host["rect"][1] + 250), (host["rect"][0] + 60, host["rect"][1] + 250),
                         (host["rect"][0] + 300, host["rect"][1] + 120)):
                if not (lst["rect"][0] <= x < lst["rect"][2] and lst["rect"][1] <= y < lst["rect"][3]):
                    break
            xdotool(self.s, "mousemove", str(x), str(y))
            xdotool(self.s, "click", "1")
            self.park_pointer()
        hidden = harness.wait_for_value(lambda: not (self.s.probe("find", LIST_CLASS) or {}).get("visible"), True, 8.0)
        self.s.check(hidden, f"{what}: the list is hidden")
        got = harness.wait_for_value(lambda: [a[0] for a in mark.events("activated")], activated, 2.0)
        time.sleep(0.3)
        got = [a[0] for a in mark.events("activated")]
        self.s.check_equal(got, activated, f"{what}: the host activated")
        self.expected_activations += activated
        self.s.check(harness.wait_for_value(lambda: (self.s.probe("find", APP_CLASS) or {}).get("topmost"), True, 3.0),
                     f"{what}: the main window is topmost again")
        if activated:
            self.s.check(harness.wait_for_value(lambda: foreground_hwnd(self.s), host_hwnd, 3.0) == host_hwnd,
                         f"{what}: the host is in front")
        self.count("LIST runs")
        self.count(f"LIST left by {way}")

    def register(self) -> None:
        self.host_in_front()
        what = f"register {self.registers + 1}"
        self.note(what)
        # As a user does: a right-click opens the popup menu, its first item registers.
        app = self.s.probe("find", APP_CLASS)
        xdotool(self.s, "mousemove", str(app["client_origin"][0] + MENU_POINT[0]),
                str(app["client_origin"][1] + MENU_POINT[1]))
        xdotool(self.s, "click", "3")
        menu = harness.wait_for_value(lambda: bool((self.s.probe("find", MENU_CLASS) or {}).get("visible")), True, 5.0)
        self.park_pointer()
        if not self.s.check(menu, f"{what}: the popup menu opens"):
            press(self.s, VK_ESCAPE)
            return
        press(self.s, VK_DOWN, VK_RETURN)
        box = harness.wait_for_value(lambda: message_box(self.s) is not None, True, 8.0)
        if not self.s.check(box, f"{what}: the information box shows"):
            return
        box = message_box(self.s)
        self.s.check_equal(box["text"], REGISTERED_TEXT, f"{what}: its text")
        self.registers += 1
        self.s.probe("msgbox-ok")
        self.s.check(harness.wait_for_value(lambda: message_box(self.s) is None, True, 5.0),
                     f"{what}: OK closes it")
        self.count("Register")

    def set_version(self, text: str) -> None:
        # The box changes somewhere within the probe's run, which takes a few hundred ms.
        started = now() * 1000
        self.s.probe("settext", APP_CLASS, f"id={EDIT2_ID}", text)
        self.version_events.append((started, now() * 1000, text))

    def version_change(self) -> None:
        what = f"version box change {self.totals.get('version box changed and back', 0) + 1}"
        self.note(what)
        self.set_version("2021")
        self.s.check_equal(self.app.wait_caption(CAPTION_PREFIX, 5.0), CAPTION_PREFIX,
                           f"{what}: with 2021 the 2020 host is not found, caption")
        self.check_lamp(LAMP_GREY, f"{what}: with 2021")
        time.sleep(self.rng.uniform(0.5, 1.5))
        self.set_version("2020")
        self.check_lamp(LAMP_GREEN, f"{what}: back to 2020")
        self.count("version box changed and back")

    def host_goes_and_comes(self) -> None:
        what = f"host window gone {self.totals.get('host window closed and opened again', 0) + 1}"
        self.note(what)
        self.host.send("close", "main")
        self.s.check_equal(self.app.wait_caption(CAPTION_PREFIX, 5.0), CAPTION_PREFIX, f"{what}: caption")
        self.check_lamp(LAMP_GREY, what)
        time.sleep(self.rng.uniform(1.0, 3.0))
        self.s.check(self.app.running(), f"{what}: the program still runs (OFF unticked)")
        self.host.send("window", "main", HOST_CLASS, host_title(0))
        poll("the host window back", self.host_window)
        self.host_in_front()
        self.check_lamp(LAMP_GREEN, f"{what}: back")
        self.count("host window closed and opened again")

    def refused_by_kind(self) -> dict[str, int]:
        """The calls the host refused the program so far, by interface and method."""
        refused = dict(self.past_refused)
        for fields in self.host.events("refused")[self.refusals_before_day:]:
            refused[fields[0]] = refused.get(fields[0], 0) + 1
        return refused

    def start_host(self) -> harness.Host:
        """A host as the day has it: its server registered, its drawings open, idle, its window up."""
        host = self.s.start_host()
        host.send("automation", "20")
        host.send("fullname", FULL_NAME)
        host.send(*DOCS)
        host.send("busy", "0")
        self.busy = False
        return host

    def host_restarts(self) -> None:
        """The host ends and starts again: a new process, a new server in the running object table."""
        what = f"host restarted {self.totals.get('host restarted', 0) + 1}"
        self.note(what)
        old = self.host
        self.past_refused = self.refused_by_kind()
        self.refusals_before_day = 0
        old.quit()
        self.s.check(not old.running(), f"{what}: the old host ended")
        self.past_host_lines += old.lines()
        self.s.check_equal(self.app.wait_caption(CAPTION_PREFIX, 5.0), CAPTION_PREFIX, f"{what}: caption")
        self.check_lamp(LAMP_GREY, what)
        self.host = self.retitler.host = self.start_host()
        self.host.send("window", "main", HOST_CLASS, host_title(0))
        poll("the new host's window", self.host_window)
        self.host_in_front()
        self.check_lamp(LAMP_GREEN, f"{what}: the new host found")
        self.count("host restarted")

    def settle(self) -> None:
        """The still moment's state: the host idle and in front on one title, its window up, the
        pointer parked, and long enough for what lives for a moment to have gone."""
        self.set_busy(False)
        if not self.host_window():
            self.host.send("window", "main", HOST_CLASS, host_title(0))
        self.host.send("title", "main", STEADY_TITLE)
        self.host_in_front()
        self.park_pointer()
        time.sleep(QUIET_SECONDS)

    def quiet_moment(self) -> None:
        label = str(len(self.quiet) + 1)
        self.note(f"quiet moment {label}")
        self.retitler.held.set()
        try:
            self.settle()
            # Whole or absent for the watch, which looks for it every 20 ms.
            part = self.request_file.with_suffix(".part")
            part.write_text(label)
            asked = now() * 1000
            part.rename(self.request_file)
            linux = self.sampler.read()
            pid = self.app.proc.pid
            kinds = memory_by_kind_kib(pid)
            self.mappings.append((linux["t"], kinds))

            def answered():
                return next((r for r in self.watch_records() if r.get("quiet") == label), None)
            record = poll(f"the watch's quiet sample {label}", answered, 30, 0.02)
            # Between commands nothing of the host's is held, but for the one connection Wine keeps
            # from the first attach after a refused one: none more, ever.
            ok = harness.wait_for_value(lambda: host_holds_only_wines_connection(self.host), True, 3.0) is True
            detail = "" if ok else "saw {} objects, {} connections".format(*host_holdings(self.host))
            self.s.check(ok, f"still moment {label}: the host holds no objects and at most the one connection "
                         "Wine keeps", detail)
            t = (record["t"] + self.clock_offset_ms) / 1000 - self.started
            # The request went out before the watch answered: asked minus answered bounds the offset
            # between the two clocks from below, as the ready record bounds it from above.
            self.quiet.append(dict(record["sample"], **{k: v for k, v in linux.items() if k != "t"}, t=t,
                                   clock_bound_ms=round(asked - record["t"], 1)))
            # The program's own share of its memory written: the Windows heaps counted by their busy
            # blocks (a census), less the blocks Wine's own code leaves there for good; plus what is
            # written outside the heaps, less the thread environment blocks Wine keeps for the most
            # threads that ever lived at once.
            census = self.take_census(label)
            counted = heap_census.summary(census)
            heaps_kib = sum(v for k, v in kinds.items() if k.startswith("a Windows heap"))
            outside = linux["app_dirty"] - heaps_kib - kinds.get(TEB_KIND, 0)
            self.quiet[-1].update(census=counted,
                                  app_own=outside + (counted["busy_bytes"] - counted["wines_bytes"]) / 1024)
        finally:
            self.retitler.held.clear()

    def take_census(self, label: str) -> Path:
        path = heap_census.take(self.s, Path(self.o.census_exe), Path(self.o.census_dll), self.app_windows_pid, label)
        self.censuses.append(path)
        return path

    def cycle(self) -> None:
        """One round of the day's events, in an order that changes from round to round, and the
        still moment at its end."""
        kinds = {"taps": [lambda t=t: self.tap(*t) for t in TAPS],
                 "list": [lambda w=w: self.list_run(*w) for w in LIST_WAYS],
                 "register": [self.register], "version": [self.version_change], "window": [self.host_goes_and_comes],
                 "restart": [self.host_restarts]}
        steps = [step for kind in self.o.only for step in kinds[kind]]
        if not steps:
            # Only the retitling (or, with --no-retitles, nothing): a round is as long as an average one.
            steps = [lambda: time.sleep(2.5)] * 13
        self.rng.shuffle(steps)
        for step in steps:
            if now() >= self.deadline:
                return
            step()
            self.note("pause")
            time.sleep(self.rng.uniform(0.2, 0.8))
        self.quiet_moment()

    # -- the run ------------------------------------------------------------------------------

    def start_watch(self) -> None:
        folder = self.s.new_folder("watch")
        self.request_file = folder / "quiet.request"
        proc = self.s.start_program("day", Path(self.o.helper),
                                    ["day", APP_CLASS, HOST_CLASS, str(int(self.o.sample_seconds * 1000)),
                                     harness.windows_path(self.request_file)], folder)
        self.watch = harness.Program("bench_helper day", proc, folder)
        self.s.programs.append(self.watch)
        self.watch_out = folder / "day.out"

        def ready():
            for record in self.watch_records():
                if "ready" in record:
                    return record
            if not self.watch.running():
                raise Fatal(f"bench_helper day ended: {self.watch_out.read_text(errors='replace')}")
            return None
        record = poll("bench_helper day to be ready", ready, 60, 0.005)
        self.app_windows_pid = int(record["ready"])
        self.clock_offset_ms = now() * 1000 - record["t"]

    def watch_records(self) -> list[dict]:
        text = self.watch_out.read_text(encoding="utf-8", errors="replace") if self.watch_out.exists() else ""
        return [json.loads(line) for line in text.split("\n")[:-1] if line.strip()]

    def run(self) -> dict:
        s = self.s
        self.host = self.start_host()
        self.refusal = bare_client.measure(s, self.host, Path(self.o.bare_client))
        say(f"endurance: in a bare client's heaps an attach leaves {self.refusal['kept_per_attach']:.1f} bytes, a "
            f"refused call by name {self.refusal['kept_per_refused_call']:.1f} (an answered one "
            f"{self.refusal['bytes_per_answered_call']:+.1f})")
        s.require(harness.wait_for_value(lambda: host_holdings(self.host)[0], 0, 5.0) == 0,
                  "the bare client left no object of the host's held")
        self.refusals_before_day = len(self.host.events("refused"))
        self.host.send("window", "main", HOST_CLASS, host_title(0))
        poll("the host window", self.host_window)
        self.app = s.start_app("app", settings=DAY_SETTINGS)
        self.app.wait_window()
        s.require(self.app.wait_caption(expected_caption(host_title(0), "2020"), 10) ==
                  expected_caption(host_title(0), "2020"), "the program finds the host")
        self.park_pointer()
        server_pid = self.server_pid = bench.wineserver_pid(Path(s.args.prefix))
        self.start_watch()
        self.started = now()
        self.deadline = self.started + self.o.minutes * 60
        sampler = self.sampler = Sampler(self.app.proc.pid, server_pid, self.o.sample_seconds, self.started)
        retitler = self.retitler = Retitler(self.host, 16)
        retitler.enabled = not self.o.no_retitles
        sampler.start()
        retitler.start()
        cycles = 0
        try:
            while now() < self.deadline:
                self.cycle()
                cycles += 1
                left = self.deadline - now()
                say(f"endurance: round {cycles} done, {self.s.checks} checks, {len(self.s.failures)} failed, "
                    f"{max(0.0, left) / 60:.1f} min left")
        finally:
            retitler.stop_event.set()
            retitler.join()
        self.totals["host retitled"] = retitler.count
        # The last census at a still moment of its own, as the others were.
        self.settle()
        self.take_census("end")
        # The day's end: the host settles on one title; the caption must follow it.
        self.set_busy(False)
        if not self.host_window():
            self.host.send("window", "main", HOST_CLASS, host_title(0))
        final = "KORVA 2020 (x64) - [Evening.drw]"
        self.host.send("title", "main", final)
        self.retitler.held.set()
        s.check_equal(self.app.wait_caption(expected_caption(final, "2020"), 3.0), expected_caption(final, "2020"),
                      "at the end: the caption follows the host's last title")
        self._check_lamp(LAMP_GREEN, "at the end")
        refused = self.refused_by_kind()
        sampler.stop_event.set()
        sampler.join()
        sampler.take()
        s.probe("close", APP_CLASS)
        s.check_equal(self.app.wait_exit(15), 0, "the program's exit code at close")
        self.watch.wait_exit(15)
        elapsed = now() - self.started
        self.check_settings()
        records = self.watch_records()
        self.check_boxes(records)
        self.check_keys()
        follow = self.check_captions(records)
        return {"elapsed": elapsed, "cycles": cycles, "linux": sampler.samples, "quiet": self.quiet,
                "mappings": self.mappings_growth(), "refused": refused, "refusal_cost": self.refusal,
                # From the second still moment (the first is still warming up) to the end.
                "heap_growth": heap_census.growth(self.censuses[min(1, len(self.censuses) - 2)], self.censuses[-1])
                if len(self.censuses) >= 2 else None,
                "clock_offset_ms": self.clock_offset_ms,
                "windows": [dict(r["sample"], t=(r["t"] + self.clock_offset_ms) / 1000 - self.started)
                            for r in records if "sample" in r],
                "follow": follow, "totals": dict(sorted(self.totals.items())), "lamp": self.lamp_checks,
                "silent_probes": self.silent_probes,
                "events": [(round(t / 1000 - self.started, 3), what) for t, what in self.events]}

    def mappings_growth(self) -> list[dict]:
        """How the program's memory written changed by what holds it, from the second still moment
        (the first is still warming up) to the last, largest change first."""
        if len(self.mappings) < 3:
            return []
        (t0, first), (t1, last) = self.mappings[1], self.mappings[-1]
        changes = [{"kind": k, "from_kib": first.get(k, 0), "to_kib": last.get(k, 0),
                    "change_kib": last.get(k, 0) - first.get(k, 0), "from_s": round(t0), "to_s": round(t1)}
                   for k in set(first) | set(last) if first.get(k) or last.get(k)]
        changes.sort(key=lambda c: (-abs(c["change_kib"]), c["kind"]))
        return changes

    # -- exactness at the end -----------------------------------------------------------------

    def check_settings(self) -> None:
        data = self.app.settings_file.read_bytes() if self.app.settings_file.exists() else b""
        entries = section(data) or []
        # A key the file did not have before is appended at its end, so the order may differ.
        self.s.check_equal(sorted(k for k, _ in entries), sorted(KEYS), "settings written at close: the eight keys")
        values = dict(entries)
        wanted = {"Left": str(APP_LEFT), "Top": str(APP_TOP), "AppFullName": FULL_NAME, "Version": "2020",
                  "Shift": "1", "Ctrl": "1", "IME": "1", "OFF": "0"}
        if not self.registers:
            wanted["AppFullName"] = ""  # a day without Register (see --only) leaves the key empty
        self.s.check_equal(values, wanted, "settings written at close: the values")

    def check_boxes(self, records: list[dict]) -> None:
        boxes = [r for r in records if "box" in r]
        others = [b for b in boxes if b["text"] != REGISTERED_TEXT]
        self.s.check(not others, "no message box but Register's ever showed", f"saw {others[:3]}")
        self.s.check_equal(len(boxes) - len(others), self.registers, "Register's information boxes seen")

    def check_keys(self) -> None:
        lines = [line.split("\t") for line in self.past_host_lines + self.host.lines()]
        downs = {vk: sum(1 for f in lines if f[:3] == ["key", "down", str(vk)]) for vk in (VK_F8, VK_F9)}
        self.s.check_equal(downs, self.expected_keys, "over the day: F8 and F9 received by the host, each once a tap")
        activated = [f[1] for f in lines if f[0] == "activated" and len(f) > 1]
        self.s.check_equal(activated, self.expected_activations, "over the day: the drawings activated")

    def check_captions(self, records: list[dict]) -> dict:
        """Each caption the program showed was one the host's title asked for at most
        CAPTION_LAG_MS before, and no title that stood longer than that went unshown."""
        titles = [(r["t"], r["host"]) for r in records if "host" in r]
        if not titles:
            self.s.check(False, "the watch saw the host's title")
            return {"captions": 0, "host_changes": 0, "followed": 0, "delays_ms": [], "late": [], "wrong": 0,
                    "stale": 0}
        title_times = [t for t, _ in titles]
        # The version box changed somewhere within its probe's run: from the probe's start the new
        # text may be in force, until the probe's end (and a reading of the watch) the old one may.
        events = sorted((a - self.clock_offset_ms, b - self.clock_offset_ms + WATCH_SLACK_MS, v)
                        for a, b, v in self.version_events)
        stretches = []  # (from, until, version): when each version may have been in force
        since, version = float("-inf"), "2020"
        for a, b, v in events:
            stretches.append((since, b, version))
            since, version = a, v
        stretches.append((since, float("inf"), version))

        def titles_within(lo: float, hi: float) -> list[str | None]:
            first = max(bisect_right(title_times, lo) - 1, 0)
            return [title for t, title in titles[first:bisect_right(title_times, hi)]]

        # The titles the run wrote to the host's command file, on the watch's clock. The watch reads
        # the host's title and then the caption; when it is held up between the two reads (both
        # cores busy), the caption can show a title the watch reads only later, or never, when the
        # host moved on meanwhile. A title the run wrote before the caption was read may be shown.
        written = [(w - self.clock_offset_ms, title) for w, title in self.retitler.written]
        written_times = [w for w, _ in written]

        def allowed_at(t: float) -> set[str]:
            # The watch reads the host's title and then the caption every 20 ms: a caption can be
            # seen a reading before the title it follows.
            lo, hi = t - CAPTION_LAG_MS, t + WATCH_SLACK_MS
            versions = {v for a, b, v in stretches if a <= hi and b > lo}
            candidates = titles_within(lo, hi) + \
                [title for _, title in written[bisect_right(written_times, lo):bisect_right(written_times, hi)]]
            return {expected_caption(title, v) for title in candidates for v in versions}

        # What the caption must come to show, and from when at the latest: a version change counts
        # from its probe's end.
        changes = sorted([(t, title, None) for t, title in titles] + [(b, None, v) for _, b, v in events],
                         key=lambda c: c[0])
        times, values = [], []
        title, version = None, "2020"
        for t, new_title, new_version in changes:
            if new_version is not None:
                version = new_version
            else:
                title = new_title
            value = expected_caption(title, version)
            if t >= titles[0][0] and not (values and values[-1] == value):
                times.append(t)
                values.append(value)
        captions = [(r["t"], r["caption"]) for r in records if "caption" in r and r["caption"] is not None]
        # How long the watch took from its read of the host's title to its read of the caption.
        since_host = {r["t"]: r.get("since_host_ms") for r in records if "caption" in r}
        wrong, stale, delays, late = [], [], [], []

        def seconds(t: float) -> float:
            return round((t + self.clock_offset_ms) / 1000 - self.started, 3)

        for t, caption in captions:
            if t < titles[0][0] + CAPTION_LAG_MS:
                continue
            allowed = allowed_at(t)
            if caption not in allowed:
                wrong.append({"s": seconds(t), "caption": caption, "allowed": sorted(allowed),
                              "watch_held_ms": since_host.get(t)})
        caption_times = [t for t, _ in captions]

        def caption_at(t: float) -> str | None:
            i = bisect_right(caption_times, t) - 1
            return captions[i][1] if i >= 0 else None

        end = records[-1]["t"] if records else 0
        for i, (t, value) in enumerate(zip(times, values)):
            until = times[i + 1] if i + 1 < len(times) else end
            # When the caption first showed the value after the host asked for it.
            j = bisect_right(caption_times, t)
            shown = t if caption_at(t) == value else None
            while shown is None and j < len(captions) and captions[j][0] < until:
                if captions[j][1] == value:
                    shown = captions[j][0]
                j += 1
            if shown is not None:
                delays.append(shown - t)
                if shown - t > 250:
                    late.append({"t": seconds(t), "ms": round(shown - t)})
            elif until - t > CAPTION_LAG_MS:
                stale.append({"s": seconds(t), "expected": value, "stood_ms": round(until - t)})
        self.s.check(not wrong, f"the caption never showed what the host's title did not ask for within "
                                f"{CAPTION_LAG_MS / 1000:g} s ({len(captions)} captions)", f"{len(wrong)}: {wrong[:3]}")
        self.s.check(not stale, f"every host title that stood over {CAPTION_LAG_MS / 1000:g} s reached the caption",
                     f"{len(stale)}: {stale[:3]}")
        return {"captions": len(captions), "host_changes": len(times), "followed": len(delays),
                "delays_ms": sorted(delays), "late": late, "wrong": len(wrong), "stale": len(stale),
                "wrong_seen": wrong[:20]}


# ---------------------------------------------------------------------------------------------
# Figures


def slope_per_hour(points: list[tuple[float, float]]) -> float | None:
    """Least-squares slope of (seconds, value) points, per hour."""
    if len(points) < 3:
        return None
    mean_t = statistics.fmean(t for t, _ in points)
    mean_v = statistics.fmean(v for _, v in points)
    den = sum((t - mean_t) ** 2 for t, _ in points)
    if den == 0:
        return None
    return sum((t - mean_t) * (v - mean_v) for t, v in points) / den * 3600


FLOOR_WINDOWS = 10
# (key, label, unit, source, the most growth per hour allowed after the warm-up or None)
SERIES = (("app_dirty", "program private memory written (/proc smaps_rollup Private_Dirty + Swap)", "KiB", "linux", 64),
          ("app_own", "program private memory written, its own share: the Windows heaps by their busy blocks less "
           "the blocks Wine leaves there for good, and the rest less Wine's thread environment blocks", "KiB", "quiet", 64),
          ("app_private", "program private memory (Private_Clean + Private_Dirty)", "KiB", "linux", None),
          ("app_rss", "program resident size (Rss)", "KiB", "linux", None),
          ("private_kib", "program private bytes (GetProcessMemoryInfo PrivateUsage)", "KiB", "windows", 64),
          ("pagefile_kib", "program commit (GetProcessMemoryInfo PagefileUsage)", "KiB", "windows", 64),
          ("working_set_kib", "program working set (GetProcessMemoryInfo)", "KiB", "windows", None),
          ("handles", "program handles (GetProcessHandleCount)", "", "windows", 0),
          ("handles_listed", "program handles (the system's handle list)", "", "windows", 0),
          ("gdi", "program GDI objects (GetGuiResources)", "", "windows", 0),
          ("gdi_table", "program GDI objects (its GDI handle table)", "", "windows", 0),
          ("user", "program USER objects (GetGuiResources)", "", "windows", 0),
          ("windows", "program windows (top-level and child)", "", "windows", 0),
          ("server_dirty", "Wine server private memory written (Private_Dirty + Swap)", "KiB", "linux", None),
          ("server_rss", "Wine server resident size (Rss)", "KiB", "linux", None))


def floor_points(points: list[tuple[float, float]], windows: int) -> list[tuple[float, float]]:
    """The lowest value of each of `windows` equal stretches of time, at the stretch's middle.
    Memory that lives for a moment (a message box, a worker thread's stack, a heap block given
    back later) sits on top of a floor; a leak raises the floor."""
    if len(points) < 2 * windows:
        return points
    first, last = points[0][0], points[-1][0]
    span = (last - first) / windows
    out = []
    for k in range(windows):
        part = [v for t, v in points if first + k * span <= t < first + (k + 1) * span or (k == windows - 1 and t == last)]
        if part:
            out.append((first + (k + 0.5) * span, min(part)))
    return out


def figures(result: dict, warm_up: float) -> list[dict]:
    rows = []
    for key, label, unit, source, limit in SERIES:
        # -1: the count could not be read this time.
        samples = [(r["t"], r[key]) for r in result[source] if r.get(key) is not None and r[key] >= 0]
        after = [(t, v) for t, v in samples if t >= warm_up]
        if not samples:
            continue
        slope = slope_per_hour(after)
        floor = slope_per_hour(floor_points(after, FLOOR_WINDOWS))
        still = [(r["t"], r[key]) for r in result.get("quiet", [])
                 if r["t"] >= warm_up and r.get(key) is not None and r[key] >= 0]
        values = [v for _, v in after] or [v for _, v in samples]
        row = {"key": key, "label": label, "unit": unit, "first": samples[0][1], "at_warm_up": after[0][1] if after else None,
               "last": samples[-1][1], "min": min(values), "max": max(values), "slope": slope, "limit": limit,
               "samples": len(samples), "zero": all(v == 0 for _, v in samples), "floor_slope": floor,
               "still_slope": slope_per_hour(still), "still_samples": len(still),
               "still_first": still[0][1] if still else None, "still_last": still[-1][1] if still else None}
        judged = row["still_slope"] if row["still_slope"] is not None else floor
        if limit is None or row["zero"] or slope is None:
            row["verdict"] = "-" if not row["zero"] else "Wine answers 0"
        elif limit == 0:
            # Objects that live for a moment (a message box, the list's rows) sit on top of a floor;
            # a leak raises the floor. The lowest count of the last third after the warm-up must
            # not lie above the lowest of the first third: of the still moments where there are any.
            counts = [v for _, v in still] or values
            third = max(1, len(counts) // 3)
            row["verdict"] = "flat" if min(counts[-third:]) <= min(counts[:third]) else "grows"
        else:
            row["verdict"] = "met" if judged is not None and judged <= limit else "missed"
        row["judged_slope"] = judged if limit else slope
        rows.append(row)
    # Over the limit only by what Wine keeps for itself, and within it less that share: the raw
    # figure stays in the table with its slope, and says where the difference went.
    own = next((r for r in rows if r["key"] == "app_own"), None)
    if own and own["verdict"] == "met":
        for r in rows:
            if r["key"] in ("app_dirty", "pagefile_kib") and r["verdict"] == "missed":
                r["verdict"] = "over by Wine's share only (see the row less it)"
    # Ticks: the captions the program wrote, each by a tick that saw a new title.
    return rows


def value_text(value: float | None, unit: str) -> str:
    if value is None:
        return "-"
    return f"{value:,.0f} {unit}".strip()


def table(rows: list[dict], result: dict, warm_up: float) -> list[str]:
    still_count = max((r["still_samples"] for r in rows), default=0)
    out = [f"| figure | at start | after warm-up ({warm_up / 60:.1f} min) | at end | min / max after warm-up "
           f"| slope per hour after warm-up, all samples | slope per hour of the floor ({FLOOR_WINDOWS} stretches) "
           f"| still moments after warm-up ({still_count}): first, last | slope per hour of the still moments "
           "| limit | verdict |", "|---|---|---|---|---|---|---|---|---|---|---|"]

    def signed(value: float | None, unit: str) -> str:
        return "-" if value is None else f"{value:+,.1f} {unit}".strip()
    for r in rows:
        limit = "-" if r["limit"] is None else (f"<= +{r['limit']} {r['unit']}/h".strip() if r["limit"] else "no growth")
        still = "-" if r["still_first"] is None else \
            f"{value_text(r['still_first'], r['unit'])}, {value_text(r['still_last'], r['unit'])}"
        out.append(f"| {r['label']} | {value_text(r['first'], r['unit'])} | {value_text(r['at_warm_up'], r['unit'])} | "
                   f"{value_text(r['last'], r['unit'])} | {value_text(r['min'], r['unit'])} / "
                   f"{value_text(r['max'], r['unit'])} | {signed(r['slope'], r['unit'])} | "
                   f"{signed(r['floor_slope'], r['unit'])} | {still} | {signed(r['still_slope'], r['unit'])} | "
                   f"{limit} | {r['verdict']} |")
    follow = result["follow"]
    hours = result["elapsed"] / 3600
    delays = follow["delays_ms"]
    out.append(f"| ticks run (captions written, each by a tick that saw a new host title; a lower bound) | 0 | - | "
               f"{follow['captions']:,} | - | {follow['captions'] / hours:+,.0f} | - | - | - |")
    if delays:
        out += ["", f"Caption follow delay (host title changed to caption shown, {len(delays):,} changes): median "
                    f"{statistics.median(delays):.0f} ms, 95th percentile {bench.percentile(delays, 0.95):.0f} ms, max "
                    f"{max(delays):.0f} ms. The program samples every 100 ms, so a steady tick shows as a median near "
                    "50 ms and a 95th percentile near 100 ms; stopped or slowed ticks would stretch them."]
    return out


def totals_lines(result: dict) -> list[str]:
    return ["| event | count |", "|---|---|"] + [f"| {k} | {v:,} |" for k, v in result["totals"].items()]


# ---------------------------------------------------------------------------------------------
# The plot: a PNG written with zlib alone


FONT = {  # 3x5 glyphs, one row of three bits per line, top first
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111", "3": "111001111001111",
    "4": "101101111001001", "5": "111100111001111", "6": "111100111101111", "7": "111001001001001",
    "8": "111101111101111", "9": "111101111001111", ".": "000000000000010", " ": "000000000000000",
    "A": "010101111101101", "B": "110101110101110", "C": "111100100100111", "D": "110101101101110",
    "E": "111100110100111", "F": "111100110100100", "G": "111100101101111", "H": "101101111101101",
    "I": "111010010010111", "K": "101101110101101", "L": "100100100100111", "M": "101111111101101",
    "N": "110101101101101", "O": "111101101101111", "P": "111101111100100", "R": "110101110101101",
    "S": "111100111001111", "T": "111010010010010", "U": "101101101101111", "V": "101101101101010",
    "W": "101101111111101", "X": "101101010101101", "Y": "101101010010010", "/": "001001010100100",
    "(": "010100100100010", ")": "010001001001010", "-": "000000111000000", "+": "000010111010000",
}


class Canvas:
    def __init__(self, width: int, height: int):
        self.w, self.h = width, height
        self.px = bytearray(b"\xff" * (width * height * 3))

    def dot(self, x: int, y: int, colour: tuple[int, int, int]) -> None:
        if 0 <= x < self.w and 0 <= y < self.h:
            i = (y * self.w + x) * 3
            self.px[i:i + 3] = bytes(colour)

    def line(self, x0: float, y0: float, x1: float, y1: float, colour, width: int = 1) -> None:
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for k in range(steps + 1):
            x = round(x0 + (x1 - x0) * k / steps)
            y = round(y0 + (y1 - y0) * k / steps)
            for d in range(width):
                self.dot(x, y + d, colour)

    def text(self, x: int, y: int, text: str, colour=(0, 0, 0), scale: int = 2) -> None:
        for ch in text.upper():
            glyph = FONT.get(ch, FONT[" "])
            for row in range(5):
                for col in range(3):
                    if glyph[row * 3 + col] == "1":
                        for dy in range(scale):
                            for dx in range(scale):
                                self.dot(x + col * scale + dx, y + row * scale + dy, colour)
            x += 4 * scale

    def png(self) -> bytes:
        raw = b"".join(b"\x00" + bytes(self.px[y * self.w * 3:(y + 1) * self.w * 3]) for y in range(self.h))

        def chunk(kind: bytes, data: bytes) -> bytes:
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def nice_range(lo: float, hi: float) -> tuple[float, float]:
    if hi - lo < 1e-9:
        lo, hi = lo - 1, hi + 1
    pad = (hi - lo) * 0.1
    return lo - pad, hi + pad


def panel(c: Canvas, top: int, height: int, series: list[tuple[str, tuple, list[tuple[float, float]]]],
          minutes: float, warm_up_min: float, unit: str) -> None:
    left, right = 70, c.w - 12
    values = [v for _, _, pts in series for _, v in pts]
    if not values:
        return
    lo, hi = nice_range(min(values), max(values))

    def x_of(t_min: float) -> float:
        return left + (right - left) * t_min / max(minutes, 1e-9)

    def y_of(v: float) -> float:
        return top + height - (v - lo) / (hi - lo) * height
    grey = (200, 200, 200)
    for k in range(5):
        v = lo + (hi - lo) * k / 4
        y = y_of(v)
        c.line(left, y, right, y, (230, 230, 230))
        c.text(4, int(y) - 5, f"{v:.1f}" if hi - lo < 20 else f"{v:.0f}", (90, 90, 90))
    c.line(left, top, left, top + height, grey)
    c.line(left, top + height, right, top + height, grey)
    wx = x_of(warm_up_min)
    for y in range(top, top + height, 6):
        c.line(wx, y, wx, y + 2, (150, 150, 150))
    for _, colour, pts in series:
        prev = None
        for t, v in pts:
            point = (x_of(t / 60), y_of(v))
            if prev:
                c.line(prev[0], prev[1], point[0], point[1], colour, 2)
            prev = point
    legend_x = left + 8
    for name, colour, _ in series:
        c.line(legend_x, top + 6, legend_x + 16, top + 6, colour, 3)
        c.text(legend_x + 22, top + 2, name, colour)
        legend_x += 22 + 8 * (len(name) + 2)
    c.text(c.w - 12 - 8 * len(unit), top + height - 14, unit, (90, 90, 90))


def plot(result: dict, warm_up: float, path: Path) -> None:
    minutes = result["elapsed"] / 60
    c = Canvas(720, 420)
    mem = [("PRIVATE WRITTEN", (200, 40, 40), [(r["t"], r["app_dirty"] / 1024) for r in result["linux"]]),
           ("RSS", (40, 90, 200), [(r["t"], r["app_rss"] / 1024) for r in result["linux"]]),
           ("WINESERVER RSS", (40, 150, 60), [(r["t"], r["server_rss"] / 1024) for r in result["linux"]])]
    still = [(r["t"], r["app_dirty"] / 1024) for r in result.get("quiet", []) if "app_dirty" in r]
    if still:
        mem.insert(1, ("STILL", (90, 0, 0), still))
    panel(c, 10, 230, mem, minutes, warm_up / 60, "MIB")
    counts = []
    for key, name, colour in (("handles", "HANDLES", (120, 60, 160)), ("handles_listed", "HANDLES", (120, 60, 160)),
                              ("gdi", "GDI", (200, 120, 0)), ("gdi_table", "GDI", (200, 120, 0)),
                              ("user", "USER", (0, 140, 140)), ("windows", "WINDOWS", (0, 140, 140))):
        pts = [(r["t"], r[key]) for r in result["windows"] if r.get(key) is not None and r[key] >= 0]
        if any(v for _, v in pts) and name not in [c[0] for c in counts]:
            counts.append((name, colour, pts))
    panel(c, 262, 130, counts, minutes, warm_up / 60, "COUNT")
    for k in range(0, int(minutes) + 1, max(1, int(minutes) // 6 or 1)):
        x = 70 + (c.w - 12 - 70) * k / max(minutes, 1e-9)
        c.text(int(x) - 4, 400, str(k), (90, 90, 90))
    c.text(c.w - 12 - 8 * 3, 400, "MIN", (90, 90, 90))
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(c.png())


# ---------------------------------------------------------------------------------------------
# The report


def section_text(result: dict, rows: list[dict], warm_up: float, command: str, started: datetime.datetime,
                 plot_name: str, passed: bool, checks: int, failures: list[str]) -> str:
    follow = result["follow"]
    zero = [r["label"] for r in rows if r["zero"]]
    lines = [SECTION_BEGIN, "## A working day beside the host", "",
             f"Generated by `scripts/endurance`; figures from one run: `{command}`, "
             f"{started.strftime('%Y-%m-%d %H:%M')} (local), {result['elapsed'] / 60:.1f} min of events "
             f"({result['cycles']} rounds), {bench.machine_text()}.", "",
             "ZO24_RAZ.exe (auto-close off, Shift, Ctrl and IME ticked) runs beside `test_host.exe` while the run "
             "plays a day's events in rounds, in an order shuffled every round: the host's title changes every "
             "0.2 to 0.4 s (every ninth title is not a host's, so the lamp goes grey and green again), six taps "
             f"(Shift and Ctrl with the host busy, F8/F9 expected; with the host idle, nothing expected; with the "
             f"host busy and refusing every call for {REFUSAL_MS} ms from the release, F8/F9 expected late), four "
             "LIST runs (left by Enter, Down and Enter, Escape, and a click on the host's window), Register through "
             "the popup menu (its information box closed by OK), the version box set to 2021 and back to 2020, and "
             "the host's window closed and opened again.", "",
             "`bench_helper.exe day` watches from another Windows process every 20 ms: the main window's caption, "
             "the host window's title and every message box; every "
             f"{result.get('sample_seconds', 10):g} s it reads the program's counters (GetProcessMemoryInfo, "
             "GetProcessHandleCount, GetGuiResources, its windows). The run reads `/proc` for the program's Linux "
             "process and the Wine server at the same rate. Slopes are least-squares fits over the samples after "
             "the warm-up.", "",
             f"Result: **{'passed' if passed else 'FAILED'}**, {checks:,} checks"
             + ("" if passed else f"; failed: {'; '.join(failures[:5])}") + ".", "",
             f"![Memory and handles over the run]({plot_name})", "",
             "Top: the program's private memory written (red; dark red: at the still moments) and resident size "
             "(blue) and the Wine server's "
             "resident size (green), MiB; bottom: the program's handles (violet), GDI objects (orange) and windows "
             "(teal), each as the first source in the table below that answers. The dotted line marks the end of "
             "the warm-up.", ""]
    lines += table(rows, result, warm_up) + [""]
    lines += ["Memory that lives for a moment (a message box, the list, a thread pool worker's stack, heap blocks "
              "Wine gives back later) moves the samples taken every few seconds by whole MiB up and down. So every "
              f"round ends in a still moment: the host idle and in front on one title, nothing open, the pointer "
              f"parked, {QUIET_SECONDS:g} s of waiting (Wine lets an idle thread pool worker go after 5 s), and then "
              "one sample from `/proc` and one from the watch, which at that moment also reads the system's handle "
              "list (the program's handles, by type) and the GDI table. Limits are judged on the least-squares slope of the still moments after the "
              f"warm-up. The floor slope (the lowest sample of each of {FLOOR_WINDOWS} equal stretches) is shown for "
              "comparison. A count passes when the lowest count of the last third of the still moments after the "
              "warm-up is not above the lowest of the first third.", ""]
    types = [r.get("handle_types") for r in result.get("quiet", []) if r.get("handle_types")]
    after = [r.get("handle_types") for r in result.get("quiet", []) if r.get("handle_types") and r["t"] >= warm_up]
    if types and after:
        names = sorted(set(types[0]) | set(after[0]) | set(after[-1]))
        lines += ["Handles by type at the still moments (the system's handle list; after the warm-up: the lowest and "
                  "the highest count seen, and the last):", "",
                  "| type | first still moment | after warm-up, lowest | highest | at end |",
                  "|---|---|---|---|---|"]
        for name in names:
            seen = [a.get(name, 0) for a in after]
            lines.append(f"| {name or '(unnamed)'} | {types[0].get(name, 0)} | {min(seen)} | {max(seen)} | "
                         f"{after[-1].get(name, 0)} |")
        lines.append("")
    if zero:
        lines += [f"Wine answers 0 for: {', '.join(zero)}; those are not measured here (check them on Windows, "
                  "Task Manager's GDI objects and USER objects columns).", ""]
    grown = result.get("mappings", [])
    if grown:
        lines += [f"What holds the program's private memory written, at the second still moment "
                  f"({grown[0]['from_s']} s) and the last ({grown[0]['to_s']} s), read from `/proc/<pid>/smaps` of "
                  "its Linux process and, to tell an anonymous mapping's kind, from `/proc/<pid>/mem`:", "",
                  "| held by | KiB then | KiB at the end | change |", "|---|---|---|---|"]
        lines += [f"| {g['kind']} | {g['from_kib']:,} | {g['to_kib']:,} | {g['change_kib']:+,} |" for g in grown]
        lines.append("")
    if "refused" in result:
        lines += ["Calls the host refused the program over the day: "
                  f"{', '.join(f'{k} {v:,}' for k, v in sorted(result['refused'].items())) or 'none'}.", ""]
    census = result.get("heap_growth")
    if census:
        lines += ["What the program's heaps hold more at the end than at the second still moment, block by block "
                  "(a census of every busy block of every heap, taken inside the program's process at each still "
                  "moment and at the end by `heap_census.exe`, which loads `heap_census_dll.dll` there at the first "
                  "census, where it stays with one idle thread and three handles (two events and the directory of "
                  "their names) from then on; blocks grouped by heap, size with the heap's overhead, and "
                  f"first {heap_census.SHOWN_BYTES} bytes): {census['from_blocks']:,} blocks of "
                  f"{census['from_bytes']:,} bytes then, {census['to_blocks']:,} blocks of {census['to_bytes']:,} "
                  "bytes at the end.", "",
                  "| heap | block size | first bytes | as text | blocks then | blocks at the end | bytes more | "
                  "left by Wine's own code |", "|---|---|---|---|---|---|---|---|"]
        lines += [f"| {g['heap']} | {g['size']:,} | `{g['head']}` | `{g['text']}` | {g['from']:,} | {g['to']:,} | "
                  f"{g['bytes']:+,} | {g.get('wines') or '-'} |" for g in census["top"]]
        lines += [f"| | | (all other kinds) | | | | {census['rest_bytes']:+,} | |", ""]
    cost = result.get("refusal_cost")
    if cost:
        by_name = result.get("refused", {}).get(REFUSED_BY_NAME, 0)
        a, r = cost["answered"], cost["refused"]
        lines += ["Two kinds of block are Wine's own leaks, in any client of the host, as `bare_client.exe` shows "
                  "before the day: a client with none of the program's code, which looks the test host's server "
                  f"up {cost['calls']} times (GetActiveObject, the reference released at once) and then asks it for "
                  f"`HWND` by name {cost['calls']} times, once while the host answers and once while it refuses "
                  "every call, walking its own heaps (HeapWalk, busy blocks, data and overhead) before and after. "
                  f"Lookups: {a['attach_bytes_after'] - a['attach_bytes_before']:+,} bytes in "
                  f"{a['attach_blocks_after'] - a['attach_blocks_before']:+,} blocks, so "
                  f"{cost['kept_per_attach']:.1f} bytes per lookup; answered calls: "
                  f"{a['bytes_after'] - a['bytes_before']:+,} bytes in {a['blocks_after'] - a['blocks_before']:+,} "
                  f"blocks; refused calls: {r['bytes_after'] - r['bytes_before']:+,} bytes in "
                  f"{r['blocks_after'] - r['blocks_before']:+,} blocks, so {cost['kept_per_refused_call']:.1f} bytes "
                  "per refused call. In Wine's sources: the running object table's GetObject unmarshals the "
                  "interface the table's service answers with and never frees that answer (a byte count and an "
                  "OBJREF, \"MEOW\"); the RPC runtime's I_RpcSendReceive frees the request it sent only when the "
                  "call succeeds, so a call answered with a fault (a refusal is one) leaves its request (it starts "
                  "with the ORPC header) behind. Windows frees both. The program looks the host up twice a command "
                  "(the availability test, then the attach), as it must; over the day the host refused it "
                  f"{by_name:,} calls by name.", "",
                  "The row \"its own share\" judges the program by what it holds itself: at each still moment the "
                  "census's busy bytes, less those two kinds of block, stand for the Windows heaps (a block-by-block "
                  "count does not move with the pages a heap happens to touch), and the private memory written "
                  "outside the Windows heaps is added, less Wine's thread environment blocks (read by kind). The "
                  "raw figures stay in the table with their slopes.", ""]
    lines += ["Events played:", ""] + totals_lines(result) + [""]
    lines += [f"Exactness at the end: every tap's F8/F9 counted in the host's key log (each exactly once, none for "
              f"an idle host), every LIST's activation in the host's log, {follow['captions']:,} captions checked "
              f"against {follow['host_changes']:,} changes of what the host's title asked for (none other than one "
              f"asked for within {CAPTION_LAG_MS / 1000:g} s: {follow['wrong']} wrong; titles standing longer "
              f"that never showed: {follow['stale']}), every message box the watch saw (only Register's), the "
              "program's exit code at close and the settings file it wrote (all eight keys, with the values of the "
              f"day). Lamp colour checks: {result['lamp']['checked']} made, "
              f"{result['lamp']['skipped (a window over the lamp)']} skipped because the host's window lay over the "
              "lamp.", ""]
    silent = result.get("silent_probes", [])
    lines += [f"probe.exe gave no answer at all (empty output, exit code 0 or 3) {len(silent)} times in this run"
              + (f" ({', '.join(silent[:5])}); each was a query that only looks and was asked again once"
                 if silent else "") + ".", "", SECTION_END]
    return "\n".join(lines)


def write_section(path: Path, text: str) -> None:
    old = path.read_text(encoding="utf-8") if path.exists() else ""
    if SECTION_BEGIN in old and SECTION_END in old:
        head, rest = old.split(SECTION_BEGIN, 1)
        tail = rest.split(SECTION_END, 1)[1]
        new = head + text + tail
    else:
        new = old.rstrip("\n") + ("\n\n" if old else "") + text + "\n"
    path.write_text(new, encoding="utf-8")


def closing_line(passed: bool, rows: list[dict], result: dict) -> str:
    parts = []
    for r in rows:
        if r["slope"] is None:
            continue
        short = {"app_dirty": "private written", "app_own": "private written, own share", "app_private": "private", "app_rss": "RSS",
                 "private_kib": "private bytes", "pagefile_kib": "commit", "working_set_kib": "working set",
                 "handles": "handles", "handles_listed": "handles listed", "gdi": "GDI", "gdi_table": "GDI table",
                 "user": "USER", "windows": "windows", "server_dirty": "wineserver written",
                 "server_rss": "wineserver RSS"}[r["key"]]
        value = r["judged_slope"] if r["judged_slope"] is not None else r["slope"]
        parts.append(f"{short} {value:+.1f}{' KiB' if r['unit'] else ''}")
    ticks = result["follow"]["captions"] / (result["elapsed"] / 3600)
    return (f"endurance: {'PASSED' if passed else 'FAILED'} after {result['elapsed'] / 60:.1f} min; per hour after "
            f"warm-up (memory with a limit: at the still moments): {', '.join(parts)}, ticks (captions) {ticks:+.0f}")


def parse_args(argv: list[str]) -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("minutes", nargs="?", type=float, default=10.0, help="length of the day (default 10)")
    for name in ("app", "host", "probe", "progids", "helper", "prefix", "work"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--bare-client", required=True, help="bare_client.exe")
    parser.add_argument("--census-exe", required=True, help="heap_census.exe")
    parser.add_argument("--census-dll", required=True, help="heap_census_dll.dll")
    parser.add_argument("--sample-seconds", type=float, default=10.0)
    parser.add_argument("--warm-up", type=float, help="seconds left out of the slopes (default: a tenth of the "
                                                      "run, at least 60 s)")
    parser.add_argument("--output", help="the page whose section the run writes (default docs/performance.md)")
    parser.add_argument("--plot", help="the plot (default docs/endurance.png)")
    parser.add_argument("--command", default="", help="the command line to record in the report")
    parser.add_argument("--from-results", help="report an earlier run's endurance-results.json again, without a run")
    # To find what a growth comes from: one kind of event alone, against the retitling alone.
    kinds = ("taps", "list", "register", "version", "window")
    # Not in the published day: after a refused attach Wine keeps its connection to that host for
    # good, so every restart adds handles (scripts/endurance restarts shows it without the program).
    extra = ("restart",)
    parser.add_argument("--only", type=lambda text: [k for k in text.split(",") if k],
                        default=list(kinds), help=f"the kinds of event to play, from {','.join(kinds + extra)} "
                        f"(default {','.join(kinds)}; 'none' plays only the retitling); the report and the plot "
                        "then go to the run's folder, unless --output and --plot say otherwise")
    parser.add_argument("--no-retitles", action="store_true", help="the host's title stays as it is")
    options = parser.parse_args(argv)
    unknown = [k for k in options.only if k not in kinds + extra + ("none",)]
    if unknown:
        parser.error(f"--only: unknown kinds {unknown}")
    options.only = [k for k in options.only if k != "none"]
    # A partial day is an experiment: it leaves the published page alone.
    partial = options.only != list(kinds) or options.no_retitles
    options.output = options.output or str(Path(options.work) / "endurance.md" if partial
                                           else ROOT / "docs" / "performance.md")
    options.plot = options.plot or str(Path(options.work) / "endurance.png" if partial
                                       else ROOT / "docs" / "endurance.png")
    return options


def main() -> int:
    options = parse_args(sys.argv[1:])
    if not Path(options.helper).is_file():
        say(f"endurance: bench_helper.exe missing: {options.helper}")
        return 2
    warm_up = options.warm_up if options.warm_up is not None else max(60.0, options.minutes * 6)
    session_args = argparse.Namespace(**{k: getattr(options, k) for k in
                                         ("app", "host", "probe", "progids", "prefix", "work")})
    s = harness.Session(session_args, "endurance")
    started = datetime.datetime.now()
    result = None
    if options.from_results:
        saved = json.loads(Path(options.from_results).read_text())
        result, s.checks, s.failures = saved["result"], saved["checks"], saved["failures"]
        started = datetime.datetime.fromisoformat(saved["started"])
        options.command = saved.get("command") or options.command
        warm_up = options.warm_up if options.warm_up is not None else saved.get("warm_up", warm_up)
    else:
        def on_signal(signum, _frame):
            raise Fatal(f"stopped by signal {signum}")
        # Ended from outside, the run still ends everything it started.
        signal.signal(signal.SIGTERM, on_signal)
        day = Day(s, options)
        try:
            s.open()
            result = day.run()
        except (Fatal, KeyboardInterrupt) as e:
            s.failures.append(str(e) or type(e).__name__)
            say(f"endurance: stopped: {e}")
            # Every Wine process of the run ends with its server: say so when that is what happened.
            if day.server_pid and not Path(f"/proc/{day.server_pid}").exists():
                say(f"endurance: the Wine server of the run (pid {day.server_pid}) had ended; what it said is in "
                    f"{s.run_dir / 'wineserver.log'}")
            for program in s.programs:
                if not program.running():
                    say(f"endurance: {program.name} had ended with exit code {program.proc.returncode}")
        finally:
            s.keep_files = True
            s.close()
        if result is None:
            say("endurance: FAILED before the day ended")
            return 1
        result["sample_seconds"] = options.sample_seconds
        (Path(options.work) / "endurance-results.json").write_text(json.dumps(
            {"result": result, "checks": s.checks, "failures": s.failures, "started": started.isoformat(),
             "command": options.command, "warm_up": warm_up}, indent=1))
    rows = figures(result, warm_up)
    for r in rows:
        if r["verdict"] in ("missed", "grows"):
            s.failures.append(f"{r['label']}: {r['verdict']} ({r['judged_slope']:+.1f} per hour)")
    passed = not s.failures
    command = options.command or " ".join(shlex.quote(a) for a in sys.argv)
    plot_path = Path(options.plot)
    plot(result, warm_up, plot_path)
    out = Path(options.output)
    try:
        plot_name = os.path.relpath(plot_path, out.parent)
    except ValueError:
        plot_name = str(plot_path)
    text = section_text(result, rows, warm_up, command, started, plot_name, passed, s.checks, s.failures)
    print(text)
    write_section(out, text)
    say(f"endurance: wrote {out} and {plot_path}")
    if s.failures:
        say("endurance: failures:")
        for failure in s.failures[:40]:
            say(f"  - {failure}")
    say(closing_line(passed, rows, result))
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
