"""zoble-check.exe under Wine, as a user would run it: every check that
docs/conformance.md describes reports, in that order, none fails, and where
Wine is known to do otherwise than Windows the check says todo with its
reason; again under a UTF-8 and a double-byte system code page and at
120 dpi; and once with nowhere to print, where the report goes beside the
program and a box says so."""

from __future__ import annotations

import re
import shutil
from dataclasses import dataclass
from pathlib import Path

import pytest

from session import Session, prefix_processes, run, windows_path

DOCS = Path(__file__).resolve().parents[2] / "docs" / "conformance.md"
# What Wine does otherwise than Windows: exactly the report's todo lines,
# each with the start of its reason.
TODO = {
    "utf8_refuses_no_best_fit": "Wine takes WC_NO_BEST_FIT_CHARS for UTF-8",
    "box_on_top": "Wine does not put a box with MB_TOPMOST on top",
}
CODE_PAGE_CHECKS = ["code_pages_no_best_fit", "no_best_fit_gives_question_marks",
                    "utf8_refuses_no_best_fit", "utf8_system_code_page"]
LINE = re.compile(r"(\w+): (pass|FAIL|skip|todo|info)(?: \((.*)\))?")


@dataclass
class Report:
    header: dict[str, str]
    lines: dict[str, tuple[str, str]]  # name: (outcome, detail), in order
    summary: str
    code: int

    def names(self, outcome: str) -> set[str]:
        return {name for name, (o, _) in self.lines.items() if o == outcome}


def parse(text: str, code: int) -> Report:
    first, *rest, summary = text.splitlines()
    assert first.startswith("zoble-check 1.0.0 (win"), first
    header = dict(line[2:].split(": ", 1) for line in rest if line.startswith("# "))
    lines = {}
    for line in rest:
        if not line.startswith("# "):
            name, outcome, detail = LINE.fullmatch(line).groups()
            assert name not in lines, f"{name} twice"
            lines[name] = (outcome, detail or "")
    outcomes = [o for o, _ in lines.values()]
    assert summary == (f"summary: {len(lines)} checks, " + ", ".join(
        f"{outcomes.count(o)} {o}" for o in ("pass", "FAIL", "skip", "todo", "info")))
    assert code == outcomes.count("FAIL"), "the exit code is the failures"
    for name, (outcome, detail) in lines.items():
        assert outcome != "FAIL", f"{name}: {detail}"
        assert outcome not in ("skip", "todo") or detail, f"{name}: a {outcome} says why"
        if outcome == "todo":
            assert detail.startswith(TODO.get(name, "?")), f"{name}: {detail}"
    return Report(header, lines, summary, code)


def documented() -> list[str]:
    return re.findall(r"^### `(\w+)`$", DOCS.read_text(), re.M)


@pytest.fixture
def checked(build):
    """Runs zoble-check.exe in a session of its own: checked(*names,
    lang=..., dpi=...) -> its Report."""
    sessions = []

    def start(*names: str, lang: str = "C.UTF-8", dpi: int | None = None) -> Report:
        session = Session(build, lang=lang)
        sessions.append(session)
        if dpi:
            run(session.wine.command("reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                                     "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"),
                env=session.env, timeout=60)
        program = session.start(build / "zoble-check.exe", *names, stdout=True)
        code = program.wait_exit(300)
        return parse(program.popen.stdout.read().decode(), code)

    yield start
    for session in sessions:
        session.close()
        assert prefix_processes(session.prefix) == [], "a process of the session's prefix is left"


def test_every_check_reports_and_none_fails(checked):
    report = checked()
    assert list(report.lines) == documented(), "the checks are docs/conformance.md's, in order"
    assert report.names("todo") == set(TODO)
    assert report.header["wine"] != "no"
    assert report.header["code pages"].startswith("ANSI 1252")


@pytest.mark.parametrize("lang, code_page", [("hi_IN.UTF-8", 65001), ("ja_JP.UTF-8", 932)],
                         ids=["65001", "932"])
def test_in_another_system_code_page(checked, lang, code_page):
    report = checked(*CODE_PAGE_CHECKS, lang=lang)
    assert list(report.lines) == CODE_PAGE_CHECKS
    assert report.header["code pages"].startswith(f"ANSI {code_page},")
    assert report.lines["no_best_fit_gives_question_marks"][1].startswith(f"code page {code_page};")
    # The checks of a UTF-8 system code page run only where it is one.
    assert report.lines["utf8_system_code_page"][0] == ("pass" if code_page == 65001 else "skip")
    assert report.names("todo") == {"utf8_refuses_no_best_fit"}


def test_at_120_dpi(checked):
    report = checked("twips_at_this_dpi", dpi=120)
    assert report.header["dpi"].startswith("120,")
    assert report.lines["twips_at_this_dpi"] == ("pass", "at 120 dpi: Form1 181x75 Form2 246x184 "
                                                         "Form3 390x266")


def test_a_report_with_nowhere_to_print_goes_beside_the_program(session):
    # As from Explorer: started through `start`, with no standard handles.
    program = session.dir / "zoble-check.exe"
    shutil.copy2(session.build_dir / "zoble-check.exe", program)
    started = session.start("start", "/wait", "/unix", str(program), "clock")
    session.window("zoble-check")
    box = session.probe("window", "#32770", "zoble-check").output()
    report = session.dir / "zoble-check-report.txt"
    assert windows_path(report) in box
    session.key("Return")
    assert started.wait_exit(30) == 0
    text = report.read_bytes()
    assert text.count(b"\n") == text.count(b"\r\n"), "for Notepad"
    assert list(parse(text.decode(), 0).lines) == ["clock"]
