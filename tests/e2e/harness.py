"""End-to-end harness: runs ZO24_RAZ.exe beside the test host under Wine on a private X display.

A scenario script is a function that takes a Session and is run through `main()`:

    def scenario(s):
        app = s.start_app()
        win = app.wait_window()
        s.check_equal(win["class"], "TKV24RUNForm", "main window class")

    if __name__ == "__main__":
        harness.main(scenario)

The Session owns everything it starts: an Xvfb server on a free display, the Wine server of the
prefix (kept alive for the session), the Windows programs and the test host. It ends them all on
the way out, also after a failure or a signal. Every wait is a poll with a deadline.

Command line of a scenario script (CTest passes it):
    --app ZO24_RAZ.exe --host test_host.exe --probe probe.exe --progids progids.reg
    --prefix <wine prefix folder> --work <folder for per-run files>

Environment:
    ZO_E2E_DISPLAYS   range of X display numbers to try, e.g. "33-39" (default 100-199)
    ZO_E2E_KEEP       "1" keeps the per-run folders of passing runs
"""

from __future__ import annotations

import argparse
import contextlib
import fcntl
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path
from typing import Any, Callable

WINE_LOADER = "/usr/lib/wine/wine64"
# Debian's Wine has no preloader to hold the low address space for it, so the kernel may place the
# loader's heap (randomised within 1 GB above the loader at 0x7d000000) over 0x7ffe0000, where Wine
# maps the shared user data: about one start in two hundred then ends at once with exit code 1
# ("failed to map the shared user data: c0000018", hidden by WINEDEBUG=-all). Without address
# randomisation the heap starts right after the loader, well below that address.
WINE_COMMAND = ("setarch", "x86_64", "--addr-no-randomize", WINE_LOADER)
APP_CLASS = "TKV24RUNForm"
CAPTION_PREFIX = "\u25a0ZO24_RAZ - "
HOST_CLASS = "Afx:400000:8"
LAMP_GREY = "#808080"
LAMP_GREEN = "#00ff00"
# A point inside the lamp (client 2..10 x 1..25), away from the outline it has before the first tick.
LAMP_POINT = (6, 13)
DESKTOP_SIZE = "1024x768"

# Generous against a loaded 2-core machine; a passing run never waits them out.
START_TIMEOUT = 30.0
WAIT_TIMEOUT = 8.0
WINE_CALL_TIMEOUT = 30.0
LOCK_TIMEOUT = 240.0


def wait_for_value(read: Callable[[], Any], expected: Any, timeout: float) -> Any:
    """What `read` returns once it equals `expected`, or the last value seen at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        seen = read()
        if seen == expected or time.monotonic() > deadline:
            return seen
        time.sleep(0.05)


class Fatal(Exception):
    """A failure after which the remaining checks of the scenario cannot mean anything."""


def say(text: str) -> None:
    print(text, flush=True)


def wine_server_binary() -> str:
    for candidate in ("/usr/lib/wine/wineserver64", "/usr/lib/wine/wineserver"):
        if os.access(candidate, os.X_OK):
            return candidate
    found = shutil.which("wineserver")
    if not found:
        raise Fatal("wineserver not found: run scripts/setup")
    return found


def windows_path(path: Path) -> str:
    """The Windows view of a Unix path through Wine's Z: drive."""
    return "Z:" + str(path.resolve()).replace("/", "\\")


def poll(what: str, probe: Callable[[], Any], timeout: float = WAIT_TIMEOUT, interval: float = 0.05) -> Any:
    """Calls `probe` until it returns something truthy and returns that; raises Fatal at the deadline."""
    deadline = time.monotonic() + timeout
    last: Any = None
    while True:
        last = probe()
        if last:
            return last
        if time.monotonic() > deadline:
            raise Fatal(f"timed out after {timeout:.0f} s waiting for {what} (last seen: {last!r})")
        time.sleep(interval)


