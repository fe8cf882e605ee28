#!/usr/bin/env python3
"""The demo: zoble.exe beside the stand-in chat client under Wine.

    demo.py BUILD_DIR OUT_DIR              the scripted walk-through
    demo.py BUILD_DIR OUT_DIR --on DISPLAY  both programs on a person's display

The walk-through uses zoble as a person does, with real clicks and typing on
a virtual display of its own, and leaves numbered screenshots, walk.gif (an
animation of its first part) and transcript.txt (what the room received) in
OUT_DIR. With --on, zoble and the client are left to the person at DISPLAY
until zoble ends or Ctrl+C; the transcript is left in OUT_DIR all the same.
"""

from __future__ import annotations

import argparse
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "wine"))

from animation import Recorder  # noqa: E402
from panel import ADVERT, CLOSE, OPTIONS, REASON_BOX, START, STOP, menu_item  # noqa: E402
from session import Record, Session, windows_path  # noqa: E402

# The client sits partly under the always-on-top panel, as it would on a desktop.
CLIENT = ("--rooms", "Lobby", "--at", "100,24", "--im-outcome", "dialog")
# The part of the display with both programs on it, for the screenshots.
SCENE = "750x470+0+0"
# How much longer the animation shows the pointer come to rest before a
# click, and the moments a viewer wants to read.
POINT_HOLD = 0.15
READ_HOLD = 0.6
# Milliseconds a key: slow enough for the animation to show the reason typed.
TYPING_MS = 60
# How long a person may leave the demo running.
PLAY_HOURS = 12


def room_lines(records: list[Record]) -> list[bytes]:
    return [r.text for r in records if r.event == "LINE"]


def write_transcript(out: Path, lines: list[bytes]) -> None:
    (out / "transcript.txt").write_bytes(b"".join(line + b"\r\n" for line in lines))
    print(f"the room received {len(lines)} lines (transcript in {out / 'transcript.txt'}):")
    for line in lines:
        print("  " + line.decode("cp1252"))


def make_animation(film: Recorder, path: Path) -> str:
    """Makes the animation, or says why there is none: the walk-through
    stands without it."""
    try:
        film.write_gif(path)
    except (OSError, RuntimeError, subprocess.SubprocessError) as error:
        return f"no animation: {error}"
    return f"animation in {path} ({path.stat().st_size:,} bytes, {film.seconds:.1f} s)"


def walk_through(build: Path, out: Path) -> int:
    for old in [*out.glob("*.png"), *out.glob("*.gif")]:
        old.unlink()
    shots = iter(range(1, 100))

    with Session(build) as session:
        def shot(name: str, hold: float = 0.0) -> None:
            path = session.screenshot(out / f"{next(shots):02d}-{name}.png", crop=SCENE)
            print(f"  screenshot {path}")
            if hold:
                film.take(hold)

        def click(x: int, y: int) -> None:
            session.mousemove(x, y)
            film.take(POINT_HOLD)
            session.click(x, y)

        def step(what: str) -> None:
            print(f"- {what}")

        def lines(count: int) -> None:
            for _ in range(count):
                sim.wait_for("LINE")

        step("the stand-in chat client opens a room")
        sim = session.hostsim(*CLIENT)

        step("zoble starts with its splash window")
        zoble = session.start(build / "zoble.exe")
        splash = session.window("Form2")
        # The animation runs from the splash to the options menu.
        film = Recorder(session.env, SCENE, session.dir / "frames")
        film.start()
        shot("splash", READ_HOLD)

        step("a click on the splash: the greeting goes out, the main window shows")
        click(*splash.middle())
        lines(1)
        main_window = session.window("Form1")
        lines(1)
        shot("main-window")

        step("type a reason and click start")
        click(*main_window.at(*REASON_BOX))
        session.key("End", "shift+Home")
        session.type("out for lunch", TYPING_MS)
        click(*main_window.at(*START))
        lines(3)
        shot("idle-on", READ_HOLD)

        step("the advert")
        click(*main_window.at(*ADVERT))
        lines(3)

        step("back: click stop")
        click(*main_window.at(*STOP))
        lines(2)
        shot("idle-off")

        step("options, ims off: zoble sends the client's special instant message")
        click(*main_window.at(*OPTIONS))
        menu = session.window(None, zoble)
        shot("options")
        film.stop()
        click(*menu_item(menu, "ims off"))
        sim.wait_for("DIALOG", 30)
        shot("instant-messages-off")
        sim.wait_for("IM_CLOSED", 30)

        step("close: the farewell banner, and zoble ends")
        click(*main_window.at(*CLOSE))
        code = zoble.wait_exit(30)
        shot("closed")
        session.stop(sim)
        records = sim.read_to_end()
        animation = make_animation(film, out / "walk.gif")

    print(f"zoble ended with code {code}; screenshots in {out}")
    print(animation)
    write_transcript(out, room_lines(records))
    return 0 if code == 0 else 1


def play(build: Path, out: Path, display: str) -> int:
    with Session(build, display=display) as session:
        # A file, not a pipe: nobody reads a pipe while the person plays, and
        # a full one would hold the client up.
        log = session.dir / "hostsim.log"
        sim = session.start(build / "hostsim.exe", "--log", windows_path(log), *CLIENT)
        session.window("America Online", timeout=60)
        zoble = session.start(build / "zoble.exe")
        print(f"demo: zoble and the stand-in chat client run on {display}; click the splash "
              "to begin. End it with zoble's x, its options' exit, or Ctrl+C here.", flush=True)
        try:
            code = zoble.wait_exit(PLAY_HOURS * 3600)
        except KeyboardInterrupt:
            code = 0
        except TimeoutError:
            print(f"demo: ended after {PLAY_HOURS} hours")
            code = 0
        session.stop(sim)
        records = [Record.parse(line) for line in log.read_bytes().splitlines()]
    write_transcript(out, room_lines(records))
    return code


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", type=Path)
    parser.add_argument("out", type=Path)
    parser.add_argument("--on", metavar="DISPLAY", help="a person's display to play on")
    args = parser.parse_args()
    build, out = args.build.resolve(), args.out.resolve()
    out.mkdir(parents=True, exist_ok=True)
    return play(build, out, args.on) if args.on else walk_through(build, out)


if __name__ == "__main__":
    sys.exit(main())
