#!/usr/bin/env python3
"""Settings files of any age keep every character: an empty file and a file in the ANSI code page
take a Japanese registered path, which reads back exactly after a restart and is what start-up
and ACT start, while the file's other sections read back as they were. And a settings file that
cannot be written receives nothing, not even the byte-order mark of a file the program made."""

import time

import harness
from faults_support import start_failing_app
from harness import APP_CLASS
from settings_support import (BOM, SETTINGS_NAME, LaunchTarget, close_app, parse_profile, profile_bytes, section,
                              start_app_in)

ANSI_OTHERS = "[Other]\nName=café\nNote=ñ ü ß\n[KORVA]\nVersion=2020\n"
OTHER_ENTRIES = [("Name", "café"), ("Note", "ñ ü ß")]

# label, the file before the first start, the other section it holds (None: none)
FILES = [
    ("an empty file", b"", None),
    ("an ANSI file with another section", profile_bytes(ANSI_OTHERS), OTHER_ENTRIES),
]


def register(s: harness.Session, host: harness.Host, app: harness.App, path: str, what: str) -> None:
    host.send("automation", "20")
    host.send("fullname", path)
    app.click(" 登録")
    box = harness.poll(f"{what}: the registered message", lambda: s.probe("msgbox"))
    s.check_equal(box["text"], path + "\nを登録しました．", f"{what}: registered message")
    s.probe("msgbox-ok")
    harness.poll(f"{what}: the message to close", lambda: s.probe("msgbox") is None)
    host.send("automation", "off")


def check_file(s: harness.Session, data: bytes, path: str, others, what: str) -> None:
    s.check(data.startswith(BOM), f"{what}: the file is UTF-16 now", f"first bytes {data[:8]!r}")
    s.check_equal(dict(section(data) or []).get("AppFullName"), path, f"{what}: AppFullName")
    if others is not None:
        s.check_equal([name for name, _ in parse_profile(data)], ["Other", "KORVA"], f"{what}: sections in order")
        s.check_equal(section(data, "Other"), others, f"{what}: the other section")


def japanese_path_in_an_old_file(s: harness.Session, host: harness.Host) -> None:
    for label, before, others in FILES:
        s.step(f"a Japanese registered path in {label}")
        target = LaunchTarget(s, s.new_folder("target") / "図面ツール 第2版", "KORVA 図面.exe")
        folder = s.new_folder("app")
        app = start_app_in(s, folder, before)
        app.wait_window()
        register(s, host, app, target.windows_path, label)
        s.check_equal(close_app(s, app), 0, f"{label}: exit code of the first run")
        check_file(s, app.settings_file.read_bytes(), target.windows_path, others, f"{label}, first run")

        app = start_app_in(s, folder)
        app.wait_window()
        s.eventually(f"{label}: start-up started the executable at the Japanese path",
                     lambda: target.starts() == 1, harness.START_TIMEOUT)
        app.click("ACT")
        s.eventually(f"{label}: ACT started it again", lambda: target.starts() == 2, harness.START_TIMEOUT)
        s.check_equal(close_app(s, app), 0, f"{label}: exit code of the restart")
        check_file(s, app.settings_file.read_bytes(), target.windows_path, others, f"{label}, restart")
        target.stop()


def fitting_values_keep_the_encoding(s: harness.Session) -> None:
    s.step("an ANSI file whose values all fit its code page stays ANSI")
    before = profile_bytes(ANSI_OTHERS + "AppFullName=C:\\Café\\korva.exe\n")
    app = start_app_in(s, s.new_folder("ansi-stays"), before)
    app.wait_window()
    s.check_equal(close_app(s, app), 0, "exit code")
    data = app.settings_file.read_bytes()
    s.check(not data.startswith(BOM) and b"Name=caf\xe9\r\n" in data, "the file is still in the ANSI code page",
            f"first bytes {data[:24]!r}")
    s.check_equal(dict(section(data) or []).get("AppFullName"), "C:\\Café\\korva.exe", "AppFullName")
    s.check_equal(section(data, "Other"), OTHER_ENTRIES, "the other section")


def first_write_fails(s: harness.Session) -> None:
    # label, the file before (None: no file)
    cases = [("no settings file yet", None), ("an existing ANSI file", profile_bytes(ANSI_OTHERS))]
    for label, before in cases:
        s.step(f"every write fails, {label}")
        folder = s.new_folder("write-fails")
        app = start_failing_app(s, folder, "profile-write", before)
        app.wait_window()
        s.probe("close", APP_CLASS)
        box = harness.poll(f"{label}: the error box at exit", lambda: s.probe("msgbox"), harness.START_TIMEOUT)
        settings = folder / SETTINGS_NAME
        s.check_equal(box["text"], harness.windows_path(settings) + " に書き込めません.", f"{label}: error box text")
        # The box is shown after the file is dealt with.
        if before is None:
            s.check(not settings.exists(), f"{label}: no file while the box shows",
                    f"it holds {settings.read_bytes()!r}" if settings.exists() else "")
        else:
            s.check_equal(settings.read_bytes(), before, f"{label}: the file is unchanged while the box shows")
        s.probe("msgbox-ok")
        s.check_equal(app.wait_exit(harness.START_TIMEOUT), 0, f"{label}: exit code")
        time.sleep(0.2)
        if before is None:
            s.check(not settings.exists(), f"{label}: no settings file after the exit")
        else:
            s.check_equal(settings.read_bytes(), before, f"{label}: the file is unchanged after the exit")


def scenario(s: harness.Session) -> None:
    host = s.start_host()
    japanese_path_in_an_old_file(s, host)
    fitting_values_keep_the_encoding(s)
    first_write_fails(s)


if __name__ == "__main__":
    harness.main(scenario)
