"""Where to click on zoble's windows, from their designs (pixels at 96 dpi)."""

from harness import XWindow

# Points on the main window, 145 x 60 pixels.
REASON_BOX = (60, 25)
CLOSE = (135, 8)
START = (22, 48)
STOP = (50, 48)
ADVERT = (90, 48)
OPTIONS = (125, 48)
DRAG_STRIP = (70, 8)
TITLE_LEFT_OF_STRIP = (30, 8)

MENU_ITEMS = ["ims on", "ims off", "about", "contact", "exit"]


def menu_item(menu: XWindow, item: str) -> tuple[int, int]:
    """The middle of an item's row in the open options menu: its rows share
    the menu's height inside a border of two pixels."""
    row = (menu.height - 4) / len(MENU_ITEMS)
    return menu.x + 30, int(menu.y + 2 + row * (MENU_ITEMS.index(item) + 0.5))
