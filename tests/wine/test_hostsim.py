#!/usr/bin/env python3
"""hostsim under Wine: it comes up, draws, records what reaches it from
outside and nothing of its own doing, and leaves nothing behind.

    test_hostsim.py BUILD_DIR [unittest options]
"""

from __future__ import annotations

import os
import sys
import unittest
from pathlib import Path

from harness import Session, match, run

BUILD_DIR = Path()
IDLE_LINE = "</b></i><font face=arial><font color=#FF0000>\u00ba. idle = true"
IDLE_BYTES = b"</b></i><font face=arial><font color=#FF0000>\xba. idle = true"
SC_CLOSE = 0xF060


def processes_in_prefix(prefix: Path) -> list[int]:
    """Process ids whose environment names this Wine prefix."""
    wanted = b"WINEPREFIX=" + bytes(prefix)
    found = []
    for entry in os.scandir("/proc"):
        if not entry.name.isdigit():
            continue
        try:
            with open(f"/proc/{entry.name}/environ", "rb") as f:
                if wanted in f.read().split(b"\0"):
                    found.append(int(entry.name))
        except OSError:
            pass  # gone, or not ours to read
    return found


class HostsimTest(unittest.TestCase):
    def session(self) -> Session:
        return Session(BUILD_DIR)

    def shot(self, session: Session, name: str) -> Path:
        """A screenshot kept in the build tree for people to look at."""
        path = session.screenshot(BUILD_DIR / "wine-shots" / f"{name}.png")
        size, colours = run(["identify", "-format", "%wx%h %k", str(path)]).decode().split()
        self.assertEqual(size, "1024x768")
        # A black screen has one colour; the client's frame, rooms and text many.
        self.assertGreater(int(colours), 20)
        return path

    def close_by_keyboard(self, session: Session, sim) -> None:
        """Alt+F4, typed for real: hostsim must end by itself, with code 0."""
        session.key("alt+F4")
        self.assertEqual(sim.wait_exit(10).code, 0)

    def test_two_rooms_come_up_draw_and_leave_nothing_behind(self):
        with self.session() as session:
            sim = session.start_hostsim("--rooms", "Lobby,Town Square")
            sim.wait_ready()
            self.shot(session, "two-rooms")
            prefix, xvfb = session.prefix, session.xvfb
            self.assertIn(sim.pid, processes_in_prefix(prefix))
        self.assertEqual(processes_in_prefix(prefix), [])
        self.assertIsNotNone(xvfb.returncode)
        self.assertFalse(prefix.exists())

    def test_chat_line_goes_to_front_room_byte_for_byte(self):
        with self.session() as session:
            sim = session.start_hostsim("--rooms", "Lobby,Town Square")
            sim.wait_ready()
            status = session.run_program(BUILD_DIR / "post-line.exe", IDLE_LINE)
            self.assertEqual(status.code, 0)
            sim.wait_for(match("WM_SETTEXT", "Town Square/entry", "sent", IDLE_BYTES))
            sim.wait_for(match("WM_CHAR", "Town Square/entry", "sent"))
            sim.wait_for(match("LINE", "Town Square/transcript", "-", IDLE_BYTES))
            self.shot(session, "line-in-room")
            self.close_by_keyboard(session, sim)
            records = sim.read_to_end()
        # Emptying the entry afterwards is hostsim's own send: not recorded.
        # The keyboard's Alt+F4 reaches the frame as a queued SC_CLOSE.
        self.assertEqual(
            [(r.window, r.how, r.event, r.wparam) for r in records],
            [("-", "-", "READY", 0), ("Town Square/entry", "sent", "WM_SETTEXT", 0),
             ("Town Square/entry", "sent", "WM_CHAR", 13), ("Town Square/transcript", "-", "LINE", 0),
             ("frame", "queued", "WM_SYSCOMMAND", SC_CLOSE)])

    def test_a_send_during_a_hang_is_handled_when_it_ends(self):
        with self.session() as session:
            sim = session.start_hostsim("--rooms", "Lobby", "--hang", "5000")
            sim.wait_for(match("HANG", "-"))
            # The driver's send waits for a client that does not answer for a while.
            status = session.run_program(BUILD_DIR / "post-line.exe", "late but whole")
            self.assertGreater(status.elapsed, 3)
            self.close_by_keyboard(session, sim)
            records = sim.read_to_end()
        # The line arrives whole once the hang is over, and nothing before.
        self.assertEqual([(r.event, r.text) for r in records],
                         [("READY", b""), ("HANG", b""), ("AWAKE", b""),
                          ("WM_SETTEXT", b"late but whole"), ("WM_CHAR", b""),
                          ("LINE", b"late but whole"), ("WM_SYSCOMMAND", b"")])

if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    BUILD_DIR = Path(sys.argv.pop(1)).resolve()
    unittest.main()
