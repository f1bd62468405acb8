#!/usr/bin/env python3
"""What ZO24_RAZ.exe costs a user all day, measured under Wine beside the test host.

Run through scripts/bench. Phases, all on one virtual desktop and one Wine server:

  cost     for 0, 200 and 1000 extra top-level windows, with the host's window in front and with
           another window in front: nothing extra (background), the floor program, then
           ZO24_RAZ.exe, each alone for --seconds; CPU of the process and of the wineserver,
           memory, GDI/USER objects at the start and end of the phase
  calls    the platform calls per tick of the floor and of the program, counted from Wine's relay
           trace (a few seconds each)
  repaint  window events raised by the program's process: a control with two caption changes,
           then a steady state for --seconds, expected to raise none
  latency  Shift tap to F8 in the busy host, from the X key release to the host's log line
  list     LIST click to the visible drawing list with 5 and with 500 drawings
  refused  Shift tap to F8 as in latency, taps of a host that answers at once beside taps during
           which the host refuses every call for 300 ms from the moment of the release
  memory   where the memory goes: the floor, then memory_steps.exe with the program's start-up
           steps added one at a time, then ZO24_RAZ.exe, all running at once; private memory and
           VmRSS of each after it settled, and the private memory of each mapping

The table goes to standard output and to docs/performance.md.
"""

from __future__ import annotations

import argparse
import collections
import datetime
import json
import os
import platform
import random
import re
import shlex
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import harness  # noqa: E402
from harness import APP_CLASS, CAPTION_PREFIX, Fatal, poll, say  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
CLK_TCK = os.sysconf("SC_CLK_TCK")
PAGE_KIB = os.sysconf("SC_PAGE_SIZE") // 1024

HOST_TITLE = "KORVA 2020 (x64) - [Drawing1.drw]"
HOST_CAPTION = CAPTION_PREFIX + "KORVA 2020 x6"
OTHER_CLASS = "ZoBenchOther"
FLOOR_CLASS = "ZoBenchFloor"
EXTRA_CLASS = "ZoBenchExtra"
WINDOW_COUNTS = (0, 200, 1000)
FRONTS = ("host", "other")
# All toggles on except the auto-close: the IME guard runs on every tick and a tap is sent.
APP_SETTINGS = "[KORVA]\nLeft=600\nTop=0\nVersion=2020\nShift=1\nCtrl=1\nIME=1\nOFF=0\n"
SETTLE_SECONDS = 2.0
CPU_RATIO_TARGET = 1.10
MEMORY_TARGET_MIB = 1.0
STEPS_CLASS = "ZoBenchSteps"
# memory_steps.exe flags in the order the benchmark adds them, with what each one stands for.
MEMORY_STEPS = (("--com", "CoInitialize (ole32, the apartment)"),
                ("--comctl", "InitCommonControlsEx, common controls 6"),
                ("--imm", "ImmAssociateContextEx on the window and the version box"),
                ("--theme", "uxtheme and dwmapi loaded, dark title bar, classic look for the edit"),
                ("--imports", "shell32 and oleaut32 loaded, not called (linked by the program)"),
                ("--caption", "the program's caption with its square mark"),
                ("--controls", "lamp, 9 controls, owner-drawn buttons and menu, brushes, hidden list window"),
                ("--fonts", "Tahoma 11 and 12 set on the main window and its controls"),
                ("--list-font", "Tahoma 15 set on the hidden list box"))
REFUSAL_MS = 300
MEMORY_SETTLE_SECONDS = 4.0
MEMORY_RESAMPLE_SECONDS = 2.0
# scripts/endurance keeps its own section of the page between these lines; a rewrite of the page
# keeps that section as it is.
ENDURANCE_BEGIN = "<!-- endurance: written by scripts/endurance -->"
ENDURANCE_END = "<!-- /endurance -->"
EVENT_NAMES = {0x8000: "create", 0x8001: "destroy", 0x8002: "show", 0x8003: "hide", 0x8004: "reorder",
               0x8005: "focus", 0x8006: "selection", 0x800A: "statechange", 0x800B: "locationchange",
               0x800C: "namechange", 0x800E: "valuechange", 0x0003: "foreground", 0x0016: "minimizestart",
               0x0017: "minimizeend"}


# ---------------------------------------------------------------------------------------------
# What Linux knows about a process


def cpu_ticks(pid: int) -> int:
    """utime + stime of the whole process, in clock ticks."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def run_ns(pid: int) -> int:
    """CPU time of the live threads in nanoseconds: the clock-tick figure is too coarse for a
    program that runs a few milliseconds a second."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (FileNotFoundError, ProcessLookupError, IndexError):
            pass
    return total


def memory_kib(pid: int) -> dict[str, int]:
    status = Path(f"/proc/{pid}/status").read_text()
    rss = int(re.search(r"^VmRSS:\s+(\d+)", status, re.M).group(1))
    rollup = Path(f"/proc/{pid}/smaps_rollup").read_text()
    private = sum(int(m) for m in re.findall(r"^Private_\w+:\s+(\d+)", rollup, re.M))
    threads = int(re.search(r"^Threads:\s+(\d+)", status, re.M).group(1))
    return {"rss": rss, "private": private, "threads": threads}


def mapping_kib(pid: int) -> dict[str, dict[str, int]]:
    """Private memory and RSS per mapped file (by file name) of a process; anonymous mappings,
    where Wine keeps the Windows heaps and stacks, together under "(anonymous)"."""
    totals: dict[str, dict[str, int]] = collections.defaultdict(lambda: {"private": 0, "rss": 0})
    name = "(anonymous)"
    for line in Path(f"/proc/{pid}/smaps").read_text().splitlines():
        head = line.split(None, 5)
        if len(head) >= 5 and re.fullmatch(r"[0-9a-f]+-[0-9a-f]+", head[0]):
            path = head[5].strip() if len(head) > 5 else ""
            name = Path(path).name if path.startswith("/") else (path or "(anonymous)")
            continue
        field = re.match(r"^(Private_\w+|Rss):\s+(\d+)", line)
        if field:
            totals[name]["rss" if field.group(1) == "Rss" else "private"] += int(field.group(2))
    return dict(totals)


