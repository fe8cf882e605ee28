"""Where a person clicks on zoble's windows, from their designs (pixels at
96 dpi), and the steps that the tests, the demo and the bench all take."""

from __future__ import annotations

from session import Program, Session, Window

# Points on the main window, 145 x 60 pixels.
REASON_BOX = (60, 25)
CLOSE = (135, 8)
START = (22, 48)
STOP = (50, 48)
ADVERT = (90, 48)
OPTIONS = (125, 48)
DRAG_STRIP = (70, 8)

MENU_ITEMS = ["ims on", "ims off", "about", "contact", "exit"]


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
