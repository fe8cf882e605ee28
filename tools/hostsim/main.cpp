// hostsim: a stand-in for the chat client zoble drives. It builds that
// client's window tree, acts on what it is sent as the client would, shows
// the result, and records every listed message that reaches its windows from
// outside its own thread (docs/hostsim.md).
#include <windows.h>

#include "client.h"
#include "options.h"

namespace hostsim {

// Runs once the message loop has drained what building queued: timers come
// after paints, so by now every window has been drawn.
void CALLBACK ReadyTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g.log.event("-", "READY");
  if (g.options.hangMs && g.options.hangAfterLines.empty())
    Hang();
  if (g.topLevels == 0)
    PostQuitMessage(0);
}

// The client stops reading its messages for a while, as a busy one does. The
// first message sent to it meanwhile is told (SEND_WAITS), not taken: its
// sender waits on the hang from then on.
void Hang() {
  g.log.event("-", "HANG", {}, g.options.hangMs);
  const DWORD started = GetTickCount();
  if (MsgWaitForMultipleObjects(0, nullptr, FALSE, g.options.hangMs, QS_SENDMESSAGE) ==
      WAIT_OBJECT_0) {
    g.log.event("-", "SEND_WAITS");
    const DWORD spent = GetTickCount() - started;
    Sleep(spent < g.options.hangMs ? g.options.hangMs - spent : 0);
  }
  g.log.event("-", "AWAKE");
}

void Complain(const std::string& text) {
  const std::string line = "hostsim: " + text + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), DWORD(line.size()), &written, nullptr);
}

int Run(HINSTANCE instance, int argc, char** argv) {
  std::string error;
  const auto options = ParseOptions(argc, argv, error);
  if (!options) {
    Complain(error);
    return 2;
  }
  g.options = *options;
  g.instance = instance;
  if (!g.options.logPath.empty() && !g.log.open(g.options.logPath)) {
    Complain("cannot open the log " + g.options.logPath);
    return 2;
  }
  if (!RegisterClasses()) {
    Complain("cannot register the window classes");
    return 1;
  }
  g.uiFont =
      CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  g.boldFont =
      CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  const DWORD thread = GetCurrentThreadId();
  const HHOOK callHook = SetWindowsHookExA(WH_CALLWNDPROC, CallWndHook, nullptr, thread);
  const HHOOK getHook = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, thread);

  if (!g.options.noClient)
    BuildClient();
  if (g.options.strayRichcntl)
    BuildStrays();
  SetTimer(nullptr, 0, 1, ReadyTimer);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (g.mdi && TranslateMDISysAccel(g.mdi, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  UnhookWindowsHookEx(getHook);
  UnhookWindowsHookEx(callHook);
  for (const auto& [key, font] : g.chatFonts)
    DeleteObject(font);
  DeleteObject(g.uiFont);
  DeleteObject(g.boldFont);
  return int(msg.wParam);
}

}  // namespace hostsim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return hostsim::Run(instance, __argc, __argv);
}
