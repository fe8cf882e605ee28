#!/usr/bin/env python3
"""What a Windows build must be before anyone runs it: programs for the
build's processor that import only the system's own DLLs, and zoble.exe
with its version block, a manifest for its processor, its two pictures at
24 bits and its icon, within its size on i686, importing only functions on
the allow-list (imports.txt) and asking for no newer Windows than its build
promises, in a zip with a readme for Windows users.

    check_build.py BUILD_DIR win32|win64 OBJDUMP WINDRES

These hold on every host, so they also run where Wine cannot run the build.
The toolchain's own objdump and windres read the programs.
"""

from __future__ import annotations

import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

BUILD_DIR = Path()
ARCH = OBJDUMP = WINDRES = ""

FORMATS = {"win32": "pei-i386", "win64": "pei-x86-64"}
MANIFEST_ARCH = {"win32": "x86", "win64": "amd64"}
PROGRAMS = ["zoble.exe", "hostsim.exe", "post-line.exe", "post-sequences.exe", "reference.exe",
            "probe.exe"]
# Shipped with every Windows; a user installs nothing beside zoble.exe.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}

ALLOW_LIST = Path(__file__).with_name("imports.txt")
# The Windows the allow-list names, by NT version (what the PE header asks for).
WINDOWS = {"2000": (5, 0), "XP": (5, 1), "2003": (5, 2), "XP-x64": (5, 2), "Vista": (6, 0),
           "7": (6, 1), "8": (6, 2), "8.1": (6, 3), "10": (10, 0)}
# The oldest Windows each build starts on, as the README and the readme say.
PROMISE = {"win32": "2000", "win64": "XP-x64"}


def output(*command: str) -> str:
    return subprocess.run(command, check=True, capture_output=True, text=True,
                          errors="replace", timeout=60).stdout


class ProgramsTest(unittest.TestCase):
    def test_each_is_for_the_builds_processor_and_imports_only_system_dlls(self):
        for name in PROGRAMS:
            with self.subTest(program=name):
                headers = output(OBJDUMP, "-p", str(BUILD_DIR / name))
                self.assertEqual(re.findall(r"file format (\S+)", headers), [FORMATS[ARCH]])
                imports = {dll.lower() for dll in re.findall(r"DLL Name: (\S+)", headers)}
                self.assertIn("user32.dll", imports)
                self.assertLessEqual(imports, SYSTEM_DLLS)


def imports(headers: str) -> set[tuple[str, str]]:
    """(dll, function) for each function in objdump -p's import tables."""
    table = headers[headers.index("The Import Tables"):]
    table = re.split(r"^(?:The (?!Import)|PE File)", table, maxsplit=1, flags=re.M)[0]
    found, dll = set(), None
    for line in table.splitlines():
        if name := re.match(r"\s*DLL Name: (\S+)", line):
            dll = name[1].lower()
        elif dll and (member := re.match(r"\t[0-9a-f]+\t\s*(\d+)\s+(\S+)", line)):
            found.add((dll, member[2]))
    return found


def allow_list(build: str) -> dict[tuple[str, str], str]:
    """The oldest Windows of each function the build may import."""
    column = {"win32": 2, "win64": 3}[build]
    allowed, listed = {}, set()
    for number, line in enumerate(ALLOW_LIST.read_text().splitlines(), 1):
        fields = line.split("#", 1)[0].split()
        if not fields:
            continue
        where = f"{ALLOW_LIST.name}:{number}"
        if len(fields) != 4 or any(w not in WINDOWS and w != "-" for w in fields[2:]):
            raise ValueError(f"{where}: not 'DLL function WIN32 WIN64', each Windows one of "
                             f"{', '.join(WINDOWS)} or -")
        key = (fields[0].lower(), fields[1])
        if key in listed:
            raise ValueError(f"{where}: {key[0]} {key[1]} a second time")
        listed.add(key)
        if fields[column] != "-":
            allowed[key] = fields[column]
    return allowed


