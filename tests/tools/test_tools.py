"""The parts of the session code and the demo that no Wine case reaches: a
host without 32-bit execution, what hostsim never writes, and the timing of
the demo's animation."""

from __future__ import annotations

import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "demo"))

from animation import Frame, delays  # noqa: E402
from session import unescape  # noqa: E402
from wine import LOADERS, NoWine, plan  # noqa: E402


@pytest.mark.parametrize("starts, no_wine32, builds", [
    (["win32", "win64"], False, ["win32", "win64"]),
    (["win64"], False, ["win64"]),
    (["win32", "win64"], True, ["win64"]),
    ([], False, None),
])
def test_which_builds_wine_runs(starts, no_wine32, builds):
    def loader_starts(loader: str) -> bool:
        return loader in {LOADERS[arch] for arch in starts}
    if builds is None:
        with pytest.raises(NoWine):  # a failure, never a reason to skip
            plan(loader_starts, no_wine32)
    else:
        assert plan(loader_starts, no_wine32).builds == builds


@pytest.mark.parametrize("field, data", [
    (rb"a\\xba", b"a\\xba"), (rb"\xba\x0d\x0a", b"\xba\r\n"), (b"", b""),
    (rb"\xBA", None), (rb"\x4", None), (rb"\q", None), (b"\\", None), (b"tab\there", None),
    (b"\xba", None),
])
def test_record_text_is_read_exactly_or_refused(field, data):
    if data is None:
        with pytest.raises(ValueError):
            unescape(field)
    else:
        assert unescape(field) == data


@pytest.mark.parametrize("times, holds, last, shown", [
    ([100.0, 100.15, 100.5], {}, 1.5, [15, 35, 150]),
    ([0.0, 0.15, 0.3], {1: 0.6}, 1.0, [15, 75, 100]),  # a hold lengthens its own frame
    ([i * 0.155 for i in range(4)], {}, 0.155, [16, 15, 15, 16]),  # rounded once: 62, no time lost
])
def test_animation_frames_last_until_the_next(times, holds, last, shown):
    frames = [Frame(Path(f"{i}.png"), t, (0, 0), holds.get(i, 0.0)) for i, t in enumerate(times)]
    assert delays(frames, last) == shown
