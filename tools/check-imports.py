#!/usr/bin/env python3
"""Holds each shipped program to the oldest Windows its build is for.

    tools/check-imports.py [--table FILE] [--target VERSION] PROGRAM.exe...

Windows' loader refuses to start a program one of whose imported functions its system DLLs do
not export, and Wine cannot show this: it exports every function whatever version it emulates.
So every function a program imports (by name or ordinal, directly or delay-loaded) is looked up
in tools/imports.tsv, which gives the first Windows release that exports it and where that is
documented. A program fails the check when

  - it imports a function the table does not list (find the release and add it, with its source),
  - it imports a function first exported by a release newer than its target,
  - its header asks for an operating-system or subsystem version above its target.

A table line whose release is "unestablished" names a function whose first release no source
found so far states, with the best evidence there is (usually that the system headers declare
it with no version guard). Such imports are accepted but always listed, so that the gap stays
in sight; --strict refuses them too.

The target is the build's oldest Windows: 5.0 (Windows 2000) for 32-bit programs, 5.2 (Windows
XP x64 / Server 2003) for 64-bit ones; --target overrides it for every program named.
Exit status 0 when every program passes, 1 when one fails, 2 on a usage or file error.
"""

import argparse
import os
import struct
import sys

# The releases the table may name, with the version numbers their system DLLs report.
RELEASES = {
    "Windows NT 3.1": (3, 10),
    "Windows NT 3.5": (3, 50),
    "Windows NT 4.0": (4, 0),
    "Windows 2000": (5, 0),
    "Windows XP": (5, 1),
    "Windows Server 2003": (5, 2),
    "Windows Vista": (6, 0),
    "Windows 7": (6, 1),
    "Windows 8": (6, 2),
    "Windows 8.1": (6, 3),
    "Windows 10": (10, 0),
}

MACHINE_TARGETS = {0x014C: (5, 0), 0x8664: (5, 2)}  # i386, amd64

UNESTABLISHED = "unestablished"

IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13


class PeError(Exception):
    pass


def version_text(version):
    return "%d.%d" % version


def parse_version(text):
    try:
        major, minor = text.split(".")
        return int(major), int(minor)
    except ValueError:
        raise argparse.ArgumentTypeError("a version is MAJOR.MINOR, e.g. 5.0")


