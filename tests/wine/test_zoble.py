#!/usr/bin/env python3
"""zoble.exe used as a person uses it: real clicks and typing on the X
display, against the stand-in client; what the client received is checked
byte for byte and in order, and screenshots are left in wine-shots/.

    test_zoble.py BUILD_DIR [unittest options]
"""

from __future__ import annotations

import sys
import unittest
from pathlib import Path

import catalogue as c
from harness import Session, match, query_window
from zoble_ui import (ADVERT, CLOSE, DRAG_STRIP, OPTIONS, REASON_BOX, START, STOP,
                      TITLE_LEFT_OF_STRIP, menu_item)

BUILD_DIR = Path()

class Zoble:
    """zoble.exe and the stand-in client in one session."""

    def __init__(self, test: unittest.TestCase, session: Session, *hostsim_args: str,
                 rooms: str = "Lobby"):
        self.test = test
        self.session = session
        self.sim = session.start_hostsim("--rooms", rooms, "--at", "330,40", *hostsim_args)
        self.sim.wait_ready()
        self.process = session.start(BUILD_DIR / "zoble.exe")
        self.main = None

    def shot(self, name: str) -> None:
        self.session.screenshot(BUILD_DIR / "wine-shots" / f"zoble-{name}.png")

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


class ZobleTest(unittest.TestCase):
    def session(self) -> Session:
        return Session(BUILD_DIR)

    def test_idle_on_with_a_typed_reason_advert_idle_off_and_close(self):
        with self.session() as session:
            # French keys: the accented letters of the reason have keys of their own.
            session.keyboard_layout("fr")
            z = Zoble(self, session)
            z.shot("splash")
            z.open_main_window()
            z.shot("main")
            z.click(REASON_BOX)
            session.key("End", "shift+Home")
            session.type("lunch <b>&</b> \u00e9t\u00e9")
            z.click(START)
            z.wait_lines(5)
            z.shot("idle-on")
            z.click(ADVERT)
            z.wait_lines(8)
            z.click(STOP)
            z.wait_lines(10)
            z.close()
            z.shot("closed")
        self.assertEqual(z.lines(), [
            c.BANNER, c.BANNER_LINK,
            c.SIGNATURE, c.IDLE_ON, c.reason(b"lunch <b>&</b> \xe9t\xe9"),
            c.SIGNATURE, c.ADVERT, c.LINK_LINE,
            c.SIGNATURE, c.IDLE_OFF,
            c.BANNER, c.BANNER_LINK,
        ])

    def test_idle_mode_reminds_the_room_a_minute_after_the_start(self):
        with self.session() as session:
            z = Zoble(self, session)
            z.open_main_window()
            # The reason box has the focus as the window shows: typing goes
            # there without a click, at the start of its text.
            session.type("out, ")
            z.click(START)
            start = z.wait_lines(5)
            reason_at = z.sim.records[-1].ms / 1000
            z.click(REASON_BOX)
            session.key("End", "shift+Home")
            session.type("still out")
            z.wait_lines(8, timeout=75)
            lines = [r for r in z.sim.records if r.event == "LINE"]
            z.click(STOP)
            z.wait_lines(10)
            z.close()
        self.assertEqual(start[2:], [c.SIGNATURE, c.IDLE_ON, c.reason(b"out, idle reason")])
        self.assertEqual([r.text for r in lines[5:8]],
                         [c.SIGNATURE, c.IDLE_ON, c.reason(b"still out")])
        self.assertAlmostEqual(lines[5].ms / 1000 - reason_at, 60, delta=1)
        self.assertEqual(z.lines()[8:10], [c.SIGNATURE, c.IDLE_OFF])

    def test_options_menu_switches_instant_messages_and_shows_the_boxes(self):
        with self.session() as session:
            z = Zoble(self, session, "--im-outcome", "dialog")
            z.open_main_window()
            z.click(OPTIONS)
            session.wait_window(None)
            z.shot("options-menu")
            session.key("Escape")
            session.wait_window(None, viewable=False)

            z.choose("ims off")
            z.sim.wait_for(match("IM_CLOSED"), 30)
            z.choose("ims on")
            z.sim.wait_for(match("IM_CLOSED"), 30)

            z.choose("about")
            box = session.wait_window("zoble")
            z.shot("about")
            session.key("Return")
            session.wait_window("zoble", viewable=False)
            self.assertGreater(box.width, 200)

            z.choose("exit")
            self.assertEqual(z.process.wait_exit(20).code, 0)
            z.wait_lines(4)
            session.stop(z.sim)
            records = z.sim.read_to_end()

        def conversation(name: bytes) -> list[tuple]:
            return [("keyword", "sent", "WM_SETTEXT", b"aol://9293:" + name),
                    ("keyword", "sent", "WM_CHAR", b""), ("keyword", "sent", "WM_CHAR", b""),
                    ("im/entry", "sent", "WM_SETTEXT", b"=)"),
                    ("im/icon9", "sent", "WM_LBUTTONDOWN", b""),
                    ("im/icon9", "sent", "WM_LBUTTONUP", b""),
                    ("dialog/button", "queued", "WM_KEYDOWN", b""),
                    ("dialog/button", "queued", "WM_KEYUP", b""),
                    ("im", "queued", "WM_CLOSE", b"")]

        # The box's own loop translates the posted key press into a WM_CHAR;
        # whether it reaches the button before the key release closes the box
        # is Wine's timing, and it is not a message zoble sent.
        received = [(r.window, r.how, r.event, r.text) for r in records
                    if r.how != "-" and not r.window.startswith("Lobby")
                    and (r.window, r.event) != ("dialog/button", "WM_CHAR")]
        self.assertEqual(received, conversation(b"$IM_OFF") + conversation(b"$IM_ON"))
        self.assertEqual(z.lines(), [c.BANNER, c.BANNER_LINK, c.BANNER, c.BANNER_LINK])

    def test_with_no_room_open_nothing_is_posted_and_the_program_still_ends(self):
        with self.session() as session:
            z = Zoble(self, session, rooms="")
            z.open_main_window(greeting=[])
            status = z.close(farewell=[])
            session.stop(z.sim)
            records = z.sim.read_to_end()
        self.assertGreater(status.elapsed, 0.4, "the farewell's pause is still taken")
        self.assertEqual([r.event for r in records], ["READY"])

    def test_a_close_inside_a_starts_pause_ends_the_start_too(self):
        with self.session() as session:
            z = Zoble(self, session)
            z.open_main_window()
            z.click(START)
            z.wait_lines(3)
            z.click(CLOSE)
            z.process.wait_exit(20)
            session.stop(z.sim)
            z.sim.read_to_end()
        # The close came inside the start's first pause (or, on a slow
        # machine, its second): the start's remaining lines are dropped with
        # the windows, and nothing follows the farewell.
        lines = z.lines()
        self.assertEqual(lines[:3], [c.BANNER, c.BANNER_LINK, c.SIGNATURE])
        self.assertEqual(lines[-2:], [c.BANNER, c.BANNER_LINK])
        self.assertIn(lines[3:-2], ([], [c.IDLE_ON]))

    def test_drag_strip_moves_the_window_and_the_rest_of_the_title_does_not(self):
        with self.session() as session:
            z = Zoble(self, session)
            z.open_main_window()
            before = z.main
            z.click(TITLE_LEFT_OF_STRIP)
            z.click(STOP)  # something that surely happens after the click above
            z.wait_lines(4)
            self.assertEqual(session.wait_window("Form1"), before)

            z.click(DRAG_STRIP)
            # The system's move follows the pointer until the next click.
            session.mousemove(before.x + 70 + 200, before.y + 8 + 150)
            session.click(before.x + 70 + 210, before.y + 8 + 160)
            moved = session.wait_window_moved("Form1", before)
            z.main = moved
            z.shot("dragged")
            self.assertGreater(moved.x, before.x + 150)
            self.assertGreater(moved.y, before.y + 100)
            # Closed by the system rather than by its label, it ends the same way.
            z.close(by_keyboard=True)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    BUILD_DIR = Path(sys.argv.pop(1)).resolve()
    unittest.main()