# ---------------------------------------------------------------------------------------------
# X display


class XServer:
    def __init__(self, log_dir: Path):
        self.proc: subprocess.Popen | None = None
        self.display = ""
        self._log_dir = log_dir

    def start(self) -> None:
        first, last = self._display_range()
        for number in range(first, last + 1):
            if Path(f"/tmp/.X{number}-lock").exists() or Path(f"/tmp/.X11-unix/X{number}").exists():
                continue
            if self._try(number):
                return
        raise Fatal(f"no free X display in {first}-{last}")

    @staticmethod
    def _display_range() -> tuple[int, int]:
        text = os.environ.get("ZO_E2E_DISPLAYS", "100-199")
        first, _, last = text.partition("-")
        return int(first), int(last or first)

    def _try(self, number: int) -> bool:
        log = open(self._log_dir / "xvfb.log", "wb")
        proc = subprocess.Popen(
            ["Xvfb", f":{number}", "-screen", "0", f"{DESKTOP_SIZE}x24", "-nolisten", "tcp", "-noreset"],
            stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, start_new_session=True)
        log.close()
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                return False  # lost a race for this display: try the next one
            ready = subprocess.run(["xdpyinfo", "-display", f":{number}"], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, timeout=10).returncode == 0
            if ready:
                self.proc, self.display = proc, f":{number}"
                return True
            time.sleep(0.05)
        proc.kill()
        proc.wait()
        return False

    def stop(self) -> None:
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None


# ---------------------------------------------------------------------------------------------
# Wine prefix

# The virtual desktop gives title bars without a window manager and keeps the Win32 foreground and
# the X keyboard focus together; the font links make Japanese captions and message texts legible
# in screenshots. Multi-string values need a UTF-16 file, so this one is written as such.
PREFIX_REG = r"""Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="{desktop}"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
{fontlinks}
"""
FONT_LINK = "NotoSansCJK-Regular.ttc,Noto Sans CJK JP"
LINKED_FONTS = ("Tahoma", "Tahoma Bold", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "System")


def _multi_string_hex(*values: str) -> str:
    data = ("\0".join(values) + "\0\0").encode("utf-16-le")
    return "hex(7):" + ",".join(f"{b:02x}" for b in data)


def prefix_registry_text() -> str:
    links = "\n".join(f'"{font}"={_multi_string_hex(FONT_LINK)}' for font in LINKED_FONTS)
    return PREFIX_REG.format(desktop=DESKTOP_SIZE, fontlinks=links)