class PeImage:
    """The parts of a PE file the check reads: machine, header versions, imports."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise PeError("not a Windows program (no MZ header)")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("not a Windows program (no PE signature)")
        coff = pe + 4
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, coff)
        optional = coff + 20
        magic = self._u16(optional)
        if magic == 0x10B:
            self.pe32_plus = False
            directories = optional + 96
        elif magic == 0x20B:
            self.pe32_plus = True
            directories = optional + 112
        else:
            raise PeError("unknown optional header (magic 0x%X)" % magic)
        self.os_version = (self._u16(optional + 40), self._u16(optional + 42))
        self.subsystem_version = (self._u16(optional + 48), self._u16(optional + 50))
        count = self._u32(directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rawsize), rawptr, rawsize))

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def _offset(self, rva):
        for vaddr, size, rawptr, rawsize in self.sections:
            if vaddr <= rva < vaddr + size and rva - vaddr < rawsize:
                return rawptr + rva - vaddr
        raise PeError("address 0x%X lies in no section" % rva)

    def _string(self, rva):
        start = self._offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii")

    def _thunks(self, rva):
        size, fmt, ordinal_flag = (8, "<Q", 1 << 63) if self.pe32_plus else (4, "<I", 1 << 31)
        offset = self._offset(rva)
        while True:
            value = struct.unpack_from(fmt, self.data, offset)[0]
            if value == 0:
                return
            if value & ordinal_flag:
                yield "#%d" % (value & 0xFFFF)
            else:
                yield self._string((value & 0x7FFFFFFF) + 2)  # past the hint
            offset += size

    def _directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        """(dll, function) pairs, dll in lower case; ordinals as '#N'."""
        found = []
        rva, _ = self._directory(IMPORT_DIRECTORY)
        if rva:
            offset = self._offset(rva)
            while True:
                lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, offset)
                if name == 0:
                    break
                dll = self._string(name).lower()
                found += [(dll, f) for f in self._thunks(lookup or first)]
                offset += 20
        rva, _ = self._directory(DELAY_IMPORT_DIRECTORY)
        if rva:
            offset = self._offset(rva)
            while True:
                _, name, _, _, lookup = struct.unpack_from("<IIIII", self.data, offset)[:5]
                if name == 0:
                    break
                dll = self._string(name).lower()
                found += [(dll, f) for f in self._thunks(lookup)]
                offset += 32
        return found


def load_table(path):
    """{(dll, function): (release, source)} from the tab-separated table."""
    table = {}
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#") or number == 1 and line.startswith("dll\t"):
                continue
            fields = line.split("\t")
            if len(fields) != 4 or not all(fields):
                raise PeError("%s:%d: expected dll, function, release and source" % (path, number))
            dll, function, release, source = fields
            if release not in RELEASES and release != UNESTABLISHED:
                raise PeError("%s:%d: unknown release '%s'" % (path, number, release))
            key = (dll.lower(), function)
            if key in table:
                raise PeError("%s:%d: %s!%s listed twice" % (path, number, dll, function))
            table[key] = (release, source)
    return table


def check(path, table, target=None, strict=False):
    """(problems as lines of text, none when it passes; the target; the number of imports;
    the imports accepted without an established release)."""
    with open(path, "rb") as f:
        image = PeImage(f.read())
    if target is None:
        if image.machine not in MACHINE_TARGETS:
            return ["unknown machine type 0x%X: give --target" % image.machine], None, 0, []
        target = MACHINE_TARGETS[image.machine]
    problems = []
    for what, version in (("operating-system", image.os_version), ("subsystem", image.subsystem_version)):
        if version > target:
            problems.append("header: %s version %s is above the target %s"
                            % (what, version_text(version), version_text(target)))
    imports = sorted(set(image.imports()))
    unestablished = []
    for dll, function in imports:
        entry = table.get((dll, function))
        if entry is not None and entry[0] == UNESTABLISHED:
            unestablished.append("%s!%s" % (dll, function))
            if strict:
                problems.append("%s!%s: its first release is not established (--strict)" % (dll, function))
        elif entry is None:
            problems.append("%s!%s: not in the table (find the first release that exports it)" % (dll, function))
        elif RELEASES[entry[0]] > target:
            problems.append("%s!%s: first in %s (%s), newer than the target %s (%s)"
                            % (dll, function, entry[0], version_text(RELEASES[entry[0]]),
                               version_text(target), entry[1]))
    return problems, target, len(imports), unestablished


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--table", default=os.path.join(here, "imports.tsv"))
    parser.add_argument("--target", type=parse_version, help="MAJOR.MINOR, e.g. 5.0")
    parser.add_argument("--strict", action="store_true",
                        help="refuse imports whose first release is not established")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args(argv)
    try:
        table = load_table(args.table)
    except (OSError, PeError) as error:
        print("check-imports: %s" % error, file=sys.stderr)
        return 2
    failed = False
    for path in args.programs:
        try:
            problems, target, count, unestablished = check(path, table, args.target, args.strict)
        except (OSError, PeError, struct.error, ValueError) as error:
            print("check-imports: %s: %s" % (path, error), file=sys.stderr)
            return 2
        if problems:
            failed = True
            print("%s: FAILED" % path)
            for problem in problems:
                print("  " + problem)
        else:
            print("%s: passed (%d imports, all in Windows %s or earlier)" % (path, count, version_text(target)))
        if unestablished and not args.strict:
            print("  %d accepted without an established first release: %s"
                  % (len(unestablished), " ".join(unestablished)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
