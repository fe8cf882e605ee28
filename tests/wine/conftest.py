"""Wine sessions for the cases: one X display and one prefix each, for every
build that Wine runs here; the others are skipped with the reason."""

from __future__ import annotations

from pathlib import Path

import pytest

from session import Session, prefix_processes
from wine import host_plan, pe_arch
from zoble_ui import Zoble

HERE = Path(__file__).parent


def pytest_collection_modifyitems(config, items):
    # The long cases first, so that side by side (--dist loadgroup hands out
    # one case at a time) the run ends soon after the longest.
    items.sort(key=lambda item: item.get_closest_marker("long") is None)
    ours = [item for item in items if HERE in item.path.parents]
    plan = host_plan() if ours else None  # no Wine at all fails here, as it must
    for item in ours:
        if pe_arch(item.callspec.params["build"] / "zoble.exe") not in plan.builds:
            item.add_marker(pytest.mark.skip(reason=plan.reason))


def end(session: Session) -> None:
    # zoble tells a debugger of each wait the system refused: none may be.
    refused = [f.name for f in session.dir.glob("*-zoble.exe.stderr")
               if b"zoble: a wait was refused" in f.read_bytes()]
    session.close()
    assert prefix_processes(session.prefix) == [], "a process of the session's prefix is left"
    assert refused == [], "a wait of zoble's was refused"


@pytest.fixture
def session(build):
    """A session of its own for a Windows program other than zoble.exe."""
    session = Session(build)
    yield session
    end(session)


@pytest.fixture
def zoble(build, golden):
    """Starts the stand-in client and zoble.exe in a session of their own:
    zoble(*hostsim_args, lang=..., layout=..., dpi=...). The session ends
    after the case, and nothing of its prefix may be left running then."""
    sessions = []

    def start(*hostsim_args: str, lang: str = "C.UTF-8", layout: str | None = None,
              dpi: int | None = None) -> Zoble:
        session = Session(build, lang=lang, dpi=dpi)
        sessions.append(session)
        if layout:
            session.keyboard_layout(layout)
        return Zoble(session, golden, hostsim_args)

    yield start
    for session in sessions:
        end(session)
