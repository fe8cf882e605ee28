"""What other programs post to zoble, unasked: a WM_QUIT, whatever loop runs
then, and messages no program should post to its threads. Nothing may
strand zoble, crash it or freeze its panel, and the room gets whole lines
only, none after the quit but the one in flight."""

from __future__ import annotations

import pytest

from panel import OPTIONS, REASON_BOX, START
from session import fields
from zoble_ui import assert_entries_whole

# A stall that lasts until the test's cue, once the probe has posted inside it.
STALL = ["--hang", "60000", "--hang-until-cue"]


def started(z) -> None:
    z.click(START)
    z.sim.wait_lines(5)


def opened(z, item: str) -> None:
    z.choose(item)
    z.session.window("zoble")


def popup(z, point: tuple[int, int], button: str) -> None:
    z.session.xdotool("mousemove", *map(str, z.main.at(*point)), "click", button)
    z.session.window(None, z.process)


def stalled(z) -> None:
    """The line after the stall's start waits on the client."""
    z.sim.wait_for("SEND_WAITS")


# Each loop: hostsim's arguments, what runs when the quit comes, and the
# lines the room has in the end past the greeting (s: the start's three).
LOOPS = {
    # The user's options menu, and the reason box's own: Wine's menu loop
    # takes the quit and goes on tracking.
    "options-menu": ((), lambda z: popup(z, OPTIONS, "1"), [], ()),
    "reason-box-menu": ((), lambda z: popup(z, REASON_BOX, "3"), [], ()),
    # A move another program asks for: Wine's ends on the quit and keeps it.
    "panel-move": ((), None, [], ("move",)),
    "reason-box-move": ((), None, [], ("boxmove",)),
    "about-box": ((), lambda z: opened(z, "about"), [], ()),
    # The start's second line stalls: it goes whole, its pause ends zoble.
    "pause": (STALL + ["--hang-after-line", "3"], lambda z: (z.click(START), stalled(z)),
              ["SignatureLine", "IdleOnLine"], ()),
    # Idle mode on and the About box open, another program ticks Timer1:
    # the reminder runs inside the box's loop, its second line stalls, and
    # its pause there ends zoble.
    "pause-in-about-box": (STALL + ["--hang-after-line", "6"],
                           lambda z: (started(z), opened(z, "about")),
                           ["s", "SignatureLine", "IdleOnLine"], ("tick", "wait")),
    # The same with a move sent to the reason box first, as to a child
    # that would run the move's loop unmarked.
    "pause-after-reason-box-move": (STALL + ["--hang-after-line", "6"], started,
                                    ["s", "SignatureLine", "IdleOnLine"],
                                    ("boxmove", "tick", "wait")),
    # The wait for the instant-message window, which opens only after 20 s.
    "client-wait": (("--im-delay", "20000"),
                    lambda z: (z.choose("ims off"), z.sim.wait_for("KEYWORD")), [], ()),
}


@pytest.mark.parametrize("loop", LOOPS)
def test_a_quit_another_program_posts_ends_zoble_at_once_whatever_runs(loop, zoble, golden):
    g = golden
    args, before, said, steps = LOOPS[loop]
    z = zoble(*args)
    z.open()
    if before:
        before(z)
    steps = list(steps)
    if "wait" in steps:  # what comes before the stall, then the quit inside it
        z.session.probe("panel", *steps[:steps.index("wait")]).output()
        stalled(z)
        steps = []
    z.session.probe("panel", *steps, "quit").output()
    if "--hang-until-cue" in args:
        z.sim.cue()  # the line in flight goes on; the pause after it ends zoble
    assert z.process.wait_exit(15) == 0
    z.session.stop(z.sim)
    records = z.sim.read_to_end()
    lines = [line for name in said for line in
             ([g.SignatureLine, g.IdleOnLine, g.reason(b"idle reason")] if name == "s"
              else [getattr(g, name)])]
    # Every line the room got: the greeting, what came before the quit and
    # the line in flight, whole; no farewell.
    assert z.sim.lines() == g.greeting + lines
    assert_entries_whole(g, records)
    if loop == "client-wait":  # typed the keyword, and nothing more
        assert [r.window for r in records if r.how == "sent" and not
                r.window.startswith("Lobby")] == ["keyword"] * 3


def test_stray_thread_messages_change_nothing(zoble, golden):
    # Another program posts to zoble's other threads what no program should
    # (a private message with a stray lParam, then WM_QUIT), and ends them.
    # Then a line goes through a client that stalls: nothing crashes, no line
    # is lost, every line is whole, and the panel repaints throughout the
    # stall unasked, as when a window above it moves away.
    g = golden
    z = zoble(*STALL, "--hang-after-line", "3")
    z.open()
    z.session.probe("strays").output()
    assert fields(z.session.probe("strays", "end").output())["threads"] >= 1, "no second thread"
    z.click(START)
    stalled(z)
    painted = fields(z.session.probe("quiet", "4").output())
    z.sim.cue()
    z.sim.wait_lines(5)
    assert (painted["hung"], painted["unpainted"]) == (0, 0), painted
    assert painted["samples"] >= 10, painted
    # The thread that kept the panel painting through the stall has a queue
    # now, to post to.
    assert fields(z.session.probe("strays").output())["threads"] >= 1
    z.click(OPTIONS)  # and the panel takes clicks: the menu opens
    z.session.window(None, z.process)
    z.session.key("Escape")
    z.session.probe("panel", "close").output()
    z.ends_with_farewell(5)
    z.session.stop(z.sim)
    assert z.sim.lines() == g.greeting + [g.SignatureLine, g.IdleOnLine,
                                          g.reason(b"idle reason")] + g.greeting
    assert_entries_whole(g, z.sim.read_to_end())
