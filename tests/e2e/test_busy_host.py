#!/usr/bin/env python3
"""A busy host refuses the program's calls for a while: the program makes each refused call again
for up to a second, so a short refusal goes unnoticed and a long one fails as any other failure of
that step would, only a second later. Input that arrives meanwhile waits for the command to end.

The test host's `refuse <ms>` makes its message filter refuse every incoming call for that long;
each refusal shows in its log as `refused <interface.method>`."""

from __future__ import annotations

import time

import harness
from commands_support import (BUTTON1_ID, BUTTON2_ID, BUTTON4_ID, HOLD_SECONDS, VK_F8, LogMark, bring_host_to_front,
                              click_control, host_holds_only_wines_connection, host_refs, close_message_box,
                              list_rows, list_window,
                              message_box, no_message_box_for, system_error_text, tap, wait_message_box, xdotool)
from faults_support import start_failing_app
from harness import CAPTION_PREFIX, LAMP_GREEN
from settings_support import KEYS, section

HOST_TITLE = "KORVA 2020 (x64)"
HOST_CAPTION = CAPTION_PREFIX + "KORVA 2020 x6"
SETTINGS = "[KORVA]\nOFF=0\nShift=1\nCtrl=1\nIME=0\nVersion=2020\n"
FULL_NAME = "Z:\\busy\\host\\korva.exe"
DOCS = ("docs", "1", "b", "A", "c")  # A active: the second row once sorted
SHORT_REFUSAL_MS = 400
LONG_REFUSAL_MS = 3000
RETRY_BOUND_S = 1.0
RPC_E_CALL_REJECTED = 0x80010001
HOST_FAILURE = "図面がロックされています"  # the host's own description of a failed call


def start_pair(s: harness.Session, label: str) -> tuple[harness.Host, dict, harness.App]:
    host = s.start_host(f"host-{label}")
    host.send("automation", "20")
    host.send("fullname", FULL_NAME)
    host.send(*DOCS)
    main = host.window("main", HOST_TITLE)
    app = s.start_app(label, settings=SETTINGS)
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, f"{label}: the host window is found")
    return host, main, app


def end_pair(s: harness.Session, host: harness.Host, app: harness.App, what: str) -> None:
    """Every host registers the same ProgID: the next pair must not find this one's object."""
    app.stop()
    s.check_equal(host_refs(host), 0, f"{what}: the host's reference count once the program has ended")
    host.quit()


def refs_held(s: harness.Session, host: harness.Host, what: str) -> None:
    """Under Wine, once GetActiveObject has been refused and then attaches, the host keeps one
    strong connection (no object) from then on until the program ends, however many calls follow;
    it is not there after refusals alone, and it is gone once the program has ended (see end_pair).
    The program holds no reference of its own by then: the connection stays with COM's proxy in
    the program's apartment. Nothing beyond that one connection may be held."""
    s.eventually(f"{what}: the host holds no objects and at most the one connection Wine keeps",
                 lambda: host_holds_only_wines_connection(host))


def refusal_ticks(mark: LogMark) -> list[int]:
    """The host's clock at each refusal since the mark, in milliseconds."""
    return [int(fields[1]) for fields in mark.events("refused") if len(fields) >= 2]


def refusals_settled(mark: LogMark, quiet: float = 0.5, timeout: float = 8.0) -> list[int]:
    """The refusals once no new one has come for `quiet` seconds."""
    deadline = time.monotonic() + timeout
    seen, since = refusal_ticks(mark), time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(0.05)
        now = refusal_ticks(mark)
        if len(now) != len(seen):
            seen, since = now, time.monotonic()
        elif seen and time.monotonic() - since >= quiet:
            break
    return seen


def tap_into_refusal(s: harness.Session, host: harness.Host, milliseconds: int, *only: str) -> None:
    """Shift held in the host; the refusal starts with the tap's first call, so the tap fires into it
    however late the program makes that call on a loaded machine."""
    xdotool(s, "keydown", "shift")
    time.sleep(HOLD_SECONDS)
    host.send("refuse-next", str(milliseconds), *only)
    xdotool(s, "keyup", "shift")


