"""What the platform keeps of a call the host refuses, measured with refused_calls.exe: a client
with none of the program's code, which asks the test host for a member's number by name a given
number of times, once while the host answers and once while it refuses every call, and reports
what its own heaps hold more afterwards. The difference between the two runs, per call, is what a
refused call leaves behind in any client's process; the day's run takes it off the program's
memory for the calls the host refused it, and shows the figure and the measurement."""
from __future__ import annotations

import json
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
from harness import Fatal, poll  # noqa: E402

# The server the day's program reaches (version box 2020) and the member it asks for by name on
# every tap, LIST and IME check.
PROGID = "Vexo.Application.20"
MEMBER = "HWND"
CALLS = 400
REFUSAL_MS = 120_000  # longer than the refused run ever takes; ended early with `refuse off`


def one_run(s: harness.Session, host: harness.Host, exe: Path, refusing: bool) -> dict:
    label = "refused" if refusing else "answered"
    folder = s.new_folder(f"refused-calls-{label}")
    proc = s.start_program("refused_calls", exe, [PROGID, MEMBER, str(CALLS), harness.windows_path(folder)],
                           folder)
    program = harness.Program(f"refused_calls ({label})", proc, folder)
    s.programs.append(program)
    out = folder / "refused_calls.out"

    def answer() -> dict | None:
        for line in out.read_text(errors="replace").splitlines() if out.exists() else []:
            if line.startswith("{"):
                return json.loads(line)
        if not program.running():
            raise Fatal(f"refused_calls ended early: {out.read_text(errors='replace')}")
        return None
    poll(f"refused_calls ({label}) to be ready", lambda: (folder / "ready").exists() or answer(), 60, 0.02)
    try:
        if refusing:
            host.send("refuse", str(REFUSAL_MS))
        (folder / "go").write_text("")
        result = poll(f"refused_calls ({label}) to answer", answer, 60, 0.02)
    finally:
        if refusing:
            host.send("refuse", "off")
        (folder / "release").write_text("")
    if "error" in result:
        raise Fatal(f"refused_calls ({label}): {result}")
    s.check_equal(program.wait_exit(30), 0, f"refused_calls ({label}) ends cleanly")
    return result


def measure(s: harness.Session, host: harness.Host, exe: Path) -> dict:
    """Both runs and the bytes a refused call leaves, net of what an answered call leaves."""
    answered = one_run(s, host, exe, refusing=False)
    refused = one_run(s, host, exe, refusing=True)
    s.check(answered["answered"] == CALLS, f"refused_calls: the host answered all {CALLS} calls", str(answered))
    s.check(refused["refused"] == CALLS, f"refused_calls: the host refused all {CALLS} calls", str(refused))

    def per_call(r: dict, what: str) -> float:
        return (r[f"{what}_after"] - r[f"{what}_before"]) / CALLS
    return {"calls": CALLS, "member": MEMBER, "answered": answered, "refused": refused,
            "bytes_per_answered_call": per_call(answered, "bytes"),
            "bytes_per_refused_call": per_call(refused, "bytes"),
            "blocks_per_refused_call": per_call(refused, "blocks"),
            "kept_per_refused_call": per_call(refused, "bytes") - per_call(answered, "bytes")}
