"""Wine sessions for the tests, the demo and the bench: an X display and a
Wine prefix of their own, Windows programs started in them, hostsim's records
as they arrive, real input, screenshots and the display's pixels, a display
of any dpi, and a close that ends exactly what was started, each by its
process id.

Every wait sleeps until its event or its deadline: a pidfd for a program's
end, a condition that hostsim's reader thread signals, xdotool's --sync for a
window, xprop's spy for a window's end, subprocess time-outs for everything
else.
"""

from __future__ import annotations

import fcntl
import os
import select
import shutil
import signal
import subprocess
import tempfile
import threading
from dataclasses import dataclass
from pathlib import Path

from wine import Wine, for_build

# Wine says only its errors and what programs say to a debugger (in each
# program's stderr file, shown when hostsim fails to come up); no Mono or
# Gecko installers (there is no network).
WINE_ENV = {"WINEDEBUG": "-all,err+all,warn+debugstr", "WINEDLLOVERRIDES": "mscoree,mshtml="}
# Debian's 32-bit Wine looks for its fonts beside its libraries, not in the
# prefix; without Marlett, captions show letters for their buttons.
WINE_FONTS = Path("/usr/share/wine/fonts")
# Wine updates a prefix made from another wine.inf at every start.
WINE_INF = Path("/usr/share/wine/wine.inf")
# What a session takes of the template: the big trees as hard links, and
# real copies of what wineserver writes.
LINKED = ("drive_c", "dosdevices")
COPIED = ("system.reg", "user.reg", "userdef.reg", ".update-timestamp")


def run(cmd: list, env: dict | None = None, timeout: float = 30) -> bytes:
    """A short command's standard output; raises on failure or time-out."""
    return subprocess.run([str(c) for c in cmd], env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, check=True, timeout=timeout).stdout


def windows_path(path: str | Path) -> str:
    """The Windows name of a Linux path: Wine maps drive Z: to /."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def set_managed(wine: Wine, env: dict, managed: bool) -> None:
    """Whether the prefix's windows are left to the display's window manager."""
    run(wine.command("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t",
                     "REG_SZ", "/d", "Y" if managed else "N", "/f"), env=env, timeout=60)


def template(build_dir: Path, wine: Wine) -> Path:
    """The build's booted prefix, BUILD_DIR/wine-template, booted here unless
    a current one is there. Parallel callers sleep on a lock while one boots."""
    path = build_dir / "wine-template"
    with open(build_dir / ".wine-template.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = path / ".update-timestamp"
        if stamp.is_file() and stamp.read_text().split()[:1] == [str(int(WINE_INF.stat().st_mtime))]:
            return path
        shutil.rmtree(path, ignore_errors=True)
        # Booted beside its place and renamed, so a template there is whole.
        building = Path(tempfile.mkdtemp(prefix=".wine-template-", dir=build_dir))
        try:
            env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
            env.update(WINE_ENV, WINEPREFIX=str(building), **wine.env())
            run(wine.command("wineboot", "-i"), env=env, timeout=300)
            # No window manager runs on our displays: Wine would wait two
            # seconds for one whenever a captioned window (a box) goes away.
            set_managed(wine, env, False)
            run(["wineserver", "-w"], env=env, timeout=60)  # registry saved, server gone
            for font in WINE_FONTS.glob("*.ttf"):
                shutil.copy2(font, building / "drive_c/windows/Fonts" / font.name)
            building.rename(path)
        except BaseException:
            shutil.rmtree(building, ignore_errors=True)
            raise
    return path


def set_dpi(prefix: Path, dpi: int) -> None:
    """The dots per inch of the prefix's display (the control panel's
    LogPixels), written before its first program starts."""
    path = prefix / "user.reg"
    head = "[Control Panel\\\\Desktop]"
    rows = path.read_text().split("\n")
    at = next(i for i, row in enumerate(rows) if row.startswith(head + " "))
    rows.insert(at + 1, f'"LogPixels"=dword:{dpi:08x}')
    path.write_text("\n".join(rows))


def prefix_processes(prefix: Path) -> list[int]:
    """Process ids whose environment names this Wine prefix."""
    wanted = f"WINEPREFIX={prefix}".encode()
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if wanted in f.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            pass  # gone, or not ours to read
    return found


def processor_seconds(pid: int) -> float:
    """User and system seconds a live process has taken so far, all its
    threads (Wine keeps one process id)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def unescape(field: bytes) -> bytes:
    """The bytes of a TEXT field: printable ASCII, \\\\ and \\xHH (lower case).
    Anything else is refused, so that a fault in hostsim's writer shows."""
    out, i = bytearray(), 0
    while i < len(field):
        b = field[i]
        if b == 0x5C and field[i + 1:i + 2] == b"\\":
            out.append(b)
            i += 2
        elif b == 0x5C:
            pair = field[i + 2:i + 4]
            if field[i + 1:i + 2] != b"x" or len(pair) != 2 or pair.strip(b"0123456789abcdef"):
                raise ValueError(f"bad escape at {i} in {field!r}")
            out.append(int(pair, 16))
            i += 4
        elif 0x20 <= b < 0x7F:
            out.append(b)
            i += 1
        else:
            raise ValueError(f"raw byte 0x{b:02x} at {i} in {field!r}")
    return bytes(out)


