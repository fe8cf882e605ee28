// hostsim: a stand-in for the chat client zoble drives. It builds that
// client's window tree, acts on what it is sent as the client would, shows
// the result, and records every listed message that reaches its windows from
// outside its own thread (docs/hostsim.md).
#include <windows.h>

#include <algorithm>
#include <string>

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
// sender waits on the hang from then on. With --hang-until-cue the test's
// cue ends it, whenever that comes: what other programs do meanwhile lands
// inside it however slow the machine.
void Hang() {
  g.log.event("-", "HANG", {}, g.options.hangMs);
  const DWORD started = GetTickCount();
  const DWORD cues = g.cue ? 1 : 0;
  if (MsgWaitForMultipleObjects(cues, &g.cue, FALSE, g.options.hangMs, QS_SENDMESSAGE) ==
      WAIT_OBJECT_0 + cues) {
    g.log.event("-", "SEND_WAITS", {}, 0, Recorder::TimeOfDayMs());
    const DWORD spent = GetTickCount() - started;
    const DWORD left = spent < g.options.hangMs ? g.options.hangMs - spent : 0;
    if (g.cue)
      WaitForSingleObject(g.cue, left);
    else
      Sleep(left);
  }
  g.log.event("-", "AWAKE");
}

// Told to other programs by a named event, set once the line's sender has
// its answer: one that waits for it acts right after the line, on the
// client's own word, whatever the test's reader is doing.
void LineEntered(unsigned number) {
  const std::string name = "hostsim line " + std::to_string(number);
  if (const HANDLE told = CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {
    SetEvent(told);
    g.linesTold.push_back(told);
  }
  const auto& hangs = g.options.hangAfterLines;
  if (g.options.hangMs && std::find(hangs.begin(), hangs.end(), number) != hangs.end())
    Hang();
}

// Each line on standard input is a cue: it ends the hang under way, or the
// next one.
DWORD WINAPI ReadCues(void*) {
  char buffer[64];
  DWORD read = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read) {
    if (std::find(buffer, buffer + read, '\n') != buffer + read)
      SetEvent(g.cue);
  }
  return 0;
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
  if (g.options.hangUntilCue) {
    g.cue = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, ReadCues, nullptr, 0, nullptr));
  }
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
  for (const HANDLE told : g.linesTold)
    CloseHandle(told);
  return int(msg.wParam);
}

}  // namespace hostsim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return hostsim::Run(instance, __argc, __argv);
}
