"""The client's window tree under real user32: zoble's searches pass over
what is not the client's chat room or send icon, and post nothing where
their chain breaks. Top-level "RICHCNTL" strays stand by throughout. What
reached each client is compared whole, in order, byte for byte."""

from __future__ import annotations

from panel import CLOSE, START


def received(sim) -> list[tuple]:
    """Every record but READY: (window, how, event, wparam, text)."""
    return [(r.window, r.how, r.event, r.wparam, r.text) for r in sim.read_to_end()
            if r.event != "READY"]


def line(room: str, text: bytes) -> list[tuple]:
    entry = f"{room}/entry"
    return [(entry, "sent", "WM_SETTEXT", 0, text), (entry, "sent", "WM_CHAR", 13, b""),
            (f"{room}/transcript", "-", "LINE", 0, text)]


def clicked(name: bytes, icon: str) -> list[tuple]:
    """An instant message typed, and the icon that the walk took clicked."""
    keyword = b"aol://9293:" + name
    return [("keyword", "sent", "WM_SETTEXT", 0, keyword), ("keyword", "sent", "WM_CHAR", 32, b""),
            ("keyword", "sent", "WM_CHAR", 13, b""), ("keyword", "-", "KEYWORD", 0, keyword),
            ("im", "-", "IM_OPEN", 0, name), ("im/entry", "sent", "WM_SETTEXT", 0, b"=)"),
            (icon, "sent", "WM_LBUTTONDOWN", 0, b""), (icon, "sent", "WM_LBUTTONUP", 0, b"")]


def test_only_the_room_and_the_icon_meant_take_input(zoble, golden):
    # No client at all: nothing is posted (the pauses kept with no line to
    # measure them by are the unit tests').
    z = zoble("--no-client", "--stray-richcntl")
    z.session.click(*z.session.window("Form2").middle())
    z.main = z.session.window("Form1")
    z.session.stop(z.sim)
    assert received(z.sim) == []
    # The decoy, in front of two rooms, lacks only the people list: lines go
    # to the room behind it. Of five icons, the walk's ninth step takes the third.
    z.sim = z.session.hostsim("--at", "330,40", "--rooms", "Lobby,Back", "--decoy",
                              "--stray-richcntl", "--im-icons", "5")
    z.click(START)
    z.sim.wait_lines(3)
    z.choose("ims off")
    z.sim.wait_for("WM_LBUTTONUP")
    z.session.stop(z.sim)
    assert received(z.sim) == (line("Back", golden.SignatureLine) + line("Back", golden.IdleOnLine)
                               + line("Back", golden.reason(b"idle reason"))
                               + clicked(b"$IM_OFF", "im/icon3"))
    # A room with one "RICHCNTL" has no entry for the farewell, which comes
    # inside the wait for an answer to the click. Of three icons, the walk
    # starts again from the first twice.
    z.sim = z.session.hostsim("--at", "330,40", "--single-richcntl", "--stray-richcntl",
                              "--im-icons", "3")
    z.choose("ims on")
    z.sim.wait_for("WM_LBUTTONUP")
    z.click(CLOSE)
    assert z.process.wait_exit(60) == 0
    z.session.stop(z.sim)
    assert received(z.sim) == clicked(b"$IM_ON", "im/icon1")
