"""Where a person clicks on zoble's windows, and the steps that the tests,
the demo and the bench all take. The points on the main window come from its
design in src/console/forms.cpp, in pixels at 96 dpi: each is the middle of
the largest part of its control that no control above covers."""

from __future__ import annotations

import re
from itertools import combinations
from pathlib import Path

from session import Program, Session, Window

FORMS = Path(__file__).resolve().parents[2] / "src" / "console" / "forms.cpp"

Rect = tuple[int, int, int, int]  # left, top, right, bottom; right and bottom lie outside


def pixels(twips: int) -> int:
    """Twips at 96 dpi, rounded as MulDiv rounds: halves away from zero."""
    whole = (abs(twips) * 96 + 720) // 1440
    return whole if twips >= 0 else -whole


def design(function: str) -> str:
    """The body of one of the design functions in forms.cpp."""
    source = FORMS.read_text()
    body = source[source.index(f"ui::FormDesign {function}()"):]
    return body[:body.index("\n}\n")]


def main_window_design() -> tuple[Rect, list[tuple[str, Rect]]]:
    """The client area and the controls, the bottom of the stack first: a
    later label lies above an earlier one, the text box above every label."""
    body = design("MainWindowDesign")
    size = dict(re.findall(r"d\.client(Width|Height) = (\d+);", body))

    def table(field: str) -> list[tuple[str, Rect]]:
        rows = re.search(rf"d\.{field} = \{{(.*?)\}};", body, re.S).group(1)
        found = []
        for name, numbers in re.findall(r'\{"(\w+)",\s*"[^"]*",\s*\{([-\d,\s]+)\}', rows):
            left, top, width, height = (pixels(int(n)) for n in numbers.split(","))
            found.append((name, (left, top, left + width, top + height)))
        return found

    client = (0, 0, pixels(int(size["Width"])), pixels(int(size["Height"])))
    return client, table("labels") + table("textBoxes")


def overlap(a: Rect, b: Rect) -> Rect | None:
    box = (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))
    return box if box[0] < box[2] and box[1] < box[3] else None


CLIENT, STACK = main_window_design()


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

# The options menu's items, in order: those with no items of their own.
MENU_ITEMS = re.findall(r'\{"\w+",\s*"([^"]*)",\s*\{\}\}', design("MenuHolderDesign"))


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
