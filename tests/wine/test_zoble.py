"""zoble.exe used as a person uses it, with real clicks and typing on the X
display, against the stand-in client: what the client received is checked
byte for byte and in order; screenshots are left in BUILD/wine-shots."""

from __future__ import annotations

from dataclasses import replace

from panel import ADVERT, DRAG_STRIP, START, STOP
from zoble_ui import assert_entries_whole

WS_OVERLAPPEDWINDOW, WS_POPUP = 0x00CF0000, 0x80000000
WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_APPWINDOW = 0x8, 0x80, 0x40000


def test_walk(zoble, golden):
    g = golden
    z = zoble(layout="fr")  # French keys: the accented letters have keys of their own
    z.session.window("Form2")
    z.shot("splash")
    z.open()
    z.shot("main")
    # The reason box has the focus as the panel shows: typing goes there
    # without a click, before its text. Each of these characters has a key of
    # its own on French keys (xdotool types "<" there with AltGr, which Wine
    # now and then reads without it).
    z.session.type("& \u00e9t\u00e9 \u00e0 midi, ")
    reason = g.reason(b"& \xe9t\xe9 \xe0 midi, idle reason")
    z.click(START)
    z.sim.wait_lines(5)
    z.shot("idle-on")
    z.click(ADVERT)
    z.sim.wait_lines(8)
    z.click(STOP)
    z.sim.wait_lines(10)

    # Five quick clicks on start are five starts, nested in each other's
    # pauses: the quick pairs are clicks, not double-clicks.
    z.session.mousemove(*z.main.at(*START))
    z.session.xdotool("click", "--repeat", "5", "--delay", "90", "1")
    burst = z.sim.wait_lines(25)[10:]
    assert sorted(burst) == sorted([g.SignatureLine, g.IdleOnLine, reason] * 5)

    # The drag strip hands the panel to the system's move, which follows the
    # pointer to the next click.
    before = z.main
    z.click(DRAG_STRIP)
    x, y = z.main.at(*DRAG_STRIP)
    z.session.mousemove(x + 200, y + 150)
    z.session.click(x + 210, y + 160)
    # Stop clicked where the pointer took the window: its lines say it is there.
    z.main = replace(before, x=before.x + 210, y=before.y + 160)
    z.click(STOP)
    z.sim.wait_lines(27)
    assert z.session.geometry(before.id) == z.main
    z.shot("dragged")

    z.session.key("alt+F4")  # closed by the system: the same end as its own x
    z.ends_with_farewell(27)
    z.session.stop(z.sim)
    records = z.sim.read_to_end()
    stop = [g.SignatureLine, g.IdleOffLine]
    assert z.sim.lines()[:10] == g.greeting + [g.SignatureLine, g.IdleOnLine, reason] + [
        g.SignatureLine, g.AdvertLine, g.LinkLine] + stop
    assert z.sim.lines()[25:] == stop + g.greeting
    assert_entries_whole(g, records)


def test_options_menu(zoble, golden):
    z = zoble("--im-outcome", "dialog")
    z.open()
    for item in ("ims off", "ims on"):
        z.choose(item)
        z.sim.wait_for("IM_CLOSED")
        assert z.session.shown(None, z.process) == [], "the menu closed"
    holder, _ = z.describe("ZobleForm", "Form3")  # loaded with its menu
    main, _ = z.describe("ZobleForm", "Form1")
    z.choose("exit")
    z.ends_with_farewell(2)
    z.session.stop(z.sim)
    records = z.sim.read_to_end()

    def conversation(name: bytes) -> list[tuple]:
        return [("keyword", "sent", "WM_SETTEXT", b"aol://9293:" + name),
                ("keyword", "sent", "WM_CHAR", b""), ("keyword", "sent", "WM_CHAR", b""),
                ("im/entry", "sent", "WM_SETTEXT", b"=)"),
                ("im/icon9", "sent", "WM_LBUTTONDOWN", b""), ("im/icon9", "sent", "WM_LBUTTONUP", b""),
                ("dialog/button", "queued", "WM_KEYDOWN", b""),
                ("dialog/button", "queued", "WM_KEYUP", b""), ("im", "queued", "WM_CLOSE", b"")]

    # The box's own loop makes the posted key press a WM_CHAR, or not, as
    # Wine's timing has it: not a message zoble sent.
    received = [(r.window, r.how, r.event, r.text) for r in records
                if r.how != "-" and not r.window.startswith("Lobby")
                and (r.window, r.event) != ("dialog/button", "WM_CHAR")]
    assert received == conversation(b"$IM_OFF") + conversation(b"$IM_ON")
    # The menu's holder: loaded, hidden, the system's default frame.
    assert holder["style"] & WS_OVERLAPPEDWINDOW == WS_OVERLAPPEDWINDOW
    assert (holder["visible"], holder["exstyle"] & WS_EX_TOOLWINDOW) == (0, 0)
    # The panel: a popup, always on top, with a taskbar button.
    assert main["style"] & WS_POPUP
    assert main["exstyle"] & (WS_EX_TOPMOST | WS_EX_APPWINDOW) == WS_EX_TOPMOST | WS_EX_APPWINDOW


def test_a_second_copy_ends_and_brings_the_first_forward(zoble):
    z = zoble()
    z.session.window("Form2")

    def second_copy(front: str) -> None:
        # Launched while the client is the front window: it ends at once,
        # having brought the running copy's window forward.
        z.session.click(600, 300)
        assert z.session.probe("front").output().split() == ["AOL", "Frame25", "America", "Online"]
        copy = z.session.start(z.session.build_dir / "zoble.exe")
        assert copy.wait_exit(30) == 0
        assert z.session.probe("front").output().split() == ["ZobleForm", front]

    second_copy("Form2")
    styles, _ = z.describe("ZobleForm", "Form2")
    assert styles["exstyle"] & WS_EX_TOPMOST
    # Nothing sent: the clicks on the client were the test's own.
    assert [r for r in z.sim.records if r.how == "sent" or r.event == "LINE"] == []
    z.open()
    second_copy("Form1")
