#!/usr/bin/env python3
"""Holds each shipped program to the oldest Windows its build is for.

    tools/check-imports.py [--table FILE] [--table98 FILE] [--target VERSION] PROGRAM.exe...
    tools/check-imports.py [--table98 FILE] --objects LIBRARY.a|OBJECT.obj...

Windows' loader refuses to start a program one of whose imported functions its system DLLs do
not export, and Wine cannot show this: it exports every function whatever version it emulates.
So every function a program imports (by name or ordinal, directly or delay-loaded) is looked up
in tools/imports.tsv, which gives the first Windows release that exports it and where that is
documented. A program fails the check when

  - it imports a function the table does not list (find the release and add it, with its source),
  - it imports a function first exported by a release newer than its target,
  - its header asks for an operating-system or subsystem version above what its oldest
    Windows accepts (4.0 for 32-bit programs, which also start on Windows 98 SE and Me; the
    target for 64-bit ones).

A table line whose release is "unestablished" names a function whose first release no source
found so far states, with the best evidence there is (usually that the system headers declare
it with no version guard). Such imports are accepted but always listed, so that the gap stays
in sight; --strict refuses them too.

The target is the build's oldest NT release: 5.0 (Windows 2000) for 32-bit programs, 5.2
(Windows XP x64 / Server 2003) for 64-bit ones; --target overrides it (and the header limit) for
every program named, which are then not held to Windows 98.

32-bit programs are also held to Windows 98 SE and Me. The authority for those systems is the
table of the 98 test shim (tests/win98/table.tsv: for each function its status on 98 SE and Me,
yes / stub / no, and its source). tools/imports.tsv repeats the 98 SE status and source of each
of its rows (columns "win98se" and "win98se source") so that it reads whole; the check refuses
to run when the two tables disagree on a row. A 32-bit program fails when it imports a function
that 98 SE or Me does not export (the 98 loader would refuse to start it), or one the shim's
table does not know. Imports that are only stubs on 98 (exported, but failing with
ERROR_CALL_NOT_IMPLEMENTED: nearly every W function) are listed; they are allowed, but only
from the dispatch layer, which picks the A form on 98. That is what --objects checks: it reads
the undefined symbols of static libraries and object files (nm; $NM or i686-w64-mingw32-nm)
and fails on every object outside DISPATCH_UNITS that references a 98 stub, and on every
object that references a function 98 does not export at all, naming the object and function.

Exit status 0 when every program (or object) passes, 1 when one fails, 2 on a usage or file
error (including the two tables disagreeing).
"""

import argparse
import os
import re
import struct
import subprocess
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

I386, AMD64 = 0x014C, 0x8664
# Per machine: the oldest NT release the imports are held to, the highest header version its
# oldest Windows accepts, and whether Windows 98 SE / Me are held too.
MACHINE_TARGETS = {I386: (5, 0), AMD64: (5, 2)}
HEADER_LIMITS = {I386: (4, 0), AMD64: (5, 2)}  # 98's loader: subsystem 3.x or 4.0 only
WIN9X_MACHINES = {I386}

# The source units allowed to call functions that are only stubs on Windows 98: the dispatch
# layer, which calls the A form there. Object names as the build makes them (archive members
# are named by their file name alone).
DISPATCH_UNITS = ("WinCalls.cpp.obj",)

# The 98 test shim's table, the authority for the 98 SE and Me columns.
TABLE98 = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "win98", "table.tsv")
WIN9X_STATUSES = ("yes", "stub", "no")

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
    """{(dll, function): (release, source, win98se, win98se source)} from the tab-separated
    table."""
    table = {}
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#") or number == 1 and line.startswith("dll\t"):
                continue
            fields = line.split("\t")
            if len(fields) != 6 or not all(fields):
                raise PeError("%s:%d: expected dll, function, release, source, win98se and its source"
                              % (path, number))
            dll, function, release, source, win98se, win98se_source = fields
            if release not in RELEASES and release != UNESTABLISHED:
                raise PeError("%s:%d: unknown release '%s'" % (path, number, release))
            if win98se not in WIN9X_STATUSES:
                raise PeError("%s:%d: win98se is '%s', not one of %s"
                              % (path, number, win98se, "/".join(WIN9X_STATUSES)))
            key = (dll.lower(), function)
            if key in table:
                raise PeError("%s:%d: %s!%s listed twice" % (path, number, dll, function))
            table[key] = (release, source, win98se, win98se_source)
    return table