def wineserver_pid(prefix: Path) -> int:
    wanted = f"WINEPREFIX={prefix}".encode()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if not (entry / "comm").read_text().strip().startswith("wineserver"):
                continue
            if wanted in (entry / "environ").read_bytes().split(b"\0"):
                return int(entry.name)
        except (FileNotFoundError, PermissionError, ProcessLookupError):
            continue
    raise Fatal(f"no wineserver runs for {prefix}")


class CpuMeter:
    def __init__(self, pid: int):
        self.pid = pid
        self.start = (time.monotonic(), cpu_ticks(pid), run_ns(pid))

    def per_minute(self) -> dict[str, float]:
        now, ticks, ns = time.monotonic(), cpu_ticks(self.pid), run_ns(self.pid)
        seconds = now - self.start[0]
        return {"seconds": seconds,
                "stat_ms": (ticks - self.start[1]) * 1000 / CLK_TCK * 60 / seconds,
                "sched_ms": (ns - self.start[2]) / 1e6 * 60 / seconds}


# ---------------------------------------------------------------------------------------------
# The desktop


class Bench:
    def __init__(self, s: harness.Session, options: argparse.Namespace):
        self.s = s
        self.o = options
        self.floor_exe = Path(options.floor)
        self.helper_exe = Path(options.helper)
        self.host: harness.Host | None = None
        self.extras: harness.Program | None = None
        self.server_pid = 0
        self.results: dict = {"cost": [], "objects_note": "", "calls": {}, "repaint": {}, "latency": {}, "list": [],
                              "memory": {}, "refused": {}}

    def display(self) -> str:
        return getattr(self.s, "display", "") or self.s.x.display

    def helper(self, *args: str, timeout: float = 60) -> dict:
        result = self.s.wine.run([str(self.helper_exe), *args], timeout=timeout)
        lines = result.stdout.decode("utf-8", errors="replace").strip().splitlines()
        if not lines:
            raise Fatal(f"bench_helper {' '.join(args)} printed nothing ({result.returncode})")
        return json.loads(lines[-1])

    def start_helper(self, label: str, *args: str) -> tuple[harness.Program, Path]:
        folder = self.s.new_folder(label)
        proc = self.s.start_program("helper", self.helper_exe, list(args), folder)
        program = harness.Program(f"bench_helper {args[0]}", proc, folder)
        self.s.programs.append(program)
        out = folder / "helper.out"

        def ready():
            if not program.running() and "ready" not in out.read_text():
                raise Fatal(f"bench_helper {args[0]} ended: {out.read_text().strip()}")
            return "ready" in out.read_text()
        poll(f"bench_helper {args[0]} to be ready", ready, 300, 0.2)
        return program, out

    def set_up(self) -> None:
        self.host = self.s.start_host()
        self.host.window("main", HOST_TITLE)
        self.host.window("other", "Other application", OTHER_CLASS)
        self.server_pid = wineserver_pid(Path(self.s.args.prefix))

    def set_extra_windows(self, count: int) -> None:
        if self.extras:
            self.s.probe("close", EXTRA_CLASS)
            self.extras.wait_exit(60)
            self.extras = None
        if count:
            # Created after the host's window, so they lie above it in the Z order and a search
            # that does not find the host in front walks through all of them.
            self.extras, _ = self.start_helper(f"extra-{count}", "windows", str(count))

    def bring_to_front(self, front: str) -> int:
        """Activates the host's or the other window and returns how many top-level windows lie
        above the host's in the Z order (what a search walks before it finds the host)."""
        self.host.send("front", "main" if front == "host" else "other")
        wanted = self.s.probe("find", harness.HOST_CLASS if front == "host" else OTHER_CLASS)["hwnd"]
        poll(f"the {front} window in front", lambda: (self.s.foreground() or {}).get("hwnd") == wanted)
        if self.extras:
            # Wine activates a window without raising it above another process's windows; on
            # Windows the window in front is also on top, so the extra windows are put where
            # Windows would have them: below the host in front, above the host behind another.
            self.helper("zorder", "bottom" if front == "host" else "top")
        # With a thousand windows a listing can catch one half made or half gone and fail; a
        # second listing a moment later settles it.
        try:
            listing = self.s.probe("windows")
        except harness.Fatal:
            time.sleep(0.5)
            listing = self.s.probe("windows")
        order = [w.get("class") for w in listing]
        return order.index(harness.HOST_CLASS)

    # -- programs ---------------------------------------------------------------------------

    def start_floor(self) -> harness.Program:
        folder = self.s.new_folder("floor")
        program = harness.Program("floor.exe", self.s.start_program("floor", self.floor_exe, [], folder), folder)
        self.s.programs.append(program)
        poll("the floor window", lambda: (self.s.probe("find", FLOOR_CLASS) or {}).get("visible"), 30)
        return program

    def start_app(self) -> harness.App:
        app = self.s.start_app("app", settings=APP_SETTINGS)
        app.wait_window()
        if app.wait_caption(HOST_CAPTION) != HOST_CAPTION:
            raise Fatal(f"ZO24_RAZ.exe did not find the host: caption {app.caption()!r}")
        return app

    def stop(self, program: harness.Program, window_class: str) -> None:
        self.s.probe("close", window_class)
        try:
            program.wait_exit(15)
        except Fatal:
            program.stop()

    # -- cost ---------------------------------------------------------------------------------

    def objects(self, window_class: str) -> dict:
        answer = self.helper("gui", window_class)
        return {"gdi": answer.get("gdi"), "user": answer.get("user"),
                "errors": (answer.get("gdi_error"), answer.get("user_error"))}

    def park_pointer(self) -> None:
        """Moves the pointer, with a motion the desktop sees, onto a point of the desktop that no
        window covers: resting on a button with visual styles it makes Wine poll that window."""
        width, height = (int(v) for v in harness.DESKTOP_SIZE.split("x"))
        covered = [w["rect"] for w in self.s.probe("windows") if w["visible"]]
        for x, y in ((width - 3, height - 3), (3, height - 3), (width - 3, height // 2), (3, height // 2)):
            if not any(left <= x < right and top <= y < bottom for left, top, right, bottom in covered):
                env = dict(os.environ, DISPLAY=self.display())
                for at in ((x - 1, y), (x, y)):
                    subprocess.run(["xdotool", "mousemove", str(at[0]), str(at[1])], env=env, check=True, timeout=10)
                return
        raise Fatal("no free point of the desktop to park the pointer on")

    def measure(self, label: str, program: harness.Program | None, window_class: str | None) -> dict:
        self.park_pointer()
        time.sleep(SETTLE_SECONDS)
        before = self.objects(window_class) if window_class else None
        server = CpuMeter(self.server_pid)
        own = CpuMeter(program.proc.pid) if program else None
        time.sleep(self.o.seconds)
        row = {"program": label, "server": server.per_minute()}
        if program:
            if not program.running():
                raise Fatal(f"{label} ended during its phase")
            row["cpu"] = own.per_minute()
            row["memory"] = memory_kib(program.proc.pid)
            row["objects"] = (before, self.objects(window_class))
        return row

    def cost(self) -> None:
        for count in WINDOW_COUNTS:
            self.set_extra_windows(count)
            for front in FRONTS:
                self.bring_to_front(front)
                say(f"bench: cost with {count} extra windows, {front} in front, {self.o.seconds} s per phase")
                rows = [self.measure("background", None, None)]
                floor = self.start_floor()
                above = self.bring_to_front(front)
                rows.append(self.measure("floor", floor, FLOOR_CLASS))
                self.stop(floor, FLOOR_CLASS)
                app = self.start_app()
                above_app = self.bring_to_front(front)
                rows.append(self.measure("ZO24_RAZ", app, APP_CLASS))
                self.stop(app, APP_CLASS)
                for row in rows:
                    row.update(windows=count, front=front, above_host=max(above, above_app))
                self.results["cost"].extend(rows)
                say(format_cost_block(rows))
        self.set_extra_windows(0)

    # -- calls per tick -------------------------------------------------------------------------

    def relay_run(self, exe: Path, label: str, settings: str | None, window_class: str, front: str) -> Path:
        """Runs a program for a few seconds with Wine's relay trace on the user32 and imm32 calls
        it makes itself; returns the trace."""
        folder = self.s.new_folder(f"calls-{label}")
        target = folder / exe.name
        target.write_bytes(exe.read_bytes())
        if settings is not None:
            (folder / "ZO24_RAZ,ini").write_text(settings, encoding="cp1252", newline="\r\n")
        env = self.s.wine.env()
        env["WINEDEBUG"] = "+relay"
        trace = folder / "relay.txt"
        with open(trace, "wb") as err:
            proc = subprocess.Popen([*harness.WINE_COMMAND, str(target)], env=env, cwd=folder, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err, start_new_session=True)
        program = harness.Program(exe.name, proc, folder)
        self.s.programs.append(program)
        poll(f"{exe.name} under the relay trace", lambda: (self.s.probe("find", window_class) or {}).get("visible"), 90)
        self.bring_to_front(front)
        time.sleep(self.o.call_seconds)
        self.stop(program, window_class)
        return trace

    def calls(self) -> None:
        self.set_extra_windows(200)
        for front in FRONTS:
            self.bring_to_front(front)
            say(f"bench: calls per tick, 200 extra windows, {front} in front")
            for label, exe, settings, window_class in (("floor", self.floor_exe, None, FLOOR_CLASS),
                                                      ("ZO24_RAZ", Path(self.s.args.app), APP_SETTINGS, APP_CLASS)):
                trace = self.relay_run(exe, f"{label}-{front}", settings, window_class, front)
                self.results["calls"][f"{label}/{front}"] = count_calls(trace, exe.name)
        self.set_extra_windows(0)

    # -- repaints -------------------------------------------------------------------------------

    def events(self, label: str, duration_ms: int, during=None) -> dict:
        program, out = self.start_helper(label, "events", APP_CLASS, str(duration_ms))
        if during:
            during()
        program.wait_exit(duration_ms / 1000 + 30)
        return json.loads(out.read_text().strip().splitlines()[-1])

    def repaint(self) -> None:
        say(f"bench: window events of ZO24_RAZ.exe, host in front, {self.o.seconds} s of steady state")
        self.bring_to_front("host")
        app = self.start_app()
        self.bring_to_front("host")
        time.sleep(SETTLE_SECONDS)

        def four_changes():
            # Two caption changes with the host found, then the host lost and found again: two more
            # caption changes and two lamp colour changes.
            for title, caption in (("KORVA 2020 Pro (x64)", CAPTION_PREFIX + "KORVA 2020 Pro"),
                                   (HOST_TITLE, HOST_CAPTION), ("Untitled", CAPTION_PREFIX),
                                   (HOST_TITLE, HOST_CAPTION)):
                self.host.send("title", "main", title)
                poll(f"the caption {caption!r}", lambda: app.caption() == caption)
                time.sleep(0.3)
        control = self.events("events-control", 6000, four_changes)
        steady = self.events("events-steady", int(self.o.seconds * 1000))
        self.stop(app, APP_CLASS)
        self.results["repaint"] = {"control": control, "steady": steady}

    # -- tap latency ----------------------------------------------------------------------------

    def latency(self) -> None:
        say(f"bench: Shift tap to F8, {self.o.taps} taps")
        app = self.start_app()
        self.host.send("automation", "20")
        self.host.send("busy", "1")
        self.bring_to_front("host")
        env = dict(os.environ, DISPLAY=self.display())
        rng = random.Random(8)
        samples, from_release_line, keyup_calls, misses = [], [], [], 0
        for _ in range(self.o.taps):
            subprocess.run(["xdotool", "keydown", "shift"], env=env, check=True, timeout=10)
            time.sleep(0.25)
            offset = self.host.log.stat().st_size
            called = time.monotonic()
            subprocess.run(["xdotool", "keyup", "shift"], env=env, check=True, timeout=10)
            released = time.monotonic()
            seen = watch_log(self.host.log, offset, ("key\tup\t16", "key\tdown\t119"), 2.0)
            keyup_calls.append((released - called) * 1000)
            if "key\tdown\t119" in seen:
                samples.append((seen["key\tdown\t119"] - released) * 1000)
                if "key\tup\t16" in seen:
                    from_release_line.append((seen["key\tdown\t119"] - seen["key\tup\t16"]) * 1000)
            else:
                misses += 1
            # A gap that is not a whole number of ticks, so the taps fall on every phase of the tick.
            time.sleep(rng.uniform(0.15, 0.35))
        self.host.send("busy", "0")
        self.stop(app, APP_CLASS)
        self.results["latency"] = {"taps": self.o.taps, "misses": misses, "from_keyup": samples,
                                   "from_host_keyup_line": from_release_line, "xdotool_keyup_ms": keyup_calls}

    # -- tap latency while the host refuses calls ----------------------------------------------

    def refused_tap(self, env: dict, refuse_ms: int) -> float | None:
        """One Shift tap; with `refuse_ms`, the host starts refusing every call as the key goes up.
        Milliseconds from the release to the host's F8, or None when no F8 came."""
        subprocess.run(["xdotool", "keydown", "shift"], env=env, check=True, timeout=10)
        time.sleep(0.25)
        offset = self.host.log.stat().st_size
        if refuse_ms:
            # Not waited for: the host reads its commands every 20 ms, so the refusal begins within
            # that of the release, before the program's next 100 ms sample.
            with open(self.host.commands, "a", encoding="utf-8", newline="") as f:
                f.write(f"refuse\t{refuse_ms}\n")
        subprocess.run(["xdotool", "keyup", "shift"], env=env, check=True, timeout=10)
        released = time.monotonic()
        seen = watch_log(self.host.log, offset, ("key\tdown\t119",), 2.5)
        return (seen["key\tdown\t119"] - released) * 1000 if seen else None

    def refused(self) -> None:
        refuse_ms = REFUSAL_MS
        say(f"bench: Shift tap to F8, {self.o.refused_taps} taps each with the host answering and refusing "
            f"{refuse_ms} ms")
        app = self.start_app()
        self.host.send("automation", "20")
        self.host.send("busy", "1")
        self.bring_to_front("host")
        env = dict(os.environ, DISPLAY=self.display())
        rng = random.Random(9)
        rows = {}
        for label, ms in (("answering", 0), ("refusing", refuse_ms)):
            samples, misses = [], 0
            for _ in range(self.o.refused_taps):
                value = self.refused_tap(env, ms)
                if value is None:
                    misses += 1
                else:
                    samples.append(value)
                # Past the refusal, and off the tick's phase.
                time.sleep(ms / 1000 + rng.uniform(0.15, 0.35))
            rows[label] = {"ms": samples, "misses": misses}
        self.host.send("refuse", "off")
        self.host.send("busy", "0")
        self.stop(app, APP_CLASS)
        self.results["refused"] = {"taps": self.o.refused_taps, "refuse_ms": refuse_ms, "rows": rows}

    # -- LIST -----------------------------------------------------------------------------------

    def list_timing(self) -> None:
        app = self.start_app()
        self.host.send("automation", "20")
        self.host.send("busy", "0")
        for drawings in (5, 500):
            say(f"bench: LIST with {drawings} drawings, {self.o.list_runs} runs")
            self.host.send("docs", "0", *[f"Drawing{i + 1}.drw" for i in range(drawings)])
            shown, hidden = [], []
            for _ in range(self.o.list_runs):
                answer = self.helper("list", "60000", timeout=120)
                if "error" in answer:
                    raise Fatal(f"LIST timing failed: {answer}")
                shown.append(answer["shown_ms"])
                hidden.append(answer["hidden_ms"])
                time.sleep(0.3)
            self.results["list"].append({"drawings": drawings, "shown_ms": shown, "hidden_ms": hidden})
        self.stop(app, APP_CLASS)


    # -- where the memory goes ------------------------------------------------------------------

    def start_steps(self, flags: list[str]) -> harness.Program:
        """Starts memory_steps.exe with the flags and waits for its window. All variants share one
        window class, so the wait counts their visible windows."""
        def shown() -> int:
            return sum(1 for w in self.s.probe("windows") if w.get("class") == STEPS_CLASS and w.get("visible"))
        before = shown()
        label = "steps" + "".join(flags).replace("--", "-")
        folder = self.s.new_folder(label)
        program = harness.Program(label, self.s.start_program("steps", Path(self.o.steps), flags, folder), folder)
        self.s.programs.append(program)

        def ready() -> bool:
            if not program.running():
                raise Fatal(f"memory_steps.exe {' '.join(flags)} ended with {program.proc.returncode}")
            return shown() > before
        poll(f"the memory_steps.exe {' '.join(flags)} window", ready, 30)
        return program

    def memory(self) -> None:
        say("bench: where the memory goes, every variant running at once, host in front")
        self.bring_to_front("host")
        rows = [{"step": "floor.exe (required windows, idle tick)", "program": self.start_floor()},
                {"step": "memory_steps.exe, no step (floor tick + the program's manifest)",
                 "program": self.start_steps([])}]
        flags: list[str] = []
        for flag, meaning in MEMORY_STEPS:
            flags.append(flag)
            rows.append({"step": f"+ `{flag}`: {meaning}", "program": self.start_steps(list(flags))})
        rows.append({"step": "ZO24_RAZ.exe", "program": self.start_app()})
        self.bring_to_front("host")
        time.sleep(MEMORY_SETTLE_SECONDS)
        for row in rows:
            row["first"] = memory_kib(row["program"].proc.pid)
        time.sleep(MEMORY_RESAMPLE_SECONDS)
        for row in rows:
            if not row["program"].running():
                raise Fatal(f"{row['step']} ended during the memory phase")
            row["memory"] = memory_kib(row["program"].proc.pid)
            row["split"] = private_split(mapping_kib(row["program"].proc.pid))
        mappings = {name: mapping_kib(rows[index]["program"].proc.pid)
                    for name, index in (("floor", 0), ("all steps", len(rows) - 2), ("ZO24_RAZ", len(rows) - 1))}
        for window_class in (FLOOR_CLASS, STEPS_CLASS, APP_CLASS):
            self.s.probe("close", window_class)
        for row in rows:
            try:
                row["program"].wait_exit(15)
            except Fatal:
                row["program"].stop()
        self.results["memory"] = {"rows": [{k: v for k, v in row.items() if k != "program"} for row in rows],
                                  "mappings": mappings}
        say("\n".join(memory_lines(self.results["memory"])))


def watch_log(log: Path, offset: int, wanted: tuple[str, ...], timeout: float) -> dict[str, float]:
    """Reads the log from `offset` as fast as it grows; returns when each wanted line arrived."""
    seen: dict[str, float] = {}
    pending = b""
    deadline = time.monotonic() + timeout
    with open(log, "rb") as f:
        f.seek(offset)
        while len(seen) < len(wanted) and time.monotonic() < deadline:
            chunk = f.read()
            now = time.monotonic()
            if not chunk:
                time.sleep(0.0005)
                continue
            pending += chunk
            *lines, pending = pending.split(b"\n")
            for line in lines:
                text = line.decode("utf-8", errors="replace")
                if text in wanted and text not in seen:
                    seen[text] = now
    return seen


RELAY_CALL = re.compile(r"^[0-9a-f]+:Call (user32|imm32)\.(\w+)\(.*\) ret=([0-9a-f]+)$")
RELAY_MODULE = re.compile(r"^[0-9a-f]+:Call KERNEL32\.GetModuleHandle")


def count_calls(trace: Path, exe_name: str) -> dict:
    """The user32 and imm32 calls made from the executable itself (not from inside Wine's own
    DLLs), per tick. A tick is one EnumWindows call."""
    counts: collections.Counter = collections.Counter()
    text = trace.read_text(errors="replace").splitlines()
    # The executable is the one image whose return addresses are below the system DLLs: the
    # lowest loaded image. Calls whose return address lies in a Wine DLL are nested calls.
    calls = [m for m in (RELAY_CALL.match(line) for line in text) if m]
    if not calls:
        return {"ticks": 0, "per_tick": {}, "note": "the relay trace shows no calls"}
    own_base = min(int(m.group(3), 16) for m in calls) & ~0xFFFFFF
    own = [m.group(2) for m in calls if int(m.group(3), 16) & ~0xFFFFFF == own_base]
    # Start-up, the moves to the front and the closing are not ticks: count whole ticks from the
    # one after the last activation to the last.
    starts = [i for i, name in enumerate(own) if name == "EnumWindows"]
    activations = [i for i, name in enumerate(own) if name in ("SetForegroundWindow", "SetActiveWindow")]
    starts = [i for i in starts if not activations or i > activations[-1]][1:]
    if len(starts) < 2:
        return {"ticks": 0, "per_tick": {}, "note": "fewer than two steady ticks in the trace"}
    ticks = len(starts) - 1
    counts.update(own[starts[0]:starts[-1]])
    return {"ticks": ticks, "per_tick": {name: n / ticks for name, n in counts.most_common()}}


# ---------------------------------------------------------------------------------------------
# The report


def mib(kib: float) -> str:
    return f"{kib / 1024:.2f}"


def percentile(values: list[float], fraction: float) -> float:
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, max(0, round(fraction * len(ordered) + 0.5) - 1))]