class OldestWindowsTest(unittest.TestCase):
    """zoble.exe starts on the oldest Windows its build promises: every
    function it imports is one that Windows has, by the allow-list, and its
    PE header asks for no newer one."""

    @classmethod
    def setUpClass(cls):
        cls.headers = output(OBJDUMP, "-p", str(BUILD_DIR / "zoble.exe"))
        cls.promise = PROMISE[ARCH]
        cls.allowed = allow_list(ARCH)

    def test_every_import_is_on_the_allow_list(self):
        imported = imports(self.headers)
        self.assertIn(("user32.dll", "SendMessageTimeoutA"), imported, "the import tables read")
        new = sorted(imported - self.allowed.keys())
        if new:
            self.fail(f"zoble.exe ({ARCH}) imports what tests/static/{ALLOW_LIST.name} does not "
                      "list:\n" + "".join(f"  {dll} {function}\n" for dll, function in new)
                      + "If zoble is meant to call it, add it there with the oldest Windows that "
                      f"has it; the {ARCH} build promises Windows {self.promise}.")
        unused = sorted(self.allowed.keys() - imported)
        if unused:  # worth a tidy-up, not a failure
            print(f"{ALLOW_LIST.name}: no longer imported by {ARCH}: "
                  + ", ".join(f"{dll} {function}" for dll, function in unused), file=sys.stderr)

    def test_no_listed_import_is_newer_than_the_promise(self):
        newer = sorted(f"  {dll} {function}: {oldest}\n"
                       for (dll, function), oldest in self.allowed.items()
                       if WINDOWS[oldest] > WINDOWS[self.promise])
        if newer:
            self.fail(f"tests/static/{ALLOW_LIST.name} lists for {ARCH} what Windows "
                      f"{self.promise} lacks:\n{''.join(newer)}zoble.exe would not start there.")

    def test_a_gui_program_for_the_promised_windows(self):
        def field(name: str, base: int = 10) -> int:
            return int(re.findall(rf"^{name}\s+(\S+)", self.headers, re.M)[0], base)

        self.assertEqual(field("Subsystem", 16), 2, "the GUI subsystem")
        for asked in ("OSystem", "Subsystem"):
            version = (field(f"Major{asked}Version"), field(f"Minor{asked}Version"))
            self.assertLessEqual(version, WINDOWS[self.promise],
                                 f"{asked}Version {version} is newer than Windows {self.promise}")


class ZobleTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The resources as an .rc script: version block and manifest in text.
        cls.rc = output(WINDRES, "-i", str(BUILD_DIR / "zoble.exe"), "-O", "rc")

    def value(self, key: str) -> list[str]:
        return re.findall(rf'VALUE "{key}", "([^"]*)"', self.rc)

    def test_version_block(self):
        self.assertEqual(re.findall(r"^ FILEVERSION (.*)$", self.rc, re.M), ["1, 0, 0, 0"])
        self.assertEqual(re.findall(r"^ PRODUCTVERSION (.*)$", self.rc, re.M), ["1, 0, 0, 0"])
        self.assertEqual(self.value("ProductName"), ["zoble"])
        self.assertEqual(self.value("InternalName"), ["zoble"])
        self.assertEqual(self.value("OriginalFilename"), ["zoble.exe"])

    def test_one_manifest_for_the_builds_processor(self):
        # windres writes a manifest (type 24) as quoted lines with "" for ".
        blocks = re.findall(r"/\* Type: 24\s+Name: (\d+)\.\s+\*/(.*?)(?:/\* Type:|\Z)", self.rc,
                            re.S)
        self.assertEqual([name for name, _ in blocks], ["1"], "one manifest, id 1")
        text = blocks[0][1].replace('""', '"')
        self.assertEqual(re.findall(r'processorArchitecture="([^"]*)"', text),
                         [MANIFEST_ARCH[ARCH]])
        self.assertIn('requestedExecutionLevel level="asInvoker"', text)


