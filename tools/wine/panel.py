"""Where a person clicks on zoble's windows, and the steps that the tests,
the demo and the bench all take. The points on the main window come from the
windows' looks as tests/looks.txt writes them out, in pixels at 96 dpi: each
is the middle of the largest part of its control that no control above
covers."""

from __future__ import annotations

import re
from dataclasses import dataclass
from itertools import combinations
from pathlib import Path

from session import Program, Session, Window

LOOKS = Path(__file__).resolve().parents[2] / "tests" / "looks.txt"

Rect = tuple[int, int, int, int]  # left, top, right, bottom; right and bottom lie outside


def pixels(twips: int, dpi: int = 96) -> int:
    """Twips at `dpi`, rounded as MulDiv rounds: halves away from zero."""
    whole = (abs(twips) * dpi + 720) // 1440
    return whole if twips >= 0 else -whole


@dataclass(frozen=True)
class Part:
    """A control as designed: its text, place and size in twips, and its
    colour (R, G, B), a system colour's index, or None (draws nothing)."""
    name: str
    text: str
    twips: tuple[int, int, int, int]  # left, top, width, height
    colour: tuple[int, int, int] | int | None

    def rect(self, dpi: int = 96) -> Rect:
        left, top, width, height = (pixels(n, dpi) for n in self.twips)
        return left, top, left + width, top + height


@dataclass
class Look:
    """A window as designed: its client area in twips, its controls bottom
    to top, its menus' items (name, caption) by the menu's name."""
    width: int
    height: int
    parts: list[Part]
    menus: dict[str, list[tuple[str, str]]]

    def client(self, dpi: int = 96) -> Rect:
        return 0, 0, pixels(self.width, dpi), pixels(self.height, dpi)


def colour(text: str) -> tuple[int, int, int] | int | None:
    if text.startswith("system "):
        return int(text.split()[1])
    return None if text == "none" else tuple(int(n) for n in text.split(","))


def read_looks() -> tuple[dict[str, Look], dict[str, str]]:
    """The windows' looks by name, and the boxes' texts by the item that
    shows each."""
    looks, boxes, window = {}, {}, None
    for row in LOOKS.read_text().splitlines():
        if row.startswith("#"):
            continue
        if form := re.fullmatch(r"(\w+) (?:borderless|sizable) (\d+)x(\d+)", row):
            window = looks[form[1]] = Look(int(form[2]), int(form[3]), [], {})
        elif part := re.fullmatch(r"(\w+) '(.*)' (-?\d+),(-?\d+) (\d+)x(\d+) (.*)", row):
            twips = tuple(int(n) for n in part.group(3, 4, 5, 6))
            window.parts.append(Part(part[1], part[2], twips, colour(part[7])))
        elif box := re.fullmatch(r"(\w+) box '(.*)'", row):
            boxes[box[1]] = box[2]
        elif menu := re.fullmatch(r"(\w+) '[^']*':(.*)", row):
            window.menus[menu[1]] = re.findall(r" (\w+) '([^']*)'", menu[2])
    return looks, boxes


LOOKS_BY_NAME, BOXES = read_looks()
MAIN = LOOKS_BY_NAME["Form1"]
CLIENT = MAIN.client()
STACK = [(part.name, part.rect()) for part in MAIN.parts]


def overlap(a: Rect, b: Rect) -> Rect | None:
    box = (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))
    return box if box[0] < box[2] and box[1] < box[3] else None


def uncovered(name: str) -> Rect:
    """The largest rectangle of the control, inside the client area, that no
    control above it covers."""
    index = [n for n, _ in STACK].index(name)
    part = overlap(STACK[index][1], CLIENT)
    above = [box for _, rect in STACK[index + 1:] if (box := overlap(rect, part))]
    # The largest free rectangle has its edges on the part's or a cover's.
    xs = sorted({part[0], part[2], *(x for box in above for x in (box[0], box[2]))})
    ys = sorted({part[1], part[3], *(y for box in above for y in (box[1], box[3]))})
    free = [(x0, y0, x1, y1) for x0, x1 in combinations(xs, 2) for y0, y1 in combinations(ys, 2)
            if not any(overlap((x0, y0, x1, y1), box) for box in above)]
    return max(free, key=lambda r: (r[2] - r[0]) * (r[3] - r[1]))


def click_point(name: str) -> tuple[int, int]:
    left, top, right, bottom = uncovered(name)
    return (left + right) // 2, (top + bottom) // 2


# Points on the main window.
REASON_BOX = click_point("Text1")
CLOSE = click_point("Label2")
START = click_point("Label3")
STOP = click_point("Label4")
ADVERT = click_point("Label6")
OPTIONS = click_point("Label7")
DRAG_STRIP = click_point("Label5")

# The options menu's items, in order.
MENU_ITEMS = [caption for _, caption in LOOKS_BY_NAME["Form3"].menus["opts"]]


def menu_item(menu: Window, item: str) -> tuple[int, int]:
    """The middle of an item's row in the open options menu: the rows share
    the menu's height inside a border of two pixels."""
    row = (menu.height - 4) / len(MENU_ITEMS)
    return menu.x + 30, int(menu.y + 2 + row * (MENU_ITEMS.index(item) + 0.5))


def open_panel(session: Session) -> Window:
    """A click on the splash; the main window once it shows."""
    session.click(*session.window("Form2").middle())
    return session.window("Form1")


def choose(session: Session, zoble: Program, main: Window, item: str) -> Window:
    """Opens the options menu with a click and clicks one of its items;
    returns the menu as it was open."""
    session.click(*main.at(*OPTIONS))
    menu = session.window(None, zoble)
    session.click(*menu_item(menu, item))
    return menu