def objects_text(row: dict) -> str:
    if "objects" not in row:
        return "-"
    before, after = row["objects"]
    if not before["gdi"] and not before["user"] and not after["gdi"] and not after["user"]:
        return "0/0 (Wine answers 0)"
    return f"{before['gdi']}->{after['gdi']} / {before['user']}->{after['user']}"


def format_cost_block(rows: list[dict]) -> str:
    background = next(r for r in rows if r["program"] == "background")
    lines = []
    for row in rows:
        net = row["server"]["sched_ms"] - background["server"]["sched_ms"]
        if "cpu" in row:
            lines.append(f"  {row['program']:<10} process {row['cpu']['sched_ms']:8.1f} ms/min "
                         f"(ticks {row['cpu']['stat_ms']:7.0f}), wineserver +{net:7.1f} ms/min, "
                         f"RSS {mib(row['memory']['rss'])} MiB, private {mib(row['memory']['private'])} MiB, "
                         f"GDI/USER {objects_text(row)}")
        else:
            lines.append(f"  {row['program']:<10} wineserver {row['server']['sched_ms']:7.1f} ms/min")
    return "\n".join(lines)


def cost_table(rows: list[dict]) -> list[str]:
    out = ["| extra windows | in front | program | process CPU ms/min (schedstat) | process CPU ms/min (stat ticks) "
           "| wineserver ms/min above background | process + wineserver ms/min | VmRSS MiB | private MiB "
           "| GDI / USER objects (start->end) |",
           "|---|---|---|---|---|---|---|---|---|---|"]
    for count in WINDOW_COUNTS:
        for front in FRONTS:
            group = [r for r in rows if r["windows"] == count and r["front"] == front]
            if not group:
                continue
            background = next(r for r in group if r["program"] == "background")
            for row in group:
                if "cpu" not in row:
                    out.append(f"| {count} | {front} | (background) | - | - | "
                               f"({background['server']['sched_ms']:.1f} total) | - | - | - | - |")
                    continue
                net = row["server"]["sched_ms"] - background["server"]["sched_ms"]
                out.append(f"| {count} | {front} | {row['program']} | {row['cpu']['sched_ms']:.1f} | "
                           f"{row['cpu']['stat_ms']:.0f} | {net:.1f} | {row['cpu']['sched_ms'] + net:.1f} | "
                           f"{mib(row['memory']['rss'])} | {mib(row['memory']['private'])} | {objects_text(row)} |")
    return out


