#!/usr/bin/env python3
"""zoble.exe against a client that misbehaves, and a user who does too: real
clicks and typing on the X display, the stand-in client in its fault modes
(docs/hostsim.md), and what a user would expect checked in the client's
records: nothing lost, nothing torn, nothing sent where it should not go, and
zoble answering throughout and ending cleanly.

    test_faults.py BUILD_DIR [unittest options]
"""

from __future__ import annotations

import select
import sys
import time
import unittest
from pathlib import Path

import catalogue as c
from harness import Record, Session, match
from zoble_ui import ADVERT, CLOSE, OPTIONS, REASON_BOX, START, STOP, Zoble

BUILD_DIR = Path()
GREETING = [c.BANNER, c.BANNER_LINK]
WHOLE_LINES = {c.BANNER, c.BANNER_LINK, c.SIGNATURE, c.IDLE_ON, c.IDLE_OFF, c.ADVERT,
               c.LINK_LINE}


def lines_by_room(records: list[Record]) -> list[tuple[str, bytes]]:
    return [(r.window.split("/")[0], r.text) for r in records if r.event == "LINE"]


class Faults(unittest.TestCase):
    def session(self) -> Session:
        return Session(BUILD_DIR)

    def assert_entries_whole(self, records: list[Record]) -> None:
        """Every text set into a room's entry is a whole line, and Enter
        follows it directly: nothing torn, no Enter without its text."""
        into_entries = [r for r in records if r.window.endswith("/entry") and r.how == "sent"]
        for text, enter in zip(into_entries[::2], into_entries[1::2]):
            self.assertEqual(text.event, "WM_SETTEXT")
            self.assertTrue(text.text in WHOLE_LINES or text.text.startswith(c.reason(b"")[:-1]),
                            text.text)
            self.assertEqual((enter.event, enter.wparam), ("WM_CHAR", 13))
        self.assertEqual(len(into_entries) % 2, 0, "an Enter is missing")

    # -- The client's windows ------------------------------------------------

    def test_without_the_client_or_its_entry_nothing_is_sent_anywhere(self):
        # No client at all; then a room that lacks its entry. zoble does
        # everything as usual and ends.
        for args in (["--no-client"], ["--single-richcntl"]):
            with self.subTest(args=args), self.session() as session:
                z = Zoble(self, session, *args)
                z.open_main_window(greeting=[])
                z.click(START)
                time.sleep(3)  # the start's pauses
                z.choose("ims off")
                z.click(ADVERT)
                time.sleep(3)
                z.close(farewell=[])
                session.stop(z.sim)
                records = z.sim.read_to_end()
            # Only the instant-message conversation, where there is a client.
            self.assertEqual([r for r in records if r.window.startswith("Lobby")], [])
            self.assertEqual([r.event for r in records if not r.window.startswith(("im", "keyword"))],
                             ["READY"])

    def test_with_no_room_open_nothing_is_posted_and_the_program_still_ends(self):
        with self.session() as session:
            z = Zoble(self, session, rooms="")
            z.open_main_window(greeting=[])
            status = z.close(farewell=[])
            session.stop(z.sim)
            records = z.sim.read_to_end()
        # The farewell's pause is still taken: half a second to a second and a half.
        self.assertGreater(status.elapsed, 0.4)
        self.assertLess(status.elapsed, 2.0)
        self.assertEqual([r.event for r in records], ["READY"])

    def test_the_front_room_gets_everything_and_the_next_takes_over_when_it_closes(self):
        # Front closes right after the start's first line: the rest of the
        # start goes, whole, to the room behind it.
        with self.session() as session:
            z = Zoble(self, session, "--close-room-after-line", "3", rooms="Back,Front")
            z.open_main_window()
            z.click(START)
            z.wait_lines(5)
            z.close()
            session.stop(z.sim)
            records = z.sim.read_to_end()
        self.assertEqual(lines_by_room(records), [
            ("Front", c.BANNER), ("Front", c.BANNER_LINK), ("Front", c.SIGNATURE),
            ("Back", c.IDLE_ON), ("Back", c.reason(b"idle reason")),
            ("Back", c.BANNER), ("Back", c.BANNER_LINK)])
        self.assertEqual([r.text for r in records if r.event == "ROOM_CLOSED"], [b"Front"])
        self.assert_entries_whole(records)

    # -- A client that stalls ----------------------------------------------------

    def assert_answered_throughout(self, answered: dict[str, int], seconds: float) -> None:
        """zoble answered every question the system asked it within 1 s,
        repainted its window each time, and the system never took it for hung."""
        self.assertEqual((answered["hung"], answered["unanswered"], answered["unpainted"]),
                         (0, 0, 0), answered)
        self.assertLess(answered["worst_ms"], 1000, answered)
        self.assertGreater(answered["samples"], seconds * 5, answered)

    def start_into_a_stall(self, z: Zoble, stall_s: float, watch_s: float):
        """A start whose second line meets a client that has just stalled;
        "adv" clicked and a word typed into the reason box inside the stall;
        "stop" clicked once the start and the advert have posted. Returns the
        watch on zoble's answers, started before the start."""
        watch = z.start_watch(watch_s)
        z.click(START)
        z.sim.wait_for(match("HANG"), 20)
        time.sleep(2.5)  # the start's first pause is over: its next line waits on the client
        z.click(ADVERT)
        z.session.type("back ")
        z.shot(f"inside-a-{stall_s}-s-stall")  # zoble drawn whole, the box not yet typed in
        z.sim.wait_for(match("AWAKE"), stall_s + 10)
        z.wait_lines(8)
        z.click(STOP)
        return watch

    # The start's second line waited for the client; the click and the typing
    # waited in zoble's queue, in their order, for the start's next pause:
    # adv ran whole inside it, and the reason read after it has the typed word.
    STALLED_SESSION = GREETING + [
        c.SIGNATURE, c.IDLE_ON, c.SIGNATURE, c.ADVERT, c.LINK_LINE, c.reason(b"back idle reason"),
        c.SIGNATURE, c.IDLE_OFF] + GREETING

    def test_a_client_that_stalls_8_s_gets_every_line(self):
        # Longer than the 5 s after which the system calls the client hung.
        with self.session() as session:
            z = Zoble(self, session, "--hang", "8000", "--hang-after-line", "3")
            z.open_main_window()
            watch = self.start_into_a_stall(z, 8, watch_s=18)
            z.wait_lines(10)
            answered = z.watch_result(watch)
            z.close()
            session.stop(z.sim)
            records = z.sim.read_to_end()
        self.assertEqual(z.lines(), self.STALLED_SESSION)
        self.assert_answered_throughout(answered, 14)
        self.assert_entries_whole(records)

    def test_a_client_that_stalls_5_s_gets_every_line_and_a_close_waits_for_the_send(self):
        # A second stall comes after the stop's first line; Alt+F4 pressed
        # inside it waits until the stop's last line has gone.
        with self.session() as session:
            z = Zoble(self, session, "--hang", "5000", "--hang-after-line", "3,9")
            z.open_main_window()
            # Watched until zoble has ended.
            watch = self.start_into_a_stall(z, 5, watch_s=40)
            z.sim.wait_for(match("HANG"), 20)
            time.sleep(2.5)
            session.key("alt+F4")
            awake = z.sim.wait_for(match("AWAKE"), 20)
            self.assertEqual(z.process.wait_exit(20).code, 0)
            answered = z.watch_result(watch)
            session.stop(z.sim)
            records = z.sim.read_to_end()
        self.assertEqual(z.lines(), self.STALLED_SESSION)
        farewell = [r for r in records if r.event == "LINE"][-2]
        self.assertGreater(farewell.ms, awake.ms)
        self.assert_answered_throughout(answered, 14)
        self.assert_entries_whole(records)

    def test_a_client_hung_40_s_loses_only_what_was_sent_into_the_hang(self):
        with self.session() as session:
            z = Zoble(self, session, "--hang", "40000", "--hang-after-line", "3")
            z.open_main_window()
            z.click(START)
            z.sim.wait_for(match("HANG"), 20)
            hung_at = time.monotonic()
            watch = z.start_watch(44)
            watch_from = time.monotonic()
            time.sleep(5)
            # Typing waits in zoble's queue until the send in flight is given up.
            session.type("x")
            z.sim.wait_for(match("AWAKE"), 50)
            answered = z.watch_result(watch)
            clicked = time.monotonic()
            z.click(STOP)
            z.wait_lines(5)
            stop_took = time.monotonic() - clicked
            status = z.close()
            session.stop(z.sim)
            records = z.sim.read_to_end()
        # The start's second line was given up whole after the bound, and its
        # reason line, with the client still hung, at once; what came after
        # the client was back went through.
        self.assertEqual(z.lines(), GREETING + [c.SIGNATURE, c.SIGNATURE, c.IDLE_OFF] + GREETING)
        self.assertEqual([r for r in records if r.event == "WM_SETTEXT"
                          and r.text in (c.IDLE_ON, c.reason(b"xidle reason"))], [])
        self.assert_answered_throughout(answered, 40)
        # The typing reached the box once zoble gave the line up: about 30 s
        # after the send began, 0.5 to 1.5 s after the hang (the start's
        # pause). The probe starts a little after it is asked to.
        given_up = watch_from - hung_at + answered["changed_ms"] / 1000
        self.assertGreater(given_up, 30, answered)
        self.assertLess(given_up, 34, answered)
        self.assertLess(stop_took, 3, "the stop's lines came promptly")
        self.assertLess(status.elapsed, 4, "the close ended zoble promptly")
        self.assert_entries_whole(records)

    # -- The instant-message conversation --------------------------------------

    def im_gives_up(self, *hostsim_args: str, last_event: str) -> list[Record]:
        """Chooses "ims off", clicks "adv" during the conversation and checks
        its lines come at once; waits for `last_event`, which comes after
        zoble's bound, and returns the records."""
        with self.session() as session:
            z = Zoble(self, session, *hostsim_args)
            z.open_main_window()
            z.choose("ims off")
            keyword = z.sim.wait_for(match("KEYWORD"), 10)
            z.click(ADVERT)
            z.wait_lines(5)
            advert = [r for r in z.sim.records if r.event == "LINE"][2:5]
            z.sim.wait_for(match(last_event), 40)
            time.sleep(2)
            z.close()
            session.stop(z.sim)
            records = z.sim.read_to_end()
        self.assertEqual([r.text for r in advert], [c.SIGNATURE, c.ADVERT, c.LINK_LINE])
        self.assertLess(advert[0].ms - keyword.ms, 2500, "the click waited for the conversation")
        self.assertEqual(z.lines()[-2:], GREETING)
        return records

    def test_an_instant_message_window_that_opens_too_late_is_left_alone(self):
        records = self.im_gives_up("--im-delay", "20000", last_event="IM_OPEN")
        self.assertEqual([r for r in records if r.window.startswith("im") and r.how != "-"], [])

    def test_a_dialog_that_comes_too_late_is_left_alone(self):
        records = self.im_gives_up("--im-outcome", "dialog", "--outcome-delay", "20000",
                                   last_event="DIALOG")
        self.assertEqual([(r.window, r.event) for r in records
                          if r.how != "-" and r.window.startswith(("im", "dialog"))],
                         [("im/entry", "WM_SETTEXT"), ("im/icon9", "WM_LBUTTONDOWN"),
                          ("im/icon9", "WM_LBUTTONUP")])

    def test_a_dialog_without_a_button_still_gets_the_window_closed(self):
        records = self.im_gives_up("--im-outcome", "bare-dialog", last_event="IM_CLOSED")
        self.assertEqual([(r.window, r.how, r.event) for r in records
                          if r.how != "-" and r.window.startswith(("im", "dialog"))],
                         [("im/entry", "sent", "WM_SETTEXT"), ("im/icon9", "sent", "WM_LBUTTONDOWN"),
                          ("im/icon9", "sent", "WM_LBUTTONUP"), ("im", "queued", "WM_CLOSE")])

    # -- Closes at awkward moments ---------------------------------------------

    def test_a_close_inside_a_sequence_drops_its_remaining_lines(self):
        for label, first, rest in ((START, c.SIGNATURE, [c.IDLE_ON]),
                                   (STOP, c.SIGNATURE, [c.IDLE_OFF]),
                                   (ADVERT, c.SIGNATURE, [c.ADVERT])):
            with self.subTest(label=label), self.session() as session:
                z = Zoble(self, session)
                z.open_main_window()
                z.click(label)
                z.wait_lines(3)
                z.click(CLOSE)
                self.assertEqual(z.process.wait_exit(20).code, 0)
                session.stop(z.sim)
                records = z.sim.read_to_end()
            # The close came inside the first pause (or, on a slow machine,
            # the second): nothing of the sequence follows the farewell.
            lines = z.lines()
            self.assertEqual(lines[:3], GREETING + [first])
            self.assertEqual(lines[-2:], GREETING)
            self.assertIn(lines[3:-2], ([], rest))
            self.assert_entries_whole(records)

    def test_a_system_close_inside_the_greeting_says_goodbye_at_once(self):
        with self.session() as session:
            z = Zoble(self, session)
            probe = session.start(BUILD_DIR / "probe.exe", "close-on-create", "30",
                                  capture_output=True)
            ready, _, _ = select.select([probe.popen.stdout], [], [], 20)
            self.assertTrue(ready and probe.popen.stdout.readline().strip() == b"ready")
            splash = session.wait_window("Form2")
            session.click(*splash.at(splash.width // 2, splash.height // 2))
            self.assertEqual(z.process.wait_exit(20).code, 0)
            self.assertEqual(probe.wait_exit(10).code, 0)
            session.stop(z.sim)
            records = z.sim.read_to_end()
        # The greeting's link is dropped with the window; it never showed.
        self.assertEqual(z.lines(), [c.BANNER] + GREETING)
        self.assert_entries_whole(records)

    def test_a_second_close_inside_the_farewell_still_ends_with_one_whole_goodbye(self):
        with self.session() as session:
            z = Zoble(self, session)
            z.open_main_window()
            z.click(CLOSE)
            z.wait_lines(3)
            session.key("alt+F4")
            self.assertEqual(z.process.wait_exit(20).code, 0)
            session.stop(z.sim)
            records = z.sim.read_to_end()
        lines = z.lines()
        self.assertEqual(lines[:3], GREETING + [c.BANNER])
        self.assertEqual(lines[-2:], GREETING, "the goodbye ends with its link")
        self.assertLessEqual(len(lines), 6)
        self.assert_entries_whole(records)

    def test_a_close_inside_an_instant_message_wait_leaves_the_window_alone(self):
        with self.session() as session:
            z = Zoble(self, session, "--im-delay", "4000")
            z.open_main_window()
            z.choose("ims off")
            z.sim.wait_for(match("KEYWORD"), 10)
            z.close()
            z.sim.wait_for(match("IM_OPEN"), 20)
            time.sleep(2)
            session.stop(z.sim)
            records = z.sim.read_to_end()
        self.assertEqual([r for r in records if r.window.startswith("im") and r.how != "-"], [])

    def test_a_close_with_a_box_or_the_menu_open_ends_everything(self):
        # The taskbar's Close (a WM_CLOSE from outside) while the about box,
        # or the options menu, is open: the goodbye, and no window left.
        for what in ("box", "menu"):
            with self.subTest(open=what), self.session() as session:
                z = Zoble(self, session)
                z.open_main_window()
                if what == "box":
                    z.choose("about")
                    session.wait_window("zoble")
                else:
                    z.click(OPTIONS)
                    session.wait_window(None)
                z.probe("close")
                self.assertEqual(z.process.wait_exit(20).code, 0)
                z.wait_lines(4)
                session.stop(z.sim)
                records = z.sim.read_to_end()
            self.assertEqual(z.lines(), GREETING + GREETING)
            self.assert_entries_whole(records)

    # -- A user in a hurry, and a long idle --------------------------------------

    def test_twenty_quick_starts_then_three_minutes_of_reminders_on_time(self):
        with self.session() as session:
            z = Zoble(self, session)
            z.open_main_window()
            # The reason box has the focus as the window shows: typing goes
            # there without a click, at the start of its text.
            session.type("out, ")
            z.session.mousemove(*z.main.at(*START))
            session.xdotool("click", "--repeat", "20", "--delay", "90", "1")
            burst = z.wait_lines(2 + 60, timeout=120)
            last = [r for r in z.sim.records if r.event == "LINE"][-1]
            z.click(REASON_BOX)
            session.key("End", "shift+Home")
            session.type("still out")
            z.wait_lines(2 + 60 + 9, timeout=200)
            reminders = [r for r in z.sim.records if r.event == "LINE"][62:71]
            z.click(STOP)
            z.wait_lines(2 + 60 + 9 + 2)
            z.close()
            session.stop(z.sim)
            records = z.sim.read_to_end()
        # Every line of the twenty starts whole, none lost: the nested starts
        # interleave, but each posts its three lines in their order.
        started = burst[2:]
        self.assertEqual(sorted(started), sorted([c.SIGNATURE, c.IDLE_ON,
                                                  c.reason(b"out, idle reason")] * 20))
        self.assertEqual(started[0], c.SIGNATURE)
        self.assert_entries_whole(records)
        # The timer is the last finisher's: on, a minute after its last line.
        self.assertEqual([r.text for r in reminders],
                         [c.SIGNATURE, c.IDLE_ON, c.reason(b"still out")] * 3)
        for n in range(3):
            due = last.ms + 60000 * (n + 1)
            self.assertAlmostEqual(reminders[3 * n].ms, due, delta=1000,
                                   msg=f"reminder {n + 1} against its schedule")
        self.assertEqual(z.lines()[-4:], [c.SIGNATURE, c.IDLE_OFF] + GREETING)

    # -- Reasons ---------------------------------------------------------------

    def test_reasons_go_out_as_the_code_page_has_them_and_never_cut(self):
        long = "".join("long reason %04d " % i for i in range(118))[:2000]
        typed = [("", b""), ("<b>&amp;</b> &lt;3 \"q\"", b"<b>&amp;</b> &lt;3 \"q\"")]
        # Beyond the code page: one substitute for each UTF-16 unit, and no
        # best-fit look-alikes (a full-width "<" must not become markup).
        set_by_message = [(long, long.encode()),
                          ("caf\u00e9 \u20ac \u0142\u00f3d\u017a", b"caf\xe9 \x80 ?\xf3d?"),
                          ("\u05e9\u05dc\u05d5\u05dd abc", b"???? abc"),
                          ("ok \U0001f600 \uff1cb\uff1e", b"ok ?? ?b?")]
        with self.session() as session:
            z = Zoble(self, session)
            z.open_main_window()
            expected = []
            for text, posted in typed + set_by_message:
                if (text, posted) in typed:
                    z.click(REASON_BOX)
                    session.key("End", "shift+Home", "BackSpace")
                    if text:
                        session.type(text)
                else:
                    z.set_reason(text)
                z.click(START)
                expected += [c.SIGNATURE, c.IDLE_ON, c.reason(posted)]
                z.wait_lines(2 + len(expected))
            z.close()
            session.stop(z.sim)
            records = z.sim.read_to_end()
        self.assertEqual(z.lines()[2:-2], expected)
        self.assert_entries_whole(records)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    BUILD_DIR = Path(sys.argv.pop(1)).resolve()
    unittest.main()