def one_f8(s: harness.Session, mark: LogMark, what: str, timeout: float = harness.WAIT_TIMEOUT) -> None:
    if s.eventually(f"{what}: the host receives F8 down and up", lambda: mark.keys(VK_F8) == ["down", "up"],
                    timeout=timeout):
        s.holds(f"{what}: only one press of F8", lambda: mark.keys(VK_F8) == ["down", "up"], 0.5)


def monitor_goes_on(s: harness.Session, host: harness.Host, app: harness.App, what: str, title: str) -> None:
    host.send("title", "main", title)
    caption = CAPTION_PREFIX + title[:14].strip()
    s.check_equal(app.wait_caption(caption), caption, f"{what}: the caption follows a later retitle")


def short_refusal_during_a_tap(s: harness.Session) -> None:
    what = "refused 400 ms in a tap"
    s.step(f"the host refuses every call for {SHORT_REFUSAL_MS} ms from just before a tap fires")
    host, main, app = start_pair(s, "refused-short")
    host.send("busy", "1")
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap_into_refusal(s, host, SHORT_REFUSAL_MS)
    one_f8(s, mark, what)
    s.check(bool(refusal_ticks(mark)), f"{what}: the host refused some of the program's calls",
            f"log: {mark.host.lines()[mark.start:]}")
    s.check_equal(mark.calls(), ["HWND", "GetAcadState", "IsQuiescent"], f"{what}: the calls the host answered")
    no_message_box_for(s, f"{what}: no error box")
    monitor_goes_on(s, host, app, what, "KORVA 2020 after refusal")
    refs_held(s, host, what)

    what = "click in the retry wait"
    s.step("LIST is clicked while the tap's call waits for the refusing host")
    host.send("title", "main", HOST_TITLE)
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap_into_refusal(s, host, 600)
    s.require(bool(harness.poll("the first refusal", lambda: refusal_ticks(mark))), f"{what}: the tap meets the refusal")
    click_control(s, BUTTON4_ID)
    one_f8(s, mark, what)
    shown = s.eventually(f"{what}: the candidate list shows after the tap",
                         lambda: (list_window(s) or {}).get("visible"))
    calls = mark.calls()
    # Nothing of LIST runs inside the tap's wait: the tap's three calls come first, whole.
    s.check(calls[:3] == ["HWND", "GetAcadState", "IsQuiescent"] and calls[3:5] == ["HWND", "ActiveDocument"],
            f"{what}: the tap's calls, then LIST's", f"calls: {calls}")
    if shown:
        xdotool(s, "key", "Escape")
        s.eventually(f"{what}: the candidate list is hidden", lambda: not (list_window(s) or {}).get("visible"))
    no_message_box_for(s, f"{what}: no error box")
    refs_held(s, host, what)
    end_pair(s, host, app, what)


def long_refusal_during_a_tap(s: harness.Session) -> None:
    what = "refused 3 s in a tap"
    s.step(f"the host refuses every call for {LONG_REFUSAL_MS} ms while a tap fires")
    host, main, app = start_pair(s, "refused-long")
    host.send("busy", "1")
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap_into_refusal(s, host, LONG_REFUSAL_MS)
    ticks = refusals_settled(mark)
    span = (ticks[-1] - ticks[0]) / 1000 if ticks else 0.0
    harness.say(f"  note  {len(ticks)} refusals over {span:.2f} s")
    # The program tries for about a second and then takes the refusal as the answer; it gives up
    # well before the host would have answered again. The host logs a try when it arrives, and
    # under load the first one can take a tenth of a second to get there.
    s.check(0.8 <= span <= 2.0 and len(ticks) >= 10, f"{what}: the refused call is tried for about {RETRY_BOUND_S:g} s",
            f"{len(ticks)} refusals over {span:.2f} s")
    # The refused step is the availability test: an object that does not answer counts as not
    # running, so nothing is sent and nothing is reported.
    s.check_equal(mark.calls(), [], f"{what}: calls the host answered")
    s.check_equal(mark.keys(VK_F8), [], f"{what}: F8 presses the host received")
    no_message_box_for(s, f"{what}: no error box")
    host.send("refuse", "off")
    monitor_goes_on(s, host, app, what, "KORVA 2020 after refusal")
    mark = LogMark(host)
    bring_host_to_front(s, host, "main", main["hwnd"])
    tap(s, "shift")
    one_f8(s, mark, f"{what}, next tap")
    refs_held(s, host, what)
    end_pair(s, host, app, what)