def ratio_table(rows: list[dict]) -> list[str]:
    out = ["| extra windows | in front | CPU ratio process | CPU ratio process + wineserver | CPU target <= "
           f"{CPU_RATIO_TARGET:.2f} | private memory over floor MiB | VmRSS over floor MiB | memory target <= "
           f"+{MEMORY_TARGET_MIB:.0f} MiB |",
           "|---|---|---|---|---|---|---|---|"]
    for count in WINDOW_COUNTS:
        for front in FRONTS:
            group = {r["program"]: r for r in rows if r["windows"] == count and r["front"] == front}
            if {"background", "floor", "ZO24_RAZ"} - group.keys():
                continue
            base = group["background"]["server"]["sched_ms"]
            floor, app = group["floor"], group["ZO24_RAZ"]
            floor_total = floor["cpu"]["sched_ms"] + floor["server"]["sched_ms"] - base
            app_total = app["cpu"]["sched_ms"] + app["server"]["sched_ms"] - base
            process_ratio = app["cpu"]["sched_ms"] / floor["cpu"]["sched_ms"]
            total_ratio = app_total / floor_total if floor_total > 0 else float("nan")
            private_over = (app["memory"]["private"] - floor["memory"]["private"]) / 1024
            rss_over = (app["memory"]["rss"] - floor["memory"]["rss"]) / 1024
            cpu_ok = "met" if max(process_ratio, total_ratio) <= CPU_RATIO_TARGET else "missed"
            mem_ok = "met" if private_over <= MEMORY_TARGET_MIB else "missed"
            out.append(f"| {count} | {front} | {process_ratio:.2f} | {total_ratio:.2f} | {cpu_ok} | "
                       f"{private_over:+.2f} | {rss_over:+.2f} | {mem_ok} |")
    return out