@dataclass(frozen=True)
class Record:
    """One of hostsim's records (docs/hostsim.md)."""
    ms: int
    window: str
    how: str
    event: str
    wparam: int
    lparam: int
    text: bytes

    @classmethod
    def parse(cls, line: bytes) -> Record:
        fields = line.rstrip(b"\n").split(b"\t")
        if len(fields) != 7:
            raise ValueError(f"expected 7 fields: {line!r}")
        ms, window, how, event, wparam, lparam, text = fields
        return cls(int(ms), window.decode("cp1252"), how.decode(), event.decode(), int(wparam),
                   int(lparam), unescape(text))


class Program:
    """A Windows program run by Wine, which keeps one process id."""

    def __init__(self, popen: subprocess.Popen, name: str, errors: Path):
        self.popen, self.name, self.pid, self.errors = popen, name, popen.pid, errors

    def sleep_until_ended(self, timeout: float) -> None:
        """Sleeps until the program ends, without reaping it."""
        pidfd = os.pidfd_open(self.pid)
        try:
            if not select.select([pidfd], [], [], timeout)[0]:
                raise TimeoutError(f"{self.name} still running after {timeout} s")
        finally:
            os.close(pidfd)

    def wait_exit(self, timeout: float) -> int:
        """Sleeps until the program ends; its exit code."""
        if self.popen.returncode is None:
            self.sleep_until_ended(timeout)
        return self.popen.wait()

    def cue(self) -> None:
        """A line on its standard input, which `probe panel ... cue` waits for."""
        self.popen.stdin.write(b"go\n")
        self.popen.stdin.flush()

    def output(self, timeout: float = 60) -> str:
        """Everything it printed, once it has ended with code 0."""
        code = self.wait_exit(timeout)
        if code != 0:
            raise RuntimeError(f"{self.name} exited with code {code}")
        return self.popen.stdout.read().decode("utf-8", "replace")


def fields(text: str) -> dict[str, int]:
    """NAME=NUMBER pairs, as probe prints them."""
    return {k: int(v, 0) for k, v in (f.split("=", 1) for f in text.split())}


class HostSim(Program):
    """hostsim with `--log -`: a thread reads its records as they come."""

    def __init__(self, popen: subprocess.Popen, name: str, errors: Path):
        super().__init__(popen, name, errors)
        self.records: list[Record] = []
        self.ended = False
        self.error: ValueError | None = None
        self._cursor = 0
        self._changed = threading.Condition()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self) -> None:
        try:
            for line in self.popen.stdout:
                record = Record.parse(line)
                with self._changed:
                    self.records.append(record)
                    self._changed.notify_all()
        except ValueError as error:  # a record hostsim must never write
            self.error = error
        finally:
            with self._changed:
                self.ended = True
                self._changed.notify_all()

    def wait_for(self, event: str, timeout: float = 60, text: bytes | None = None,
                 suffix: bytes = b"") -> Record:
        """The first record after the last one returned with this event (and
        this text, or ending so), sleeping until it comes or `timeout` passes."""
        def found() -> Record | None:
            for i in range(self._cursor, len(self.records)):
                r = self.records[i]
                if r.event == event and text in (None, r.text) and r.text.endswith(suffix):
                    self._cursor = i + 1
                    return r
            return None
        with self._changed:
            record = self._changed.wait_for(lambda: found() or self.ended, timeout)
        if isinstance(record, Record):
            return record
        self._fail(f"no {event} within {timeout} s")

    def _fail(self, what: str):
        if self.error:
            raise self.error
        story = "\n".join(f"{r.ms} {r.window} {r.how} {r.event} {r.text!r}"
                          for r in self.records[-30:])
        said = self.errors.read_text(errors="replace")[-2000:] if self.errors.exists() else ""
        raise TimeoutError(f"{what}{' (hostsim ended)' if self.ended else ''}; records so far:"
                           f"\n{story}\nits stderr:\n{said}")

    def lines(self) -> list[bytes]:
        with self._changed:
            return [r.text for r in self.records if r.event == "LINE"]

    def wait_lines(self, count: int, timeout: float = 60) -> list[bytes]:
        """The room's lines once it has `count` of them."""
        with self._changed:
            if not self._changed.wait_for(lambda: len(self.lines()) >= count or self.ended,
                                          timeout) or len(self.lines()) < count:
                self._fail(f"{len(self.lines())} lines, not {count}")
            return self.lines()

    def read_to_end(self, timeout: float = 60) -> list[Record]:
        with self._changed:
            if not self._changed.wait_for(lambda: self.ended, timeout):
                self._fail("hostsim's records still open")
        return self.records


