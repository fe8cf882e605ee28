"""End-to-end sessions under Wine: a private X display, a private Wine prefix,
Windows programs started in them, hostsim's records as they arrive, real
input and screenshots, and a teardown that ends exactly what was started.

Every wait here sleeps in the kernel until its event (a pipe becoming
readable, a process ending) or its deadline; nothing sleeps and checks.
"""

from __future__ import annotations

import os
import selectors
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Iterable, Sequence

from wine import for_build

# Wine's noise off, no Mono or Gecko installers, and a UTF-8 locale whose
# language makes the ANSI code page 1252.
WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "LANG": "C.UTF-8",
    "LC_ALL": "C.UTF-8",
}


class Deadline:
    def __init__(self, seconds: float):
        self.end = time.monotonic() + seconds

    def remaining(self) -> float:
        return max(0.0, self.end - time.monotonic())


def wait_readable(fd: int, deadline: Deadline) -> bool:
    """Sleeps until `fd` is readable (True) or the deadline passes (False)."""
    with selectors.DefaultSelector() as selector:
        selector.register(fd, selectors.EVENT_READ)
        return bool(selector.select(deadline.remaining()))


def wait_pid_exit(popen: subprocess.Popen, deadline: Deadline) -> bool:
    """Sleeps on a pidfd until the child ends; reaps it. False on the deadline."""
    if popen.returncode is not None:
        return True
    try:
        pidfd = os.pidfd_open(popen.pid)
    except ProcessLookupError:  # already reaped elsewhere
        popen.wait()
        return True
    try:
        if not wait_readable(pidfd, deadline):
            return False
    finally:
        os.close(pidfd)
    popen.wait()  # it has ended: this returns at once
    return True


def run(cmd: Sequence[str], *, env: dict | None = None, timeout: float = 60.0,
        cwd: str | Path | None = None) -> bytes:
    """Runs a command to its end and returns its standard output. Raises on a
    non-zero exit or when it outlives `timeout` (it is killed then)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        popen = subprocess.Popen(list(cmd), env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                 stdout=out, stderr=err)
        if not wait_pid_exit(popen, Deadline(timeout)):
            popen.kill()
            wait_pid_exit(popen, Deadline(10))
            raise TimeoutError(f"{cmd[0]} ran longer than {timeout} s")
        out.seek(0)
        err.seek(0)
        if popen.returncode != 0:
            raise subprocess.CalledProcessError(popen.returncode, list(cmd), out.read(), err.read())
        return out.read()


def start_xvfb(log: Path, timeout: float = 15.0) -> tuple[subprocess.Popen, str]:
    """Starts Xvfb on a display of its own choosing and returns it with its
    DISPLAY once it accepts connections (it writes the number when ready)."""
    read_end, write_end = os.pipe()
    try:
        with open(log, "wb") as errors:
            xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=errors,
                pass_fds=(write_end,))
        os.close(write_end)
        write_end = -1
        deadline = Deadline(timeout)
        answer = b""
        while not answer.endswith(b"\n"):
            if not wait_readable(read_end, deadline):
                stop_process(xvfb)
                raise TimeoutError("Xvfb did not report a display")
            chunk = os.read(read_end, 64)
            if not chunk:
                stop_process(xvfb)
                raise RuntimeError(f"Xvfb ended: {log.read_text(errors='replace')[-2000:]}")
            answer += chunk
        return xvfb, ":" + answer.decode().strip()
    finally:
        os.close(read_end)
        if write_end >= 0:
            os.close(write_end)


def stop_process(popen: subprocess.Popen, grace: float = 5.0, sig=signal.SIGTERM) -> None:
    """Ends one child of ours by its process id: `sig`, then SIGKILL after `grace`."""
    if popen.returncode is not None:
        return
    try:
        popen.send_signal(sig)
    except ProcessLookupError:
        pass
    if not wait_pid_exit(popen, Deadline(grace)):
        popen.kill()
        wait_pid_exit(popen, Deadline(grace))


def windows_path(path: str | Path) -> str:
    """The Windows name of a Linux path: Wine maps drive Z: to /."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# ---------------------------------------------------------------------------
# hostsim's records

def escape(data: bytes) -> bytes:
    """hostsim's TEXT encoding: printable ASCII but \\ as is, \\\\, and \\xHH."""
    out = bytearray()
    for b in data:
        if b == 0x5C:
            out += b"\\\\"
        elif 0x20 <= b < 0x7F:
            out.append(b)
        else:
            out += b"\\x%02x" % b
    return bytes(out)


