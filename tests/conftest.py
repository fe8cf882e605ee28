"""What the Python suites share: the builds under test (--build DIR, once per
build; every case that takes `build` runs for each, named win32 or win64),
the session code in tools/wine, and the announcement lines of lines.txt."""

from __future__ import annotations

import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools" / "wine"))

from wine import pe_arch  # noqa: E402


def pytest_addoption(parser):
    parser.addoption("--build", action="append", default=[], metavar="DIR",
                     help="a build directory to test (build/win32, build/win64); repeatable")


def pytest_generate_tests(metafunc):
    if "build" in metafunc.fixturenames:
        dirs = [Path(d).resolve() for d in metafunc.config.getoption("build")]
        if not dirs:
            raise pytest.UsageError("name the builds to test: --build build/win32 ...")
        metafunc.parametrize("build", dirs, ids=[pe_arch(d / "zoble.exe") for d in dirs])


class Lines:
    """The lines as the room receives them in code page 1252, by their names
    in lines.txt; ReasonLine is the two runs around a reason."""

    def __init__(self, path: Path):
        for line in path.read_text().splitlines():
            if line and not line.startswith("#"):
                name, *runs = line.split()
                setattr(self, name, [bytes.fromhex(run) for run in runs])
        for name, runs in list(vars(self).items()):
            if name != "ReasonLine":
                setattr(self, name, runs[0])
        self.greeting = [self.BannerLine, self.BannerLinkLine]

    def reason(self, text: bytes) -> bytes:
        return text.join(self.ReasonLine)


@pytest.fixture(scope="session")
def golden() -> Lines:
    return Lines(Path(__file__).with_name("lines.txt"))