def calls_table(calls: dict) -> list[str]:
    if not calls:
        return ["(not measured in this run)"]
    names = sorted({n for c in calls.values() for n in c.get("per_tick", {})},
                   key=lambda n: -max(c.get("per_tick", {}).get(n, 0) for c in calls.values()))
    keys = list(calls)
    out = ["| call | " + " | ".join(keys) + " |", "|---|" + "---|" * len(keys),
           "| (ticks traced) | " + " | ".join(str(calls[k]["ticks"]) for k in keys) + " |"]
    for name in names:
        out.append(f"| {name} | " + " | ".join(f"{calls[k].get('per_tick', {}).get(name, 0):.2f}" for k in keys) + " |")
    return out


def private_split(mappings: dict[str, dict[str, int]]) -> dict[str, int]:
    """Private KiB in the Unix heap (Wine's own malloc: font files parsed by FreeType, X11), in
    anonymous mappings (the Windows heaps, stacks and Wine's virtual memory) and in mapped files."""
    heap = mappings.get("[heap]", {}).get("private", 0)
    anonymous = mappings.get("(anonymous)", {}).get("private", 0)
    return {"heap": heap, "anonymous": anonymous,
            "files": sum(v["private"] for v in mappings.values()) - heap - anonymous}


def memory_lines(memory: dict) -> list[str]:
    rows = memory.get("rows")
    if not rows:
        return ["(not measured in this run)"]
    out = ["| step | private MiB | VmRSS MiB | private over previous step MiB | VmRSS over previous step MiB "
           "| of the private step: Unix heap / anonymous / files KiB "
           "| private over floor MiB | threads | private change in the last "
           f"{MEMORY_RESAMPLE_SECONDS:g} s KiB |",
           "|---|---|---|---|---|---|---|---|---|"]
    floor = rows[0]["memory"]
    for index, row in enumerate(rows):
        now = row["memory"]
        # The program is set against the last step, the sum of everything it does at start.
        previous = rows[index - 1]["memory"] if index else None
        step_private = f"{(now['private'] - previous['private']) / 1024:+.2f}" if previous else "-"
        step_rss = f"{(now['rss'] - previous['rss']) / 1024:+.2f}" if previous else "-"
        split = " / ".join(f"{row['split'][k] - rows[index - 1]['split'][k]:+d}" if index else str(row['split'][k])
                           for k in ("heap", "anonymous", "files"))
        out.append(f"| {row['step']} | {mib(now['private'])} | {mib(now['rss'])} | {step_private} | {step_rss} | "
                   f"{split} | "
                   f"{(now['private'] - floor['private']) / 1024:+.2f} | {now['threads']} | "
                   f"{now['private'] - row['first']['private']:+d} |")
    return out


