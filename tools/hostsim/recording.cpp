// Recording what reaches the client's windows from outside its own thread.
#include <windows.h>

#include "client.h"

namespace hostsim {

static const char* ListedName(UINT message) {
  switch (message) {
    case WM_SETTEXT:
      return "WM_SETTEXT";
    case WM_CHAR:
      return "WM_CHAR";
    case WM_KEYDOWN:
      return "WM_KEYDOWN";
    case WM_KEYUP:
      return "WM_KEYUP";
    case WM_LBUTTONDOWN:
      return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP:
      return "WM_LBUTTONUP";
    case WM_CLOSE:
      return "WM_CLOSE";
    case WM_SYSCOMMAND:
      return "WM_SYSCOMMAND";
    default:
      return nullptr;
  }
}

// Recording. Sent messages are told apart by the WH_CALLWNDPROC hook, whose
// wParam says whether the sender is this thread: our own sends (clearing an
// entry, DefWindowProc turning SC_CLOSE into WM_CLOSE) are thus never
// recorded, however deeply they nest inside a send from outside. Queued
// messages are recorded by the WH_GETMESSAGE hook, which also sees the ones
// that modal loops (message box, move loop) take from the queue.

LRESULT CALLBACK CallWndHook(int code, WPARAM sameThread, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const bool wanted = !sameThread && ListedName(cwp->message) && Named(cwp->hwnd);
    g.sentWindow = wanted ? cwp->hwnd : nullptr;
    g.sentMessage = wanted ? cwp->message : 0;
  }
  return CallNextHookEx(nullptr, code, sameThread, lParam);
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM lParam) {
  if (code == HC_ACTION && removal == PM_REMOVE) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    const char* name = ListedName(msg->message);
    const Node* node = name ? Named(msg->hwnd) : nullptr;
    if (node) {
      // A posted WM_SETTEXT carries a pointer into its sender; it means nothing here.
      const LPARAM l = msg->message == WM_SETTEXT ? 0 : msg->lParam;
      g.log.write(node->name, "queued", name, msg->wParam, l, {});
    }
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

// Every procedure of ours calls this first.
void Arrive(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd != g.sentWindow || message != g.sentMessage)
    return;
  g.sentWindow = nullptr;
  g.sentMessage = 0;
  const Node* node = Named(hwnd);
  if (!node)
    return;
  std::string_view text;
  if (message == WM_SETTEXT) {
    if (lParam)
      text = reinterpret_cast<const char*>(lParam);
    lParam = 0;
  }
  g.log.write(node->name, "sent", ListedName(message), wParam, lParam, text);
}

}  // namespace hostsim
