"""What Wine keeps of a client's calls to the host, measured with bare_client.exe: a client with
none of the program's code, which looks the test host's server up in the running object table a
given number of times and asks it for a member's number by name as many times, once while the
host answers and once while it refuses every call, walking its own heaps before and after each.
What stays behind per call is what any client's process keeps; the day's run shows it beside the
program's own figures."""
from __future__ import annotations

import json
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
from harness import Fatal, poll, say  # noqa: E402

# The server the day's program reaches (version box 2020) and the member it asks for by name on
# every tap, LIST and IME check.
PROGID = "Vexo.Application.20"
MEMBER = "HWND"
CALLS = 400
REFUSAL_MS = 120_000  # longer than the refused run ever takes; ended early with `refuse off`


def start(s: harness.Session, exe: Path, label: str, args: list[str]) -> tuple[harness.Program, Path]:
    """bare_client.exe in a folder of its own, which `args` name by the placeholder FOLDER."""
    folder = s.new_folder(f"bare-client-{label.replace(' ', '-')}")
    args = [harness.windows_path(folder) if a == "FOLDER" else a for a in args]
    program = harness.Program(f"bare_client ({label})", s.start_program("bare_client", exe, args, folder), folder)
    s.programs.append(program)
    return program, folder


def one_run(s: harness.Session, host: harness.Host, exe: Path, refusing: bool) -> dict:
    label = "refused" if refusing else "answered"
    program, folder = start(s, exe, label, [PROGID, MEMBER, str(CALLS), "FOLDER"])
    out = folder / "bare_client.out"

    def answer() -> dict | None:
        for line in out.read_text(errors="replace").splitlines() if out.exists() else []:
            if line.startswith("{"):
                return json.loads(line)
        if not program.running():
            raise Fatal(f"bare_client ended early: {out.read_text(errors='replace')}")
        return None
    poll(f"bare_client ({label}) to be ready", lambda: (folder / "ready").exists() or answer(), 120, 0.02)
    try:
        if refusing:
            host.send("refuse", str(REFUSAL_MS))
        (folder / "go").write_text("")
        result = poll(f"bare_client ({label}) to answer", answer, 60, 0.02)
    finally:
        if refusing:
            host.send("refuse", "off")
        (folder / "release").write_text("")
    if "error" in result:
        raise Fatal(f"bare_client ({label}): {result}")
    s.check_equal(program.wait_exit(30), 0, f"bare_client ({label}) ends cleanly")
    return result


def measure(s: harness.Session, host: harness.Host, exe: Path) -> dict:
    """Both runs, and the bytes an attach and a refused call leave behind (net of an answered call)."""
    answered = one_run(s, host, exe, refusing=False)
    refused = one_run(s, host, exe, refusing=True)
    s.check(answered["answered"] == CALLS, f"bare_client: the host answered all {CALLS} calls", str(answered))
    s.check(refused["refused"] == CALLS, f"bare_client: the host refused all {CALLS} calls", str(refused))

    def per_call(r: dict, what: str) -> float:
        return (r[f"{what}_after"] - r[f"{what}_before"]) / CALLS
    return {"calls": CALLS, "member": MEMBER, "answered": answered, "refused": refused,
            "bytes_per_answered_call": per_call(answered, "bytes"),
            "kept_per_refused_call": per_call(refused, "bytes") - per_call(answered, "bytes"),
            "kept_per_attach": (per_call(answered, "attach_bytes") + per_call(refused, "attach_bytes")) / 2}


def across_restarts(s: harness.Session, exe: Path, rounds: int, refusing: bool) -> list[dict]:
    """One attach a round, each to a new host process (refused first when `refusing`, then
    answered); what the bare client holds after each round."""
    label = "restarts " + ("refused" if refusing else "answered")
    program, folder = start(s, exe, label, ["restarts", PROGID, "FOLDER", str(rounds)])
    out = folder / "bare_client.out"

    def lines() -> list[dict]:
        text = out.read_text(errors="replace") if out.exists() else ""
        found = [json.loads(line) for line in text.splitlines() if line.startswith("{")]
        if any("error" in f for f in found) or (not program.running() and len(found) < rounds):
            raise Fatal(f"bare_client ({label}): {text}")
        return found
    host = None
    for k in range(1, rounds + 1):
        if host:
            host.quit()
        host = s.start_host()
        host.send("automation", "20")
        if refusing:
            host.send("refuse", str(REFUSAL_MS))
        (folder / f"go-{k}").write_text("")
        poll(f"bare_client round {k} ({label}): first try", lambda: (folder / f"tried-{k}").exists() or lines() and None,
             60, 0.02)
        if refusing:
            host.send("refuse", "off")
        (folder / f"again-{k}").write_text("")
        poll(f"bare_client round {k} ({label})", lambda: len(lines()) >= k, 60, 0.02)
    s.check_equal(program.wait_exit(30), 0, f"bare_client ({label}) ends cleanly")
    if host:
        host.quit()
    return lines()


def restarts_scenario(s: harness.Session) -> None:
    """The same attaches to hosts started anew, answered from the first try and refused at the
    first try: what the client holds more with each new host."""
    exe = Path(s.args.app).parent.parent.parent / "tests" / "bench" / "bare_client.exe"
    rounds = 8
    for refusing in (False, True):
        rows = across_restarts(s, exe, rounds, refusing)
        s.check(all(r["second"] == "0x00000000" for r in rows),
                f"every second attach succeeded ({'refused' if refusing else 'answered'} first tries)", str(rows))
        first = {r["first"] for r in rows}
        say(f"bare_client: first tries {'refused' if refusing else 'answered'} (results {sorted(first)}); after each "
            f"round: handles {[r['handles'] for r in rows]}, heap bytes {[r['bytes'] for r in rows]}")
        if len(rows) >= 3:
            per = (rows[-1]["handles"] - rows[1]["handles"]) / (len(rows) - 2)
            per_bytes = (rows[-1]["bytes"] - rows[1]["bytes"]) / (len(rows) - 2)
            say(f"bare_client: from round 2 on, {per:+.2f} handles and {per_bytes:+,.0f} heap bytes a new host")


if __name__ == "__main__":
    harness.main(restarts_scenario)
