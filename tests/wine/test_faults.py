"""zoble.exe where the real system differs from the headless one: reasons the
code page lacks, and a client that stalls or hangs while a person clicks and
types. Nothing may be lost, torn or changed, and zoble answers the system
throughout. What another program sends or posts to the panel: inside a
stalled line, inside a reminder inside a system loop. (The rules of the
system's loops that Wine's own loops hide from zoble.exe are zoble-check's:
test_check.py.)"""

from __future__ import annotations

import time

import pytest

from panel import ADVERT, CLOSE, REASON_BOX, START, STOP
from session import fields, processor_seconds
from zoble_ui import assert_answered_throughout, assert_entries_whole, line_records

LONG = "".join(f"long reason {i:04d} " for i in range(118))[:2000]
REASONS = [LONG, "<b>&amp;</b> caf\u00e9 \u0142\u00f3d\u017a \u05e9\u05dc\u05d5\u05dd ok \U0001f600 \uff1cb\uff1e"]


def in_code_page(text: str, code_page: str) -> bytes:
    """The bytes Windows makes of a text without best fit: "?" for each
    UTF-16 unit the code page lacks; UTF-8 lacks none."""
    if code_page == "utf-8":
        return text.encode()
    units = "".join(c if ord(c) < 0x10000 else "\ufffd\ufffd" for c in text)
    return units.encode(code_page, errors="replace")


@pytest.mark.long
def test_a_client_hung_40_s(zoble, golden):
    # The client stops answering for 40 s right after the start's first line.
    g = golden
    z = zoble("--hang", "40000", "--hang-after-line", "3")
    z.open()
    z.click(START)
    z.sim.wait_for("HANG")
    watch = z.watch(44)
    waits = z.sim.wait_for("SEND_WAITS")
    # The typing waits in zoble's queue until the send in flight is given up.
    z.session.type("x")
    z.sim.wait_for("AWAKE", 120)
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
    # The typing reached the box once zoble gave the line up, 30 s after the
    # send began; both read off the time of day.
    given_up = (answered["changed_at"] - waits.lparam) % 86_400_000 / 1000
    assert 29.5 < given_up < 36, answered
    assert_entries_whole(g, records)


def test_a_move_then_a_close_sent_while_idle(zoble, golden):
    # Another program sends the panel a move, then a close. The move sleeps
    # until its Escape, and the close ends zoble from inside it.
    z = zoble()
    z.open()
    other = z.session.probe("panel", "move", "close")
    z.sim.wait_lines(4)  # the farewell, from inside the move
    used = processor_seconds(z.process.pid)
    time.sleep(2)
    used = processor_seconds(z.process.pid) - used
    assert used <= 0.4, f"zoble took {used:.2f} s of processor in 2 s while the move ran"
    z.session.key("Escape")
    other.output(60)
    z.ends_with_farewell(2)


@pytest.mark.parametrize("case", ["kept", "closed", "in-the-about-box"])
def test_what_another_program_sends_inside_a_stalled_line_runs_after_it(case, zoble, golden):
    # Idle mode is on, and a second start's idle line waits on a stalled
    # client until the test's cue. Another program sends a click on "adv",
    # one on start and two ticks of Timer1; then, in the second case, a move,
    # a close and the move's Escape. The line goes whole; then what they
    # would give as input just after it, in the order they came, each
    # starting inside the pause of the one before: one reminder for the two
    # ticks, and the close drops what the others had left. In the third, the
    # line stalled is that of a reminder inside the About box's loop, where
    # it ends: a click on "adv", kept meanwhile, starts there before a tick
    # posted meanwhile, whose reminder comes inside the advert's pause. A tick
    # with idle mode off does nothing.
    g = golden
    z = zoble("--hang", "60000", "--hang-after-line", "6", "--hang-until-cue")
    z.open()
    z.session.probe("panel", "tick").output()
    z.click(START)
    z.sim.wait_lines(5)
    reason = g.reason(b"idle reason")
    before = g.greeting + [g.SignatureLine, g.IdleOnLine, reason, g.SignatureLine, g.IdleOnLine]
    sent = ["%d,%d" % ADVERT, "%d,%d" % START, "tick", "tick"]
    after = [g.SignatureLine] * 3 + [g.IdleOnLine, reason, g.IdleOnLine, reason, g.AdvertLine,
                                     g.LinkLine, reason]
    if case == "in-the-about-box":
        z.choose("about")
        z.session.window("zoble")
        z.session.probe("panel", "tick").output()
        sent = ["%d,%d" % ADVERT, "post-tick"]
        after = after[:2] + after[3:5] + after[7:]
    else:
        z.click(START)
    z.sim.wait_for("SEND_WAITS")
    z.session.probe("panel", *(["move", *sent, "close", "escape"] if case == "closed" else sent)
                    ).output()
    z.sim.cue()
    if case == "closed":
        after = after[:3]
    else:
        z.sim.wait_lines(len(before + after))
        z.session.probe("panel", "close").output()  # nothing more was to come: the farewell
    assert z.process.wait_exit(60) == 0
    z.session.stop(z.sim)
    assert z.sim.lines() == before + after + g.greeting
    assert_entries_whole(g, z.sim.read_to_end())


@pytest.mark.parametrize("loop", [pytest.param("about-box", marks=pytest.mark.long),
                                  "reason-box-menu"])
def test_a_close_inside_a_reminder_inside_a_system_loop(loop, zoble, golden):
    # Idle mode is on and a loop of the system's runs: the About box, whose
    # loop runs the reminder a minute on (the panel waits for the box
    # meanwhile), or the reason box's own menu, whose loop runs a tick of
    # Timer1 that another program posts. That program sends a close inside
    # the reminder's first pause: the farewell, then zoble ends, the box or
    # the menu with it.
    g = golden
    z = zoble()
    z.open()
    z.click(START)
    z.sim.wait_lines(5)
    steps = ["line6", "close"]  # sent as the client tells its sixth line in
    if loop == "about-box":
        z.choose("about")
        z.session.window("zoble")
        z.click(ADVERT)
        z.shot("about")
    else:
        z.session.xdotool("mousemove", *map(str, z.main.at(*REASON_BOX)), "click", "3")
        z.session.window(None, z.process)
        steps.insert(0, "tick")
    z.session.probe("panel", *steps).output(180)
    assert z.process.wait_exit(30) == 0
    lines = line_records(z.sim)
    assert [r.text for r in lines] == g.greeting + [
        g.SignatureLine, g.IdleOnLine, g.reason(b"idle reason"), g.SignatureLine] + g.greeting
    if loop == "about-box":  # a minute after the start's last line, or a little more when busy
        assert 59500 < lines[5].ms - lines[4].ms < 65000, lines[5]




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