def resources(exe: Path) -> dict[tuple[int, int], bytes]:
    """zoble.exe's resources with numbers for type and name, by (type, name),
    as windres writes them into a .res file."""
    with tempfile.TemporaryDirectory() as scratch:
        res = Path(scratch) / "zoble.res"
        subprocess.run([WINDRES, "-i", str(exe), "-O", "res", "-o", str(res)], check=True,
                       capture_output=True, timeout=60)
        data = res.read_bytes()
    found = {}
    at = 0
    while at + 8 <= len(data):
        size, header = struct.unpack_from("<II", data, at)
        # A type or name is 0xFFFF and a number, or a string; zoble's are numbers.
        kind, type_id, name_kind, name_id = struct.unpack_from("<HHHH", data, at + 8)
        if kind == name_kind == 0xFFFF:
            found[(type_id, name_id)] = data[at + header:at + header + size]
        at += header + (size + 3) // 4 * 4
    return found


RT_ICON, RT_BITMAP, RT_GROUP_ICON = 3, 2, 14
# As zoble.rc numbers them.
ICON, MAIN_PICTURE, SPLASH_PICTURE = 1, 101, 102
# The size goal of the 32-bit program.
I686_LIMIT = 300 * 1024


class ZobleResourcesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.found = resources(BUILD_DIR / "zoble.exe")

    def image(self, data: bytes) -> tuple[int, int, int, int]:
        """Width, height, bits a pixel and compression of a DIB header."""
        header, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data)
        self.assertEqual(header, 40)
        return width, height, bits, compression

    def test_both_pictures_are_24_bit_in_their_sizes_with_every_pixel(self):
        for name, size in ((MAIN_PICTURE, (151, 94)), (SPLASH_PICTURE, (200, 150))):
            with self.subTest(picture=name):
                data = self.found[(RT_BITMAP, name)]
                width, height, bits, compression = self.image(data)
                self.assertEqual((width, height, bits, compression), (*size, 24, 0))
                stride = (width * 3 + 3) // 4 * 4
                self.assertGreaterEqual(len(data), 40 + stride * height)

    def test_the_icon_has_a_32_and_a_16_pixel_image_of_16_colours(self):
        _, kind, count = struct.unpack_from("<HHH", self.found[(RT_GROUP_ICON, ICON)])
        self.assertEqual((kind, count), (1, 2))
        sizes = []
        for i in range(count):
            width, height, colours, _, _, bits, _, image = struct.unpack_from(
                "<BBBBHHIH", self.found[(RT_GROUP_ICON, ICON)], 6 + 14 * i)
            self.assertEqual((width, height, colours, bits), (width, width, 16, 4))
            # An icon's DIB is twice as high: the colours, then the mask.
            self.assertEqual(self.image(self.found[(RT_ICON, image)]), (width, 2 * width, 4, 0))
            sizes.append(width)
        self.assertEqual(sizes, [32, 16])

    def test_zoble_exe_within_its_size(self):
        if ARCH != "win32":
            self.skipTest("the size goal is the 32-bit program's")
        self.assertLessEqual((BUILD_DIR / "zoble.exe").stat().st_size, I686_LIMIT)


class PackageTest(unittest.TestCase):
    def test_the_zip_holds_this_builds_zoble_and_a_readme_for_notepad(self):
        package = BUILD_DIR / f"zoble-1.0.0-{ARCH}.zip"
        self.assertTrue(package.is_file(), f"{package.name}: make it with --target package")
        with zipfile.ZipFile(package) as z:
            folder = f"zoble-1.0.0-{ARCH}/"
            self.assertEqual(sorted(z.namelist()), [folder + "readme.txt", folder + "zoble.exe"])
            self.assertTrue(z.read(folder + "zoble.exe") == (BUILD_DIR / "zoble.exe").read_bytes(),
                            f"{package.name} holds an older zoble.exe: make it again with "
                            "--target package")
            readme = z.read(folder + "readme.txt")
        self.assertNotRegex(readme, rb"@[A-Z_]+@", "every placeholder filled in")
        self.assertEqual(readme.count(b"\n"), readme.count(b"\r\n"))
        self.assertIn(ARCH.encode(), readme.splitlines()[0])


if __name__ == "__main__":
    if len(sys.argv) < 5 or sys.argv[2] not in FORMATS:
        sys.exit(__doc__.strip())
    BUILD_DIR, ARCH, OBJDUMP, WINDRES = Path(sys.argv[1]), *sys.argv[2:5]
    unittest.main(argv=[sys.argv[0], *sys.argv[5:]])
