"""Runs collation_check.exe under Wine through the end-to-end harness (X display, prefix,
clean-up). It takes the harness's command line; --app names collation_check.exe, and --host and
--probe only have to name existing files, since neither is started:

    python3 collation_check.py --app collation_check.exe --host test_host.exe --probe probe.exe
        --progids progids.reg --prefix <wine prefix> --work <folder for per-run files>

Each PASS or FAIL line of the checker becomes one check; its summary and exit code are checked too.
"""

from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import harness  # noqa: E402

CHECK_TIMEOUT = 60.0


def scenario(s: harness.Session) -> None:
    harness.run_checker(s, [s.args.app], CHECK_TIMEOUT)


if __name__ == "__main__":
    harness.main(scenario)