_HEX = b"0123456789abcdef"


def unescape(field: bytes) -> bytes:
    """The bytes a TEXT field stands for. Anything hostsim never writes (a
    raw control or high byte, an unknown escape, upper-case hex) is an error,
    so a fault in the writer cannot pass unnoticed."""
    out = bytearray()
    i = 0
    while i < len(field):
        b = field[i]
        if b != 0x5C:
            if not 0x20 <= b < 0x7F:
                raise ValueError(f"raw byte 0x{b:02x} at {i} in {field!r}")
            out.append(b)
            i += 1
        elif field[i + 1:i + 2] == b"\\":
            out.append(0x5C)
            i += 2
        elif (field[i + 1:i + 2] == b"x" and len(field) >= i + 4
              and field[i + 2] in _HEX and field[i + 3] in _HEX):
            out.append(int(field[i + 2:i + 4], 16))
            i += 4
        else:
            raise ValueError(f"bad escape at {i} in {field!r}")
    return bytes(out)


@dataclass(frozen=True)
class Record:
    ms: int
    window: str   # "frame", "Lobby/entry", ... ; "-" for the program itself
    how: str      # "sent", "queued"; "-" for events
    event: str    # "WM_SETTEXT", ... or "READY", "LINE", ...
    wparam: int
    lparam: int
    text: bytes

    @classmethod
    def parse(cls, line: bytes) -> Record:
        fields = line.rstrip(b"\n").split(b"\t")
        if len(fields) != 7:
            raise ValueError(f"expected 7 fields: {line!r}")
        ms, window, how, event, wparam, lparam, text = fields
        return cls(int(ms), window.decode("cp1252", errors="replace"), how.decode("ascii"),
                   event.decode("ascii"), int(wparam), int(lparam), unescape(text))

    def __str__(self) -> str:
        return (f"{self.ms}\t{self.window}\t{self.how}\t{self.event}\t{self.wparam}\t"
                f"{self.lparam}\t{escape(self.text).decode('ascii')}")


def match(event: str | None = None, window: str | None = None, how: str | None = None,
          text: bytes | None = None) -> Callable[[Record], bool]:
    """A predicate for wait_for: every field given must be equal."""
    def predicate(r: Record) -> bool:
        return ((event is None or r.event == event) and (window is None or r.window == window)
                and (how is None or r.how == how) and (text is None or r.text == text))
    return predicate


def assert_pauses_on_the_clock(test, sim: HostSim, sequences: list[list[bytes]]) -> None:
    """The room's lines are these sequences, one after the other, and every
    pause between two lines of a sequence ended on the whole second after the
    time of day at its start, rounded."""
    lines = [r for r in sim.records if r.event == "LINE"]
    test.assertEqual([r.text for r in lines], [line for seq in sequences for line in seq])
    i = 0
    for seq in sequences:
        for before, after in zip(lines[i:i + len(seq)], lines[i + 1:i + len(seq)]):
            late = sim.pause_lateness(before, after)
            # The clock is a single-precision number: a few ms either way.
            if late is not None:
                test.assertTrue(-0.03 < late < 0.25,
                                f"{after.text!r} came {late:+.3f} s after its whole second")
        i += len(seq)


class RecordsEnded(AssertionError):
    """The record stream ended (hostsim exited) before the awaited record."""


# ---------------------------------------------------------------------------
# Programs

@dataclass
class ExitStatus:
    code: int
    elapsed: float  # seconds the wait took


class WinProcess:
    """A Windows program run by `wine`, which keeps one process id."""

    def __init__(self, popen: subprocess.Popen, name: str, stderr_path: Path):
        self.popen = popen
        self.name = name
        self.stderr_path = stderr_path

    @property
    def pid(self) -> int:
        return self.popen.pid

    def wait_exit(self, timeout: float) -> ExitStatus:
        started = time.monotonic()
        if not wait_pid_exit(self.popen, Deadline(timeout)):
            raise TimeoutError(f"{self.name} still running after {timeout} s")
        return ExitStatus(self.popen.returncode, time.monotonic() - started)

    def stderr(self) -> str:
        try:
            return self.stderr_path.read_text(errors="replace")
        except OSError:
            return ""


