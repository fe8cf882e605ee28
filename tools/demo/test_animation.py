#!/usr/bin/env python3
"""The animation's timing and pointer, which need no display."""

from __future__ import annotations

import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "wine"))

from animation import Frame, Recorder, delays  # noqa: E402


def frames(*times: float, holds: dict[int, float] | None = None) -> list[Frame]:
    return [Frame(Path(f"{i}.png"), t, (0, 0), (holds or {}).get(i, 0.0))
            for i, t in enumerate(times)]


class DelaysTest(unittest.TestCase):
    def test_each_frame_lasts_until_the_next_and_the_last_as_asked(self):
        self.assertEqual(delays(frames(100.0, 100.15, 100.5), 1.5), [15, 35, 150])

    def test_a_hold_lengthens_its_own_frame_only(self):
        self.assertEqual(delays(frames(0.0, 0.15, 0.3, holds={1: 0.6}), 1.0), [15, 75, 100])

    def test_rounding_loses_no_time(self):
        # 0.155 s rounded on its own would come out 15 or 16 hundredths every time.
        times = [i * 0.155 for i in range(100)]
        shown = delays(frames(*times), 0.155)
        self.assertEqual(sum(shown), 1550)
        self.assertTrue(set(shown) <= {15, 16})


class ArrowTest(unittest.TestCase):
    def test_drawn_where_the_pointer_is_inside_the_crop_and_not_outside(self):
        with tempfile.TemporaryDirectory() as frames_dir:
            film = Recorder({}, "300x200+10+20", Path(frames_dir))
            self.assertEqual(film._arrow((10, 20))[1].split()[:2], ["polygon", "0,0"])
            self.assertEqual(film._arrow((309, 219))[1].split()[1], "299,199")
            for outside in ((9, 20), (310, 20), (10, 19), (10, 220)):
                self.assertEqual(film._arrow(outside), [], outside)


if __name__ == "__main__":
    unittest.main()
