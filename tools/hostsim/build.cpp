// Building the client's window tree for the command line's scenario.
#include <windows.h>

#include <algorithm>

#include "client.h"

namespace hostsim {

bool RegisterClasses() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = g.instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  auto add = [&](const char* name, WNDPROC proc, int background) {
    wc.lpszClassName = name;
    wc.lpfnWndProc = proc;
    wc.hbrBackground = HBRUSH(INT_PTR(background + 1));
    return RegisterClassExA(&wc) != 0;
  };
  bool ok = add(kFrameClass, FrameProc, COLOR_APPWORKSPACE) &&
            add(kToolbarClass, PartProc, COLOR_BTNFACE) &&
            add(kInnerToolbarClass, PartProc, COLOR_BTNFACE) &&
            add(kComboClass, PartProc, COLOR_WINDOW) &&
            add(kChildClass, ChildProc, COLOR_BTNFACE) && add(kListClass, PartProc, COLOR_WINDOW) &&
            add(kIconClass, PartProc, COLOR_BTNFACE) && add(kStaticClass, PartProc, COLOR_BTNFACE);
  // RICHCNTL is an edit box underneath: typing, WM_SETTEXT and WM_GETTEXT
  // behave as the client's entries do.
  WNDCLASSEXA edit = {};
  edit.cbSize = sizeof edit;
  ok = ok && GetClassInfoExA(nullptr, "EDIT", &edit);
  g.editProc = edit.lpfnWndProc;
  edit.lpfnWndProc = RichProc;
  edit.hInstance = g.instance;
  edit.lpszClassName = kRichClass;
  edit.style &= ~CS_GLOBALCLASS;
  return ok && RegisterClassExA(&edit) != 0;
}

static Room& MakeRoom(const std::string& name, RECT place, bool decoy) {
  Room& room = g.rooms.emplace_back();
  room.name = name;
  room.window = MakeMdiChild(name.c_str(), place.left, place.top, place.right - place.left,
                             place.bottom - place.top);
  Node& node = g.nodes[room.window];
  node.name = name;
  node.kind = Kind::kRoom;
  node.room = &room;
  // Creation order is Z order, front first: transcript, entry, list, icons, caption.
  if (!g.options.singleRichcntl || decoy) {
    room.transcript = MakeRich(room.window, name + "/transcript", Kind::kTranscript,
                               WS_BORDER | ES_MULTILINE | ES_READONLY);
  }
  room.entry = MakeRich(room.window, name + "/entry", Kind::kEntry,
                        WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL);
  if (!decoy)
    room.list = MakeChild(kListClass, "", WS_BORDER, room.window, name + "/list", Kind::kList);
  static const char* const kIconLabels[] = {"Who", "Notify", "Prefs"};
  for (int i = 0; i < (decoy ? 1 : 3); ++i) {
    room.icons.push_back(MakeChild(kIconClass, kIconLabels[i], 0, room.window,
                                   name + "/icon" + std::to_string(i + 1), Kind::kIcon));
  }
  room.caption =
      MakeChild(kStaticClass, name.c_str(), 0, room.window, name + "/static", Kind::kStatic);
  for (HWND part : {room.transcript, room.entry, room.list, room.caption}) {
    if (part)
      g.nodes[part].room = &room;
  }
  for (HWND icon : room.icons)
    g.nodes[icon].room = &room;
  LayoutRoom(room);
  return room;
}

void BuildClient() {
  g.frame =
      CreateWindowExA(0, kFrameClass, kClientTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      g.options.x, g.options.y, 640, 420, nullptr, nullptr, g.instance, nullptr);
  g.nodes[g.frame] = {"frame", Kind::kFrame};
  ++g.topLevels;
  // Children are created front to back: toolbar first, then the MDI area.
  g.toolbar = MakeChild(kToolbarClass, "", WS_CLIPCHILDREN, g.frame, "", Kind::kPanel);
  g.innerToolbar =
      MakeChild(kInnerToolbarClass, kClientTitle, WS_CLIPCHILDREN, g.toolbar, "", Kind::kPanel);
  g.combo = MakeChild(kComboClass, "", WS_CLIPCHILDREN, g.innerToolbar, "", Kind::kPanel);
  g.keyword = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 10, 10,
                              g.combo, nullptr, g.instance, nullptr);
  SendMessageA(g.keyword, WM_SETFONT, WPARAM(g.uiFont), FALSE);
  Node& keyword = g.nodes[g.keyword];
  keyword.name = "keyword";
  keyword.kind = Kind::kKeyword;
  keyword.base = WNDPROC(SetWindowLongPtrA(g.keyword, GWLP_WNDPROC, LONG_PTR(KeywordProc)));
  CLIENTCREATESTRUCT mdi = {nullptr, 50000};
  g.mdi = CreateWindowExA(WS_EX_CLIENTEDGE, "MDIClient", nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10, g.frame, nullptr,
                          g.instance, &mdi);
  LayoutFrame();

  // Rooms side by side while they fit, cascaded beyond that; the decoy,
  // created last, sits in front of them.
  RECT area;
  GetClientRect(g.mdi, &area);
  const int count = int(g.options.rooms.size());
  const bool tile = count > 0 && area.right / count >= 200;
  for (int i = 0; i < count; ++i) {
    RECT place;
    if (tile) {
      place = {i * area.right / count, 0, (i + 1) * area.right / count, area.bottom};
    } else {
      const int offset = 24 * (i % 6);
      place = {offset, offset, offset + 320, offset + std::min(280, int(area.bottom))};
    }
    MakeRoom(g.options.rooms[size_t(i)], place, false);
  }
  if (g.options.decoy) {
    MakeRoom("Decoy", {area.right / 4, area.bottom / 6, area.right * 3 / 4, area.bottom * 5 / 6},
             true);
  }
  ShowWindow(g.frame, SW_SHOWNORMAL);
  UpdateWindow(g.frame);
}

void BuildStrays() {
  for (int i = 1; i <= 2; ++i) {
    const std::string name = "stray" + std::to_string(i);
    HWND stray = CreateWindowExA(
        0, kRichClass, name.c_str(), WS_POPUP | WS_BORDER | WS_VISIBLE | ES_AUTOHSCROLL, 20,
        440 + 50 * (i - 1), 280, 28, nullptr, nullptr, g.instance, nullptr);
    SendMessageA(stray, WM_SETFONT, WPARAM(g.uiFont), TRUE);
    g.nodes[stray] = {name, Kind::kStray};
    ++g.topLevels;
  }
}

}  // namespace hostsim
