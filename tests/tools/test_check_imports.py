"""The import check against small programs built for it (paths in PROBE_PLAIN, PROBE_NEWER)."""
import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.join(HERE, "..", "..", "tools", "check-imports.py")
TABLE = os.path.join(HERE, "..", "..", "tools", "imports.tsv")


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
        self.assertIn("header: subsystem version 6.0 is above the target", out)
        self.assertIn("header: operating-system version 6.0 is above the target", out)

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
                f.write("kernel32.dll\tBeep\tWindows 3.11\tsomewhere\n")
            code, out = run("--table", table, os.environ["PROBE_PLAIN"])
        self.assertEqual(code, 2, out)
        self.assertIn("unknown release 'Windows 3.11'", out)

    def test_a_file_that_is_no_program_is_an_error(self):
        code, out = run(TABLE)
        self.assertEqual(code, 2, out)
        self.assertIn("not a Windows program", out)


if __name__ == "__main__":
    unittest.main()
