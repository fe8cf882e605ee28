#!/usr/bin/env python3
"""The harness's own parts that need no Wine: the record format, the
record stream's waiting rules and the choice of Wine loader."""

from __future__ import annotations

import os
import tempfile
import threading
import time
import unittest

from harness import Record, RecordsEnded, RecordStream, escape, match, unescape, windows_path
from wine import LOADERS, NoWine, Wine, pe_arch, plan


class RecordFormatTest(unittest.TestCase):
    def test_every_byte_survives_escaping(self):
        data = bytes(range(256)) + b"\\x41\\\\"
        field = escape(data)
        self.assertTrue(all(0x20 <= b < 0x7F for b in field))
        self.assertNotIn(b"\t", field)
        self.assertEqual(unescape(field), data)

    def test_escapes_are_read_exactly(self):
        self.assertEqual(unescape(rb"a\\xba"), b"a\\xba")  # an escaped backslash, then text
        self.assertEqual(unescape(rb"\xba\x0d\x0a"), b"\xba\r\n")
        self.assertEqual(unescape(b""), b"")

    def test_what_hostsim_never_writes_is_refused(self):
        for bad in (rb"\xBA", rb"\x4", rb"\q", b"\\", b"tab\there", b"\xba", rb"\xg0"):
            with self.subTest(bad=bad), self.assertRaises(ValueError):
                unescape(bad)

    def test_record_line(self):
        r = Record.parse(b"6109\tTown Square/entry\tsent\tWM_SETTEXT\t0\t0\t\\xba. idle\\\\\n")
        self.assertEqual(r, Record(6109, "Town Square/entry", "sent", "WM_SETTEXT", 0, 0,
                                   b"\xba. idle\\"))
        self.assertEqual(Record.parse(str(r).encode()), r)
        key_up = Record.parse(b"1582\tkeyword\tqueued\tWM_KEYUP\t65\t3223191553\t")
        self.assertEqual((key_up.lparam, key_up.text), (3223191553, b""))
        with self.assertRaises(ValueError):
            Record.parse(b"1\t-\t-\tREADY\t0\t0")  # a field short

    def test_windows_path(self):
        self.assertEqual(windows_path("/tmp/a b/log.txt"), "Z:\\tmp\\a b\\log.txt")


class RecordStreamTest(unittest.TestCase):
    def setUp(self):
        self.read_end, self.write_end = os.pipe()
        self.stream = RecordStream(self.read_end)

    def tearDown(self):
        os.close(self.read_end)
        if self.write_end >= 0:
            os.close(self.write_end)

    def write(self, data: bytes) -> None:
        os.write(self.write_end, data)

    def close_writer(self) -> None:
        os.close(self.write_end)
        self.write_end = -1

    def test_lines_split_across_writes_are_joined(self):
        self.write(b"1\t-\t-\tREADY\t0\t0\t\n2\tLobby/entry\tsent\tWM_SET")
        self.write(b"TEXT\t0\t0\thi\n")
        self.assertEqual(self.stream.wait_for(match("WM_SETTEXT"), 1).text, b"hi")
        self.assertEqual([r.event for r in self.stream.records], ["READY", "WM_SETTEXT"])

    def test_matches_are_taken_in_order(self):
        self.write(b"1\t-\t-\tLINE\t0\t0\ta\n2\t-\t-\tLINE\t0\t0\tb\n3\t-\t-\tAWAKE\t0\t0\t\n")
        self.assertEqual(self.stream.wait_for(match("LINE"), 1).text, b"a")
        self.assertEqual(self.stream.wait_for(match("LINE"), 1).text, b"b")
        self.stream.wait_for(match("AWAKE"), 1)
        # Past the last match: the earlier lines are not found again.
        self.close_writer()
        with self.assertRaises(RecordsEnded):
            self.stream.wait_for(match("LINE"), 1)

    def test_wakes_for_a_record_written_later(self):
        writer = threading.Timer(0.3, self.write, [b"9\t-\t-\tREADY\t0\t0\t\n"])
        started = time.monotonic()
        writer.start()
        try:
            self.stream.wait_for(match("READY"), 5)
        finally:
            writer.join()
        self.assertLess(time.monotonic() - started, 2)

    def test_gives_up_at_the_deadline_and_at_the_end(self):
        started = time.monotonic()
        with self.assertRaises(TimeoutError):
            self.stream.wait_for(match("READY"), 0.3)
        self.assertLess(time.monotonic() - started, 1.5)
        self.close_writer()
        started = time.monotonic()
        with self.assertRaises(RecordsEnded):
            self.stream.wait_for(match("READY"), 5)
        self.assertLess(time.monotonic() - started, 1)  # the end, not the deadline


class WinePlanTest(unittest.TestCase):
    @staticmethod
    def starting(*arches: str):
        return lambda loader: loader in {LOADERS[a] for a in arches}

    def test_both_builds_run_where_both_loaders_start(self):
        chosen = plan(self.starting("win32", "win64"))
        self.assertEqual(chosen.builds, ["win32", "win64"])
        self.assertIn("both", chosen.reason)

    def test_without_32_bit_execution_only_win64_runs_and_the_line_says_why(self):
        for chosen in (plan(self.starting("win64")),
                       plan(self.starting("win32", "win64"), no_wine32=True)):
            self.assertEqual(chosen.builds, ["win64"])
            self.assertIn("win64 only", chosen.reason)
            self.assertIn("win32 is built and checked statically", chosen.reason)

    def test_no_loader_is_a_failure_not_a_skip(self):
        with self.assertRaises(NoWine):
            plan(self.starting())
        with self.assertRaises(NoWine):
            plan(self.starting("win32"), no_wine32=True)

    def test_each_build_runs_under_its_own_loader(self):
        # Debian's `wine` wrapper would take the 32-bit loader for both.
        self.assertEqual(Wine("win32").command("a.exe", "-x"), [LOADERS["win32"], "a.exe", "-x"])
        self.assertEqual(Wine("win32").env(), {"WINEARCH": "win32"})
        self.assertEqual(Wine("win64").command("a.exe")[0], "/usr/lib/wine/wine64")
        self.assertEqual(Wine("win64").env(),
                         {"WINEARCH": "win64", "WINELOADER": "/usr/lib/wine/wine64"})

    def test_a_programs_build_is_read_from_its_header(self):
        with tempfile.TemporaryDirectory() as d:
            for machine, arch in ((0x014C, "win32"), (0x8664, "win64")):
                exe = os.path.join(d, f"{arch}.exe")
                header = bytearray(0x100)
                header[:2] = b"MZ"
                header[0x3C:0x40] = (0x80).to_bytes(4, "little")
                header[0x80:0x86] = b"PE\0\0" + machine.to_bytes(2, "little")
                with open(exe, "wb") as f:
                    f.write(header)
                self.assertEqual(pe_arch(exe), arch)
            with open(exe, "r+b") as f:
                f.seek(0x84)
                f.write((0x01C4).to_bytes(2, "little"))  # ARM: no build of ours
            with self.assertRaises(ValueError):
                pe_arch(exe)


if __name__ == "__main__":
    unittest.main()
