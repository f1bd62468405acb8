"""Helpers for the scenarios about the settings file, the start-up launch and fault survival:
profile files in both encodings, starting the program in a folder prepared beforehand, and
reading what a message box shows."""

from __future__ import annotations

import contextlib
import shutil
import subprocess
from pathlib import Path

import harness
from harness import APP_CLASS

SETTINGS_NAME = "ZO24_RAZ,ini"
SECTION = "KORVA"
KEYS = ("Left", "Top", "AppFullName", "Version", "Shift", "Ctrl", "IME", "OFF")
BOM = b"\xff\xfe"
SCREEN_WIDTH, SCREEN_HEIGHT = (int(n) for n in harness.DESKTOP_SIZE.split("x"))
TOGGLES = ("Shift", "Ctrl", "IME", "OFF")  # check box captions, in the order of their keys


def profile_bytes(text: str, utf16: bool = False) -> bytes:
    """A profile file as a user or an older copy of the program leaves it: CR LF line ends, either
    in the ANSI code page or in UTF-16LE with its byte-order mark."""
    body = text.replace("\r\n", "\n").replace("\n", "\r\n")
    return BOM + body.encode("utf-16-le") if utf16 else body.encode("cp1252")


def decode_profile(data: bytes) -> str:
    if data.startswith(BOM):
        return data[len(BOM):].decode("utf-16-le")
    return data.decode("cp1252")


def parse_profile(data: bytes) -> list[tuple[str, list[tuple[str, str]]]]:
    """Sections in file order, each with its key/value pairs in file order. Lines before the first
    section header land in a section named None."""
    sections: list[tuple[str | None, list[tuple[str, str]]]] = []
    for raw in decode_profile(data).splitlines():
        line = raw.strip()
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            sections.append((line[1:-1], []))
            continue
        if not sections:
            sections.append((None, []))
        key, _, value = line.partition("=")
        sections[-1][1].append((key.strip(), value.strip()))
    return sections


def section(data: bytes, name: str = SECTION) -> list[tuple[str, str]] | None:
    for found, entries in parse_profile(data):
        if found == name:
            return entries
    return None


def centred(screen: int, outer: int) -> int:
    """(screen - window) / 2, truncated toward zero like the program's integer division."""
    difference = screen - outer
    return -((-difference) // 2) if difference < 0 else difference // 2


# Wine takes a process's ANSI code page from its locale: this one gives the Japanese code page 932.
JAPANESE_LOCALE = {"LC_ALL": "ja_JP.UTF-8"}


def start_app_in(s: harness.Session, folder: Path, settings: bytes | None = None,
                 output: Path | None = None, extra_env: dict[str, str] | None = None) -> harness.App:
    """Starts ZO24_RAZ.exe from `folder` (copied there when missing), with `settings` as its
    settings file when given. A second start in the same folder is a restart with the file the
    first run left. `output` is where its console output and working folder go (default `folder`);
    `extra_env` is added to its environment (JAPANESE_LOCALE for the Japanese code page)."""
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / "ZO24_RAZ.exe"
    if not exe.exists():
        shutil.copy2(s.args.app, exe)
    if settings is not None:
        (folder / SETTINGS_NAME).write_bytes(settings)
    app = harness.App(s, s.start_program("ZO24_RAZ", exe, [], output or folder, extra_env), folder)
    s.programs.append(app)
    return app


def shown_window(s: harness.Session, app: harness.App) -> dict:
    """The main window once it shows, read afresh: a reading taken while the program is still
    creating its window can pair the hidden window's rectangle with a visibility that the probe
    only reads after its WM_GETTEXT was answered from the message loop."""
    app.wait_window()
    win = app.window()
    s.require(bool(win) and win["visible"], "the main window is visible", f"saw {win}")
    return win


def close_app(s: harness.Session, app: harness.App) -> int:
    """Closes the main window as the close button does and returns the exit code."""
    s.probe("close", APP_CLASS)
    return app.wait_exit(harness.START_TIMEOUT)


def toggle_states(app: harness.App) -> dict[str, int | None]:
    controls = {c["text"]: c for c in app.controls()}
    return {name: controls[name]["checked"] if name in controls else None for name in TOGGLES}


def version_box(app: harness.App) -> str | None:
    for control in app.controls():
        if control["class"].lower() == "edit":
            return control["text"]
    return None


@contextlib.contextmanager
def immutable(path: Path):
    """Makes a file or folder unchangeable even for root (the Windows read-only attribute does not
    stop root under Wine); always lifts it again so the run folder can be cleaned up."""
    result = subprocess.run(["chattr", "+i", str(path)], capture_output=True, text=True, timeout=30)
    if result.returncode != 0:
        raise harness.Fatal(f"chattr +i {path} failed ({result.stderr.strip()}): the file system "
                            "cannot make a settings path unwritable")
    try:
        yield path
    finally:
        subprocess.run(["chattr", "-i", str(path)], capture_output=True, timeout=30)


class LaunchTarget:
    """A copy of test_host.exe that a settings file can register. Started without arguments (as
    the program launches it), it logs into its own folder, so its start is visible there."""

    def __init__(self, s: harness.Session, folder: Path, name: str = "launched.exe"):
        folder.mkdir(parents=True, exist_ok=True)
        self.folder = folder
        self.exe = folder / name
        shutil.copy2(s.args.host, self.exe)
        self.log = folder / "log.txt"
        (folder / "commands.txt").touch()

    @property
    def windows_path(self) -> str:
        return harness.windows_path(self.exe)

    def starts(self) -> int:
        """How many times the copy has started so far."""
        if not self.log.exists():
            return 0
        return self.log.read_text(encoding="utf-8").split("\n").count("ready")

    def stop(self) -> None:
        """Asks every running start of the copy to end; the Wine server ends stragglers later."""
        if self.starts():
            with open(self.folder / "commands.txt", "a", encoding="utf-8", newline="") as f:
                f.write("exit\n")
