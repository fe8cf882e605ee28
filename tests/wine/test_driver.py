#!/usr/bin/env python3
"""The chat path of the real driver (post-line.exe) against the stand-in
client: which window gets a line, byte for byte, and which gets nothing.

    test_driver.py BUILD_DIR [unittest options]
"""

from __future__ import annotations

import sys
import unittest
from pathlib import Path

from catalogue import IDLE_ON, SIGNATURE
from harness import Session

BUILD_DIR = Path()

# The lines as post-line gets them on its command line (UTF-8).
SIGNATURE_TEXT = SIGNATURE.decode("cp1252")
IDLE_ON_TEXT = IDLE_ON.decode("cp1252")


class DriverTest(unittest.TestCase):
    """One Wine session for all cases: each starts its own hostsim."""

    @classmethod
    def setUpClass(cls):
        cls.session = Session(BUILD_DIR)

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def post(self, hostsim_args: list[str], *lines: str, shot: str | None = None):
        """Runs post-line against a fresh hostsim; returns post-line's exit
        status and every message hostsim's windows received."""
        sim = self.session.start_hostsim(*hostsim_args)
        try:
            sim.wait_ready()
            status = self.session.run_program(BUILD_DIR / "post-line.exe", *lines, timeout=60)
            if shot:
                # The last line's arrival in the transcript (when it arrives)
                # is recorded before the screenshot is taken.
                self.session.screenshot(BUILD_DIR / "wine-shots" / f"{shot}.png")
        finally:
            self.session.stop(sim)
        records = [r for r in sim.read_to_end() if r.window != "-" or r.event == "LINE"]
        return status, [(r.window, r.how, r.event, r.wparam, r.text) for r in records]

    def test_lines_reach_the_front_room_in_order_byte_for_byte(self):
        status, received = self.post(
            ["--rooms", "Lobby,Town Square"], SIGNATURE_TEXT, IDLE_ON_TEXT,
            "caf\u00e9 \u4e2d \u20ac", shot="driver-front-room")
        self.assertEqual(status.code, 0)
        room = "Town Square"
        self.assertEqual(received, [
            (f"{room}/entry", "sent", "WM_SETTEXT", 0, SIGNATURE),
            (f"{room}/entry", "sent", "WM_CHAR", 13, b""),
            (f"{room}/transcript", "-", "LINE", 0, SIGNATURE),
            (f"{room}/entry", "sent", "WM_SETTEXT", 0, IDLE_ON),
            (f"{room}/entry", "sent", "WM_CHAR", 13, b""),
            (f"{room}/transcript", "-", "LINE", 0, IDLE_ON),
            # A character code page 1252 lacks arrives as "?".
            (f"{room}/entry", "sent", "WM_SETTEXT", 0, b"caf\xe9 ? \x80"),
            (f"{room}/entry", "sent", "WM_CHAR", 13, b""),
            (f"{room}/transcript", "-", "LINE", 0, b"caf\xe9 ? \x80"),
        ])

    def test_a_room_lookalike_in_front_is_passed_over(self):
        status, received = self.post(["--rooms", "Lobby", "--decoy"], "hi")
        self.assertEqual(status.code, 0)
        self.assertEqual([w for w, *_ in received], ["Lobby/entry", "Lobby/entry",
                                                     "Lobby/transcript"])

    def test_nothing_is_sent_anywhere_without_a_room_entry(self):
        # Two stray top-level "RICHCNTL" windows of another program stand by:
        # with no room to post in, they must not receive the line either.
        cases = {
            "no client": ["--no-client", "--stray-richcntl"],
            "no room open": ["--rooms", "", "--stray-richcntl"],
            "room with one RICHCNTL": ["--single-richcntl", "--stray-richcntl"],
        }
        for name, args in cases.items():
            with self.subTest(name):
                status, received = self.post(args, "nobody hears this")
                self.assertEqual(status.code, 0)
                self.assertEqual(received, [])


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    BUILD_DIR = Path(sys.argv.pop(1)).resolve()
    unittest.main()
