"""zoble's windows as the user sees them, read off the display and held
against their looks as tests/looks.txt writes them and the pictures' own
files. Text is held against the same text drawn by the system of the same
session (tools/probe), a region at a time: fonts and Wine's versions change
nothing here."""

from __future__ import annotations

from collections import Counter
from pathlib import Path

import pytest

from panel import BOXES, LOOKS_BY_NAME, MAIN, MENU_ITEMS, OPTIONS, menu_item
from session import Picture, run

RESOURCES = Path(__file__).resolve().parents[2] / "resources"
PICTURES = {"Form1": "main.bmp", "Form2": "splash.bmp"}


def bitmap(name: str) -> Picture:
    """A picture's own file, as ImageMagick reads it."""
    return Picture.ppm(run(["convert", RESOURCES / name, "-depth", "8", "ppm:-"]))


def ink(session, font: str, width: int, height: int, text: str) -> set:
    """The pixels of `text` as the system draws it in that font and box."""
    rows = session.probe("ink", font, str(width), str(height), text).output().splitlines()
    return {(x, y) for y, row in enumerate(rows) for x, c in enumerate(row) if c == "#"}


def shape(points: set) -> set:
    left, top = min(x for x, _ in points), min(y for _, y in points)
    return {(x - left, y - top) for x, y in points}


def rows(points: set) -> list[int]:
    """How many points each row holds, top down: a text's, however spaced."""
    return [n for _, n in sorted(Counter(y for _, y in points).items())]


def drawn_on(shown: Picture) -> tuple[tuple, set]:
    """The colour of a plain ground, and the pixels drawn on it."""
    every = [(x, y) for x in range(shown.width) for y in range(shown.height)]
    ground = Counter(shown.at(*p) for p in every).most_common(1)[0][0]
    return ground, {p for p in every if shown.at(*p) != ground}


def lightness(rgb: tuple) -> float:
    return 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]


def painted(z, x: int, y: int, width: int, height: int) -> Picture:
    """That part of the display once zoble's windows have painted afresh."""
    z.session.probe("paint").output()
    return z.session.picture(x, y, width, height)


def assert_as_designed(z, name: str, dpi: int) -> None:
    """The window is its client area, no more: its picture unscaled at the
    top-left corner, a plain ground past it, each label's caption as the
    system draws it in the label's colour, inside the label's rectangle, a
    later label above an earlier one. The text box is looked at on its own."""
    look, art = LOOKS_BY_NAME[name], bitmap(PICTURES[name])
    _, _, width, height = look.client(dpi)
    window = z.session.window(name)
    assert (window.width, window.height) == (width, height), "a frame, or the client area's size"
    shown = painted(z, window.x, window.y, width, height)
    meant = {(x, y): art.at(x, y) if x < art.width and y < art.height else "ground"
             for x in range(width) for y in range(height)}
    for part in look.parts:
        left, top, right, bottom = part.rect(dpi)
        if isinstance(part.colour, tuple) and part.text:
            for x, y in ink(z.session, "label", right - left, bottom - top, part.text):
                meant[left + x, top + y] = part.colour
        elif isinstance(part.colour, int):
            for point in [(x, y) for x in range(left, right) for y in range(top, bottom)]:
                del meant[point]
    ground = next((shown.at(*p) for p, colour in meant.items() if colour == "ground"), None)
    wrong = [(p, colour, shown.at(*p)) for p, colour in meant.items()
             if shown.at(*p) != (ground if colour == "ground" else colour)]
    assert wrong == [], f"{len(wrong)} pixels of {name} differ; (where, meant, shown): {wrong[:5]}"


@pytest.mark.parametrize("dpi", [96, 120])
def test_the_windows_look_as_designed(dpi, zoble):
    z = zoble(dpi=dpi)
    assert_as_designed(z, "Form2", dpi)
    z.open()
    assert_as_designed(z, "Form1", dpi)
    _, top, right, bottom = next(p for p in MAIN.parts if p.name == "Label3").rect(dpi)
    z.click((right // 2, (top + bottom) // 2))  # start, whose left end lies outside
    z.sim.wait_lines(5)
    assert_as_designed(z, "Form1", dpi)  # idle mode on: the same panel


def test_the_menu_the_boxes_and_the_reason_box_read_as_written(zoble):
    z = zoble()
    z.open()
    z.session.type("brb ")
    for item in ("about", "contact"):
        z.click(OPTIONS)
        menu = z.session.window(None, z.process)
        # Inside its border, each item's caption on a row of its own, in order.
        shown = painted(z, menu.x + 3, menu.y + 3, menu.width - 6, menu.height - 6)
        drawn = drawn_on(shown)[1]
        inked = {y for _, y in drawn}  # an item's rows lie closer than two items'
        tops = [y for y in sorted(inked) if not inked & {y - 1, y - 2, y - 3}] + [shown.height]
        lines = [{p for p in drawn if top <= p[1] < end} for top, end in zip(tops, tops[1:])]
        assert [shape(line) for line in lines] == [
            shape(ink(z.session, "menu", shown.width, shown.height, i)) for i in MENU_ITEMS]
        z.session.click(*menu_item(menu, item))
        box = z.session.window("zoble")
        # One button, OK, no icon; the box's text, whole, and its words
        # where the box puts them.
        _, children = z.describe("#32770", "zoble")
        assert [t for c, t, f in children if c == "Button" and f["visible"]] == ["OK"]
        assert [f for _, _, f in children if f["icon"]] == []
        text, at = next((t, f) for c, t, f in children if c == "Static" and t)
        assert text == BOXES[item]
        shown = painted(z, at["left"], at["top"], at["width"], at["height"])
        assert shape(drawn_on(shown)[1]) == shape(ink(z.session, "box", at["width"], at["height"],
                                                      text))
        if item == "about":
            # Behind the box, the reason box (without its caret, as the box
            # has the focus) shows what it holds in its font: the letters of
            # the system's own drawing (the box spaces them its own way), in
            # one colour that reads on the box's ground.
            left, top, right, bottom = next(p for p in MAIN.parts if p.name == "Text1").rect()
            shown = painted(z, z.main.x + left + 1, z.main.y + top + 1, right - left - 2,
                            bottom - top - 2)
            ground, typed = drawn_on(shown)
            colours = {shown.at(*p) for p in typed}
            assert len(colours) == 1, f"the text shows in these colours: {colours or None}"
            # Readable: half the scale between the text and its ground at the least.
            assert abs(lightness(ground) - lightness(colours.pop())) >= 128, "it does not read"
            assert rows(typed) == rows(ink(z.session, "label", shown.width, shown.height,
                                           "brb idle reason"))
        z.session.key("Return")
        z.session.gone(box)