def mapping_lines(mappings: dict, limit: int = 14) -> list[str]:
    if not mappings:
        return []
    keys = list(mappings)
    names = {n for m in mappings.values() for n in m}

    def private(key: str, name: str) -> int:
        return mappings[key].get(name, {}).get("private", 0)

    # The mappings where the program differs most from the floor, then the rest summed.
    ranked = sorted(names, key=lambda n: -abs(private("ZO24_RAZ", n) - private("floor", n)))
    out = ["| mapping | " + " | ".join(f"{k} private KiB" for k in keys) + " | ZO24_RAZ over floor KiB |",
           "|---|" + "---|" * (len(keys) + 1)]
    for name in ranked[:limit]:
        out.append(f"| {name} | " + " | ".join(str(private(k, name)) for k in keys) +
                   f" | {private('ZO24_RAZ', name) - private('floor', name):+d} |")
    rest = ranked[limit:]
    if rest:
        out.append(f"| ({len(rest)} other mappings) | " +
                   " | ".join(str(sum(private(k, n) for n in rest)) for k in keys) +
                   f" | {sum(private('ZO24_RAZ', n) - private('floor', n) for n in rest):+d} |")
    out.append("| total | " + " | ".join(str(sum(v["private"] for v in mappings[k].values())) for k in keys) +
               f" | {sum(private('ZO24_RAZ', n) - private('floor', n) for n in names):+d} |")
    return out


def events_text(answer: dict) -> str:
    if "error" in answer:
        return f"failed: {answer}"
    parts = [f"{EVENT_NAMES.get(int(k, 16), k)} {v}" for k, v in answer.get("by_event", {}).items()]
    return (f"{answer.get('total', 0)} window events" + (f" ({', '.join(parts)})" if parts else "") +
            f"; caption changes polled: {answer.get('caption_changes')}; pending paints seen: main window "
            f"{answer.get('window_paints_seen')}, lamp {answer.get('lamp_paints_seen')}")


def machine_text() -> str:
    cpu = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                if line.startswith("model name")), platform.processor() or "unknown CPU")
    wine = subprocess.run([harness.WINE_LOADER, "--version"], capture_output=True, text=True).stdout.strip()
    return f"{platform.node()}: {cpu}, {os.cpu_count()} cores, Linux {platform.release()}, {wine}, Xvfb"