def long_refusal_of_the_hwnd_read(s: harness.Session) -> None:
    what = "HWND refused 3 s"
    s.step(f"the host refuses its member calls for {LONG_REFUSAL_MS} ms while a tap fires, so the HWND read is refused")
    host, main, app = start_pair(s, "hwnd-refused")
    host.send("busy", "1")
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap_into_refusal(s, host, LONG_REFUSAL_MS, "IDispatch.Invoke")
    box = wait_message_box(s, f"{what}: an error box shows")
    ticks = refusals_settled(mark, timeout=2.0)
    span = (ticks[-1] - ticks[0]) / 1000 if ticks else 0.0
    harness.say(f"  note  {len(ticks)} refusals over {span:.2f} s")
    s.check(0.8 <= span <= 2.0 and len(ticks) >= 10, f"{what}: the HWND read is tried for about {RETRY_BOUND_S:g} s",
            f"{len(ticks)} refusals over {span:.2f} s")
    # Reading HWND is one of the tap's steps that no catch-all covers: the refusal stops the tick
    # and with it the monitor cycle, and reaches the error box.
    reason = system_error_text(s, RPC_E_CALL_REJECTED) or f"HRESULT 0x{RPC_E_CALL_REJECTED:08X}"
    if box:
        s.check_equal(box["text"], reason + ("." if ord(reason[-1]) > 46 else ""), f"{what}: the error box text")
        close_message_box(s)
    s.check_equal((mark.calls(), mark.keys(VK_F8)), ([], []), f"{what}: calls answered and F8 presses")
    host.send("refuse", "off")
    host.send("title", "main", "KORVA 2020 after refusal")
    s.holds(f"{what}: the monitor cycle stays stopped", lambda: app.caption() == HOST_CAPTION, 1.5)
    end_pair(s, host, app, what)


def hwnd_read_fails_with_the_hosts_text(s: harness.Session) -> None:
    what = "HWND fails with a text"
    s.step("the host fails the HWND read of a tap with a description of its own")
    host, main, app = start_pair(s, "hwnd-fails")
    host.send("busy", "1")
    host.send("fail", "HWND", HOST_FAILURE)
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap(s, "shift")
    box = wait_message_box(s, f"{what}: an error box shows")
    if box:
        s.check_equal(box["text"], HOST_FAILURE + ".", f"{what}: the error box shows the host's description")
        close_message_box(s)
    # A failure other than a refusal is final: one HWND call, not tried again.
    s.check_equal(mark.calls(), ["HWND"], f"{what}: calls the host answered")
    host.send("fail", "off")
    end_pair(s, host, app, what)