@dataclass(frozen=True)
class Picture:
    """A part of the display as it showed: (r, g, b) by (x, y) from its
    top-left corner."""
    width: int
    height: int
    rgb: bytes

    def at(self, x: int, y: int) -> tuple[int, int, int]:
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    @classmethod
    def ppm(cls, data: bytes) -> Picture:
        """A picture from ImageMagick's PPM of 8 bits a colour."""
        magic, size, depth, rgb = data.split(b"\n", 3)
        assert (magic, depth) == (b"P6", b"255")
        width, height = map(int, size.split())
        return cls(width, height, rgb[:3 * width * height])


@dataclass(frozen=True)
class Window:
    """A top-level X window; Wine names each after its Windows title."""
    id: str
    x: int
    y: int
    width: int
    height: int

    def at(self, dx: int, dy: int) -> tuple[int, int]:
        """A point relative to the window's top-left corner."""
        return self.x + dx, self.y + dy

    def middle(self) -> tuple[int, int]:
        return self.at(self.width // 2, self.height // 2)


def search(title: str | None, pid: int = 0, *options: str) -> list[str]:
    """xdotool's search for a shown window titled `title`, or, for None, the
    open popup menu of the program `pid`: Wine maps it as a nameless window."""
    owner = ["--pid", str(pid)] if title is None else []
    return ["xdotool", "search", *options, "--onlyvisible", "--all", *owner, "--name",
            f"^{title or ''}$"]


class Session:
    """An X display and a Wine prefix of our own, and the programs started in
    them. A context manager: leaving it ends all of it and removes the prefix."""

    def __init__(self, build_dir: str | Path, display: str | None = None,
                 lang: str = "C.UTF-8", dpi: int | None = None):
        """`display`: a person's display instead of one of our own, whose
        window manager then takes Wine's windows. `lang` chooses Wine's code
        page (C.UTF-8: 1252); `dpi` the display's dots per inch (Wine's own:
        96)."""
        self.build_dir = Path(build_dir).resolve()
        self.wine = for_build(self.build_dir)
        self.programs: list[Program] = []
        self.xvfb: subprocess.Popen | None = None
        booted = template(self.build_dir, self.wine)
        self.dir = Path(tempfile.mkdtemp(prefix="session-", dir=self.build_dir))
        self.prefix = self.dir / "prefix"
        try:
            self.prefix.mkdir()
            run(["cp", "-al", *(booted / name for name in LINKED), self.prefix])
            for name in COPIED:
                shutil.copy2(booted / name, self.prefix / name)
            if dpi:
                set_dpi(self.prefix, dpi)
            self.display = display or self._start_xvfb()
            self.env = {k: v for k, v in os.environ.items()
                        if k not in ("WAYLAND_DISPLAY", "WINEARCH", "WINELOADER")}
            self.env.update(WINE_ENV, LANG=lang, LC_ALL=lang, DISPLAY=self.display,
                            WINEPREFIX=str(self.prefix), **self.wine.env())
            if display:
                set_managed(self.wine, self.env, True)
        except BaseException:
            self.close()
            raise

    def _start_xvfb(self) -> str:
        """Xvfb on a display it chooses, which it tells once it accepts clients;
        kept as it is when its last client leaves (a keyboard layout set
        before the programs start would be reset otherwise)."""
        read_end, write_end = os.pipe()
        with open(self.dir / "xvfb.log", "wb") as log:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp", "-noreset"], stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as told:
            if not select.select([told], [], [], 15)[0]:
                raise TimeoutError("Xvfb did not tell its display")
            number = told.readline().strip()
        if not number:
            raise RuntimeError("Xvfb ended: " + (self.dir / "xvfb.log").read_text()[-2000:])
        return ":" + number.decode()

    def __enter__(self) -> Session:
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def start(self, program: str | Path, *args: str, stdout: bool = False,
              stdin: bool = False) -> Program:
        """`wine program args...`; paths among args must be Windows paths.
        With `stdin`, its standard input is a pipe (Program.cue)."""
        return self._start(Program, program, args, stdout, stdin)

    def hostsim(self, *args: str) -> HostSim:
        """The stand-in client, once its windows are built and drawn; its
        standard input takes cues (--hang-until-cue)."""
        sim = self._start(HostSim, self.build_dir / "hostsim.exe", ("--log", "-", *args), True,
                          True)
        sim.wait_for("READY", 60)
        return sim

    def probe(self, *args: str, stdin: bool = False) -> Program:
        return self.start(self.build_dir / "probe.exe", *args, stdout=True, stdin=stdin)

    def _start(self, kind, program, args, stdout: bool, stdin: bool = False):
        name = Path(program).name
        errors = self.dir / f"{len(self.programs)}-{name}.stderr"
        with open(errors, "wb") as to:
            popen = subprocess.Popen(self.wine.command(program, *args), env=self.env, cwd=self.dir,
                                     stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                     stderr=to,
                                     stdout=subprocess.PIPE if stdout else subprocess.DEVNULL)
        process = kind(popen, name, errors)
        self.programs.append(process)
        return process

    def stop(self, program: Program) -> None:
        """Ends one program by its process id; Wine's programs keep nothing
        to save, and SIGKILL is immediate where SIGTERM takes Wine a while."""
        if program.popen.returncode is None:
            program.popen.kill()
            program.popen.wait()

    # Real input and windows on the session's display.
    def xdotool(self, *args: str, timeout: float = 30) -> str:
        return run(["xdotool", *args], env=self.env, timeout=timeout).decode()

    def click(self, x: int, y: int) -> None:
        self.xdotool("mousemove", str(x), str(y), "click", "1")

    def mousemove(self, x: int, y: int) -> None:
        self.xdotool("mousemove", str(x), str(y))

    def type(self, text: str, delay_ms: int = 12) -> None:
        self.xdotool("type", "--delay", str(delay_ms), "--", text)

    def key(self, *keys: str) -> None:
        self.xdotool("key", "--", *keys)

    def keyboard_layout(self, layout: str) -> None:
        """The display's keyboard layout; set it before the programs start."""
        run(["setxkbmap", layout], env=self.env)

    def window(self, title: str | None, owner: Program | None = None,
               timeout: float = 30) -> Window:
        """Sleeps until the window titled `title` (None: the popup menu of
        `owner`) is shown, and tells where it is."""
        try:
            found = run(search(title, owner and owner.pid, "--sync"), env=self.env,
                        timeout=timeout).decode().split()
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"no window {title or 'popup'!r} shown within {timeout} s") from None
        return self.geometry(found[0])

    def gone(self, window: Window, timeout: float = 30) -> None:
        """Sleeps until the window is destroyed: xprop's spy ends with it."""
        subprocess.run(["xprop", "-id", window.id, "-spy"], env=self.env, timeout=timeout,
                       stdin=subprocess.DEVNULL, capture_output=True)

    def shown(self, title: str | None, owner: Program | None = None) -> list[str]:
        """The ids of the shown windows titled so (or popup menus), now."""
        result = subprocess.run(search(title, owner and owner.pid), env=self.env, timeout=30,
                                capture_output=True)
        return result.stdout.decode().split()

    def geometry(self, window_id: str) -> Window:
        told = fields(self.xdotool("getwindowgeometry", "--shell", window_id))
        return Window(window_id, told["X"], told["Y"], told["WIDTH"], told["HEIGHT"])

    def screenshot(self, path: str | Path, crop: str | None = None) -> Path:
        """The whole display, or the part `crop` names (WxH+X+Y)."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        run(["import", "-window", "root", *(["-crop", crop] if crop else []), path],
            env=self.env)
        return path

    def picture(self, x: int, y: int, width: int, height: int) -> Picture:
        """That part of the display, as it shows now."""
        return Picture.ppm(run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                                "-depth", "8", "ppm:-"], env=self.env))

    def close(self) -> None:
        """Ends each program started here by its process id, then the prefix's
        own Wine processes through its wineserver, then Xvfb; removes the prefix."""
        try:
            for program in reversed(self.programs):
                self.stop(program)
            if hasattr(self, "env"):  # no server for this prefix is no failure
                for command in (["wineserver", "-k"], ["wineserver", "-w"]):
                    subprocess.run(command, env=self.env, timeout=30, capture_output=True)
            for program in self.programs:
                if isinstance(program, HostSim):
                    program._reader.join(10)
                for pipe in (program.popen.stdin, program.popen.stdout):
                    if pipe:
                        pipe.close()
        finally:
            if self.xvfb:
                self.xvfb.send_signal(signal.SIGTERM)
                try:
                    self.xvfb.wait(10)
                except subprocess.TimeoutExpired:
                    self.xvfb.kill()
                    self.xvfb.wait()
            shutil.rmtree(self.dir, ignore_errors=True)