class Wine:
    def __init__(self, prefix: Path, display: str, log_dir: Path):
        self.prefix = prefix
        self.display = display
        self.log_dir = log_dir
        self.server = wine_server_binary()

    def env(self) -> dict[str, str]:
        env = dict(os.environ)
        env.update(WINEPREFIX=str(self.prefix), DISPLAY=self.display, WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64", LC_ALL="C.UTF-8")
        return env

    def run(self, args: list[str], timeout: float = WINE_CALL_TIMEOUT, cwd: Path | None = None
            ) -> subprocess.CompletedProcess:
        # Files, not pipes: a program that is first to touch the desktop or the COM service starts
        # Wine's helper processes, which inherit its output and would keep a pipe open forever.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                proc = subprocess.run([*WINE_COMMAND, *args], env=self.env(), cwd=cwd, stdin=subprocess.DEVNULL,
                                      stdout=out, stderr=err, timeout=timeout)
            except subprocess.TimeoutExpired as e:
                raise Fatal(f"wine64 {' '.join(args[:2])} did not finish within {timeout:.0f} s") from e
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(proc.args, proc.returncode, out.read(), err.read())

    def server_call(self, *args: str, timeout: float = 30, log: Path | None = None) -> None:
        with open(log, "ab") if log else contextlib.nullcontext(subprocess.DEVNULL) as err:
            subprocess.run([self.server, *args], env=self.env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=err, timeout=timeout)

    def stop_server(self) -> None:
        """Ends every process of this prefix, and only of this prefix."""
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.server_call("-k", timeout=15)
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.server_call("-w", timeout=30)

    def prepare(self, progids: Path) -> None:
        """Creates the prefix once, and imports the registry again only when its inputs changed."""
        own = prefix_registry_text()
        wanted = hashlib.sha256(own.encode() + progids.read_bytes()).hexdigest()
        marker = self.prefix / ".zo-e2e-ready"
        if marker.exists() and marker.read_text().strip() == wanted:
            return
        # Without the marker the prefix may be half made (an interrupted run): start it afresh.
        # With a stale marker only the registry inputs changed: import them again.
        if not marker.exists():
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix.mkdir(parents=True)
            say(f"harness: creating the Wine prefix {self.prefix} (once per build folder)")
            started = time.monotonic()
            result = self.run(["wineboot", "-i"], timeout=300)
            if result.returncode != 0:
                raise Fatal(f"wineboot -i failed with {result.returncode}: {result.stderr.decode(errors='replace')}")
            # wineboot returns while the services it installs are still being set up; killing the
            # server now would leave a prefix without the COM service.
            self.server_call("-w", timeout=300)
            if "RpcSs" not in (self.prefix / "system.reg").read_text(errors="replace"):
                raise Fatal(f"the new Wine prefix {self.prefix} lacks the COM service; delete it and retry")
            say(f"harness: prefix created in {time.monotonic() - started:.1f} s")
        reg_file = self.prefix / "zo-e2e.reg"
        reg_file.write_bytes(b"\xff\xfe" + own.encode("utf-16-le"))
        for reg in (reg_file, progids):
            result = self.run(["regedit", "/S", windows_path(reg)], timeout=120)
            if result.returncode != 0:
                raise Fatal(f"regedit {reg} failed with {result.returncode}")
        # A server that was started while the prefix was being made can leave the COM service
        # unable to start, and the desktop mode is fixed by the first process of a server: begin
        # afresh so that the programs see the imported settings.
        self.stop_server()
        marker.write_text(wanted + "\n")


# ---------------------------------------------------------------------------------------------
# Programs


class Program:
    """A Windows program started under the Wine loader; the loader's process is the program's."""

    def __init__(self, name: str, proc: subprocess.Popen, out_dir: Path):
        self.name = name
        self.proc = proc
        self.out_dir = out_dir

    def running(self) -> bool:
        return self.proc.poll() is None

    def wait_exit(self, timeout: float = WAIT_TIMEOUT) -> int:
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired as e:
            raise Fatal(f"{self.name} still runs {timeout:.0f} s after it should have ended") from e

    def stop(self) -> None:
        if self.running():
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class App(Program):
    """ZO24_RAZ.exe, copied into a folder of its own so that it has its own settings file."""

    def __init__(self, session: "Session", proc: subprocess.Popen, folder: Path):
        super().__init__("ZO24_RAZ.exe", proc, folder)
        self.session = session
        self.folder = folder

    def stop(self) -> None:
        """Closes the program as a user would, so that the next copy started does not meet its
        window still on the desktop and take itself for a second copy."""
        if not self.running():
            return
        with contextlib.suppress(Fatal):
            self.session.probe("close", APP_CLASS)
            self.wait_exit(WAIT_TIMEOUT)
        super().stop()
        with contextlib.suppress(Fatal):
            poll("the main window to be gone", lambda: self.window() is None)

    @property
    def settings_file(self) -> Path:
        return self.folder / "ZO24_RAZ,ini"

    def window(self) -> dict | None:
        return self.session.probe("find", APP_CLASS)

    def wait_window(self, timeout: float = START_TIMEOUT) -> dict:
        def visible_window():
            if not self.running():
                raise Fatal(f"ZO24_RAZ.exe ended with exit code {self.proc.returncode} before its window showed")
            win = self.window()
            return win if win and win["visible"] else None
        return poll("the main window of ZO24_RAZ.exe", visible_window, timeout)

    def caption(self) -> str | None:
        win = self.window()
        return win["title"] if win else None

    def wait_caption(self, expected: str, timeout: float = WAIT_TIMEOUT) -> str | None:
        """The caption once it equals `expected`, or the last caption seen at the deadline."""
        return wait_for_value(self.caption, expected, timeout)

    def controls(self) -> list[dict]:
        return self.session.probe("children", APP_CLASS) or []

    def control(self, text: str) -> dict:
        for control in self.controls():
            if control["text"] == text:
                return control
        raise Fatal(f"the main window has no control with the text {text!r}")

    def click(self, text: str) -> None:
        self.session.probe("click", APP_CLASS, f"text={text}")

    def lamp(self) -> str | None:
        return self.session.probe("client-pixel", APP_CLASS, str(LAMP_POINT[0]), str(LAMP_POINT[1]))

    def wait_lamp(self, colour: str, timeout: float = WAIT_TIMEOUT) -> str | None:
        return wait_for_value(self.lamp, colour, timeout)