def commands_while_refusing(s: harness.Session) -> None:
    what = "Register while refusing"
    # A probe's click can take longer than the refusal to reach the program under load, so the
    # refusal starts with the command's first call to the host.
    s.step(f"Register and LIST while the host refuses every call for {SHORT_REFUSAL_MS} ms")
    host, main, app = start_pair(s, "commands-refused")
    mark = LogMark(host)
    host.send("refuse-next", str(SHORT_REFUSAL_MS))
    click_control(s, BUTTON1_ID)
    box = wait_message_box(s, f"{what}: the registered message shows")
    if box:
        s.check_equal(box["text"], FULL_NAME + "\nを登録しました．", f"{what}: the message text")
        close_message_box(s)
    s.check(bool(refusal_ticks(mark)), f"{what}: the host refused some of the program's calls")
    refs_held(s, host, what)

    what = "LIST while refusing"
    mark = LogMark(host)
    host.send("refuse-next", str(SHORT_REFUSAL_MS))
    click_control(s, BUTTON4_ID)
    shown = s.eventually(f"{what}: the candidate list shows",
                         lambda: (list_window(s) or {}).get("visible") and (list_window(s) or {}).get("foreground"))
    s.check(bool(refusal_ticks(mark)), f"{what}: the host refused some of the program's calls")
    if shown:
        listed = list_rows(s)
        s.check(listed is not None and listed["rows"] == ["A", "b", "c"] and listed["selected"] == 0,
                f"{what}: rows A, b, c with the active A selected", f"saw {listed}")
        xdotool(s, "key", "Return")
        s.eventually(f"{what}: Enter activates the preselected drawing", lambda: mark.events("activated") == [["A"]])
    no_message_box_for(s, f"{what}: no error box")
    refs_held(s, host, what)
    end_pair(s, host, app, what)


# --- a call that never returns, and the user closes the program ------------------------------

STALL_MS = 30000
END_DEADLINE_S = 2.0
# The version box holds 2020 at start and the user types 2021 during the session; the host's
# title holds both, so it is found either way.
STALL_TITLE = "KORVA 2021 2020 (x64)"
STALL_LEFT, STALL_TOP = 600, 40  # clear of the host's window, whose front the commands change
STALL_SETTINGS = f"[KORVA]\nLeft={STALL_LEFT}\nTop={STALL_TOP}\nOFF=0\nShift=1\nCtrl=1\nIME=0\nVersion=2020\n"
EDIT2_ID = 103
SC_CLOSE = 0xF060
SC_MINIMIZE = 0xF020


def close_button(s: harness.Session, app: harness.App) -> None:
    left, top, right, bottom = app.window()["rect"]
    xdotool(s, "mousemove", str(right - 12), str(top + 12))
    xdotool(s, "click", "1")


def alt_f4(s: harness.Session, app: harness.App) -> None:
    # The program's window takes the front without its thread: the system does that.
    s.probe("front", harness.APP_CLASS)
    harness.poll("the main window to be in front", lambda: (s.foreground() or {}).get("class") == harness.APP_CLASS)
    xdotool(s, "key", "alt+F4")


def system_menu_close(s: harness.Session, app: harness.App) -> None:
    s.probe("syscommand", harness.APP_CLASS, str(SC_CLOSE))


def session_end(s: harness.Session, app: harness.App) -> None:
    s.probe("endsession", harness.APP_CLASS)


def minimise_then_close(s: harness.Session, app: harness.App) -> None:
    """A minimise from the taskbar queued before the system menu's Close."""
    s.probe("syscommand", harness.APP_CLASS, str(SC_MINIMIZE))
    s.probe("syscommand", harness.APP_CLASS, str(SC_CLOSE))


def stall_in_tap(s: harness.Session, host: harness.Host, main: dict, mark: LogMark) -> bool:
    host.send("busy", "1")
    host.send("stall", "IsQuiescent", str(STALL_MS))
    bring_host_to_front(s, host, "main", main["hwnd"])
    tap(s, "shift")
    return bool(s.eventually("the tap's call stalls in IsQuiescent", lambda: "IsQuiescent" in mark.calls()))


def stall_in_activate(s: harness.Session, host: harness.Host, main: dict, mark: LogMark) -> bool:
    host.send("stall", "Activate", str(STALL_MS))
    click_control(s, BUTTON4_ID)
    if not s.eventually("the candidate list shows", lambda: (list_window(s) or {}).get("visible")):
        return False
    xdotool(s, "key", "Return")
    return bool(s.eventually("LIST's call stalls in Activate", lambda: "Activate" in mark.calls()))


