#!/usr/bin/env python3
"""The four announcement sequences on the real Win32 runtime
(post-sequences.exe) against the stand-in client: the exact bytes in order,
and the pauses between lines.

    test_sequences.py BUILD_DIR [unittest options]
"""

from __future__ import annotations

import sys
import unittest
from pathlib import Path

import catalogue as c
from harness import Session, assert_pauses_on_the_clock, match

BUILD_DIR = Path()


class SequencesTest(unittest.TestCase):
    def test_sequences_post_exact_lines_with_pauses_that_end_on_the_clocks_seconds(self):
        reason = "brb <b>&amp;</b> caf\u00e9"
        sequences = [
            [c.BANNER, c.BANNER_LINK],
            [c.SIGNATURE, c.IDLE_ON, c.reason(reason.encode("cp1252"))],
            [c.SIGNATURE, c.IDLE_OFF],
            [c.SIGNATURE, c.ADVERT, c.LINK_LINE],
        ]
        with Session(BUILD_DIR) as session:
            sim = session.start_hostsim("--rooms", "Lobby")
            sim.wait_ready()
            status = session.run_program(BUILD_DIR / "post-sequences.exe", reason, timeout=60)
            self.assertEqual(status.code, 0)
            last = sequences[-1][-1]
            sim.wait_for(match("LINE", "Lobby/transcript", text=last))
            session.screenshot(BUILD_DIR / "wine-shots" / "sequences.png")
            session.stop(sim)
            records = sim.read_to_end()

        assert_pauses_on_the_clock(self, sim, sequences)
        lines = [r for r in records if r.event == "LINE"]
        # Each line is its text then Enter, sent, into the room's entry.
        entry = [(r.how, r.event) for r in records if r.window == "Lobby/entry"]
        self.assertEqual(entry, [("sent", "WM_SETTEXT"), ("sent", "WM_CHAR")] * len(lines))
        i = 0
        for seq in sequences[:-1]:
            i += len(seq)
            self.assertLess(lines[i].ms - lines[i - 1].ms, 400, "no sequence ends with a pause")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    BUILD_DIR = Path(sys.argv.pop(1)).resolve()
    unittest.main()
