"""A short animation of what a person sees during the walk-through: frames of
part of the display taken at a steady rate by a thread of their own, each
with the time it was taken and where the pointer was, made into a looping GIF
with the pointer drawn in (screenshots of the virtual display leave it out).
"""

from __future__ import annotations

import itertools
import subprocess
import threading
import time
from dataclasses import dataclass
from pathlib import Path

from session import run

# Seconds between frames: enough to see lines arrive and a reason being typed,
# and light enough (a pointer query and a screenshot a frame) to leave the
# walk-through its pace on two cores.
PERIOD = 0.15
# How long the last frame stays before the animation starts again.
LAST_FRAME_HOLD = 1.5
# A pointer arrow with its tip at (0, 0), as most desktops draw it.
ARROW = ((0, 0), (0, 16), (4, 12), (7, 18), (9, 17), (6, 11), (11, 11))


@dataclass
class Frame:
    path: Path
    taken: float  # time.monotonic() when it was taken
    pointer: tuple[int, int]  # on the display
    hold: float = 0.0  # seconds it stays longer in the animation


class Recorder:
    """Takes frames of `crop` (WxH+X+Y) on the display of `env` from start()
    to stop(). A failure to take one ends the recording and is kept in
    `error`: the walk-through goes on without the animation."""

    def __init__(self, env: dict, crop: str, frames_dir: Path):
        self.env = env
        self.crop = crop
        size, x, y = crop.split("+")
        self.origin = int(x), int(y)
        self.size = tuple(int(n) for n in size.split("x"))
        self.dir = frames_dir
        self.dir.mkdir(parents=True, exist_ok=True)
        self.frames: list[Frame] = []
        self.error: str | None = None
        self.seconds = 0.0  # the animation's length, once written
        self._numbers = itertools.count()
        self._stopping = threading.Event()
        self._thread = threading.Thread(target=self._record, daemon=True)

    def start(self) -> None:
        self._thread.start()

    def take(self, hold: float) -> None:
        """Takes a frame now that stays `hold` seconds longer in the
        animation: a moment worth seeing that the steady frames could miss."""
        if self._thread.is_alive() and not self._stopping.is_set():
            self._take(hold)

    def stop(self) -> None:
        """Ends the recording with a frame taken after this call."""
        self._stopping.set()
        self._thread.join(30)

    def _record(self) -> None:
        due = time.monotonic()
        while self.error is None:
            stopping = self._stopping.wait(max(0.0, due - time.monotonic()))
            due = max(due + PERIOD, time.monotonic())  # when late, no burst to catch up
            self._take()
            if stopping:
                return

    def _take(self, hold: float = 0.0) -> None:
        try:
            taken = time.monotonic()
            shell = run(["xdotool", "getmouselocation", "--shell"], env=self.env, timeout=10)
            where = dict(line.split("=", 1) for line in shell.decode().split())
            path = self.dir / f"{next(self._numbers):04d}.png"
            # Compressed lightly: the frames are read back once, soon.
            run(["import", "-window", "root", "-crop", self.crop, "+repage", "-quality", "10",
                 str(path)], env=self.env, timeout=10)
            self.frames.append(Frame(path, taken, (int(where["X"]), int(where["Y"])), hold))
        except (OSError, subprocess.SubprocessError, KeyError, ValueError) as error:
            self.error = f"a frame could not be taken: {error}"

    def write_gif(self, path: Path) -> Path:
        """The animation, each frame shown for as long as it was on the
        display (and held), with the pointer drawn on it."""
        if self.error:
            raise RuntimeError(self.error)
        if len(self.frames) < 2:
            raise RuntimeError("fewer than two frames were taken")
        frames = sorted(self.frames, key=lambda frame: frame.taken)
        shown = delays(frames, LAST_FRAME_HOLD)
        args = ["convert", "-loop", "0", "-fill", "white", "-stroke", "black"]
        for frame, delay in zip(frames, shown):
            # In parentheses, so that the arrow is drawn on this frame alone.
            args += ["-delay", str(delay), "(", str(frame.path), *self._arrow(frame.pointer), ")"]
        # One palette for all frames (not dithered, so that what does not
        # change stays equal from frame to frame), frames equal to the one
        # before merged into it, and each frame cut down to what changed.
        args += ["+dither", "+remap", "-layers", "RemoveDups", "-layers", "Optimize", str(path)]
        run(args, timeout=300)
        self.seconds = sum(shown) / 100
        return path

    def _arrow(self, pointer: tuple[int, int]) -> list[str]:
        """The arguments that draw the arrow at `pointer`: none when the
        pointer is outside the frames."""
        x, y = pointer[0] - self.origin[0], pointer[1] - self.origin[1]
        if not (0 <= x < self.size[0] and 0 <= y < self.size[1]):
            return []
        return ["-draw", "polygon " + " ".join(f"{x + dx},{y + dy}" for dx, dy in ARROW)]


def delays(frames: list[Frame], last: float) -> list[int]:
    """Each frame's delay in hundredths of a second: until the next frame was
    taken, or `last` for the last one, and its hold. The delays add up to
    the whole time rounded once: rounding each on its own would lose time."""
    ends = []
    elapsed = 0.0
    for frame, after in zip(frames, frames[1:] + [None]):
        until = after.taken if after else frame.taken + last
        elapsed += until - frame.taken + frame.hold
        ends.append(round(elapsed * 100))
    return [end - start for start, end in zip([0] + ends, ends)]