def report(results: dict, options: argparse.Namespace, command: str, started: datetime.datetime,
           elapsed: float) -> str:
    lines = ["# Performance: what the program costs all day", "",
             "Generated by `scripts/bench`; rerun it to refresh this page. Figures below are from one run:", "",
             f"- command: `{command}`",
             f"- date: {started.strftime('%Y-%m-%d %H:%M')} (local), whole run {elapsed / 60:.1f} min",
             f"- machine: {machine_text()}",
             f"- phase length: {options.seconds:g} s per program and condition, after {SETTLE_SECONDS:g} s to settle",
             "", "## Method", "",
             "Every program runs under Wine on one virtual desktop (Xvfb) beside `test_host.exe`, which shows the "
             f"host's main window (title `{HOST_TITLE}`) and another application's window. The extra top-level "
             "windows belong to `bench_helper.exe` and are created after the host's window, so they lie above it "
             "in the Z order: with another window in front, a search for the host walks through all of them; with "
             "the host in front it finds the host first. In each condition three phases run one after the other: "
             "nothing extra (background), the floor program alone, ZO24_RAZ.exe alone.",
             "",
             "- The floor (`tests/bench/floor.cpp`) has what the program is required to have, in the plain "
             "system look: the program's manifest (common controls 6), COM initialised, the always-on-top main "
             "window at the program's place with its nine controls in Tahoma 11 and 12, the popup menu, and the "
             "hidden list window with its list box in Tahoma 15. Its 100 ms timer makes only the calls an idle "
             "tick needs: one EnumWindows with one title read per window (class name for a window whose title "
             "passes), GetForegroundWindow, one keyboard snapshot (GetKeyState, GetKeyboardState) when the host "
             "is in front, ImmGetDefaultIMEWnd and the open-status query; it sets its timer again at the end of "
             "each tick, as the program does, so that both tick equally often when a tick is slow.",
             "- Before each phase the pointer is parked on a point of the desktop no window covers: resting on "
             "a button it would make Wine poll that window for hover tracking.",
             "- ZO24_RAZ.exe runs with Shift, Ctrl and IME ticked (the IME guard runs on every tick), auto-close "
             "off, version 2020.",
             "- Process CPU: the Linux process that runs the Windows program. `schedstat` is the sum of "
             "`/proc/<pid>/task/*/schedstat` run time (nanoseconds); `stat ticks` is utime+stime of "
             f"`/proc/<pid>/stat` ({CLK_TCK} ticks a second, so it is coarse over a short phase).",
             "- wineserver: every window call of every program goes through it. Its CPU in the background phase "
             "(test host and helper windows idle) is subtracted from its CPU in the program's phase; what is left "
             "is charged to the program.",
             "- Memory: `VmRSS` of `/proc/<pid>/status` and the sum of `Private_*` of `/proc/<pid>/smaps_rollup`, "
             "at the end of the phase.",
             "- GDI and USER objects: GetGuiResources on the program's process from `bench_helper.exe`, at the "
             "start and at the end of the phase.", "",
             "", "Phases run one after the other, not at once, so load from other processes on the machine between phases shows up in the ratios; the background wineserver figures of the conditions show how much it moved during this run. Repeat the run, or lengthen `--seconds`, before reading a ratio near 1.10 as met or missed.", "",
             "## CPU and memory", ""]
    lines += cost_table(results["cost"]) + [""]
    above = sorted({(r["windows"], r["front"], r["above_host"]) for r in results["cost"] if "above_host" in r})
    if above:
        lines += ["Top-level windows above the host's window during the phases (what each search walks before "
                  "it stops): " + ", ".join(f"{n} extra / {f} in front: {a}" for n, f, a in above) + ".", ""]
    notes = {tuple(r["objects"][1]["errors"]) for r in results["cost"] if "objects" in r}
    if results["cost"] and all(not r["objects"][0]["gdi"] and not r["objects"][0]["user"] and
                               not r["objects"][1]["gdi"] and not r["objects"][1]["user"]
                               for r in results["cost"] if "objects" in r):
        lines += [f"GDI and USER object counts: GetGuiResources answers 0 under Wine for every process "
                  f"(last errors seen: {sorted(notes)}); Wine does not count them, so they are not measured "
                  "here. Check them on Windows (Task Manager, GDI objects and USER objects columns).", ""]
    lines += ["## Program against floor", ""] + ratio_table(results["cost"]) + [""]
    lines += ["## Platform calls per tick", "",
              "Counted from Wine's relay trace (`WINEDEBUG=+relay`), calls of user32 and imm32 made from the "
              "executable itself, divided by the number of EnumWindows calls (one per tick); "
              f"{options.call_seconds:g} s per program, 200 extra windows.", ""]
    lines += calls_table(results["calls"]) + [""]
    rep = results["repaint"]
    lines += ["## Repaints in the steady state", "",
              "`bench_helper.exe events` watches the main window from another process, host in front: window "
              "events of the program's process (SetWinEventHook, out of context), and, polled every millisecond, "
              "the caption text and whether the main window or the lamp has a paint pending (GetUpdateRect). A "
              "paint is seen only while it is pending, so those counts are a lower bound; the control run shows "
              "what the watch can see.", ""]
    if rep:
        lines += [f"- control, four caption changes and two lamp colour changes made by retitling the host "
                  f"within 6 s: {events_text(rep['control'])}",
                  f"- steady state, {options.seconds:g} s: {events_text(rep['steady'])}", ""]
    else:
        lines += ["(not measured in this run)", ""]
    lat = results["latency"]
    lines += ["## Shift tap to F8", "",
              "Host busy (`busy 1`), automation registered (`automation 20`), host in front. `xdotool keydown "
              "shift`, 250 ms, `xdotool keyup shift`; the clock starts when `xdotool keyup` has returned and stops "
              "when the host's log shows `key down 119` (the log is read every 0.5 ms). The program samples the "
              "keys every 100 ms, so the polling floor alone is 0 to 100 ms.", ""]
    if lat:
        lines += latency_lines(lat)
    else:
        lines += ["(not measured in this run)"]
    lines += ["", "## Shift tap to F8 while the host refuses calls", ""] + refused_lines(results.get("refused", {}))
    lines += ["", "## LIST to the visible drawing list", "",
              "`bench_helper.exe list` posts BM_CLICK to the LIST button and polls every 1 ms until the "
              "TInputListForm window is visible (QueryPerformanceCounter), then presses Escape and waits until it "
              "is hidden. Host idle, automation registered, first drawing active.", ""]
    if results["list"]:
        lines += ["| drawings | runs | first ms | median ms | max ms | Escape to hidden, median ms |",
                  "|---|---|---|---|---|---|"]
        for entry in results["list"]:
            shown = entry["shown_ms"]
            lines.append(f"| {entry['drawings']} | {len(shown)} | {shown[0]:.1f} | {statistics.median(shown):.1f} | "
                         f"{max(shown):.1f} | {statistics.median(entry['hidden_ms']):.1f} |")
    else:
        lines += ["(not measured in this run)"]
    lines += ["", "## Where the memory goes", "",
              "`tests/bench/memory_steps.exe` makes the floor's idle tick and, behind flags, the start-up steps of "
              "ZO24_RAZ.exe one at a time; it carries the program's manifest and loads every library beyond the "
              "floor's at run time, so that a step loads nothing before its flag. The floor, one variant per step "
              "(each with the flags of the steps above it) and ZO24_RAZ.exe run at once on the desktop, host in "
              f"front; memory is read {MEMORY_SETTLE_SECONDS:g} s after the last one started and again "
              f"{MEMORY_RESAMPLE_SECONDS:g} s later (the figures are the second reading, the last column the change "
              "between the two). ZO24_RAZ.exe is set against the variant with every step. Memory target: the "
              f"program's private memory at most the floor's + {MEMORY_TARGET_MIB:g} MiB.", ""]
    lines += memory_lines(results.get("memory", {}))
    if results.get("memory", {}).get("mappings"):
        lines += ["", "Private memory by mapping (`/proc/<pid>/smaps`, file mappings by file name; the Windows heaps "
                  "and stacks are the anonymous mappings, Wine's own Unix-side allocations the Unix heap). A mapped "
                  "file's clean pages count as private while no other process maps them, so that part moves with "
                  "what else runs at the time:", ""]
        lines += mapping_lines(results["memory"]["mappings"])
    lines += ["", "## Not measured under Wine", "",
              "- GDI and USER object counts, when Wine answers 0 (see above).",
              "- The IME guard's cross-process path: ImmGetDefaultIMEWnd returns null for another process's "
              "window under Wine, so the open-status message is never sent to the host here; on Windows it is "
              "one SendMessageW per tick to the host's IME window, in both the floor and the program.",
              "- Window events, when the control run shows none (see the repaint section).", ""]
    return "\n".join(lines)