class Win9xTable:
    """The 98 test shim's table: {(dll, function): (win98se, winme, source)}; a function "*"
    stands for the rest of the DLL."""

    def __init__(self, path):
        self.path = path
        self.rows = {}
        header = None
        with open(path, encoding="utf-8") as lines:
            for number, line in enumerate(lines, 1):
                line = line.rstrip("\n")
                if not line or line.startswith("#"):
                    continue
                fields = line.split("\t")
                if header is None:
                    header = fields
                    continue
                if len(fields) != len(header):
                    raise PeError("%s:%d: %d fields, want %d" % (path, number, len(fields), len(header)))
                row = dict(zip(header, fields))
                win98se, winme = row["win98se"], row["winme"] or row["win98se"]
                if win98se not in WIN9X_STATUSES or winme not in WIN9X_STATUSES:
                    raise PeError("%s:%d: unknown status" % (path, number))
                self.rows[(row["dll"].lower(), row["function"])] = (win98se, winme, row["source"])
        if header is None:
            raise PeError("%s: empty" % path)
        # Function name alone, for object files (their symbols do not name the DLL).
        self.by_name = {}
        for (dll, function), row in self.rows.items():
            if function != "*":
                self.by_name.setdefault(function, []).append((dll, row))

    def get(self, dll, function):
        """(win98se, winme, source) or None when the table does not know the function."""
        return self.rows.get((dll, function)) or self.rows.get((dll, "*"))

    def cross_check(self, table):
        """Lines naming every row of tools/imports.tsv whose 98 SE column differs from here."""
        problems = []
        for (dll, function), (_, _, win98se, win98se_source) in sorted(table.items()):
            row = self.get(dll, function)
            if row is None:
                problems.append("%s!%s: in imports.tsv, not in %s" % (dll, function, self.path))
            elif (win98se, win98se_source) != (row[0], row[2]):
                problems.append("%s!%s: imports.tsv says %s (%s), %s says %s (%s)"
                                % (dll, function, win98se, win98se_source, self.path, row[0], row[2]))
        return problems


def win9x_status(row):
    """"no" when 98 SE or Me does not export the function, else "stub" when either only has a
    stub, else "yes"; with the systems concerned."""
    win98se, winme = row[0], row[1]
    for status in ("no", "stub"):
        systems = [name for name, s in (("98 SE", win98se), ("Me", winme)) if s == status]
        if systems:
            return status, " and ".join(systems)
    return "yes", ""


def check(path, table, target=None, strict=False, table98=None):
    """(problems as lines of text, none when it passes; the target; the number of imports;
    the imports accepted without an established release; the imports that are 98 stubs, or
    None when the program is not held to 98)."""
    with open(path, "rb") as f:
        image = PeImage(f.read())
    held98 = target is None and image.machine in WIN9X_MACHINES  # --target names an NT release
    if target is None:
        if image.machine not in MACHINE_TARGETS:
            return ["unknown machine type 0x%X: give --target" % image.machine], None, 0, [], None
        target = MACHINE_TARGETS[image.machine]
        header_limit = HEADER_LIMITS[image.machine]
    else:
        header_limit = target
    problems = []
    for what, version in (("operating-system", image.os_version), ("subsystem", image.subsystem_version)):
        if version > header_limit:
            problems.append("header: %s version %s is above %s, the highest its oldest Windows accepts"
                            % (what, version_text(version), version_text(header_limit)))
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
    stubs = None  # not held to 98
    if table98 is not None and held98:
        stubs = []
        for dll, function in imports:
            row = table98.get(dll, function)
            if row is None:
                problems.append("%s!%s: not known for Windows 98 SE / Me (add its row, with a source, to %s)"
                                % (dll, function, table98.path))
                continue
            status, systems = win9x_status(row)
            if status == "no":
                problems.append("%s!%s: not exported by Windows %s, whose loader would refuse the program (%s)"
                                % (dll, function, systems, row[2]))
            elif status == "stub":
                stubs.append("%s!%s" % (dll, function))
    return problems, target, len(imports), unestablished, stubs


def undefined_symbols(paths, nm):
    """{(file, member or None): set of undefined symbols} for archives and object files."""
    found = {}
    for path in paths:
        try:
            done = subprocess.run([nm, "-A", "-u", path], capture_output=True, text=True)
        except OSError as error:
            raise PeError("cannot run %s: %s" % (nm, error))
        if done.returncode != 0:
            raise PeError("%s %s: %s" % (nm, path, done.stderr.strip() or "failed"))
        for line in done.stdout.splitlines():
            # "lib.a:member.obj:         U symbol" or "object.obj:         U symbol"
            where, _, rest = line.rpartition(": ")
            fields = rest.split()
            if len(fields) != 2 or fields[0] != "U" or not where:
                continue
            member = None
            if where.startswith(path + ":"):
                member = where[len(path) + 1:]
            found.setdefault((path, member), set()).add(fields[1])
    return found


