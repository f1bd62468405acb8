#!/usr/bin/env python3
"""Checks the hardening of a built Windows executable by reading its PE header directly.

Usage: check_pe.py ZO24_RAZ.exe

It fails unless the image is a 64-bit GUI executable with ASLR (high entropy) and NX enabled,
imports only from Windows system libraries, carries exactly one manifest resource, and has an
icon: its first icon group holds 16, 32 and 48 pixel images, each of the size its entry names.
"""
import struct
import sys

IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x0020
IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
IMAGE_DLLCHARACTERISTICS_NX_COMPAT = 0x0100
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
RT_ICON = 3
RT_GROUP_ICON = 14
RT_MANIFEST = 24
REQUIRED_ICON_SIZES = {16, 32, 48}

# Libraries every Windows installation ships in its system folder.
SYSTEM_LIBRARIES = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "imm32.dll", "uxtheme.dll", "dwmapi.dll", "msvcrt.dll",
    "shlwapi.dll", "comdlg32.dll", "version.dll", "ucrtbase.dll",
}


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ image")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsections = struct.unpack_from("<HH", data, pe + 4)
        opt_size = struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        if self.magic != 0x20B:
            raise ValueError("not a PE32+ (64-bit) image")
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
        ndirs = struct.unpack_from("<I", data, opt + 108)[0]
        self.directories = [struct.unpack_from("<II", data, opt + 112 + 8 * i) for i in range(ndirs)]
        self.sections = []
        sec = opt + opt_size
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, sec + 40 * i)
            self.sections.append((va, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for va, size, rawptr in self.sections:
            if va <= rva < va + size:
                return rva - va + rawptr
        raise ValueError(f"RVA {rva:#x} outside every section")

    def cstring(self, rva):
        off = self.offset(rva)
        return self.data[off:self.data.index(b"\0", off)].decode("ascii")

    def imports(self):
        """{library: [function names]} from the import directory."""
        rva, size = self.directories[1]
        result = {}
        if not rva:
            return result
        off = self.offset(rva)
        while True:
            ilt, _, _, name_rva, iat = struct.unpack_from("<IIIII", self.data, off)
            if not (ilt or name_rva or iat):
                return result
            functions = []
            thunk = self.offset(ilt or iat)
            while True:
                entry = struct.unpack_from("<Q", self.data, thunk)[0]
                if not entry:
                    break
                if not entry & (1 << 63):
                    functions.append(self.cstring((entry & 0x7FFFFFFF) + 2))
                thunk += 8
            result[self.cstring(name_rva).lower()] = functions
            off += 20

    def _resource_entries(self, table):
        named, ids = struct.unpack_from("<HH", self.data, table + 12)
        for i in range(named + ids):
            ident, target = struct.unpack_from("<II", self.data, table + 16 + 8 * i)
            yield ident, target

    def _resource_base(self):
        rva, _ = self.directories[2]
        return self.offset(rva) if rva else None

    def resource_count(self, type_id):
        base = self._resource_base()
        if base is None:
            return 0

        def leaves(target):
            if target & 0x80000000:
                return sum(leaves(t) for _, t in self._resource_entries(base + (target & 0x7FFFFFFF)))
            return 1

        return sum(leaves(t) for ident, t in self._resource_entries(base) if ident == type_id)

    def resources(self, type_id):
        """[(name or id, bytes of its first language)] of one type, in directory order (the order
        in which the system picks "the first" of them)."""
        base = self._resource_base()
        if base is None:
            return []
        result = []
        for ident, target in self._resource_entries(base):
            if ident != type_id or not target & 0x80000000:
                continue
            for name, leaf in self._resource_entries(base + (target & 0x7FFFFFFF)):
                while leaf & 0x80000000:
                    leaf = next(self._resource_entries(base + (leaf & 0x7FFFFFFF)))[1]
                data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                start = self.offset(data_rva)
                result.append((name, self.data[start:start + size]))
        return result


def icon_image_size(data):
    """(width, height) of one icon image: a PNG, or a bitmap whose height counts its mask too."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        return struct.unpack_from(">II", data, 16)
    header_size, width, height = struct.unpack_from("<Iii", data, 0)
    if header_size < 40:
        raise ValueError(f"bitmap header of {header_size} bytes")
    return width, height // 2


def icon_sizes(image):
    """The sizes the first icon group names, each checked against the image it points to;
    a list of problems when something does not match."""
    groups = image.resources(RT_GROUP_ICON)
    if not groups:
        return set(), ["no icon group"]
    icons = dict(image.resources(RT_ICON))
    _, group = groups[0]
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    problems = [] if (reserved, kind) == (0, 1) else [f"group header {reserved}, {kind}"]
    sizes = set()
    for i in range(count):
        width, height, _, _, _, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        width, height = width or 256, height or 256
        data = icons.get(icon_id)
        if data is None:
            problems.append(f"{width}x{height} names icon {icon_id}, which is missing")
            continue
        try:
            real = icon_image_size(data)
        except (ValueError, struct.error) as e:
            problems.append(f"icon {icon_id} is no image ({e})")
            continue
        if real != (width, height) or len(data) != size:
            problems.append(f"icon {icon_id}: entry {width}x{height}, {size} bytes; "
                            f"image {real[0]}x{real[1]}, {len(data)} bytes")
            continue
        if bits == 32:
            sizes.add(width)
    return sizes, problems


def main(path):
    with open(path, "rb") as f:
        image = Image(f.read())
    failures = []
    passed = []

    def check(ok, what):
        print(("ok    " if ok else "FAIL  ") + what)
        (passed if ok else failures).append(what)

    dc = image.dll_characteristics
    check(image.machine == 0x8664, "machine is x86_64")
    check(image.subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI, "GUI subsystem")
    check(bool(dc & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE), "ASLR (DYNAMIC_BASE)")
    check(bool(dc & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA), "high-entropy ASLR (HIGH_ENTROPY_VA)")
    check(bool(dc & IMAGE_DLLCHARACTERISTICS_NX_COMPAT), "DEP (NX_COMPAT)")
    imports = image.imports()
    imported = sorted(imports)
    print("      imports: " + ", ".join(imported))
    foreign = [name for name in imported
               if name not in SYSTEM_LIBRARIES and not name.startswith("api-ms-win-")]
    check(not foreign, "imports only Windows system libraries" + (f" (also: {foreign})" if foreign else ""))
    # A planted DLL beside the executable must never load: the program narrows the search path
    # at start, which it can only do through this import.
    check("SetDefaultDllDirectories" in imports.get("kernel32.dll", []),
          "restricts its library search (imports SetDefaultDllDirectories)")
    manifests = image.resource_count(RT_MANIFEST)
    check(manifests == 1, f"exactly one embedded manifest (found {manifests})")
    sizes, problems = icon_sizes(image)
    print("      icon sizes: " + ", ".join(str(n) for n in sorted(sizes)))
    check(not problems, "the first icon group matches its images" + (f" ({'; '.join(problems)})" if problems else ""))
    missing = REQUIRED_ICON_SIZES - sizes
    check(not missing, "icons of 16, 32 and 48 pixels in 32-bit colour" + (f" (missing {sorted(missing)})" if missing else ""))
    print(f"{len(passed)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
