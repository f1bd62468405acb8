#!/usr/bin/env python3
"""Register remembers the running host's executable; ACT brings the host forward, starts the
registered executable, or says how to register."""

import shutil

import harness
from commands_support import (BUTTON1_ID, BUTTON2_ID, HOST_TITLE, MENU_REGISTER_ID, NO_AUTO_CLOSE, LogMark,
                              app_in_front, centred_on_screen, check_refs_return, click_control, close_message_box,
                              foreground_hwnd, message_box_frame, no_message_box_for, settings_values,
                              wait_message_box)
from harness import APP_CLASS, LAMP_GREEN, LAMP_GREY, windows_path

REGISTERED_TAIL = "\nを登録しました．"
NOT_REGISTERED = ("KORVA 2020 が登録されていません、\n"
                  "KORVA 2020 が起動中に[登録]ボタンをクリックして下さい．")


def check_information_box(s: harness.Session, expected_text: str, what: str) -> bool:
    box = wait_message_box(s, f"{what}: a message box shows")
    if not box:
        return False
    s.check_equal(box["text"], expected_text, f"{what}: message text")
    s.check_equal(box["title"], "Zo24_raz", f"{what}: message title")
    s.check(not box["icon"], f"{what}: the message has no icon")
    s.check_equal([b["id"] for b in box["buttons"]], [1], f"{what}: the message has only an OK button")
    frame = message_box_frame(s)
    s.check(frame is not None and centred_on_screen(frame), f"{what}: the message is centred on the screen",
            f"frame {frame}")
    return True


def register(s: harness.Session, host: harness.Host, main: dict | None, how: str, full_name: str) -> None:
    """Registers through the button or the popup menu item while the main window is in front."""
    what = f"register through {how}"
    host.send("fullname", full_name)
    app_in_front(s)
    mark = LogMark(host)
    if how == "the button":
        click_control(s, BUTTON1_ID)
    else:
        s.probe("command", APP_CLASS, str(MENU_REGISTER_ID))
    if check_information_box(s, full_name + REGISTERED_TAIL, what):
        s.check("FullName" in mark.calls(), f"{what}: the host was asked for its FullName", f"{mark.calls()}")
        if main:
            s.check(foreground_hwnd(s) != main["hwnd"], f"{what}: the host stays behind while the message is open")
        close_message_box(s)
    if main:
        s.eventually(f"{what}: after OK the host window comes to the front",
                     lambda: foreground_hwnd(s) == main["hwnd"])
    check_refs_return(s, host, what)


def scenario(s: harness.Session) -> None:
    # A copy of the test host stands for the registered executable: started without arguments
    # it logs "ready" in its own folder, which shows that it was started.
    target_folder = s.new_folder("registered korva")
    target = target_folder / "korva app.exe"
    shutil.copy2(s.args.host, target)
    (target_folder / "commands.txt").touch()
    target_log = target_folder / "log.txt"
    missing = windows_path(target_folder) + "\\missing\\korva.exe"

    host = s.start_host()
    host.send("automation", "20")
    main = host.window("main", HOST_TITLE)
    app = s.start_app(settings=NO_AUTO_CLOSE)
    app.wait_window()
    s.require(app.wait_lamp(LAMP_GREEN) == LAMP_GREEN, "the host window is found")

    s.step("register through the popup menu item, then again through the button")
    register(s, host, main, "the menu item", missing)
    register(s, host, main, "the button", windows_path(target))

    s.step("register while the host's automation server is not running")
    host.send("automation", "off")
    app_in_front(s)
    mark = LogMark(host)
    click_control(s, BUTTON1_ID)
    s.eventually("no server: the host window still comes to the front", lambda: foreground_hwnd(s) == main["hwnd"])
    no_message_box_for(s, "no server: no message shows")
    s.check_equal(mark.calls(), [], "no server: calls the host received")
    host.send("automation", "20")

    s.step("ACT with the host window minimised")
    host.send("minimize", "main")
    harness.poll("the host window to be minimised", lambda: s.probe("find", harness.HOST_CLASS, HOST_TITLE)["iconic"])
    click_control(s, BUTTON2_ID)
    s.eventually("ACT restores the host window",
                 lambda: not s.probe("find", harness.HOST_CLASS, HOST_TITLE)["iconic"])
    s.eventually("ACT brings the host window to the front", lambda: foreground_hwnd(s) == main["hwnd"])
    no_message_box_for(s, "ACT with a host window shows no message", 0.5)
    s.check(not target_log.exists(), "ACT with a host window starts no executable")

    s.step("ACT with no host window and a registered executable that exists")
    host.send("close", "main")
    s.require(app.wait_lamp(LAMP_GREY) == LAMP_GREY, "the host window is gone")
    click_control(s, BUTTON2_ID)
    started = s.eventually("ACT starts the registered executable",
                           lambda: target_log.exists() and "ready" in target_log.read_text(encoding="utf-8"))
    no_message_box_for(s, "ACT that starts the executable shows no message", 0.5)
    if started:
        with open(target_folder / "commands.txt", "a", encoding="utf-8", newline="") as f:
            f.write("exit\n")

    s.step("ACT with no host window and a registered path that does not exist")
    register(s, host, None, "the button", missing)
    click_control(s, BUTTON2_ID)
    if check_information_box(s, NOT_REGISTERED, "ACT, nothing usable registered"):
        close_message_box(s)

    s.step("a normal close keeps the last registered path")
    s.probe("close", APP_CLASS)
    s.check_equal(app.wait_exit(harness.START_TIMEOUT), 0, "exit code")
    if s.check(app.settings_file.exists(), "the settings file is written"):
        s.check_equal(settings_values(app.settings_file).get("AppFullName"), missing, "AppFullName in the settings")


if __name__ == "__main__":
    harness.main(scenario)
