#!/usr/bin/env python3
"""Checks that Setup.exe is a program every supported Windows can load.

    check-pe.py EXE [--allowed LIST] [--max-file BYTES] [--max-code BYTES]
    check-pe.py --objects ARCHIVE_OR_OBJECT...

The first form reads the PE file itself: PE32 for i386, subsystem 4.0, every
imported DLL and function listed in LIST (tools/imports-allowed.txt), none
imported by ordinal, and the file and its code section within their sizes.
Windows refuses to start a program with one unresolved import before any of
its code runs, and Wine exports everything whatever Windows it imitates, so
only this check sees such an import. The second form refuses object files
with dynamic initialisers: without a C runtime nothing would run them.
Prints what it found; exits 1 on any refusal."""
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def read_allowed(path):
    """{dll: {function}} of the allowed lines, and the refused names."""
    allowed, refused = {}, {}
    with open(path) as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].split()
            if not line:
                continue
            if line[0].startswith("!"):
                refused[(line[0][1:].lower(), line[1])] = " ".join(line[2:])
                continue
            if len(line) != 4:
                sys.exit(f"{path}:{number}: want 'dll function oldest-9x oldest-NT'")
            dll, name, w9x, nt = line
            if w9x not in ("95", "OSR2") or nt not in ("3.1", "3.5", "3.51", "4.0"):
                sys.exit(f"{path}:{number}: {name} is not in both Windows 95 and NT 4")
            names = allowed.setdefault(dll.lower(), set())
            if name in names:
                sys.exit(f"{path}:{number}: {name} listed twice")
            names.add(name)
    for (dll, name), why in refused.items():
        if name in allowed.get(dll, ()):
            sys.exit(f"{path}: {dll} {name} is both allowed and refused ({why})")
    return allowed, refused


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ file")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        self.machine, nsect, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        dirs = opt + (96 if self.magic == 0x10B else 112)
        self.import_rva = struct.unpack_from("<I", data, dirs + 8)[0]
        self.sections = []
        for i in range(nsect):
            s = opt + optsize + 40 * i
            name = data[s:s + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((name, vsize, va, rawsize, rawptr))

    def offset(self, rva):
        for _, vsize, va, rawsize, rawptr in self.sections:
            if va <= rva < va + max(vsize, rawsize):
                return rawptr + rva - va
        raise ValueError(f"RVA {rva:#x} in no section")

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii", "replace")

    def imports(self):
        """[(dll, name or '#ordinal')] in table order."""
        out = []
        if not self.import_rva:
            return out
        at = self.offset(self.import_rva)
        wide = self.magic != 0x10B
        while True:
            lookup, _, _, name_rva, thunk = struct.unpack_from("<IIIII", self.data, at)
            if not name_rva:
                return out
            dll = self.text(name_rva)
            entry = self.offset(lookup or thunk)
            size, fmt, flag = (8, "<Q", 1 << 63) if wide else (4, "<I", 1 << 31)
            while True:
                value = struct.unpack_from(fmt, self.data, entry)[0]
                if not value:
                    break
                out.append((dll, f"#{value & 0xFFFF}" if value & flag else self.text(value + 2)))
                entry += size
            at += 20


def check_exe(path, allowed, refused, max_file, max_code):
    data = open(path, "rb").read()
    pe = Pe(data)
    problems = []
    if pe.magic != 0x10B or pe.machine != 0x14C:
        problems.append(f"not a PE32 program for i386 (magic {pe.magic:#x}, machine {pe.machine:#x})")
    if pe.subsystem_version != (4, 0):
        problems.append(f"subsystem version {pe.subsystem_version[0]}.{pe.subsystem_version[1]}, not 4.0")
    per_dll = {}
    for dll, name in pe.imports():
        per_dll.setdefault(dll, []).append(name)
        key = dll.lower().removesuffix(".dll")
        if (key, name) in refused:
            problems.append(f"refused: {dll} {name} ({refused[(key, name)]})")
        elif key not in allowed:
            problems.append(f"refused: {dll} {name} (DLL not allowed)")
        elif name not in allowed[key]:
            problems.append(f"refused: {dll} {name} (not in the list of functions that Windows 95 and NT 4 both have)")
    code = sum(vsize for name, vsize, *_ in pe.sections if name == ".text")
    if len(data) > max_file:
        problems.append(f"file is {len(data)} bytes, over the budget of {max_file}")
    if code > max_code:
        problems.append(f"code section is {code} bytes, over the budget of {max_code}")

    print(f"{path}: {len(data)} bytes; sections: " +
          ", ".join(f"{name} {max(vsize, rawsize)}" for name, vsize, _, rawsize, _ in pe.sections))
    for dll, names in per_dll.items():
        print(f"  {dll} ({len(names)}): {' '.join(sorted(names, key=str.lower))}")
    return problems


def check_objects(paths):
    """Object files (or archives of them) with a constructor list."""
    problems = []
    for path in paths:
        out = subprocess.run([os.environ.get("OBJDUMP", "objdump"), "-h", path],
                             capture_output=True, text=True, check=True).stdout
        member = path
        for line in out.splitlines():
            if line.endswith("file format pe-i386") or line.endswith("file format pe-x86-64"):
                member = line.split(":")[0]
            parts = line.split()
            if len(parts) > 2 and parts[1] in (".ctors", ".init_array") and int(parts[2], 16):
                problems.append(f"refused: {member} has a dynamic initialiser ({parts[1]})")
    print(f"{len(paths)} archives or objects read for dynamic initialisers")
    return problems


def main(argv):
    if argv and argv[0] == "--objects":
        # CMake hands an object library's files over as one ';'-list.
        problems = check_objects([p for a in argv[1:] for p in a.split(";") if p])
    else:
        allowed_path = os.path.join(HERE, "imports-allowed.txt")
        max_file, max_code = 512 * 1024, 96 * 1024
        exe, rest = argv[0], argv[1:]
        while rest:
            flag, value, rest = rest[0], rest[1], rest[2:]
            if flag == "--allowed":
                allowed_path = value
            elif flag == "--max-file":
                max_file = int(value)
            elif flag == "--max-code":
                max_code = int(value)
        allowed, refused = read_allowed(allowed_path)
        problems = check_exe(exe, allowed, refused, max_file, max_code)
    for p in problems:
        print(p)
    print("ok" if not problems else f"{len(problems)} refused")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
