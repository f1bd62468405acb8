"""Runs collation_check.exe under Wine through the end-to-end harness (X display, prefix,
clean-up). It takes the harness's command line; --app names collation_check.exe, and --host and
--probe only have to name existing files, since neither is started:

    python3 collation_check.py --app collation_check.exe --host test_host.exe --probe probe.exe
        --progids progids.reg --prefix <wine prefix> --work <folder for per-run files>

Each PASS or FAIL line of the checker becomes one check; its summary and exit code are checked too.
"""

from __future__ import annotations

import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import harness  # noqa: E402

CHECK_TIMEOUT = 60.0
SUMMARY = re.compile(r"^(\d+) passed, (\d+) failed$")


def scenario(s: harness.Session) -> None:
    result = s.wine.run([s.args.app], timeout=CHECK_TIMEOUT)
    summary = None
    for line in result.stdout.decode("utf-8", errors="replace").splitlines():
        if line.startswith("PASS "):
            s.check(True, line[5:])
        elif line.startswith("FAIL "):
            s.check(False, line[5:])
        elif SUMMARY.match(line):
            summary = SUMMARY.match(line)
    s.check(summary is not None and summary.group(2) == "0", "the checker reports no failure",
            f"summary {summary.group(0) if summary else 'missing'}; "
            f"stderr {result.stderr.decode(errors='replace').strip()!r}")
    s.check_equal(result.returncode, 0, "the checker's exit code")


if __name__ == "__main__":
    harness.main(scenario)
