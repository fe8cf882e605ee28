#!/usr/bin/env python3
"""Creates the template Wine prefix that every test session copies.

    make_prefix.py BUILD_DIR

The template is BUILD_DIR/wine-template, of the kind the build's programs
need (32-bit or 64-bit). Booting a prefix takes a quarter of a minute;
copying one takes under a second, so a test run boots one (a ctest fixture)
and each session copies it.
"""

from __future__ import annotations

import fcntl
import os
import shutil
import sys
import tempfile
from pathlib import Path

from harness import WINE_ENV, run
from wine import Wine, for_build

# Debian's 32-bit Wine looks for its own fonts beside its libraries rather
# than here; without Marlett, window captions show letters for their buttons.
WINE_FONTS = Path("/usr/share/wine/fonts")

X11_DRIVER_KEY = r"HKCU\Software\Wine\X11 Driver"


def set_managed(wine: Wine, env: dict, managed: bool, timeout: float = 60.0) -> None:
    """Whether the prefix's windows are left to the display's window manager."""
    run(wine.command("reg", "add", X11_DRIVER_KEY, "/v", "Managed", "/t", "REG_SZ", "/d",
                     "Y" if managed else "N", "/f"), env=env, timeout=timeout)


def template_path(build_dir: str | Path) -> Path:
    return Path(build_dir).resolve() / "wine-template"


def make_prefix(path: str | Path, wine: Wine, timeout: float = 300.0) -> Path:
    """Boots a prefix for `wine` at `path` unless one is there already and
    returns its path. Safe to call from parallel tests: one boots, the rest
    wait for it."""
    path = Path(path).resolve()
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path.parent / f".{path.name}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)  # sleeps until whoever boots is done
        if path.is_dir():
            return path
        # Built beside its final place and renamed at the end, so a prefix
        # at `path` is always a finished one.
        building = Path(tempfile.mkdtemp(prefix=f".{path.name}-", dir=path.parent))
        try:
            env = dict(os.environ)
            env.pop("DISPLAY", None)  # booting needs no display
            env.update(WINE_ENV, WINEPREFIX=str(building), **wine.env())
            run(wine.command("wineboot", "-i"), env=env, timeout=timeout)
            # No window manager runs on the test display. Wine would wait
            # two seconds for one whenever a window with a caption goes away
            # (a closed message box, say) unless its windows are unmanaged.
            set_managed(wine, env, False, timeout)
            run(["wineserver", "-w"], env=env, timeout=timeout)  # registry saved, server gone
            fonts = building / "drive_c" / "windows" / "Fonts"
            for font in WINE_FONTS.glob("*.ttf") if WINE_FONTS.is_dir() else ():
                if not (fonts / font.name).exists():
                    shutil.copy2(font, fonts / font.name)
            building.rename(path)
        except BaseException:
            shutil.rmtree(building, ignore_errors=True)
            raise
    return path


def main(argv: list[str]) -> int:
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    print(make_prefix(template_path(argv[1]), for_build(argv[1])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
