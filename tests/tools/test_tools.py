"""The parts of the session code that no Wine case reaches: a host without
32-bit execution, and what hostsim never writes."""

from __future__ import annotations

import pytest

from session import unescape
from wine import LOADERS, NoWine, plan


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