DECORATED = re.compile(r"^(?:__imp_)?_([A-Za-z_][A-Za-z0-9_]*?)(?:@\d+)?$")


def function_of(symbol):
    """The function an x86 symbol refers to (__imp__Name@N, _Name@N, __imp___name), or None."""
    match = DECORATED.match(symbol)
    return match.group(1) if match else None


def check_objects(paths, table98, nm):
    """(problems, objects read): each object outside DISPATCH_UNITS that references a 98 stub,
    and each object that references a function 98 SE or Me does not export."""
    problems = []
    symbols = undefined_symbols(paths, nm)
    for (path, member), names in sorted(symbols.items(), key=lambda item: (item[0][0], item[0][1] or "")):
        unit = member or os.path.basename(path)
        where = "%s(%s)" % (path, member) if member else path
        dispatch = unit in DISPATCH_UNITS
        for symbol in sorted(names):
            function = function_of(symbol)
            for dll, row in table98.by_name.get(function, ()):
                status, systems = win9x_status(row)
                if status == "no":
                    problems.append("%s: %s!%s is not exported by Windows %s: look it up at run time (%s)"
                                    % (where, dll, function, systems, row[2]))
                elif status == "stub" and not dispatch:
                    problems.append("%s: %s!%s is only a stub on Windows %s: call it through the dispatch "
                                    "layer (%s), which uses the A form there"
                                    % (where, dll, function, systems, ", ".join(DISPATCH_UNITS)))
    return problems, len(symbols)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--table", default=os.path.join(here, "imports.tsv"))
    parser.add_argument("--table98", default=os.path.normpath(TABLE98),
                        help="the 98 test shim's table (default tests/win98/table.tsv)")
    parser.add_argument("--target", type=parse_version, help="MAJOR.MINOR, e.g. 5.0")
    parser.add_argument("--strict", action="store_true",
                        help="refuse imports whose first release is not established")
    parser.add_argument("--objects", action="store_true",
                        help="the files named are static libraries and objects of the 32-bit build: "
                             "hold their references to 98 stubs to the dispatch layer")
    parser.add_argument("files", nargs="+", metavar="PROGRAM")
    args = parser.parse_args(argv)
    try:
        table98 = Win9xTable(args.table98)
        table = None if args.objects else load_table(args.table)
    except (OSError, PeError, KeyError) as error:
        print("check-imports: %s" % error, file=sys.stderr)
        return 2
    if args.objects:
        nm = os.environ.get("NM", "i686-w64-mingw32-nm")
        try:
            problems, count = check_objects(args.files, table98, nm)
        except PeError as error:
            print("check-imports: %s" % error, file=sys.stderr)
            return 2
        if problems:
            print("objects: FAILED (%d references to 98 stubs outside the dispatch layer, or to "
                  "functions 98 lacks)" % len(problems))
            for problem in problems:
                print("  " + problem)
            return 1
        print("objects: passed (%d objects with undefined symbols; 98 stubs only from %s)"
              % (count, ", ".join(DISPATCH_UNITS)))
        return 0
    disagreements = table98.cross_check(table)
    if disagreements:
        print("check-imports: %s and %s disagree on Windows 98 SE:" % (args.table, args.table98), file=sys.stderr)
        for line in disagreements:
            print("  " + line, file=sys.stderr)
        return 2
    failed = False
    for path in args.files:
        try:
            problems, target, count, unestablished, stubs = check(path, table, args.target, args.strict, table98)
        except (OSError, PeError, struct.error, ValueError) as error:
            print("check-imports: %s: %s" % (path, error), file=sys.stderr)
            return 2
        if problems:
            failed = True
            print("%s: FAILED" % path)
            for problem in problems:
                print("  " + problem)
        else:
            print("%s: passed (%d imports, all in Windows %s or earlier%s)"
                  % (path, count, version_text(target), "" if stubs is None else ", and exported by 98 SE and Me"))
        if unestablished and not args.strict:
            print("  %d accepted without an established first release: %s"
                  % (len(unestablished), " ".join(unestablished)))
        if stubs:
            print("  %d are only stubs on Windows 98 SE / Me (allowed from the dispatch layer alone; "
                  "--objects checks that): %s" % (len(stubs), " ".join(stubs)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
