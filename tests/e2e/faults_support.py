"""The test build of the program, ZO24_RAZ_faults.exe, built beside ZO24_RAZ.exe: the environment
variable ZO_FAIL_STEP makes one of its steps fail ("menu", "controls:bad_alloc", "profile-write",
see platform/fault_injection.h). It is copied under the program's own name, so that its title and
its settings file are the program's."""

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


def start_failing_app(s: harness.Session, folder: Path, step: str, settings: bytes | None = None) -> harness.App:
    """Starts the test build from `folder` as ZO24_RAZ.exe with `step` asked to fail."""
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / "ZO24_RAZ.exe"
    shutil.copy2(faults_build(s), exe)
    if settings is not None:
        (folder / "ZO24_RAZ,ini").write_bytes(settings)
    env = dict(s.wine.env(), ZO_FAIL_STEP=step)
    out = open(folder / "ZO24_RAZ.out", "wb")
    proc = subprocess.Popen([harness.WINE_LOADER, str(exe)], env=env, cwd=folder, stdin=subprocess.DEVNULL,
                            stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
    out.close()
    app = harness.App(s, proc, folder)
    s.programs.append(app)
    return app
