// The answer dialog: the system message box the client shows after a send,
// named as it is made so that what reaches it is recorded.
#include <windows.h>

#include <cstring>

#include "client.h"

namespace hostsim {

static void Adopt(HWND hwnd, const char* name, Kind kind);

static LRESULT CALLBACK DialogPartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  Node* node = Find(hwnd);
  if (!node)
    return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC base = node->base;
  const Kind kind = node->kind;
  if (message == WM_NCDESTROY) {
    g.nodes.erase(hwnd);
    (kind == Kind::kDialog ? g.dialog : g.dialogButton) = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(base));
  }
  const LRESULT result = CallWindowProcA(base, hwnd, message, wParam, lParam);
  if (kind == Kind::kDialog && message == WM_INITDIALOG && !g.dialogButton) {
    g.dialogButton = FindWindowExA(hwnd, nullptr, "Button", nullptr);
    if (g.dialogButton)
      Adopt(g.dialogButton, "dialog/button", Kind::kDialogButton);
  }
  if (kind == Kind::kDialog && message == WM_WINDOWPOSCHANGED &&
      (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
    g.log.event("dialog", "DIALOG", g.dialogText);
  }
  return result;
}

static void Adopt(HWND hwnd, const char* name, Kind kind) {
  Node& node = g.nodes[hwnd];
  node.name = name;
  node.kind = kind;
  node.base = WNDPROC(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(DialogPartProc)));
}

// Names the message box as it is created (and, once it has its controls, its
// OK button), so that what reaches them is recorded like the client's windows.
static LRESULT CALLBACK DialogCbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const HWND hwnd = HWND(wParam);
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (!g.dialog && std::strcmp(cls, "#32770") == 0) {
      g.dialog = hwnd;
      Adopt(hwnd, "dialog", Kind::kDialog);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ShowAnswerDialog(const std::string& screenName) {
  if (g.dialogOpen)
    return;  // one box at a time, as the client does
  g.dialogOpen = true;
  g.dialogText = screenName + " is not currently signed on.";
  const HHOOK hook = SetWindowsHookExA(WH_CBT, DialogCbtHook, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxA(g.frame, g.dialogText.c_str(), kClientTitle, MB_OK);
  UnhookWindowsHookEx(hook);
  g.dialogOpen = false;
  g.log.event("dialog", "DIALOG_CLOSED", {}, unsigned(answer));
}

}  // namespace hostsim