class Watch(Program):
    """probe.exe watch: a record of a window's caption and visibility, change by change."""

    def __init__(self, proc: subprocess.Popen, out: Path):
        super().__init__("probe.exe watch", proc, out.parent)
        self.out = out

    def records(self) -> list[Any]:
        text = self.out.read_text(encoding="utf-8") if self.out.exists() else ""
        return [json.loads(line) for line in text.split("\n")[:-1] if line.strip()]

    def ready(self) -> bool:
        if not self.running() and not self.records():
            raise Fatal(f"probe.exe watch ended with exit code {self.proc.returncode} before it started")
        return bool(self.records())

    def changes(self) -> list[dict]:
        """The changes seen so far, oldest first."""
        return [r for r in self.records() if isinstance(r, dict)]

    def changes_until(self, seen_enough: Callable[[list[dict]], bool], timeout: float = START_TIMEOUT) -> list[dict]:
        """Waits until the changes satisfy `seen_enough` or the deadline passes, ends the watch and
        returns the changes; the caller checks them."""
        deadline = time.monotonic() + timeout
        while not seen_enough(self.changes()) and self.running() and time.monotonic() < deadline:
            time.sleep(0.05)
        self.stop()
        return self.changes()


class Host(Program):
    """test_host.exe, driven through the command file of its control folder."""

    def __init__(self, session: "Session", proc: subprocess.Popen, control: Path):
        super().__init__("test_host.exe", proc, control)
        self.session = session
        self.commands = control / "commands.txt"
        self.log = control / "log.txt"
        self._seen = 0  # log lines already matched against a command's answer

    def lines(self) -> list[str]:
        try:
            text = self.log.read_text(encoding="utf-8")
        except FileNotFoundError:
            return []
        # A line without its newline yet is still being written.
        return text.split("\n")[:-1]

    def wait_ready(self) -> None:
        def ready():
            if not self.running():
                raise Fatal(f"test_host.exe ended with exit code {self.proc.returncode} before it was ready")
            return "ready" in self.lines()
        poll("test_host.exe to log ready", ready, START_TIMEOUT)
        self._seen = len(self.lines())

    def send(self, *fields: str, expect_error: bool = False, timeout: float = WAIT_TIMEOUT) -> str:
        """Appends one command and waits for the host to answer it; returns the answer line."""
        line = "\t".join(fields)
        with open(self.commands, "a", encoding="utf-8", newline="") as f:
            f.write(line + "\n")

        def answer():
            if not self.running():
                raise Fatal(f"test_host.exe ended (exit code {self.proc.returncode}) while handling {line!r}")
            lines = self.lines()
            for index in range(self._seen, len(lines)):
                parts = lines[index].split("\t")
                if len(parts) >= 2 and parts[0] in ("ok", "error") and parts[1] == fields[0]:
                    self._seen = index + 1
                    return lines[index]
            return None
        result = poll(f"test_host.exe to answer {line!r}", answer, timeout)
        if result.startswith("error") and not expect_error:
            raise Fatal(f"test_host.exe refused {line!r}: {result}")
        return result

    def window(self, wid: str, title: str, cls: str = HOST_CLASS) -> dict:
        """Creates a host window and returns what the probe sees of it."""
        self.send("window", wid, cls, title)
        return poll(f"host window {title!r}", lambda: self.session.probe("find", cls, title))

    def events(self, kind: str) -> list[list[str]]:
        return [line.split("\t")[1:] for line in self.lines() if line.split("\t")[0] == kind]

    def quit(self) -> None:
        if self.running():
            with contextlib.suppress(Fatal):
                self.send("exit")
            with contextlib.suppress(Fatal):
                self.wait_exit(10)
        self.stop()


