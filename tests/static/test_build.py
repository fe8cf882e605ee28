"""What a Windows build must be before anyone runs it, read from the built
files with the toolchain's own objdump and windres: so these hold on every
host, also where Wine cannot run the build."""

from __future__ import annotations

import re
import struct
import subprocess
import zipfile
from pathlib import Path

import pytest

from wine import pe_arch

TOOLS = {"win32": "i686-w64-mingw32-", "win64": "x86_64-w64-mingw32-"}
FORMATS = {"win32": "pei-i386", "win64": "pei-x86-64"}
# Shipped with every Windows: a user installs nothing beside zoble.exe.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
               "advapi32.dll"}
# NT versions of the Windows that imports.txt names.
WINDOWS = {"2000": (5, 0), "XP": (5, 1), "2003": (5, 2), "XP-x64": (5, 2), "Vista": (6, 0),
           "7": (6, 1), "8": (6, 2), "8.1": (6, 3), "10": (10, 0)}
# The oldest Windows each build starts on, as the README and the readme say.
PROMISE = {"win32": "2000", "win64": "XP-x64"}
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
# The programs in the zip, and the lists of what each may import.
SHIPPED = {"zoble.exe": ["imports.txt"], "zoble-check.exe": ["imports.txt", "check-imports.txt"]}


def tool(build: Path, name: str, *args) -> bytes:
    command = [TOOLS[pe_arch(build / "zoble.exe")] + name, *map(str, args)]
    return subprocess.run(command, check=True, capture_output=True, timeout=60).stdout


def headers(build: Path, program: str = "zoble.exe") -> str:
    return tool(build, "objdump", "-p", build / program).decode(errors="replace")


def imports(text: str) -> set[tuple[str, str]]:
    """(dll, function) of each function in objdump -p's import tables."""
    table = text[text.index("The Import Tables"):]
    table = re.split(r"^(?:The (?!Import)|PE File)", table, maxsplit=1, flags=re.M)[0]
    found, dll = set(), None
    for line in table.splitlines():
        if name := re.match(r"\s*DLL Name: (\S+)", line):
            dll = name[1].lower()
        elif dll and (member := re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)", line)):
            found.add((dll, member[1]))
    return found


def resources(build: Path, tmp_path: Path, program: str = "zoble.exe") -> dict[tuple[int, int], bytes]:
    """A program's resources numbered by type and name, read from the .res
    file that windres makes of it."""
    tool(build, "windres", "-i", build / program, "-O", "res", "-o", tmp_path / "program.res")
    data, found, at = (tmp_path / "program.res").read_bytes(), {}, 0
    while at + 16 <= len(data):
        size, header, kind, type_id, name_kind, name_id = struct.unpack_from("<IIHHHH", data, at)
        if kind == name_kind == 0xFFFF:  # numbers, not strings
            found[(type_id, name_id)] = data[at + header:at + header + size]
        at += header + (size + 3) // 4 * 4
    return found


def dib(data: bytes) -> tuple[int, int, int, int]:
    """Width, height, bits a pixel and compression of a DIB header."""
    size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data)
    assert size == 40
    return width, height, bits, compression


@pytest.mark.parametrize("program", [*SHIPPED, "hostsim.exe", "probe.exe", "reference.exe"])
def test_for_the_processor_with_system_dlls_only(build, program):
    text = headers(build, program)
    assert re.findall(r"file format (\S+)", text) == [FORMATS[pe_arch(build / "zoble.exe")]]
    dlls = {dll.lower() for dll in re.findall(r"DLL Name: (\S+)", text)}
    assert "user32.dll" in dlls and dlls <= SYSTEM_DLLS


@pytest.mark.parametrize("program", SHIPPED)
def test_imports_are_listed_and_no_newer_than_the_promise(build, program):
    arch = pe_arch(build / "zoble.exe")
    promise = WINDOWS[PROMISE[arch]]
    allowed = {}
    for listed in SHIPPED[program]:
        for line in Path(__file__).with_name(listed).read_text().splitlines():
            if fields := line.split("#", 1)[0].split():
                allowed[(fields[0].lower(), fields[1])] = fields[2 if arch == "win32" else 3]
    imported = imports(headers(build, program))
    assert ("user32.dll", "SendMessageTimeoutA") in imported, "the import tables read"
    wrong = sorted(f"{dll} {fn}: {allowed.get((dll, fn), 'not listed')}" for dll, fn in imported
                   if WINDOWS.get(allowed.get((dll, fn)), (99, 0)) > promise)
    assert wrong == [], (f"{program} ({arch}) imports what Windows {PROMISE[arch]} may lack by "
                         f"tests/static/{SHIPPED[program][-1]}; list a function there with the "
                         "oldest Windows that has it")


@pytest.mark.parametrize("program", SHIPPED)
def test_a_gui_program_for_the_promised_windows(build, program):
    text = headers(build, program)

    def field(name: str) -> int:
        return int(re.findall(rf"^{name}\s+(\S+)", text, re.M)[0], 16 if name == "Subsystem" else 10)
    assert field("Subsystem") == 2, "the GUI subsystem"
    promise = WINDOWS[PROMISE[pe_arch(build / "zoble.exe")]]
    for asked in ("OSystem", "Subsystem"):
        assert (field(f"Major{asked}Version"), field(f"Minor{asked}Version")) <= promise, asked


@pytest.mark.parametrize("program", SHIPPED)
def test_one_manifest_for_the_processor(build, tmp_path, program):
    manifests = {name: data for (kind, name), data in resources(build, tmp_path, program).items()
                 if kind == RT_MANIFEST}
    assert list(manifests) == [1]
    text = manifests[1].decode()
    arch = {"win32": "x86", "win64": "amd64"}[pe_arch(build / "zoble.exe")]
    assert re.findall(r'processorArchitecture="([^"]*)"', text) == [arch]
    assert 'requestedExecutionLevel level="asInvoker"' in text
    # zoble-check carries zoble's own, so that Windows answers both alike.
    zobles = resources(build, tmp_path)[(RT_MANIFEST, 1)]
    assert manifests[1] == zobles


def test_icon_has_32_and_16_pixels_of_16_colours(build, tmp_path):
    found = resources(build, tmp_path)
    group = found[(RT_GROUP_ICON, 1)]
    assert struct.unpack_from("<HHH", group) == (0, 1, 2)
    sizes = []
    for i in range(2):
        width, height, colours, _, _, bits, _, image = struct.unpack_from("<BBBBHHIH", group,
                                                                          6 + 14 * i)
        assert (height, colours, bits) == (width, 16, 4)
        # An icon's DIB is twice as high: the colours, then the mask.
        assert dib(found[(RT_ICON, image)]) == (width, 2 * width, 4, 0)
        sizes.append(width)
    assert sizes == [32, 16]


def test_zip_holds_this_zoble_its_check_and_a_readme_for_notepad(build):
    folder = f"zoble-1.0.0-{pe_arch(build / 'zoble.exe')}"
    with zipfile.ZipFile(build / f"{folder}.zip") as package:
        assert sorted(package.namelist()) == [f"{folder}/{name}" for name in
                                              ["readme.txt", "zoble-check.exe", "zoble.exe"]]
        for program in SHIPPED:
            assert package.read(f"{folder}/{program}") == (build / program).read_bytes(), \
                f"an older {program}: make the package again (--target package)"
        readme = package.read(f"{folder}/readme.txt")
    assert readme.count(b"\n") == readme.count(b"\r\n") > 0