def freeze_after_quiescent(s: harness.Session, host: harness.Host, main: dict, mark: LogMark) -> bool:
    """The host waits for a command with its input method open: the guard asks whether it is
    quiescent, and right after answering yes the host's UI thread freezes (a long regeneration).
    The guard's next message to the host's window waits for that thread."""
    host.send("hang", str(STALL_MS), "after", "IsQuiescent")
    host.send("ime", "1")
    if not s.eventually("the host freezes after answering IsQuiescent", lambda: mark.events("hanging")):
        return False
    s.check(["get", "1"] in mark.events("ime") and mark.calls()[-3:] == ["HWND", "GetAcadState", "IsQuiescent"],
            "the guard found the input method open and the host answered quiescent before it froze",
            f"ime {mark.events('ime')}, calls {mark.calls()}")
    return True


def freeze_while_minimised(s: harness.Session, host: harness.Host, main: dict, mark: LogMark) -> bool:
    """ACT restores the minimised host window, which waits for the host's frozen UI thread."""
    host.send("minimize", "main")
    if not harness.poll("the host window to be minimised",
                        lambda: (s.probe("find", harness.HOST_CLASS, STALL_TITLE) or {}).get("iconic")):
        return False
    # Not waited for: the host answers only once it is done.
    with open(host.commands, "a", encoding="utf-8", newline="") as f:
        f.write(f"hang\t{STALL_MS}\n")
    if not s.eventually("the host freezes", lambda: mark.events("hanging")):
        return False
    click_control(s, BUTTON2_ID)
    return True


def start_plain(s: harness.Session, label: str, ime: bool) -> harness.App:
    return s.start_app(label, settings=stall_settings(ime))


def start_with_host_ime_window(s: harness.Session, label: str, ime: bool) -> harness.App:
    """The test build, told to take the host's window for its input-method window (under Wine the
    host's own IME window cannot be reached from another process)."""
    return start_failing_app(s, s.new_folder(label), None, stall_settings(ime).replace("\n", "\r\n").encode("cp1252"),
                             stand_in="host-ime-window")


def stall_settings(ime: bool) -> str:
    return STALL_SETTINGS.replace("IME=0", f"IME={int(ime)}")


def program_waits(s: harness.Session, app: harness.App, what: str) -> None:
    """A click posted to the program waits in its queue while the program waits for the host. The
    click on OFF never runs: the program ends first, and OFF stays unticked in the settings."""
    app.click("OFF")
    s.holds(f"{what}: the program waits (a posted click on OFF does not run)",
            lambda: next((c["checked"] for c in app.controls() if c["text"] == "OFF"), None) == 0, 0.5)


# where the program waits, how the user closes it, whether the main window is minimised then, the
# IME toggle, how the program is started
STALL_CASES = [
    ("tap", stall_in_tap, "close button", close_button, False, False, start_plain),
    ("tap", stall_in_tap, "Alt+F4", alt_f4, False, False, start_plain),
    ("tap", stall_in_tap, "system menu Close", system_menu_close, False, False, start_plain),
    ("tap", stall_in_tap, "system menu Close", system_menu_close, True, False, start_plain),
    ("tap", stall_in_tap, "session end", session_end, False, False, start_plain),
    ("tap", stall_in_tap, "Close behind a minimise", minimise_then_close, False, False, start_plain),
    ("LIST", stall_in_activate, "close button", close_button, False, False, start_plain),
    ("IME guard", freeze_after_quiescent, "close button", close_button, False, True, start_with_host_ime_window),
    ("ACT", freeze_while_minimised, "system menu Close", system_menu_close, False, False, start_plain),
]


