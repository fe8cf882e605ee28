#!/usr/bin/env python3
"""zoble.exe used as a person uses it: real clicks and typing on the X
display, against the stand-in client; what the client received is checked
byte for byte and in order, and screenshots are left in wine-shots/.

    test_zoble.py BUILD_DIR [unittest options]
"""

from __future__ import annotations

import sys
import time
import unittest
from pathlib import Path

import catalogue as c
from harness import Session, assert_pauses_on_the_clock, match
from zoble_ui import (ADVERT, CLOSE, DRAG_STRIP, OPTIONS, REASON_BOX, START, STOP,
                      TITLE_LEFT_OF_STRIP, TITLE_RIGHT_OF_STRIP, Zoble)

WS_OVERLAPPEDWINDOW = 0x00CF0000
WS_POPUP = 0x80000000
WS_EX_TOPMOST = 0x8
WS_EX_TOOLWINDOW = 0x80
WS_EX_APPWINDOW = 0x40000

BUILD_DIR = Path()

class ZobleTest(unittest.TestCase):
    def session(self) -> Session:
        return Session(BUILD_DIR)

    def test_idle_on_with_a_typed_reason_advert_idle_off_and_close(self):
        with self.session() as session:
            # French keys: the accented letters of the reason have keys of their own.
            session.keyboard_layout("fr")
            z = Zoble(self, session)
            session.wait_window("Form2")  # the shot must show it
            z.shot("splash")
            z.open_main_window()
            z.shot("main")
            z.click(REASON_BOX)
            session.key("End", "shift+Home")
            session.type("lunch <b>&</b> \u00e9t\u00e9")
            # Clicked late in a second: the start's first pause begins past
            # the half second, so it ends on the second after next.
            time.sleep((0.6 - time.time() % 1) % 1)
            z.click(START)
            z.wait_lines(5)
            z.shot("idle-on")
            z.click(ADVERT)
            z.wait_lines(8)
            z.click(STOP)
            z.wait_lines(10)
            z.close()
            z.shot("closed")
        assert_pauses_on_the_clock(self, z.sim, [
            [c.BANNER, c.BANNER_LINK],
            [c.SIGNATURE, c.IDLE_ON, c.reason(b"lunch <b>&</b> \xe9t\xe9")],
            [c.SIGNATURE, c.ADVERT, c.LINK_LINE],
            [c.SIGNATURE, c.IDLE_OFF],
            [c.BANNER, c.BANNER_LINK],
        ])

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
            _, box_children = z.describe("#32770", "zoble")
            # The menu's holder: loaded, hidden, with the system's default frame.
            holder, _ = z.describe("ZobleForm", "Form3")
            main, _ = z.describe("ZobleForm", "Form1")
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
        # The box has an OK button only, and no icon.
        shown = [(cls, text) for cls, text, flags in box_children if flags["visible"]]
        self.assertEqual([text for cls, text in shown if cls == "Button"], ["OK"])
        self.assertEqual([f for _, _, f in box_children if f["icon"]], [])
        self.assertEqual(holder["style"] & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW)
        self.assertEqual((holder["visible"], holder["exstyle"] & WS_EX_TOOLWINDOW), (0, 0))
        self.assertTrue(main["style"] & WS_POPUP)
        self.assertEqual(main["exstyle"] & (WS_EX_TOPMOST | WS_EX_APPWINDOW),
                         WS_EX_TOPMOST | WS_EX_APPWINDOW)

    def test_the_splash_waits_for_its_click_however_long(self):
        with self.session() as session:
            z = Zoble(self, session)
            splash = session.wait_window("Form2")
            time.sleep(10)
            self.assertEqual(session.wait_window("Form2"), splash, "still shown where it was")
            styles, _ = z.describe("ZobleForm", "Form2")
            self.assertTrue(styles["exstyle"] & WS_EX_TOPMOST)
            self.assertEqual([r.event for r in z.sim.take_available()], ["READY"])
            z.open_main_window()
            z.close()

    def test_drag_strip_moves_the_window_and_the_rest_of_the_title_does_not(self):
        with self.session() as session:
            z = Zoble(self, session)
            z.open_main_window()
            before = z.main
            z.click(TITLE_LEFT_OF_STRIP)
            z.click(TITLE_RIGHT_OF_STRIP)
            z.click(STOP)  # something that surely happens after the clicks above
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
