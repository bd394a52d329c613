"""Fails when a library needs a symbol that only a library of its own row or a row above defines.

    check_layers.py NM ROW [ROW ...]

Each ROW is a comma-separated list of static libraries, bottom row first. A library may use
what the rows below it define, and what it defines itself; a symbol that it leaves undefined and
that a library of its own row or of a higher row defines is a dependency the wrong way (the kind
of reference that makes archives need each other on the link line).
"""
import os
import subprocess
import sys


def symbols(nm, library, which):
    out = subprocess.run([nm, "-g", which, library], check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 2 and not line.endswith(":"):
            names.add(parts[-1])
    return names


def main(argv):
    nm, rows = argv[1], [row.split(",") for row in argv[2:]]
    defined = {lib: symbols(nm, lib, "--defined-only") for row in rows for lib in row}
    failures = []
    for level, row in enumerate(rows):
        for lib in row:
            needed = symbols(nm, lib, "--undefined-only") - defined[lib]
            for other_row in rows[level:]:
                for other in other_row:
                    if other == lib:
                        continue
                    for name in sorted(needed & defined[other]):
                        failures.append("%s uses %s from %s" % (os.path.basename(lib), name,
                                                                os.path.basename(other)))
    report = "\n".join(failures)
    try:  # readable names where the host's demangler knows the scheme (both compilers' do)
        report = subprocess.run(["c++filt"], input=report, check=True, capture_output=True,
                                text=True).stdout.rstrip("\n")
    except (OSError, subprocess.CalledProcessError):
        pass
    if report:
        print(report)
    if failures:
        print("%d references go up or across the rows" % len(failures))
        return 1
    print("no library uses one of its own row or above (%d libraries)" % len(defined))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
