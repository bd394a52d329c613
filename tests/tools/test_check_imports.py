"""The import check against small programs built for it (paths in PROBE_PLAIN, PROBE_NEWER),
and its object check against x86 objects compiled here."""
import importlib.util
import os
import runpy
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.join(HERE, "..", "..", "tools", "check-imports.py")
TABLE = os.path.join(HERE, "..", "..", "tools", "imports.tsv")
TABLE98 = os.path.join(HERE, "..", "win98", "table.tsv")
CHECK = runpy.run_path(TOOL)
X86_CC = shutil.which("i686-w64-mingw32-gcc-win32") or shutil.which("i686-w64-mingw32-gcc")


def machine(path):
    with open(path, "rb") as f:
        return CHECK["PeImage"](f.read()).machine


def run(*args):
    done = subprocess.run([sys.executable, TOOL] + list(args), capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


class ImportCheck(unittest.TestCase):
    def test_the_runtime_start_up_alone_passes(self):
        code, out = run(os.environ["PROBE_PLAIN"])
        self.assertEqual(code, 0, out)
        self.assertIn("passed", out)

    def test_newer_unknown_and_header_are_each_refused(self):
        code, out = run(os.environ["PROBE_NEWER"])
        self.assertEqual(code, 1, out)
        self.assertRegex(out, r"kernel32\.dll!GetTickCount64: first in Windows Vista")
        self.assertIn("kernel32.dll!Beep: not in the table", out)
        self.assertIn("header: subsystem version 6.0 is above", out)
        self.assertIn("header: operating-system version 6.0 is above", out)
        if machine(os.environ["PROBE_NEWER"]) == CHECK["I386"]:
            # Not in 98 SE's kernel32 either: its loader would refuse the program.
            self.assertRegex(out, r"kernel32\.dll!GetTickCount64: not exported by Windows 98 SE")

    def test_a_later_target_accepts_what_it_has(self):
        # With Vista as the target, only the function missing from the table is left.
        code, out = run("--target", "6.0", os.environ["PROBE_NEWER"])
        self.assertEqual(code, 1, out)
        self.assertNotIn("GetTickCount64", out)
        self.assertNotIn("header:", out)
        self.assertIn("Beep: not in the table", out)

    def test_a_table_line_with_an_unknown_release_is_an_error(self):
        with tempfile.TemporaryDirectory() as folder:
            table = os.path.join(folder, "imports.tsv")
            shutil.copy(TABLE, table)
            with open(table, "a", encoding="utf-8") as f:
                f.write("kernel32.dll\tBeep\tWindows 3.11\tsomewhere\tyes\tsomewhere\n")
            code, out = run("--table", table, os.environ["PROBE_PLAIN"])
        self.assertEqual(code, 2, out)
        self.assertIn("unknown release 'Windows 3.11'", out)

    def test_the_header_of_a_32_bit_program_is_held_to_4_0(self):
        # The 32-bit build also starts on 98, whose loader takes subsystem 4.0 at most; a
        # 64-bit one is held to its target, 5.2.
        code, out = run(os.environ["PROBE_PLAIN"])
        self.assertEqual(code, 0, out)
        with open(os.environ["PROBE_PLAIN"], "rb") as f:
            image = CHECK["PeImage"](f.read())
        limit = (4, 0) if image.machine == CHECK["I386"] else (5, 2)
        self.assertEqual(image.subsystem_version, limit)
        self.assertEqual(image.os_version, limit)

    def test_the_98_column_must_agree_with_the_shims_table(self):
        with tempfile.TemporaryDirectory() as folder:
            table = os.path.join(folder, "imports.tsv")
            with open(TABLE, encoding="utf-8") as f:
                lines = f.read().split("\n")
            row = next(i for i, line in enumerate(lines) if line.startswith("user32.dll\tCreateWindowExW\t"))
            fields = lines[row].split("\t")
            self.assertEqual(fields[4], "stub")
            fields[4] = "yes"
            lines[row] = "\t".join(fields)
            with open(table, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            code, out = run("--table", table, os.environ["PROBE_PLAIN"])
        self.assertEqual(code, 2, out)
        self.assertIn("disagree on Windows 98 SE", out)
        self.assertIn("user32.dll!CreateWindowExW: imports.tsv says yes", out)

    def test_a_file_that_is_no_program_is_an_error(self):
        code, out = run(TABLE)
        self.assertEqual(code, 2, out)
        self.assertIn("not a Windows program", out)


@unittest.skipUnless(X86_CC, "no i686-w64-mingw32-gcc")
class ObjectCheck(unittest.TestCase):
    """--objects: references to 98 stubs are allowed from the dispatch unit alone."""

    SOURCE = (
        "#include <windows.h>\n"
        "HWND make(void) { return CreateWindowExW(0, L\"c\", L\"t\", 0, 0, 0, 1, 1, 0, 0, 0, 0); }\n"
        "int plain(void) { return lstrlenA(\"x\") + (int)GetTickCount(); }\n"
        "COLORREF dc(HDC d) { return SetDCBrushColor(d, 0); }\n"
    )

    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)
        source = os.path.join(self.folder, "calls.c")
        with open(source, "w") as f:
            f.write(self.SOURCE)
        # One object under the dispatch unit's name, one under another, each alone and in an
        # archive (whose members are named by file name).
        for name in ("WinCalls.cpp.obj", "Other.cpp.obj"):
            subprocess.run([X86_CC, "-c", "-D_WIN32_WINNT=0x0501", "-o", os.path.join(self.folder, name),
                            source], check=True)
        subprocess.run(["i686-w64-mingw32-ar", "rcs", os.path.join(self.folder, "libboth.a"),
                        os.path.join(self.folder, "WinCalls.cpp.obj"),
                        os.path.join(self.folder, "Other.cpp.obj")], check=True)

    def objects(self, *names):
        return run("--objects", *[os.path.join(self.folder, n) for n in names])

    def test_a_stub_is_refused_outside_the_dispatch_unit_and_named(self):
        code, out = self.objects("libboth.a")
        self.assertEqual(code, 1, out)
        self.assertRegex(out, r"libboth\.a\(Other\.cpp\.obj\): user32\.dll!CreateWindowExW is only a stub")
        self.assertNotRegex(out, r"WinCalls\.cpp\.obj\): user32\.dll!CreateWindowExW")
        # What 98 has is not mentioned; what it lacks is, in the dispatch unit too.
        self.assertNotIn("lstrlenA", out)
        self.assertNotIn("GetTickCount", out)
        self.assertRegex(out, r"WinCalls\.cpp\.obj\): gdi32\.dll!SetDCBrushColor is not exported")
        self.assertRegex(out, r"Other\.cpp\.obj\): gdi32\.dll!SetDCBrushColor is not exported")

    def test_loose_objects_are_named_by_their_path(self):
        code, out = self.objects("Other.cpp.obj")
        self.assertEqual(code, 1, out)
        self.assertIn(os.path.join(self.folder, "Other.cpp.obj") + ": user32.dll!CreateWindowExW", out)

    def test_the_dispatch_unit_alone_passes_when_it_uses_what_98_has(self):
        source = os.path.join(self.folder, "ok.c")
        with open(source, "w") as f:
            f.write(self.SOURCE.rsplit("COLORREF", 1)[0])
        subprocess.run([X86_CC, "-c", "-o", os.path.join(self.folder, "WinCalls.cpp.obj"), source], check=True)
        code, out = self.objects("WinCalls.cpp.obj")
        self.assertEqual(code, 0, out)
        self.assertIn("objects: passed", out)


if __name__ == "__main__":
    unittest.main()