# ---------------------------------------------------------------------------------------------
# Session


class Session:
    def __init__(self, args: argparse.Namespace, name: str):
        # Programs start in their own folders: relative paths would point elsewhere there.
        for key in ("app", "host", "probe", "progids", "prefix", "work"):
            setattr(args, key, str(Path(getattr(args, key)).resolve()))
        self.args = args
        self.name = name
        self.failures: list[str] = []
        self.checks = 0
        self.programs: list[Program] = []
        self.run_dir = Path(args.work) / name
        self._case_count = 0
        self._lock_file = None
        self.x: XServer | None = None
        self.display = ""
        self.keep_files = False
        self.started = time.monotonic()
        self.wine: Wine | None = None

    # -- set-up and tear-down ---------------------------------------------------------------

    def open(self, display: str | None = None) -> None:
        """Starts a private X server, or uses `display` when given (the user's own screen)."""
        for label, path in (("ZO24_RAZ.exe", self.args.app), ("test_host.exe", self.args.host),
                            ("probe.exe", self.args.probe), ("progids.reg", self.args.progids)):
            if not Path(path).is_file():
                raise Fatal(f"{label} is not built or missing: {path}")
        shutil.rmtree(self.run_dir, ignore_errors=True)
        self.run_dir.mkdir(parents=True)
        prefix = Path(self.args.prefix)
        prefix.parent.mkdir(parents=True, exist_ok=True)
        # One scenario at a time per prefix: its server and its desktop belong to one display.
        self._lock_file = open(str(prefix) + ".lock", "w")
        poll(f"the lock on {prefix} (another run uses that prefix)", self._try_lock, LOCK_TIMEOUT, 0.5)
        if display is None:
            self.x = XServer(self.run_dir)
            self.x.start()
            display = self.x.display
        self.display = display
        say(f"harness: X display {display}, Wine prefix {prefix}")
        self.wine = Wine(prefix, display, self.run_dir)
        self.wine.stop_server()  # a server left by an earlier, killed run would hold another display
        self.wine.prepare(Path(self.args.progids))
        # Kept alive between programs so that each start does not pay for a new server. What it
        # says before it dies (an assertion, a fatal error) goes to the run's folder.
        self.wine.server_call("-p", log=self.run_dir / "wineserver.log")

    def _try_lock(self) -> bool:
        try:
            fcntl.flock(self._lock_file, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return True
        except BlockingIOError:
            return False

    def close(self) -> None:
        for program in reversed(self.programs):
            with contextlib.suppress(Exception):
                program.stop()
        if self.wine:
            self.wine.stop_server()
        if self.x:
            self.x.stop()
        if self._lock_file:
            self._lock_file.close()
        if not self.failures and not self.keep_files and os.environ.get("ZO_E2E_KEEP") != "1":
            shutil.rmtree(self.run_dir, ignore_errors=True)

    # -- checks ----------------------------------------------------------------------------------

    def check(self, ok: bool, what: str, detail: str = "") -> bool:
        self.checks += 1
        if ok:
            say(f"  ok    {what}")
        else:
            say(f"  FAIL  {what}" + (f": {detail}" if detail else ""))
            self.failures.append(what)
        return ok

    def check_equal(self, seen: Any, expected: Any, what: str) -> bool:
        return self.check(seen == expected, f"{what} is {expected!r}", f"saw {seen!r}")

    def require(self, ok: bool, what: str, detail: str = "") -> None:
        if not self.check(ok, what, detail):
            raise Fatal(what)

    def eventually(self, what: str, condition: Callable[[], Any], timeout: float = WAIT_TIMEOUT) -> Any:
        """Checks that `condition` becomes truthy before the deadline; returns its value or None."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                self.check(True, what)
                return value
            if time.monotonic() > deadline:
                self.check(False, what, f"not within {timeout:.0f} s (last: {value!r})")
                return None
            time.sleep(0.05)

    def holds(self, what: str, condition: Callable[[], bool], duration: float) -> bool:
        """Checks that `condition` stays true, polled throughout `duration` seconds."""
        deadline = time.monotonic() + duration
        while time.monotonic() < deadline:
            if not condition():
                return self.check(False, what, "it stopped holding")
            time.sleep(0.05)
        return self.check(True, what)

    def step(self, text: str) -> None:
        say(f"- {text} [{time.monotonic() - self.started:.1f} s]")

    # -- Windows programs ------------------------------------------------------------------------

    def probe(self, *args: str) -> Any:
        result = self.wine.run([self.args.probe, *args], timeout=WINE_CALL_TIMEOUT)
        if result.returncode != 0:
            raise Fatal(f"probe {' '.join(args)} failed ({result.returncode}): "
                        f"{result.stderr.decode(errors='replace').strip()}")
        lines = result.stdout.decode("utf-8").strip().splitlines()
        if not lines:
            raise Fatal(f"probe {' '.join(args)} printed nothing (exit code 0): "
                        f"{result.stderr.decode(errors='replace').strip()!r}")
        return json.loads(lines[-1])

    def new_folder(self, label: str) -> Path:
        self._case_count += 1
        folder = self.run_dir / f"{self._case_count:02d}-{label}"
        folder.mkdir(parents=True)
        return folder

    def start_program(self, name: str, exe: Path, args: list[str], folder: Path,
                      extra_env: dict[str, str] | None = None) -> subprocess.Popen:
        out = open(folder / f"{name}.out", "wb")
        proc = subprocess.Popen([*WINE_COMMAND, str(exe), *args], env={**self.wine.env(), **(extra_env or {})},
                                cwd=folder,
                                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)
        out.close()
        return proc

    def start_app(self, label: str = "app", settings: str | None = None) -> App:
        """Copies ZO24_RAZ.exe into a fresh folder (optionally with a settings file) and starts it."""
        folder = self.new_folder(label)
        exe = folder / "ZO24_RAZ.exe"
        shutil.copy2(self.args.app, exe)
        if settings is not None:
            (folder / "ZO24_RAZ,ini").write_text(settings, encoding="cp1252", newline="\r\n")
        app = App(self, self.start_program("ZO24_RAZ", exe, [], folder), folder)
        self.programs.append(app)
        return app

    def start_host(self, label: str = "host") -> Host:
        control = self.new_folder(label)
        (control / "commands.txt").touch()
        proc = self.start_program("test_host", Path(self.args.host), [windows_path(control)], control)
        host = Host(self, proc, control)
        self.programs.append(host)
        host.wait_ready()
        return host

    def watch_app_window(self, duration_ms: int = 120_000) -> "Watch":
        """Starts recording every caption and visibility change of the main window; start the
        program after this returns."""
        folder = self.new_folder("watch")
        proc = self.start_program("watch", Path(self.args.probe), ["watch", APP_CLASS, str(duration_ms)], folder)
        watch = Watch(proc, folder / "watch.out")
        self.programs.append(watch)
        poll("the window watch to start", watch.ready, START_TIMEOUT)
        return watch

    def foreground(self) -> dict | None:
        return self.probe("foreground")

    def red_pixels(self, rect: list[int], shot: Path) -> int:
        """How many strongly red pixels the screen shows inside `rect` (left, top, right, bottom):
        the stop icon is a red disc; no other message box icon has red in it."""
        self.screenshot(shot)
        left, top, right, bottom = (max(0, v) for v in rect)
        result = subprocess.run(
            ["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "-depth", "8", "txt:-"],
            capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            raise Fatal(f"reading pixels failed: {result.stderr.strip()}")
        count = 0
        for line in result.stdout.splitlines():
            if line.startswith("#") or "#" not in line:
                continue
            hex_colour = line.split("#")[-1].split()[0]
            if len(hex_colour) < 6:
                continue
            r, g, b = (int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))
            if r >= 160 and g <= 90 and b <= 90:
                count += 1
        return count

    def screenshot(self, path: Path) -> Path:
        path.parent.mkdir(parents=True, exist_ok=True)
        result = subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                                capture_output=True, timeout=30)
        if result.returncode != 0:
            raise Fatal(f"screenshot failed: {result.stderr.decode(errors='replace')}")
        return path


CHECKER_SUMMARY = re.compile(r"^(\d+) passed, (\d+) failed$")


def run_checker(s: Session, args: list[str], timeout: float) -> None:
    """Runs one of our Wine checker programs in place of the program: each of its PASS or FAIL
    lines becomes one check, and its closing summary and exit code are checked too."""
    result = s.wine.run(args, timeout=timeout)
    summary = None
    for line in result.stdout.decode("utf-8", errors="replace").splitlines():
        if line.startswith("PASS "):
            s.check(True, line[5:])
        elif line.startswith("FAIL "):
            s.check(False, line[5:])
        elif CHECKER_SUMMARY.match(line):
            summary = CHECKER_SUMMARY.match(line)
    s.check(summary is not None and summary.group(2) == "0", "the checker reports no failure",
            f"summary {summary.group(0) if summary else 'missing'}; "
            f"stderr {result.stderr.decode(errors='replace').strip()!r}")
    s.check_equal(result.returncode, 0, "the checker's exit code")


def parse_args(argv: list[str]) -> argparse.Namespace:
    parser = argparse.ArgumentParser()
    for name in ("app", "host", "probe", "progids", "prefix", "work"):
        parser.add_argument(f"--{name}", required=True)
    return parser.parse_args(argv)


def main(scenario: Callable[[Session], None]) -> None:
    """Runs one scenario script and exits with 0 only when every check passed."""
    name = Path(sys.argv[0]).stem
    session = Session(parse_args(sys.argv[1:]), name)

    def on_signal(signum, _frame):
        raise Fatal(f"stopped by signal {signum}")
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    started = time.monotonic()
    try:
        session.open()
        scenario(session)
    except Fatal as e:
        session.failures.append(str(e))
        say(f"  FATAL {e}")
    except Exception as e:  # a harness bug must fail the test, with its trace
        session.failures.append(repr(e))
        traceback.print_exc()
    finally:
        session.close()
    if session.checks == 0 and not session.failures:
        session.failures.append("the scenario checked nothing")
    elapsed = time.monotonic() - started
    if session.failures:
        say(f"{name}: FAILED after {session.checks} checks in {elapsed:.1f} s; failures:")
        for failure in session.failures:
            say(f"  - {failure}")
        if session.run_dir.exists():
            say(f"{name}: files of the run kept in {session.run_dir}")
        sys.exit(1)
    say(f"{name}: all {session.checks} checks passed in {elapsed:.1f} s")
