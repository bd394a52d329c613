"""The manifests built into the shipped programs (folders in DIST_DIRS, separated by ';')."""
import os
import runpy
import struct
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
# The import check's PE reader, taken from the tool's own file.
PeImage = runpy.run_path(os.path.join(HERE, "..", "..", "tools", "check-imports.py"))["PeImage"]

RESOURCE_DIRECTORY = 2
RT_MANIFEST = 24
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"


def embedded_manifest(path):
    """The text of the program's RT_MANIFEST resource 1 (its first language)."""
    with open(path, "rb") as f:
        pe = PeImage(f.read())
    root_rva, _ = pe._directory(RESOURCE_DIRECTORY)
    if not root_rva:
        raise AssertionError("%s has no resources" % path)
    base = pe._offset(root_rva)

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", pe.data, offset + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", pe.data, offset + 16 + 8 * i)
            yield ident, target

    def child(offset, wanted=None):
        for ident, target in entries(offset):
            if wanted is None or ident == wanted:
                return target
        raise AssertionError("%s: resource %s not found" % (path, wanted))

    by_name = base + (child(base, RT_MANIFEST) & 0x7FFFFFFF)
    by_language = base + (child(by_name, 1) & 0x7FFFFFFF)
    data_entry = base + child(by_language)
    rva, size = struct.unpack_from("<II", pe.data, data_entry)
    start = pe._offset(rva)
    return pe.data[start:start + size].decode("utf-8")


def programs():
    for folder in filter(None, os.environ.get("DIST_DIRS", "").split(";")):
        for name in ("Murivale.exe", "Tessaban.exe"):
            yield os.path.join(folder, name)


class Manifests(unittest.TestCase):
    def test_programs_are_found(self):
        found = [p for p in programs() if os.path.isfile(p)]
        self.assertTrue(found, "no programs in DIST_DIRS=%r" % os.environ.get("DIST_DIRS"))

    def test_dpi_awareness_is_the_systems_on_every_windows(self):
        # The layouts follow the DPI read at start-up and no later change, so the programs must
        # not claim per-monitor awareness (the system would then leave them at the wrong size
        # on a monitor of another scale).
        for path in programs():
            with self.subTest(program=path):
                settings = ET.fromstring(embedded_manifest(path)).iter()
                values = {e.tag: (e.text or "").strip() for e in settings}
                self.assertEqual(values.get(SETTINGS_2005 + "dpiAware"), "true")
                self.assertEqual(values.get(SETTINGS_2016 + "dpiAwareness", "").lower(), "system")

    def test_manifest_names_this_program(self):
        for path in programs():
            with self.subTest(program=path):
                root = ET.fromstring(embedded_manifest(path))
                identity = root.find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
                program = os.path.splitext(os.path.basename(path))[0]
                self.assertTrue(identity.get("name").endswith("." + program), identity.get("name"))

    def test_manifest_carries_the_version_of_the_version_header(self):
        numbers = {}
        with open(os.path.join(HERE, "..", "..", "resources", "version.h")) as header:
            for line in header:
                parts = line.split()
                if len(parts) == 3 and parts[0] == "#define" and parts[2].isdigit():
                    numbers[parts[1]] = parts[2]
        expected = ".".join(numbers["MURIVALE_VERSION_" + p] for p in ("MAJOR", "MINOR", "PATCH")) + ".0"
        for path in programs():
            with self.subTest(program=path):
                root = ET.fromstring(embedded_manifest(path))
                identity = root.find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
                self.assertEqual(identity.get("version"), expected)


if __name__ == "__main__":
    unittest.main()
