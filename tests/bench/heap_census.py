"""Censuses of a Windows process's heaps (heap_census.exe, which loads heap_census_dll.dll into the
process at the first census, where it stays), and what grew between two of them: blocks grouped by heap, size and first
bytes, so that a growth found in the process's private memory can be named block by block."""
from __future__ import annotations

import json
import sys
from collections import Counter
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
from harness import Fatal  # noqa: E402

SHOWN_BYTES = 8  # of the 16 the census writes: enough to tell a kind of block, few enough to group them


def take(s: harness.Session, exe: Path, dll: Path, pid: int, label: str) -> Path:
    """One census of the process `pid` (its Windows pid); returns the file it wrote. The first one
    loads the DLL into the process, where it stays for the later ones."""
    folder = s.new_folder(f"census-{label}")
    out = folder / "census.txt"
    # The DLL writes next to itself: one copy for the run, outside the build folder.
    own_dll = s.run_dir / dll.name
    if not own_dll.exists():
        own_dll.write_bytes(dll.read_bytes())
    proc = s.start_program("heap_census", exe, [str(pid), harness.windows_path(own_dll), harness.windows_path(out)],
                           folder)
    program = harness.Program(f"heap_census ({label})", proc, folder)
    if program.wait_exit(60) != 0 or not out.exists():
        raise Fatal(f"heap census {label}: {(folder / 'heap_census.out').read_text(errors='replace')}")
    return out


def blocks(path: Path) -> Counter:
    """(heap index, size, first bytes in hex) -> count."""
    found: Counter = Counter()
    for line in path.read_text().splitlines():
        fields = line.split()
        if len(fields) < 3:
            continue
        head = fields[3][:2 * SHOWN_BYTES] if len(fields) > 3 else ""
        found[(int(fields[0]), int(fields[1]) + int(fields[2]), head)] += 1
    return found


# The blocks Wine's own code leaves in a client's heaps for good, told by their first bytes: the
# request of a call the server answered with a fault (a refusal is one: rpcrt4 frees a request only
# when its call succeeds; it starts with the ORPC header, version 5.x and no flags), and the
# marshalled interface the running object table answers GetActiveObject with (its byte count,
# then an OBJREF, signature "MEOW"; combase never frees it).
WINES_KINDS = {
    "requests of refused calls": lambda head: head[:4] == "0500" and head[6:16] == "0000000000",
    "the running object table's answers": lambda head: head[8:16] == "4d454f57",
}


def wines_kind(head: str) -> str | None:
    return next((name for name, test in WINES_KINDS.items() if test(head)), None)


def busy_bytes(found: Counter) -> int:
    return sum(size * n for (_, size, _), n in found.items())


def summary(path: Path) -> dict:
    """Busy bytes of all the heaps, and of them the bytes and blocks of each kind Wine leaves."""
    found = blocks(path)
    kinds = {name: {"bytes": 0, "blocks": 0} for name in WINES_KINDS}
    for (_, size, head), n in found.items():
        kind = wines_kind(head)
        if kind:
            kinds[kind]["bytes"] += size * n
            kinds[kind]["blocks"] += n
    return {"busy_bytes": busy_bytes(found), "wines": kinds, "wines_bytes": sum(k["bytes"] for k in kinds.values())}


def printable(hex_text: str) -> str:
    data = bytes.fromhex(hex_text)
    return "".join(chr(b) if 32 <= b < 127 and chr(b) not in "|`\\" else "." for b in data)


def growth(first: Path, last: Path, top: int = 12) -> dict:
    """The kinds of block that grew most in bytes from the first census to the last."""
    a, b = blocks(first), blocks(last)
    rows = []
    for key in set(a) | set(b):
        change = b[key] - a[key]
        if change:
            heap, size, head = key
            rows.append({"heap": heap, "size": size, "head": head, "text": printable(head), "from": a[key],
                         "to": b[key], "bytes": change * size, "wines": wines_kind(head)})
    rows.sort(key=lambda r: (-r["bytes"], r["size"], r["head"]))
    return {"from_bytes": busy_bytes(a), "to_bytes": busy_bytes(b), "from_blocks": sum(a.values()),
            "to_blocks": sum(b.values()), "top": rows[:top],
            "rest_bytes": sum(r["bytes"] for r in rows[top:])}


if __name__ == "__main__":
    print(json.dumps(growth(Path(sys.argv[1]), Path(sys.argv[2])), indent=1))
