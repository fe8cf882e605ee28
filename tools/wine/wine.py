#!/usr/bin/env python3
"""Which Wine runs which of our Windows builds on this host: the one place
that decides it, for the tests, the demo and the benchmarks.

    wine.py builds    prints the builds this host runs under Wine, then why

The i686 build needs Debian's 32-bit loader, which cannot start on a kernel
without 32-bit execution ("Exec format error"); the x86_64 build runs under
the 64-bit loader. Debian's `wine` wrapper always takes the 32-bit loader
once wine32 is installed, so each loader is called by its own path, and the
64-bit one is named in WINELOADER for the programs Wine starts itself.

ZOBLE_NO_WINE32=1 takes this host for one without 32-bit execution, so the
64-bit-only road can be tried on a host that has both.
"""

from __future__ import annotations

import os
import struct
import subprocess
import sys
from dataclasses import dataclass
from pathlib import Path
from typing import Callable

LOADERS = {"win32": "/usr/lib/wine/wine", "win64": "/usr/lib/wine/wine64"}

# IMAGE_FILE_HEADER.Machine of each build.
PE_MACHINES = {0x014C: "win32", 0x8664: "win64"}


@dataclass(frozen=True)
class Wine:
    """A Wine loader and the kind of prefix it runs programs in."""
    arch: str  # "win32" or "win64", also the prefix's WINEARCH

    @property
    def loader(self) -> str:
        return LOADERS[self.arch]

    def env(self) -> dict[str, str]:
        extra = {"WINEARCH": self.arch}
        if self.arch == "win64":
            extra["WINELOADER"] = self.loader
        return extra

    def command(self, program: str | Path, *args: str) -> list[str]:
        """The command line that runs a Windows program (or a Wine tool such
        as "reg" or "wineboot") under this loader."""
        return [self.loader, str(program), *args]


@dataclass(frozen=True)
class Plan:
    builds: list[str]  # the builds to run under Wine, in order
    reason: str        # one line: which and why


class NoWine(RuntimeError):
    """Neither Wine loader starts: a failure, never a reason to skip."""


def plan(starts: Callable[[str], bool], no_wine32: bool = False) -> Plan:
    """Every build whose loader starts here, in the order win32, win64."""
    runs = {arch: not (arch == "win32" and no_wine32) and starts(LOADERS[arch])
            for arch in LOADERS}
    builds = [arch for arch, ok in runs.items() if ok]
    if not builds:
        raise NoWine("neither Wine loader starts here: " + ", ".join(LOADERS.values()))
    if len(builds) == 2:
        return Plan(builds, "Wine runs win32 and win64 here: both Wine loaders start")
    if builds == ["win64"]:
        why = ("ZOBLE_NO_WINE32 is set" if no_wine32
               else f"{LOADERS['win32']} does not start (no 32-bit execution on this host)")
        return Plan(builds, f"Wine runs win64 only here: {why}; win32 is built and checked "
                            "statically")
    return Plan(builds, f"Wine runs win32 only here: {LOADERS['win64']} does not start; "
                        "win64 is built and checked statically")


def loader_starts(loader: str) -> bool:
    """Whether `loader --version` runs: cheap, and fails with "Exec format
    error" where the kernel cannot run the loader."""
    try:
        return subprocess.run([loader, "--version"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=30).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def host_plan() -> Plan:
    return plan(loader_starts, os.environ.get("ZOBLE_NO_WINE32", "") not in ("", "0"))


def pe_arch(program: str | Path) -> str:
    """The build a Windows program belongs to, from its PE header."""
    with open(program, "rb") as f:
        header = f.read(4096)
    if header[:2] != b"MZ":
        raise ValueError(f"{program} is not a Windows program")
    (pe,) = struct.unpack_from("<I", header, 0x3C)
    if header[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{program} has no PE header")
    (machine,) = struct.unpack_from("<H", header, pe + 4)
    if machine not in PE_MACHINES:
        raise ValueError(f"{program} is for machine 0x{machine:04x}")
    return PE_MACHINES[machine]


def for_build(build_dir: str | Path) -> Wine:
    """The Wine that runs the programs of a build directory."""
    return Wine(pe_arch(Path(build_dir) / "zoble.exe"))


def main(argv: list[str]) -> int:
    if argv[1:] != ["builds"]:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        chosen = host_plan()
    except NoWine as e:
        print(f"wine: {e}", file=sys.stderr)
        return 1
    print(" ".join(chosen.builds))
    print(chosen.reason)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