def refused_lines(ref: dict) -> list[str]:
    if not ref:
        return ["(not measured in this run)"]
    out = [f"As above (host busy and in front, 250 ms Shift hold, clock from `xdotool keyup` to the host's "
           f"`key down 119`), {ref['taps']} taps each: the host answering at once, and the host refusing every call "
           f"for {ref['refuse_ms']} ms from the release (`refuse {ref['refuse_ms']}` written to its command file just "
           "before `xdotool keyup`; it reads the file every 20 ms). The program makes a refused call again every "
           "50 ms for up to 1 s, so a refused tap is expected to take up to the refusal's length longer.", "",
           "| host | taps with F8 | median ms | max ms |", "|---|---|---|---|"]
    for label, row in ref["rows"].items():
        values = row["ms"]
        if values:
            out.append(f"| {label} | {len(values)} of {ref['taps']} | {statistics.median(values):.1f} | "
                       f"{max(values):.1f} |")
        else:
            out.append(f"| {label} | 0 of {ref['taps']} | | |")
    return out


def latency_lines(lat: dict) -> list[str]:
    samples = lat["from_keyup"]
    if not samples:
        return [f"No F8 arrived in {lat['taps']} taps."]
    out = ["| measured from | taps with F8 | median ms | 95th percentile ms | max ms | polling floor ms |",
           "|---|---|---|---|---|---|"]
    for label, values in (("`xdotool keyup` returned", samples),
                          ("host logged `key up 16`", lat["from_host_keyup_line"])):
        if values:
            out.append(f"| {label} | {len(values)} of {lat['taps']} | {statistics.median(values):.1f} | "
                       f"{percentile(values, 0.95):.1f} | {max(values):.1f} | 0 to 100 |")
    out += ["", f"Taps without F8 within 2 s: {lat['misses']}. `xdotool keyup` itself took "
                f"{statistics.median(lat['xdotool_keyup_ms']):.1f} ms (median) to return."]
    return out


# ---------------------------------------------------------------------------------------------


def parse_args(argv: list[str]) -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    for name in ("app", "host", "probe", "progids", "floor", "helper", "prefix", "work"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--steps", help="memory_steps.exe (default: beside the floor program)")
    parser.add_argument("--seconds", type=float, default=20, help="length of each measured phase")
    parser.add_argument("--call-seconds", type=float, default=3, help="length of each relay-traced run")
    parser.add_argument("--taps", type=int, default=50)
    parser.add_argument("--list-runs", type=int, default=5)
    parser.add_argument("--refused-taps", type=int, default=20)
    parser.add_argument("--only", default="cost,calls,repaint,latency,refused,list,memory",
                        help="comma-separated phases to run")
    parser.add_argument("--output", default=str(ROOT / "docs" / "performance.md"))
    parser.add_argument("--command", default="", help="the command line to record in the report")
    return parser.parse_args(argv)


def main() -> int:
    options = parse_args(sys.argv[1:])
    options.steps = options.steps or str(Path(options.floor).with_name("memory_steps.exe"))
    for name in ("floor", "helper", "steps"):
        if not Path(getattr(options, name)).is_file():
            say(f"bench: {name} program missing: {getattr(options, name)}")
            return 2
    session_args = argparse.Namespace(**{k: getattr(options, k) for k in
                                         ("app", "host", "probe", "progids", "prefix", "work")})
    s = harness.Session(session_args, "bench")
    bench = Bench(s, options)
    started, clock = datetime.datetime.now(), time.monotonic()
    phases = [p.strip() for p in options.only.split(",") if p.strip()]
    failed = None
    try:
        s.open()
        bench.set_up()
        for phase in phases:
            getattr(bench, {"list": "list_timing"}.get(phase, phase))()
    except (Fatal, KeyboardInterrupt) as e:
        failed = str(e) or type(e).__name__
        say(f"bench: stopped: {failed}")
    finally:
        s.keep_files = failed is not None
        s.close()
    command = options.command or " ".join(shlex.quote(a) for a in sys.argv)
    text = report(bench.results, options, command, started, time.monotonic() - clock)
    print(text)
    (Path(options.work) / "bench-results.json").write_text(json.dumps(bench.results, indent=1))
    if failed:
        say(f"bench: not writing {options.output}: the run failed ({failed})")
        return 1
    output = Path(options.output)
    old = output.read_text() if output.exists() else ""
    if ENDURANCE_BEGIN in old and ENDURANCE_END in old:
        kept = old[old.index(ENDURANCE_BEGIN):old.index(ENDURANCE_END) + len(ENDURANCE_END)]
        text = text.rstrip("\n") + "\n\n" + kept + "\n"
    output.write_text(text)
    say(f"bench: wrote {options.output}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
