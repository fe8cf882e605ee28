"""zoble.exe beside the stand-in client as the cases use it, and what they
check of hostsim's records."""

from __future__ import annotations

from panel import OPTIONS, choose
from session import Program, Record, Session, fields


class Zoble:
    """zoble.exe started once hostsim has its windows (two Wine programs
    starting at once in a fresh prefix can race on the server)."""

    def __init__(self, session: Session, golden, hostsim_args):
        self.session, self.golden = session, golden
        self.sim = session.hostsim("--rooms", "Lobby", "--at", "330,40", *hostsim_args)
        self.process = session.start(session.build_dir / "zoble.exe")
        self.main = None

    def open(self, greeting: list[bytes] | None = None) -> None:
        """The splash, then a click on it; the panel shows only once the
        greeting (in code page 1252 unless given) is in, the splash hidden."""
        splash = self.session.window("Form2")
        assert self.sim.lines() == [], "nothing is posted before the click"
        self.session.click(*splash.middle())
        self.main = self.session.window("Form1")
        assert self.sim.lines() == (greeting or self.golden.greeting)
        assert self.session.shown("Form2") == [], "the splash hidden"

    def click(self, point: tuple[int, int]) -> None:
        self.session.click(*self.main.at(*point))

    def choose(self, item: str):
        menu = choose(self.session, self.process, self.main, item)
        assert (menu.x, menu.y) == self.main.at(*OPTIONS), "the menu opens at the pointer"
        return menu

    def ends_with_farewell(self, lines_before: int) -> None:
        assert self.process.wait_exit(60) == 0
        lines = self.sim.wait_lines(lines_before + 2)
        assert lines[lines_before:] == self.golden.greeting

    def describe(self, cls: str, title: str):
        """A top-level window's styles as another program sees them, and its
        direct children: (class, text, {"visible": 0/1, "icon": 0/1})."""
        first, *rest = self.session.probe("window", cls, title).output().splitlines()
        return fields(first), [(c, t, fields(f)) for c, t, f in (r.split("\t") for r in rest)]

    def watch(self, seconds: float) -> Program:
        """Asks the main window for an answer every 100 ms (tools/probe)."""
        return self.session.probe("watch", str(seconds))

    def shot(self, name: str) -> None:
        build = self.session.build_dir
        self.session.screenshot(build / "wine-shots" / f"zoble-{name}.png")


def line_records(sim) -> list[Record]:
    return [r for r in sim.records if r.event == "LINE"]


def assert_entries_whole(golden, records: list[Record]) -> None:
    """Every text set into the room's entry is a whole line, and Enter
    follows it directly: nothing torn, no Enter without its text."""
    whole = {v for k, v in vars(golden).items() if k.endswith("Line") and k != "ReasonLine"}
    sent = [r for r in records if r.window.endswith("/entry") and r.how == "sent"]
    assert len(sent) % 2 == 0, "an Enter is missing"
    for text, enter in zip(sent[::2], sent[1::2]):
        before, after = golden.ReasonLine
        assert text.event == "WM_SETTEXT"
        assert text.text in whole or (text.text.startswith(before) and text.text.endswith(after))
        assert (enter.event, enter.wparam) == ("WM_CHAR", 13)


def assert_answered_throughout(answered: dict[str, int], seconds: float) -> None:
    """zoble answered every question of the system within 1 s, repainted
    each time but now and then a sample, and the system never took it for
    hung. The probe looks again 100 ms after asking: on a loaded machine a
    paint can miss that now and then (one in a few hundred); a zoble that
    does not paint while it waits misses most."""
    assert (answered["hung"], answered["unanswered"]) == (0, 0), answered
    assert answered["unpainted"] <= answered["samples"] // 50, answered
    assert answered["worst_ms"] < 1000, answered
    assert answered["samples"] > seconds * 5, answered
