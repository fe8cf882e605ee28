"""zoble.exe where the real system differs from the headless one: reasons the
code page lacks, and a client that stalls or hangs while a person clicks and
types. Nothing may be lost, torn or changed, and zoble answers the system
throughout. A move and a close that another program sends. And the rules
of the system's loops that Wine's own loops hide from zoble.exe, held by
programs of their own."""

from __future__ import annotations

import time
from pathlib import Path

import pytest

from panel import CLOSE, START, STOP
from session import fields, processor_seconds
from zoble_ui import assert_answered_throughout, assert_entries_whole

LONG = "".join(f"long reason {i:04d} " for i in range(118))[:2000]
REASONS = [LONG, "<b>&amp;</b>", "caf\u00e9 \u0142\u00f3d\u017a", "\u05e9\u05dc\u05d5\u05dd abc",
           "ok \U0001f600 \uff1cb\uff1e"]


def in_code_page(text: str, code_page: str) -> bytes:
    """The bytes Windows makes of a text without best fit: "?" for each
    UTF-16 unit the code page lacks; UTF-8 lacks none."""
    if code_page == "utf-8":
        return text.encode()
    units = "".join(c if ord(c) < 0x10000 else "\ufffd\ufffd" for c in text)
    return units.encode(code_page, errors="replace")


def stalled_start(zoble, ms: int):
    """The panel open and start clicked; the client stops answering for `ms`
    right after the start's first line."""
    z = zoble("--hang", str(ms), "--hang-after-line", "3")
    z.open()
    z.click(START)
    z.sim.wait_for("HANG", 20)
    return z


@pytest.mark.long
def test_a_client_hung_40_s(zoble, golden):
    g = golden
    z = stalled_start(zoble, 40000)
    hung_at = time.monotonic()
    watch = z.watch(44)
    watch_from = time.monotonic()
    time.sleep(5)
    # The typing waits in zoble's queue until the send in flight is given up.
    z.session.type("x")
    z.sim.wait_for("AWAKE", 50)
    answered = fields(watch.output())
    z.click(STOP)
    z.sim.wait_lines(5)
    z.click(CLOSE)
    z.ends_with_farewell(5)
    z.session.stop(z.sim)
    records = z.sim.read_to_end()
    # The start's second line was given up whole after the bound and its
    # reason line, with the client still hung, at once; what came once the
    # client was back went through.
    assert z.sim.lines() == g.greeting + [g.SignatureLine, g.SignatureLine, g.IdleOffLine
                                          ] + g.greeting
    assert [r for r in records if r.event == "WM_SETTEXT"
            and r.text in (g.IdleOnLine, g.reason(b"xidle reason"))] == []
    assert_answered_throughout(answered, 40)
    # The typing reached the box once zoble gave the line up: 30 s after the
    # send began, which was 0.5 to 1.5 s (the start's pause) after the hang.
    given_up = watch_from - hung_at + answered["changed_ms"] / 1000
    assert 30 < given_up < 34, answered
    assert_entries_whole(g, records)


@pytest.mark.parametrize("stalled", [True, False], ids=["in-a-stalled-line", "idle"])
def test_a_move_then_a_close_sent(stalled, zoble, golden):
    # Another program sends the panel a move, then a close: idle, or 2 s
    # into the stall of the start's second line. The move sleeps until its
    # Escape; the close waits for the line in flight, whole, and ends zoble
    # from inside the move when nothing is in flight.
    g = golden
    if stalled:
        z = stalled_start(zoble, 8000)
        time.sleep(2)  # the start's pause is over: its next line waits on the client
    else:
        z = zoble()
        z.open()
    mover = z.session.probe("move-close")
    time.sleep(0.7)  # the move runs, and the close has been sent
    used, began = processor_seconds(z.process.pid), time.monotonic()
    time.sleep(2)
    share = (processor_seconds(z.process.pid) - used) / (time.monotonic() - began)
    assert share <= 0.2, f"zoble took {share:.0%} of a core while the move ran"
    z.session.key("Escape")
    mover.output(15)
    started = [g.SignatureLine, g.IdleOnLine] if stalled else []
    z.ends_with_farewell(2 + len(started))
    z.session.stop(z.sim)
    assert z.sim.lines() == g.greeting + started + g.greeting
    assert_entries_whole(g, z.sim.read_to_end())


def test_system_loops_and_a_pause_inside_one(session):
    # The text box's own menu and a move another program asks for are system
    # loops. A click and Enter queued before a half-second pause inside one
    # are still queued after it; the pause woke for ticks and sends only.
    seen = fields(session.start(session.build_dir / "system_loops.exe", stdout=True).output())
    assert (seen["menu"], seen["move"]) == (1, 1), "1: as in a system loop; -1: no tick inside"
    assert seen["queued"] == 1, "the input never reached the queue"
    assert (seen["click"], seen["key"], seen["dispatched"]) == (1, 1, 0), seen
    assert seen["ticks"] >= 5 and seen["sent"] == 1, seen
    assert seen["wakes"] <= seen["ticks"] + 5, seen


def wakes(pid: int) -> int:
    """How often the threads of a process have been switched out so far."""
    count = 0
    for status in Path(f"/proc/{pid}/task").glob("*/status"):
        for line in status.read_text().splitlines():
            if line.split(":")[0] in ("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"):
                count += int(line.split()[1])
    return count


def test_the_instant_message_wait_sleeps_through_focus_moves(zoble):
    # While zoble waits for the window, the focus moves thousands of times in
    # the client, and in another program that also makes and destroys windows:
    # zoble looks again when the client's windows come or go, not at each.
    z = zoble("--im-delay", "2000", "--flicker-focus", "2000")
    z.open()
    z.choose("ims off")
    z.sim.wait_for("KEYWORD", 10)
    before = wakes(z.process.pid)
    z.session.probe("flicker", "2000").output()
    z.sim.wait_for("IM_OPEN", 30)
    woke = wakes(z.process.pid) - before
    z.sim.wait_for("IM_CLOSED", 10)
    # Waking for either made about 16,000 here; a look a second and the
    # client's window coming make about 300.
    assert woke < 1500
    assert [(r.window, r.event) for r in z.sim.records if r.window.startswith("im/")] == [
        ("im/entry", "WM_SETTEXT"), ("im/icon9", "WM_LBUTTONDOWN"), ("im/icon9", "WM_LBUTTONUP")]


# hi_IN has no ANSI code page of its own: the system's is UTF-8, as where
# Windows 10's "Use Unicode UTF-8" is set, which refuses the no-best-fit flag.
@pytest.mark.parametrize("lang, code_page", [("C.UTF-8", "cp1252"), ("ja_JP.UTF-8", "cp932"),
                                             ("hi_IN.UTF-8", "utf-8")], ids=["1252", "932", "65001"])
def test_reasons_in_the_code_page(lang, code_page, zoble, golden):
    # Set by message, as a paste would: too long or too foreign to type.
    def ours(line: bytes) -> bytes:
        return in_code_page(line.decode("cp1252"), code_page)
    z = zoble(lang=lang)
    z.open([ours(line) for line in golden.greeting])
    for n, reason in enumerate(REASONS, 1):
        z.session.probe("settext", reason.encode().hex()).output()
        z.click(START)
        z.sim.wait_lines(2 + 3 * n)
    expected = [ours(golden.SignatureLine), ours(golden.IdleOnLine)]
    before, after = golden.ReasonLine
    assert z.sim.lines()[2:] == [line for reason in REASONS for line in
                                 expected + [ours(before) + in_code_page(reason, code_page)
                                             + ours(after)]]
