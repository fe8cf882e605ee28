// Layout: where the frame, the rooms and the instant-message windows put their parts.
#include <windows.h>

#include <algorithm>

#include "client.h"

namespace hostsim {

static void Place(HWND hwnd, int x, int y, int w, int h) {
  if (hwnd)
    MoveWindow(hwnd, x, y, std::max(w, 0), std::max(h, 0), TRUE);
}

void LayoutFrame() {
  RECT r;
  GetClientRect(g.frame, &r);
  constexpr int kBar = 36;
  Place(g.toolbar, 0, 0, r.right, kBar);
  Place(g.innerToolbar, 2, 2, r.right - 4, kBar - 4);
  constexpr int kComboWidth = 240;
  Place(g.combo, r.right - 4 - kComboWidth - 8, 4, kComboWidth, kBar - 12);
  Place(g.keyword, 2, 2, kComboWidth - 4, kBar - 16);
  Place(g.mdi, 0, kBar, r.right, r.bottom - kBar);
}

static void LayoutIcons(const std::vector<HWND>& icons, int left, int top, int width,
                        int iconWidth) {
  const int step = iconWidth + 4;
  const int perRow = std::max(1, (width + 4) / step);
  for (size_t i = 0; i < icons.size(); ++i) {
    Place(icons[i], left + int(i % perRow) * step, top + int(i / perRow) * 28, iconWidth, 24);
  }
}

static int IconRows(size_t count, int width, int iconWidth) {
  const int perRow = std::max(1, (width + 4) / (iconWidth + 4));
  return int((count + perRow - 1) / perRow);
}

void LayoutRoom(const Room& room) {
  RECT r;
  GetClientRect(room.window, &r);
  constexpr int kPad = 6;
  constexpr int kEntryHeight = 44;
  const int width = r.right - 2 * kPad;
  const int listWidth = room.list ? std::min(96, width / 3) : 0;
  const int top = 26;
  const int iconsTop = r.bottom - kPad - 24;
  const int entryTop = iconsTop - 6 - kEntryHeight;
  const int transcriptWidth = width - (room.list ? listWidth + kPad : 0);
  Place(room.caption, kPad, 4, width, 18);
  Place(room.transcript, kPad, top, transcriptWidth, entryTop - 6 - top);
  Place(room.list, kPad + transcriptWidth + kPad, top, listWidth, entryTop - 6 - top);
  Place(room.entry, kPad, entryTop, width, kEntryHeight);
  LayoutIcons(room.icons, kPad, iconsTop, width, 60);
}

void LayoutIm(const Im& im) {
  RECT r;
  GetClientRect(im.window, &r);
  constexpr int kPad = 6;
  constexpr int kIconWidth = 34;
  const int width = r.right - 2 * kPad;
  const int rows = IconRows(im.icons.size(), width, kIconWidth);
  const int iconsTop = r.bottom - kPad - rows * 28 + 4;
  Place(im.entry, kPad, 28, width, iconsTop - 6 - 28);
  LayoutIcons(im.icons, kPad, iconsTop, width, kIconWidth);
}

}  // namespace hostsim
