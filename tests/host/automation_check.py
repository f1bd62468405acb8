"""Runs automation_check.exe under Wine through the end-to-end harness, which provides the X
display, the prefix with the host's ProgIDs imported and the clean-up.

Takes the harness's command line; --app names automation_check.exe, since this run starts the
checker in place of the program (no probe is used, --probe only has to name an existing file):

    python3 automation_check.py --app automation_check.exe --host test_host.exe --probe probe.exe
        --progids progids.reg --prefix <wine prefix> --work <folder for per-run files>

Each PASS or FAIL line of the checker becomes one check; its summary and exit code are checked too.
"""

from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import harness  # noqa: E402

CHECK_TIMEOUT = 120.0


def scenario(s: harness.Session) -> None:
    folder = s.new_folder("automation")
    harness.run_checker(s, [s.args.app, harness.windows_path(Path(s.args.host).resolve()),
                            harness.windows_path(folder / "host")], CHECK_TIMEOUT)


if __name__ == "__main__":
    harness.main(scenario)