def start_stall_pair(s: harness.Session, what: str, label: str, ime: bool,
                     start) -> tuple[harness.Host, dict, harness.App]:
    host = s.start_host(f"host-{label}")
    host.send("automation", "20")
    host.send(*DOCS)
    main = host.window("main", STALL_TITLE)
    app = start(s, label, ime)
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, f"{what}: the host window is found")
    # The session's own values: a version typed into the box (served by the host under the new
    # number) and the Ctrl toggle switched off.
    s.probe("settext", harness.APP_CLASS, f"id={EDIT2_ID}", "2021")
    host.send("automation", "21")
    app.click("Ctrl")
    harness.poll("Ctrl to be unticked", lambda: next((c["checked"] for c in app.controls() if c["text"] == "Ctrl"), None) == 0)
    return host, main, app


def session_values(ime: bool) -> dict[str, str]:
    return {"Left": str(STALL_LEFT), "Top": str(STALL_TOP), "AppFullName": "", "Version": "2021",
            "Shift": "1", "Ctrl": "0", "IME": str(int(ime)), "OFF": "0"}


def check_session_written(s: harness.Session, app: harness.App, what: str, ime: bool) -> None:
    if not s.check(app.settings_file.exists(), f"{what}: the settings file is written"):
        return
    values = section(app.settings_file.read_bytes()) or []
    s.check_equal(sorted(key for key, _ in values), sorted(KEYS), f"{what}: the eight keys")
    s.check_equal(dict(values), session_values(ime), f"{what}: the session's values")


def ended_after(app: harness.App, since: float) -> tuple[int | None, float]:
    try:
        code = app.proc.wait(timeout=10)
    except Exception:
        code = None
    return code, time.monotonic() - since


def closed_inside_a_stalled_call(s: harness.Session, where: str, stall, how: str, close, minimised: bool,
                                 ime: bool, start) -> None:
    what = f"stalled in {where}, {how}" + (", minimised" if minimised else "")
    s.step(f"the host hangs inside the {where}'s wait and the user ends the program with the {how}")
    label = f"stall-{where.split()[0].lower()}-{how.split()[0].lower()}" + ("-minimised" if minimised else "")
    host, main, app = start_stall_pair(s, what, label, ime, start)
    if minimised:
        # The settings keep the place the window is restored to.
        s.probe("syscommand", harness.APP_CLASS, str(SC_MINIMIZE))
        s.require(bool(harness.poll("the main window to be minimised", lambda: (app.window() or {}).get("iconic"))),
                  f"{what}: the main window is minimised")
    mark = LogMark(host)
    if not stall(s, host, main, mark):
        host.proc.kill()
        return
    program_waits(s, app, what)
    closed = time.monotonic()
    close(s, app)
    code, took = ended_after(app, closed)
    harness.say(f"  note  the program ended {took:.2f} s after the {how}")
    s.check(code is not None and took <= END_DEADLINE_S, f"{what}: the program ends within {END_DEADLINE_S:g} s",
            f"after {took:.2f} s, exit code {code}")
    s.check_equal(code, 0, f"{what}: exit code")
    host.proc.kill()  # still asleep inside the call
    host.proc.wait()
    check_session_written(s, app, what, ime)


SLOW_CALL_MS = 800


def closed_during_a_slow_call(s: harness.Session) -> None:
    what = "closed in a slow call"
    s.step(f"the user closes the program while the tap's call takes {SLOW_CALL_MS} ms")
    host, main, app = start_stall_pair(s, what, "slow-call", False, start_plain)
    host.send("busy", "1")
    host.send("stall", "IsQuiescent", str(SLOW_CALL_MS))
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap(s, "shift")
    s.require(bool(s.eventually("the tap's call is under way", lambda: "IsQuiescent" in mark.calls())),
              f"{what}: the tap reaches IsQuiescent")
    called = time.monotonic()
    time.sleep(0.3)
    closed = time.monotonic()
    system_menu_close(s, app)
    code, took = ended_after(app, closed)
    harness.say(f"  note  the program ended {took:.2f} s after the close, {closed - called:.2f} s into the call")
    # The call is not left: its answer comes, the tap goes on to press F8, and only then the
    # queued close is handled.
    s.check_equal(mark.keys(VK_F8), ["down", "up"], f"{what}: the tap's F8 reaches the host after the call")
    s.check(code is not None and took <= END_DEADLINE_S, f"{what}: the program ends within {END_DEADLINE_S:g} s",
            f"after {took:.2f} s, exit code {code}")
    s.check_equal(code, 0, f"{what}: exit code")
    check_session_written(s, app, what, False)
    end_pair(s, host, app, what)


