#!/usr/bin/env python3
"""Which desktop windows count as the host, and how the caption and the lamp follow it."""

import harness
from harness import CAPTION_PREFIX, HOST_CLASS, LAMP_GREEN, LAMP_GREY

# Windows that must never be taken for the host with the version box at "2020". Their titles
# differ, so a caption that shows one of them names the culprit.
DECOYS = [
    ("Bfx:400000:8", "KORVA 2020 wrong class"),
    ("afx:400001:8", "KORVA 2020 class in lower case"),
    ("Afx400000", "KORVA 2020 class without colon"),
    (HOST_CLASS, "korva 2020 product in lower case"),
    (HOST_CLASS, " KORVA 2020 blank before product"),
    (HOST_CLASS, "KORVA without the version"),
    (HOST_CLASS, "Dravelin without the version"),
    (HOST_CLASS, "2020 KORVA version first"),
]

# version box, host title, caption expected
TITLES = [
    ("2020", "KORVA 2020 (x64)", CAPTION_PREFIX + "KORVA 2020 x6"),
    ("2020", "Dravelin 2020 (x64)", CAPTION_PREFIX + "Dravelin 2020"),
    ("2020", "KORVA 2020 - [Drawing1.drw]", CAPTION_PREFIX + "KORVA 2020 - ["),
    ("2020", "KORVA(2020) (x64)", CAPTION_PREFIX + "KORVA2020) (x"),
    ("2020", "KORVA 2020 図面", CAPTION_PREFIX + "KORVA 2020 図面"),
    ("21", "Dravelin 2021 (x64)", CAPTION_PREFIX + "Dravelin 2021"),
    ("24", "KORVA (1) 2024", CAPTION_PREFIX + "KORVA 1) 2024"),
]

QUIET_SECONDS = 1.0  # ten ticks


def set_version(s: harness.Session, text: str) -> None:
    s.probe("settext", harness.APP_CLASS, "class=Edit", text)


def scenario(s: harness.Session) -> None:
    host = s.start_host()
    app = s.start_app()
    app.wait_window()
    s.check_equal(app.wait_caption(CAPTION_PREFIX), CAPTION_PREFIX, "caption before any host window")
    # The host will come and go below; the program must outlive that.
    app.click("OFF")
    harness.poll("OFF to be unticked", lambda: app.control("OFF")["checked"] == 0)

    s.step("decoy windows only")
    for number, (cls, title) in enumerate(DECOYS):
        host.window(f"decoy{number}", title, cls)
    s.holds("no decoy is taken for the host",
            lambda: app.caption() == CAPTION_PREFIX, QUIET_SECONDS)
    s.check_equal(app.lamp(), LAMP_GREY, "lamp colour with decoys only")

    s.step("a host title whose only version match is at position 1")
    set_version(s, "KORVA")
    host.window("main", "KORVA 2020 (x64)")
    s.holds("a version found only at the first character does not match",
            lambda: app.caption() == CAPTION_PREFIX, QUIET_SECONDS)

    s.step("genuine host titles, decoys still on the desktop above them")
    for version, title, expected in TITLES:
        set_version(s, version)
        host.send("title", "main", title)
        s.check_equal(app.wait_caption(expected), expected, f"caption for {title!r} with version {version!r}")
    s.check_equal(app.wait_lamp(LAMP_GREEN), LAMP_GREEN, "lamp colour with the host found")

    s.step("the host's title stops matching")
    host.send("title", "main", "KORVA 2023")
    s.check_equal(app.wait_caption(CAPTION_PREFIX), CAPTION_PREFIX, "caption once the title no longer matches")
    s.check_equal(app.wait_lamp(LAMP_GREY), LAMP_GREY, "lamp colour once the host is gone")
    s.check(app.running(), "the program still runs with OFF unticked")


if __name__ == "__main__":
    harness.main(scenario)
