"""Helpers shared by the scenarios of the input assists and the host commands: real keys through
the X server, the host's log read from a mark on, message boxes and the candidate list."""

from __future__ import annotations

import os
import subprocess
import time
from pathlib import Path

import harness
from harness import APP_CLASS

LIST_CLASS = "TInputListForm"
HOST_TITLE = "KORVA 2020 (x64)"
# Long enough for the program's 100 ms sampling to see the key down on at least two ticks.
HOLD_SECONDS = 0.3
VK_F8, VK_F9 = 119, 120
VK_BACK, VK_TAB, VK_RETURN, VK_SHIFT, VK_ESCAPE, VK_DOWN = 8, 9, 13, 16, 27, 40
SCREEN_WIDTH, SCREEN_HEIGHT = (int(v) for v in harness.DESKTOP_SIZE.split("x"))
# Control ids of the main window, in creation order from 101.
BUTTON1_ID, BUTTON2_ID, BUTTON4_ID = 101, 102, 108
MENU_REGISTER_ID = 201  # the popup menu item that registers the running host
CO_E_CLASSSTRING = 0x800401F3
# Settings that keep the program running while the scenario closes or renames host windows.
NO_AUTO_CLOSE = "[KORVA]\nOFF=0\n"


def xdotool(s: harness.Session, *args: str) -> None:
    """Real key events through the X server: they reach the Win32 foreground window of the
    virtual desktop and change the key state that every program's GetKeyState sees."""
    env = dict(os.environ, DISPLAY=s.display)
    result = subprocess.run(["xdotool", *args], env=env, capture_output=True, timeout=10)
    if result.returncode != 0:
        raise harness.Fatal(f"xdotool {' '.join(args)} failed: {result.stderr.decode(errors='replace')}")


def tap(s: harness.Session, *keys: str, seconds: float = HOLD_SECONDS) -> None:
    """Presses the keys in order, holds them, and releases them in reverse order."""
    for key in keys:
        xdotool(s, "keydown", key)
    time.sleep(seconds)
    for key in reversed(keys):
        xdotool(s, "keyup", key)


def press(s: harness.Session, *steps: str | int) -> None:
    """Keys into the system's input stream, as a keyboard types them: they go to the focused window
    of the foreground thread. Steps as `probe keys` takes them: a virtual-key code taps that key,
    "<vk>:down" and "<vk>:up" press and release it, "sleep:<ms>" waits. (Keys sent through the X
    server instead go to the window that holds the X focus, which Wine's virtual desktop moves only
    when the activated program's X connection asks for it with a current enough time stamp: a key
    sent the moment a newly shown window is active can land in another program's window.)"""
    s.probe("keys", *(str(step) for step in steps))


def letter(ch: str) -> int:
    """The virtual-key code of a letter key."""
    return ord(ch.upper())


def centred_on_screen(rect: list[int]) -> bool:
    left, top, right, bottom = rect
    return left == (SCREEN_WIDTH - (right - left)) // 2 and top == (SCREEN_HEIGHT - (bottom - top)) // 2


def foreground_hwnd(s: harness.Session) -> int | None:
    return (s.foreground() or {}).get("hwnd")


def bring_host_to_front(s: harness.Session, host: harness.Host, wid: str, hwnd: int) -> None:
    host.send("front", wid)
    harness.poll(f"host window {wid!r} to be in front", lambda: foreground_hwnd(s) == hwnd)


class LogMark:
    """The host's log from one moment on: what happened after the mark was taken."""

    def __init__(self, host: harness.Host):
        self.host = host
        self.start = len(host.lines())

    def events(self, kind: str) -> list[list[str]]:
        return [line.split("\t")[1:] for line in self.host.lines()[self.start:] if line.split("\t")[0] == kind]

    def keys(self, vk: int) -> list[str]:
        """The directions ("down", "up") in which the key reached the host, in order."""
        return [fields[0] for fields in self.events("key") if len(fields) >= 2 and fields[1] == str(vk)]

    def calls(self) -> list[str]:
        return [fields[0] for fields in self.events("call") if fields]


def _refs_answer(host: harness.Host) -> list[str]:
    """The host's counts: everything held by its clients, its objects alive for them, and the
    connections to its application object."""
    mark = LogMark(host)
    host.send("refs")
    answers = mark.events("refs")
    if not answers or len(answers[-1]) < 3:
        raise harness.Fatal("test_host.exe answered refs without its counts")
    return answers[-1]


def host_refs(host: harness.Host) -> int:
    return int(_refs_answer(host)[0])


def host_holdings(host: harness.Host) -> tuple[int, int]:
    """The host's objects alive for its clients, and the connections to its application object."""
    answer = _refs_answer(host)
    return int(answer[1]), int(answer[2])


def host_holds_only_wines_connection(host: harness.Host) -> bool:
    """Under Wine, once GetActiveObject has been refused and then attaches, the host keeps one
    strong connection (no object) until the program ends; nothing beyond it may be held."""
    objects, connections = host_holdings(host)
    return objects == 0 and connections <= 1


def check_refs_return(s: harness.Session, host: harness.Host, what: str, baseline: int = 0) -> None:
    """The program releases its references by the end of the handler; allow one tick for it."""
    s.eventually(f"{what}: the host's reference count returns to {baseline}",
                 lambda: host_refs(host) == baseline)


def message_box(s: harness.Session) -> dict | None:
    return s.probe("msgbox")


def wait_message_box(s: harness.Session, what: str) -> dict | None:
    return s.eventually(what, lambda: message_box(s))


def close_message_box(s: harness.Session) -> None:
    s.probe("msgbox-ok")
    harness.poll("the message box to close", lambda: message_box(s) is None)


def no_message_box_for(s: harness.Session, what: str, seconds: float = 1.0) -> bool:
    return s.holds(what, lambda: message_box(s) is None, seconds)


def list_window(s: harness.Session) -> dict | None:
    return s.probe("find", LIST_CLASS)


def list_rows(s: harness.Session) -> dict | None:
    return s.probe("listbox", LIST_CLASS)


def system_error_text(s: harness.Session, code: int) -> str:
    return s.probe("errortext", f"{code:#x}")


def click_control(s: harness.Session, control_id: int) -> None:
    s.probe("click", APP_CLASS, f"id={control_id}")


def app_window(s: harness.Session) -> dict | None:
    return s.probe("find", APP_CLASS)


def message_box_frame(s: harness.Session) -> list[int] | None:
    frame = s.probe("find", "#32770")
    return frame["rect"] if frame else None


def settings_values(path: Path) -> dict[str, str]:
    """Key and value pairs of a settings file, in whichever encoding the program wrote it."""
    data = path.read_bytes()
    text = data[2:].decode("utf-16-le") if data.startswith(b"\xff\xfe") else data.decode("cp1252")
    values = {}
    for line in text.splitlines():
        key, sep, value = line.partition("=")
        if sep and not key.startswith("["):
            values[key.strip()] = value
    return values


def app_in_front(s: harness.Session) -> None:
    s.probe("front", APP_CLASS)
    harness.poll("the main window to be in front", lambda: (s.foreground() or {}).get("class") == APP_CLASS)
