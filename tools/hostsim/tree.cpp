// The window tree's bookkeeping: which window is which, and making windows.
#include <windows.h>

#include <algorithm>

#include "client.h"

namespace hostsim {

App g;

Node* Find(HWND hwnd) {
  const auto it = g.nodes.find(hwnd);
  return it == g.nodes.end() ? nullptr : &it->second;
}

// A window that records what reaches it; panels are painted but unnamed.
const Node* Named(HWND hwnd) {
  const Node* node = Find(hwnd);
  return node && !node->name.empty() ? node : nullptr;
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(size_t(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(size_t(std::max(got, 0)));
  return text;
}

HWND MakeChild(const char* cls, const char* title, DWORD style, HWND parent, std::string name,
               Kind kind) {
  HWND hwnd = CreateWindowExA(0, cls, title, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                              nullptr, g.instance, nullptr);
  Node& node = g.nodes[hwnd];
  node.name = std::move(name);
  node.kind = kind;
  return hwnd;
}

HWND MakeRich(HWND parent, std::string name, Kind kind, DWORD style) {
  HWND hwnd = MakeChild(kRichClass, "", style, parent, std::move(name), kind);
  SendMessageA(hwnd, WM_SETFONT, WPARAM(g.uiFont), FALSE);
  SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);
  return hwnd;
}

// A new MDI child becomes the active one and so the front-most.
HWND MakeMdiChild(const char* title, int x, int y, int width, int height) {
  MDICREATESTRUCTA create = {};
  create.szClass = kChildClass;
  create.szTitle = title;
  create.hOwner = g.instance;
  create.x = x;
  create.y = y;
  create.cx = width;
  create.cy = height;
  return HWND(SendMessageA(g.mdi, WM_MDICREATE, 0, LPARAM(&create)));
}

void TopLevelGone() {
  if (--g.topLevels == 0)
    PostQuitMessage(0);
}

}  // namespace hostsim