class RecordStream:
    """Records read from a pipe as the writer flushes them."""

    def __init__(self, fd: int, describe: Callable[[], str] = lambda: ""):
        self.records: list[Record] = []
        self._fd = fd
        os.set_blocking(fd, False)
        self._partial = b""
        self._ended = False
        self._cursor = 0
        self._describe = describe

    @property
    def ended(self) -> bool:
        return self._ended

    def _read(self, deadline: Deadline) -> bool:
        """Sleeps until more output, its end, or the deadline; parses whole lines."""
        if self._ended or not wait_readable(self._fd, deadline):
            return False
        try:
            chunk = os.read(self._fd, 65536)
        except BlockingIOError:
            return True
        if not chunk:
            self._ended = True
            return True
        lines = (self._partial + chunk).split(b"\n")
        self._partial = lines.pop()
        self.records.extend(Record.parse(line) for line in lines)
        return True

    def wait_for(self, predicate: Callable[[Record], bool], timeout: float = 10.0) -> Record:
        """The first record after the previous match that satisfies `predicate`,
        sleeping until the next record arrives, until `timeout` seconds have
        passed. Records before the previous match are not searched again."""
        deadline = Deadline(timeout)
        while True:
            for i in range(self._cursor, len(self.records)):
                if predicate(self.records[i]):
                    self._cursor = i + 1
                    return self.records[i]
            if self._ended:
                raise RecordsEnded(self._story("the records ended"))
            if not self._read(deadline):
                raise TimeoutError(self._story(f"no such record within {timeout} s"))

    def take_available(self) -> list[Record]:
        """All records, with whatever the writer has flushed so far; does not wait."""
        while self._read(Deadline(0)):
            pass
        return self.records

    def read_to_end(self, timeout: float = 10.0) -> list[Record]:
        """All records, once the writer has closed its end."""
        deadline = Deadline(timeout)
        while not self._ended:
            if not self._read(deadline):
                raise TimeoutError(self._story(f"output still open after {timeout} s"))
        return self.records

    def _story(self, what: str) -> str:
        shown = "\n".join(str(r) for r in self.records[-40:])
        return f"{what}; records so far:\n{shown}\n{self._describe()}"


class HostSim(WinProcess):
    """hostsim with `--log -`: its records read from the pipe as they come."""

    def __init__(self, popen: subprocess.Popen, name: str, stderr_path: Path):
        super().__init__(popen, name, stderr_path)
        self.stream = RecordStream(popen.stdout.fileno(),
                                   self._describe)

    def _describe(self) -> str:
        code = self.popen.poll()
        status = "still running" if code is None else f"exited with code {code}"
        return f"{self.name} {status}; stderr:\n" + self.stderr()[-2000:]

    @property
    def records(self) -> list[Record]:
        return self.stream.records

    def wait_for(self, predicate: Callable[[Record], bool], timeout: float = 10.0) -> Record:
        return self.stream.wait_for(predicate, timeout)

    def wait_ready(self, timeout: float = 30.0) -> Record:
        return self.wait_for(match(event="READY", window="-"), timeout)

    def read_to_end(self, timeout: float = 10.0) -> list[Record]:
        return self.stream.read_to_end(timeout)

    def take_available(self) -> list[Record]:
        return self.stream.take_available()

    def time_of_day(self, record: Record) -> float:
        """The local time of day of a record, in seconds since midnight: READY
        tells at what time of day hostsim's clock started."""
        ready = next(r for r in self.records if r.event == "READY" and r.window == "-")
        return (ready.lparam + record.ms) / 1000 % 86400

    def pause_lateness(self, before: Record, after: Record) -> float | None:
        """How long after the whole second at which a pause between two lines
        should end the second line came: a pause starts from the time of day
        rounded to the nearest second and ends one second later. None when
        the first line came too near a half second to tell how it rounded."""
        start = self.time_of_day(before)
        if abs(start % 1 - 0.5) < 0.05:
            return None
        return self.time_of_day(after) - (round(start) + 1)


# ---------------------------------------------------------------------------
# Windows on the display

@dataclass
class XWindow:
    """A top-level X window as xwininfo reports it; Wine names each after
    its Windows title."""
    x: int
    y: int
    width: int
    height: int
    viewable: bool

    def at(self, dx: int, dy: int) -> tuple[int, int]:
        """A point given relative to the window's top-left corner."""
        return self.x + dx, self.y + dy


def query_popup(env: dict) -> XWindow | None:
    """The shown top-level window without a name bigger than a few pixels
    (an open popup menu), or None."""
    out = run(["xwininfo", "-root", "-children"], env=env, timeout=30).decode()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) < 4 or not parts[0].startswith("0x") or "(has no name)" not in line:
            continue
        info = run(["xwininfo", "-id", parts[0]], env=env, timeout=30).decode()
        window = parse_window(info)
        if window.viewable and window.width > 8 and window.height > 8:
            return window
    return None


