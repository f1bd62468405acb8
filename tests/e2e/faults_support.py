"""The test build of the program, ZO24_RAZ_faults.exe, built beside ZO24_RAZ.exe: the environment
variable ZO_FAIL_STEP makes one of its steps fail ("menu", "controls:bad_alloc", "profile-write",
see platform/fault_injection.h), and ZO_STAND_IN replaces what Wine cannot provide
("host-ime-window"). It is copied under the program's own name, so that its title and its settings
file are the program's."""

from __future__ import annotations

import shutil
import subprocess
from pathlib import Path

import harness

FAULTS_NAME = "ZO24_RAZ_faults.exe"


def faults_build(s: harness.Session) -> Path:
    exe = Path(s.args.app).with_name(FAULTS_NAME)
    if not exe.is_file():
        raise harness.Fatal(f"{FAULTS_NAME} is not built or missing: {exe}")
    return exe


def start_failing_app(s: harness.Session, folder: Path, step: str | None, settings: bytes | None = None,
                      stand_in: str | None = None) -> harness.App:
    """Starts the test build from `folder` as ZO24_RAZ.exe with `step` asked to fail (None: no
    step fails) and the stand-ins named in `stand_in` (ZO_STAND_IN, e.g. "host-ime-window")."""
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / "ZO24_RAZ.exe"
    shutil.copy2(faults_build(s), exe)
    if settings is not None:
        (folder / "ZO24_RAZ,ini").write_bytes(settings)
    env = dict(s.wine.env())
    if step is not None:
        env["ZO_FAIL_STEP"] = step
    if stand_in is not None:
        env["ZO_STAND_IN"] = stand_in
    out = open(folder / "ZO24_RAZ.out", "wb")
    proc = subprocess.Popen([harness.WINE_LOADER, str(exe)], env=env, cwd=folder, stdin=subprocess.DEVNULL,
                            stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
    out.close()
    app = harness.App(s, proc, folder)
    s.programs.append(app)
    return app
