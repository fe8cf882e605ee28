// The instant-message window: opened by a keyword, sent by its ninth icon,
// and what follows a send.
#include <windows.h>

#include "client.h"

namespace hostsim {

static void OpenIm(const std::string& screenName) {
  if (!g.mdi)
    return;
  const int step = 24 * (g.imsOpened++ % 6);
  HWND window = MakeMdiChild(kImTitle, 40 + step, 20 + step, 404, 250);
  if (!window)
    return;
  Im& im = g.ims.emplace_back();
  im.screenName = screenName;
  im.window = window;
  Node& node = g.nodes[window];
  node.name = "im";
  node.kind = Kind::kIm;
  node.im = &im;
  im.entry = MakeRich(window, "im/entry", Kind::kImEntry,
                      WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN);
  for (unsigned i = 0; i < g.options.imIcons; ++i) {
    const std::string label = i == kImSendIcon ? "Send" : std::to_string(i + 1);
    HWND icon = MakeChild(kIconClass, label.c_str(), 0, window, "im/icon" + std::to_string(i + 1),
                          Kind::kIcon);
    g.nodes[icon].im = &im;
    g.nodes[icon].index = i;
    im.icons.push_back(icon);
  }
  g.nodes[im.entry].im = &im;
  LayoutIm(im);
  InvalidateRect(window, nullptr, TRUE);
  SetFocus(im.entry);
  g.log.event("im", "IM_OPEN", screenName);
}

void CALLBACK ImTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const auto it = g.pendingIms.find(id);
  if (it == g.pendingIms.end())
    return;
  const std::string name = it->second;
  g.pendingIms.erase(it);
  // The focus moving to and fro between the keyword box and a room, as a user
  // clicking about the client moves it: events a watcher of the client's
  // windows coming and going has no need of.
  HWND entry = g.rooms.empty() ? g.frame : g.rooms.front().entry;
  for (unsigned i = 0; i < g.options.flickerFocus; ++i)
    SetFocus(i % 2 ? g.keyword : entry);
  OpenIm(name);
}

void SendIm(Im& im) {
  g.log.event("im", "IM_SENT", im.screenName + ":" + WindowText(im.entry));
  if (g.options.imOutcome == ImOutcome::kStay)
    return;
  PostMessageA(im.window, kImOutcomeMessage, 0, 0);
}

void FinishIm(Im& im) {
  if (g.options.imOutcome == ImOutcome::kClose) {
    SendMessageA(g.mdi, WM_MDIDESTROY, WPARAM(im.window), 0);
  } else if (g.options.imOutcome == ImOutcome::kDialog) {
    ShowAnswerDialog(im.screenName);  // the window may be gone when this returns
  }
}

}  // namespace hostsim