def parse_window(xwininfo: str) -> XWindow:
    fields = {}
    for line in xwininfo.splitlines():
        key, _, value = line.strip().partition(":")
        fields[key] = value.strip()
    return XWindow(int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
                   int(fields["Width"]), int(fields["Height"]),
                   fields.get("Map State") == "IsViewable")


def query_window(title: str, env: dict) -> XWindow | None:
    """The X window named `title` now, or None when there is none."""
    try:
        out = run(["xwininfo", "-name", title], env=env, timeout=30).decode()
    except subprocess.CalledProcessError:
        return None
    return parse_window(out)


# The longest a wait for a window sleeps without a change before it looks again.
LOOK_AGAIN_AFTER = 1.0


class WindowWatch:
    """Sleeps until the X server reports a change among the top-level windows
    (xev on the root window's substructure), then looks again."""

    def __init__(self, env: dict, log: Path):
        self.env = env
        self._errors = open(log, "wb")
        self.popen = subprocess.Popen(["xev", "-root", "-event", "substructure"], env=env,
                                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=self._errors)
        os.set_blocking(self.popen.stdout.fileno(), False)

    def _drain(self, deadline: Deadline) -> bool:
        """Sleeps until xev prints something or the deadline; reads it all."""
        fd = self.popen.stdout.fileno()
        if not wait_readable(fd, deadline):
            return False
        try:
            if not os.read(fd, 65536):
                raise RuntimeError("xev ended")
        except BlockingIOError:
            pass
        return True

    def wait(self, title: str | None, condition: Callable[[XWindow | None], bool],
             timeout: float = 20.0, what: str = "as awaited") -> XWindow | None:
        """Looks at the window titled `title` (None: the open popup menu)
        after every change on the display until `condition` holds for it."""
        deadline = Deadline(timeout)
        while True:
            window = query_popup(self.env) if title is None else query_window(title, self.env)
            if condition(window):
                return window
            if deadline.remaining() <= 0:
                raise TimeoutError(f"window {title or 'popup'!r} not {what} within {timeout} s")
            # xev tells of changes once it has connected, which it does not
            # announce: a change made before then is found by a later look.
            self._drain(Deadline(min(deadline.remaining(), LOOK_AGAIN_AFTER)))

    def close(self) -> None:
        stop_process(self.popen, sig=signal.SIGKILL)
        self.popen.stdout.close()
        self._errors.close()


# ---------------------------------------------------------------------------
# Sessions