UNWRITABLE_STALL_MS = 5000


def unwritable_settings_inside_a_stalled_call(s: harness.Session) -> None:
    what = "unwritable settings in a stalled call"
    s.step("the host hangs inside the tap's call, the user closes the program and the settings cannot be written")
    before = stall_settings(False).replace("\n", "\r\n").encode("cp1252")
    host = s.start_host("host-unwritable")
    host.send("automation", "20")
    main = host.window("main", STALL_TITLE)
    folder = s.new_folder("stall-unwritable")
    app = start_failing_app(s, folder, "profile-write", before)
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, f"{what}: the host window is found")
    caption = app.caption()
    host.send("busy", "1")
    host.send("stall", "IsQuiescent", str(UNWRITABLE_STALL_MS))
    bring_host_to_front(s, host, "main", main["hwnd"])
    mark = LogMark(host)
    tap(s, "shift")
    s.require(bool(s.eventually("the tap's call stalls", lambda: "IsQuiescent" in mark.calls())),
              f"{what}: the tap reaches IsQuiescent")
    system_menu_close(s, app)
    box = wait_message_box(s, f"{what}: an error box shows")
    s.require(box is not None, f"{what}: the error box of the failed write")
    s.check_equal(box["text"], harness.windows_path(app.settings_file) + " に書き込めません.", f"{what}: error box text")
    s.check(not (app.window() or {}).get("visible", True), f"{what}: the main window is hidden under the box")
    # Under the box: clicks on LIST and Register, another close, and the system menu's Close.
    click_control(s, BUTTON4_ID)
    click_control(s, BUTTON1_ID)
    system_menu_close(s, app)
    s.probe("close", harness.APP_CLASS)
    s.holds(f"{what}: the program and its box stay", lambda: app.running() and message_box(s) is not None, 1.0)
    # Once the host answers again, whatever ran under the box would reach it or show.
    host.send("title", "main", "KORVA 2021 2020 answering again", timeout=UNWRITABLE_STALL_MS / 1000 + harness.WAIT_TIMEOUT)
    s.holds(f"{what}: no tick, command or close runs under the box",
            lambda: app.running() and mark.calls() == ["HWND", "GetAcadState", "IsQuiescent"]
            and app.caption() == caption and (message_box(s) or {}).get("text") == box["text"], 1.5)
    s.check_equal(mark.keys(VK_F8), [], f"{what}: F8 presses (the tap does not go on)")
    s.check_equal(app.settings_file.read_bytes(), before, f"{what}: the settings file is unchanged")
    s.probe("msgbox-ok")
    try:
        code = app.proc.wait(timeout=END_DEADLINE_S)
    except Exception:
        code = None
    s.check_equal(code, 0, f"{what}: exit code right after OK")
    # The interrupted tap's references were never released (releasing is a call into the same
    # host); what the host still counts once the program is gone is up to COM's clean-up.
    harness.say(f"  note  the host counts {host_refs(host)} references after the program ended inside the call")
    host.quit()


def scenario(s: harness.Session) -> None:
    short_refusal_during_a_tap(s)
    long_refusal_during_a_tap(s)
    long_refusal_of_the_hwnd_read(s)
    hwnd_read_fails_with_the_hosts_text(s)
    commands_while_refusing(s)
    for case in STALL_CASES:
        closed_inside_a_stalled_call(s, *case)
    closed_during_a_slow_call(s)
    unwritable_settings_inside_a_stalled_call(s)


if __name__ == "__main__":
    harness.main(scenario)
