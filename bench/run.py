#!/usr/bin/env python3
"""Processor time of zoble's pauses under Wine, against wall time.

    bench/run.py BUILD_DIR

Prints, for each program: wall seconds, processor seconds (user + system of
the program's process, from the kernel) and their ratio. The spinning pause
is the same pause as a loop that pumps and never sleeps, for comparison.
"""

from __future__ import annotations

import os
import select
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "wine"))

from harness import Session  # noqa: E402


def measure(session: Session, *command: str) -> tuple[float, float, bytes]:
    """Runs `wine command...` to its end: wall and processor seconds, output."""
    started = time.monotonic()
    popen = subprocess.Popen(session.wine.command(*command), env=session.env, cwd=session.dir,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL)
    pidfd = os.pidfd_open(popen.pid)
    try:
        output = popen.stdout.read()
        select.select([pidfd], [], [], 120)
    finally:
        os.close(pidfd)
    _, _, usage = os.wait4(popen.pid, 0)
    popen.returncode = 0
    return time.monotonic() - started, usage.ru_utime + usage.ru_stime, output


def main() -> int:
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip())
    build = Path(sys.argv[1]).resolve()
    rows = []
    with Session(build) as session:
        # Wine's own start-up, once, so it is not counted below.
        measure(session, str(build / "wait-bench.exe"), "0")
        for label, args in (("ten pauses, sleeping", ["10"]),
                            ("three pauses, spinning", ["3", "spin"])):
            wall, cpu, out = measure(session, str(build / "wait-bench.exe"), *args)
            rows.append((label, wall, cpu, out.decode().strip()))
        sim = session.start_hostsim("--rooms", "Lobby")
        sim.wait_ready()
        wall, cpu, _ = measure(session, str(build / "post-sequences.exe"))
        rows.append(("post-sequences.exe, whole", wall, cpu, ""))
        session.stop(sim)

    print(f"{'program':<28} {'wall s':>8} {'cpu s':>8} {'cpu %':>7}  program's own figures")
    for label, wall, cpu, own in rows:
        print(f"{label:<28} {wall:8.3f} {cpu:8.3f} {100 * cpu / wall:7.2f}  {own}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