class Session:
    """An X display and a Wine prefix of our own, and the programs we start
    in them. Use it as a context manager: leaving it (also on a failure)
    ends all of it and removes the prefix."""

    def __init__(self, build_dir: str | Path, boot_timeout: float = 60.0,
                 display: str | None = None):
        """`display`: a person's display to use instead of a virtual one of
        our own; its window manager then takes Wine's windows."""
        self.build_dir = Path(build_dir)
        self.wine = for_build(self.build_dir)  # its programs decide the loader
        self.dir = Path(tempfile.mkdtemp(prefix="zoble-wine-"))
        self.prefix = self.dir / "prefix"
        self.xvfb: subprocess.Popen | None = None
        self.display = ""
        self._programs: list[WinProcess] = []
        self._watch: WindowWatch | None = None
        self._wine_used = False
        self._closed = False
        try:
            from make_prefix import make_prefix, set_managed, template_path  # ctest runs it
            template = make_prefix(template_path(self.build_dir), self.wine, timeout=boot_timeout)
            run(["cp", "-a", str(template), str(self.prefix)], timeout=boot_timeout)
            if display:
                self.display = display
            else:
                self.xvfb, self.display = start_xvfb(self.dir / "xvfb.log")
            self.env = dict(os.environ)
            for inherited in ("WAYLAND_DISPLAY", "WINEARCH", "WINELOADER"):
                self.env.pop(inherited, None)
            self.env.update(WINE_ENV, DISPLAY=self.display, WINEPREFIX=str(self.prefix),
                            **self.wine.env())
            if display:
                self._wine_used = True  # the server that reg starts is ended at close
                set_managed(self.wine, self.env, True, boot_timeout)
            self.watch()  # listening long before the first window comes
        except BaseException:
            self.close()
            raise

    def __enter__(self) -> Session:
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    windows_path = staticmethod(windows_path)

    def start(self, program: str | Path, *args: str, capture_output: bool = False) -> WinProcess:
        """Starts `wine program args...`; paths among args must already be
        Windows paths (see windows_path)."""
        return self._start(WinProcess, program, args, capture_output)

    def start_hostsim(self, *args: str) -> HostSim:
        return self._start(HostSim, self.build_dir / "hostsim.exe", ("--log", "-", *args), True)

    def _start(self, kind, program, args: Iterable[str], capture_output: bool):
        name = Path(program).name
        stderr_path = self.dir / f"{len(self._programs)}-{name}.stderr"
        with open(stderr_path, "wb") as errors:
            popen = subprocess.Popen(
                self.wine.command(program, *args), env=self.env, cwd=self.dir,
                stdin=subprocess.DEVNULL,
                stdout=subprocess.PIPE if capture_output else subprocess.DEVNULL,
                stderr=errors)
        self._wine_used = True
        process = kind(popen, name, stderr_path)
        self._programs.append(process)
        return process

    def wait_window(self, title: str | None, viewable: bool = True,
                    timeout: float = 20.0) -> XWindow | None:
        """Sleeps until the top-level window titled `title` (None: a popup
        menu) is shown, or no longer shown, and returns where it is."""
        def shown(window: XWindow | None) -> bool:
            return (window is not None and window.viewable) == viewable
        return self.watch().wait(title, shown, timeout, "shown" if viewable else "hidden")

    def wait_window_moved(self, title: str, origin: XWindow, timeout: float = 20.0) -> XWindow:
        """Sleeps until the window titled `title` stands elsewhere than `origin`."""
        def moved(window: XWindow | None) -> bool:
            return window is not None and (window.x, window.y) != (origin.x, origin.y)
        return self.watch().wait(title, moved, timeout, "moved")

    def watch(self) -> WindowWatch:
        if self._watch is None:
            self._watch = WindowWatch(self.env, self.dir / "xev.log")
        return self._watch

    def stop(self, process: WinProcess) -> None:
        """Ends one program of the session by its process id."""
        stop_process(process.popen, sig=signal.SIGKILL)

    def run_program(self, program: str | Path, *args: str, timeout: float = 30.0) -> ExitStatus:
        """Runs a Windows program to its end."""
        return self.start(program, *args).wait_exit(timeout)

    # Real input on the session's display.
    def xdotool(self, *args: str) -> None:
        run(["xdotool", *args], env=self.env, timeout=30)

    def mousemove(self, x: int, y: int) -> None:
        self.xdotool("mousemove", str(x), str(y))

    def click(self, x: int, y: int, button: int = 1) -> None:
        self.xdotool("mousemove", str(x), str(y), "click", str(button))

    def type(self, text: str, delay_ms: int = 12) -> None:
        self.xdotool("type", "--delay", str(delay_ms), "--", text)

    def key(self, *keys: str) -> None:
        self.xdotool("key", "--", *keys)

    def keyboard_layout(self, layout: str) -> None:
        """Sets the display's keyboard layout. Characters the layout has are
        typed with their own keys; xdotool types others by binding a spare
        key for a moment, which a program can read after the binding is gone.
        Set it before starting the programs that read the keys."""
        run(["setxkbmap", layout], env=self.env, timeout=30)

    def screenshot(self, path: str | Path, crop: str | None = None) -> Path:
        """The whole display, or the part `crop` names (WxH+X+Y)."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        run(["import", "-window", "root", *(["-crop", crop] if crop else []), str(path)],
            env=self.env, timeout=30)
        return path

    def close(self) -> None:
        """Ends what the session started, each by its process id, then the
        prefix's own Wine processes through its wineserver, then Xvfb."""
        if self._closed:
            return
        self._closed = True
        try:
            if self._watch:
                self._watch.close()
            for program in reversed(self._programs):
                # A Windows program has nothing to save here: SIGKILL is
                # immediate, where Wine takes its time over SIGTERM.
                stop_process(program.popen, sig=signal.SIGKILL)
                if program.popen.stdout:
                    program.popen.stdout.close()
            if self._wine_used:
                # -k ends this prefix's processes, -w sleeps until its server is gone.
                for command in (["wineserver", "-k"], ["wineserver", "-w"]):
                    try:
                        run(command, env=self.env, timeout=30)
                    except subprocess.CalledProcessError:
                        pass  # no server (left) for this prefix
        finally:
            if self.xvfb:
                stop_process(self.xvfb)
            shutil.rmtree(self.dir, ignore_errors=True)
