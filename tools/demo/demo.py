#!/usr/bin/env python3
"""The demo: zoble.exe beside the stand-in chat client under Wine, used as a
person uses it, with real clicks and typing on a virtual display.

    demo.py BUILD_DIR OUT_DIR

Leaves numbered screenshots and transcript.txt (what the room received) in
OUT_DIR.
"""

from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "wine"))

from harness import Session, match  # noqa: E402
from zoble_ui import ADVERT, CLOSE, OPTIONS, REASON_BOX, START, STOP, menu_item  # noqa: E402

def main() -> int:
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip())
    build, out = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("*.png"):
        old.unlink()
    shots = iter(range(1, 100))

    with Session(build) as session:
        def shot(name: str) -> None:
            path = session.screenshot(out / f"{next(shots):02d}-{name}.png")
            print(f"  screenshot {path}")

        def step(what: str) -> None:
            print(f"- {what}")

        step("the stand-in chat client opens a room")
        sim = session.start_hostsim("--rooms", "Lobby", "--at", "330,40",
                                    "--im-outcome", "dialog")
        sim.wait_ready()

        step("zoble starts with its splash window")
        zoble = session.start(build / "zoble.exe")
        splash = session.wait_window("Form2")
        shot("splash")

        step("a click on the splash: the greeting goes out, the main window shows")
        session.click(*splash.at(splash.width // 2, splash.height // 2))
        sim.wait_for(match("LINE", window="Lobby/transcript"))
        main_window = session.wait_window("Form1")
        sim.wait_for(match("LINE", window="Lobby/transcript"))
        shot("main-window")

        step("type a reason and click start")
        session.click(*main_window.at(*REASON_BOX))
        session.key("End", "shift+Home")
        session.type("out for lunch")
        session.click(*main_window.at(*START))
        for _ in range(3):
            sim.wait_for(match("LINE", window="Lobby/transcript"))
        shot("idle-on")

        step("the advert")
        session.click(*main_window.at(*ADVERT))
        for _ in range(3):
            sim.wait_for(match("LINE", window="Lobby/transcript"))

        step("back: click stop")
        session.click(*main_window.at(*STOP))
        for _ in range(2):
            sim.wait_for(match("LINE", window="Lobby/transcript"))
        shot("idle-off")

        step("options, ims off: zoble sends the client's special instant message")
        session.click(*main_window.at(*OPTIONS))
        menu = session.wait_window(None)
        shot("options")
        session.click(*menu_item(menu, "ims off"))
        sim.wait_for(match("DIALOG"), 30)
        shot("instant-messages-off")
        sim.wait_for(match("IM_CLOSED"), 30)

        step("close: the farewell banner, and zoble ends")
        session.click(*main_window.at(*CLOSE))
        status = zoble.wait_exit(30)
        shot("closed")
        session.stop(sim)
        lines = [r.text for r in sim.read_to_end() if r.event == "LINE"]

    transcript = out / "transcript.txt"
    transcript.write_bytes(b"".join(line + b"\r\n" for line in lines))
    print(f"zoble ended with code {status.code}; the room received {len(lines)} lines:")
    for line in lines:
        print("  " + line.decode("cp1252"))
    return 0 if status.code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
