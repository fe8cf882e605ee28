"""zoble.exe as a person uses it: where to click on its windows, from their
designs (pixels at 96 dpi), and the steps of a session against the stand-in
client."""

from __future__ import annotations

import unittest

import catalogue as c
from harness import Session, XWindow, match, query_window

# Points on the main window, 145 x 60 pixels.
REASON_BOX = (60, 25)
CLOSE = (135, 8)
START = (22, 48)
STOP = (50, 48)
ADVERT = (90, 48)
OPTIONS = (125, 48)
DRAG_STRIP = (70, 8)
TITLE_LEFT_OF_STRIP = (30, 8)
TITLE_RIGHT_OF_STRIP = (109, 8)

MENU_ITEMS = ["ims on", "ims off", "about", "contact", "exit"]


def menu_item(menu: XWindow, item: str) -> tuple[int, int]:
    """The middle of an item's row in the open options menu: its rows share
    the menu's height inside a border of two pixels."""
    row = (menu.height - 4) / len(MENU_ITEMS)
    return menu.x + 30, int(menu.y + 2 + row * (MENU_ITEMS.index(item) + 0.5))


class Zoble:
    """zoble.exe and the stand-in client in one session."""

    def __init__(self, test: unittest.TestCase, session: Session, *hostsim_args: str,
                 rooms: str = "Lobby"):
        self.test = test
        self.session = session
        self.sim = session.start_hostsim("--rooms", rooms, "--at", "330,40", *hostsim_args)
        self.sim.wait_ready()
        self.process = session.start(session.build_dir / "zoble.exe")
        self.main = None

    # zoble's main window seen from another program (tools/probe).
    def probe(self, *args: str, timeout: float = 30) -> None:
        status = self.session.run_program(self.session.build_dir / "probe.exe", *args,
                                          timeout=timeout)
        self.test.assertEqual(status.code, 0, f"probe {' '.join(args)}")

    def describe(self, cls: str, title: str) -> tuple[dict[str, int], list[tuple[str, str, dict]]]:
        """A top-level window's styles as another program sees them, and its
        direct children: (class, text, {"visible": 0/1, "icon": 0/1})."""
        probe = self.session.start(self.session.build_dir / "probe.exe", "window", cls, title,
                                   capture_output=True)
        self.test.assertEqual(probe.wait_exit(30).code, 0, f"probe window {cls} {title}")
        first, *rest = probe.popen.stdout.read().decode("utf-8", "replace").splitlines()

        def fields(text: str) -> dict[str, int]:
            return {k: int(v, 0) for k, v in (f.split("=") for f in text.split())}
        children = []
        for line in rest:
            child_class, text, flags = line.split("\t")
            children.append((child_class, text, fields(flags)))
        return fields(first), children

    def set_reason(self, text: str) -> None:
        """Sets the reason box by a message, for texts too long or too foreign to type."""
        self.probe("settext", text.encode().hex())

    def start_watch(self, seconds: float):
        """Asks the main window for an answer every 100 ms for `seconds`;
        watch_result() tells the slowest answer, how often the system took
        it for hung, how many asks went unanswered for 1 s, and when the
        reason box's text first changed (ms after the probe started)."""
        return self.session.start(self.session.build_dir / "probe.exe", "watch", str(seconds),
                                  capture_output=True)

    def watch_result(self, watch) -> dict[str, int]:
        watch.wait_exit(60)
        out = watch.popen.stdout.read().decode()
        return {k: int(v) for k, v in (f.split("=") for f in out.split())}

    def shot(self, name: str) -> None:
        self.session.screenshot(self.session.build_dir / "wine-shots" / f"zoble-{name}.png")

    def lines(self) -> list[bytes]:
        return [r.text for r in self.sim.records if r.event == "LINE"]

    def wait_lines(self, count: int, timeout: float = 20) -> list[bytes]:
        """The room's lines once it has `count` of them."""
        while len(self.lines()) < count:
            self.sim.wait_for(match("LINE"), timeout)
        return self.lines()

    def open_main_window(self, greeting: list[bytes] = [c.BANNER, c.BANNER_LINK]) -> None:
        splash = self.session.wait_window("Form2")
        self.test.assertEqual(self.lines(), [], "nothing is posted before the click")
        self.session.click(*splash.at(splash.width // 2, splash.height // 2))
        self.main = self.session.wait_window("Form1")
        # Shown only after the greeting: both lines were in before it mapped.
        self.test.assertEqual([r.text for r in self.sim.take_available() if r.event == "LINE"],
                              greeting)
        self.test.assertFalse(self.session.wait_window("Form2", viewable=False).viewable)

    def click(self, point: tuple[int, int]) -> None:
        self.session.click(*self.main.at(*point))

    def choose(self, item: str) -> None:
        """Opens the options menu with a click and clicks one of its items."""
        self.click(OPTIONS)
        menu = self.session.wait_window(None)
        # The menu opens with its top-left corner at the pointer.
        self.test.assertEqual((menu.x, menu.y), self.main.at(*OPTIONS))
        self.session.click(*menu_item(menu, item))
        self.session.wait_window(None, viewable=False)

    def close(self, by_keyboard: bool = False,
              farewell: list[bytes] = [c.BANNER, c.BANNER_LINK]) -> None:
        """The close label (or Alt+F4): the farewell banner, then zoble ends
        by itself."""
        before = len(self.lines())
        if by_keyboard:
            self.session.key("alt+F4")
        else:
            self.click(CLOSE)
        status = self.process.wait_exit(20)
        self.test.assertEqual(status.code, 0)
        self.test.assertEqual(self.wait_lines(before + len(farewell))[before:], farewell)
        self.test.assertIsNone(self.session.wait_window("Form1", viewable=False))
        self.test.assertIsNone(query_window("Form2", self.session.env), "no hidden splash left")
        return status
