// The system's own loops that run on zoble's thread (a menu, a box, the
// move, the text box's own menu). Two rules that Wine's loops hide, since
// they act on their input even when a pause took it:
// - the loops a form runs without zoble's own code asking (the text box's
//   Undo/Cut/Paste menu, a move another program asks for) count as system
//   loops: a tick inside each notes whether a pause there would be the system
//   loop's kind (1), or not (0; -1: no tick ran inside), and ends the loop;
// - a pause made inside a system loop leaves that loop's clicks and keys
//   queued and sleeps through them, and still serves what is sent, paints and
//   timer ticks: a real click and Enter are queued on a window of its own,
//   and it pauses as a reminder does inside such a loop.
// Prints what it saw as NAME=NUMBER pairs.
#include <windows.h>

#include <cstdio>

#include "ui/form.h"
#include "win32/handles.h"
#include "win32/message_rules.h"
#include "win32/win32_platform.h"

namespace {

constexpr UINT kSent = WM_APP;
constexpr double kPauseSeconds = 0.5;

int inputDispatched = 0, ticks = 0, sent = 0;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
      (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEMOVE))
    ++inputDispatched;
  else if (message == WM_TIMER)
    ++ticks;
  else if (message == kSent)
    ++sent;
  return DefWindowProcW(window, message, w, l);
}

// Another program's message, sent while the pause runs.
DWORD WINAPI SendLater(LPVOID window) {
  Sleep(100);
  SendMessageW(static_cast<HWND>(window), kSent, 0, 0);
  return 0;
}

// A click on the window's middle and a press of Enter, as a person makes
// them; true once both are in this thread's queue.
bool QueueInput(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[4] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  in[2].type = in[3].type = INPUT_KEYBOARD;
  in[2].ki.wVk = in[3].ki.wVk = VK_RETURN;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  if (SendInput(4, in, sizeof(INPUT)) != 4)
    return false;
  constexpr DWORD kBoth = QS_MOUSEBUTTON | QS_KEY;
  const DWORD until = GetTickCount() + 5000;
  while ((HIWORD(GetQueueStatus(kBoth)) & kBoth) != kBoth) {
    const auto left = LONG(until - GetTickCount());
    if (left <= 0)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left), kBoth);
  }
  return true;
}

bool Queued(UINT message) {
  MSG m;
  return PeekMessageW(&m, nullptr, message, message, PM_NOREMOVE);
}

ui::FormDesign Design() {
  ui::FormDesign d;
  d.name = "Form1";
  d.frame = ui::Frame::kNone;
  d.clientWidth = 3000;
  d.clientHeight = 600;
  d.textBoxes.push_back({"Text1", "reason", {0, 0, 3000, 300}});
  d.timers.push_back({"Timer1", 50, true});
  return d;
}

class Ticking final : public ui::Form {
 public:
  explicit Ticking(ui::Runtime& runtime) : Form(runtime, Design()) {
    on("Timer1", ui::Event::kTimer, [this] { tick(); });
  }

  int menu = -1, move = -1;

 private:
  void tick() {
    const int inLoop = win32::MessageRules::Now() == win32::Running::kPauseInSystemLoop;
    if (IsWindowVisible(FindWindowW(L"#32768", nullptr))) {
      menu = inLoop;
      EndMenu();
    } else {
      move = inLoop;
      PostMessageW(win32::ToNative(hWnd()), WM_KEYDOWN, VK_ESCAPE, 0);
    }
  }
};

}  // namespace

int main() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  win32::Win32Platform platform(instance);
  ui::Runtime runtime(platform, "loops");
  Ticking form(runtime);
  form.show();
  const HWND formWindow = win32::ToNative(form.hWnd());
  const HWND box = FindWindowExW(formWindow, nullptr, L"Edit", nullptr);
  SetForegroundWindow(formWindow);
  SendMessageW(box, WM_CONTEXTMENU, WPARAM(box), -1);  // as Shift+F10 asks
  SendMessageW(formWindow, WM_SYSCOMMAND, SC_MOVE, 0);
  std::printf("menu=%d move=%d ", form.menu, form.move);
  form.setTimerEnabled("Timer1", false);
  form.hide();

  WNDCLASSW type = {};
  type.lpfnWndProc = Procedure;
  type.hInstance = instance;
  type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  type.lpszClassName = L"system_loops";
  RegisterClassW(&type);
  const HWND window =
      CreateWindowExW(WS_EX_TOPMOST, type.lpszClassName, L"pause", WS_POPUP | WS_VISIBLE, 100, 100,
                      200, 100, nullptr, nullptr, instance, nullptr);
  SetForegroundWindow(window);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageW(&m);
  const bool queued = QueueInput(window);

  win32::MessageRules::SystemLoop loop;
  SetTimer(window, 1, 50, nullptr);
  const HANDLE sender = CreateThread(nullptr, 0, &SendLater, window, 0, nullptr);
  // As a reminder's pause runs: sleep to the next event, then serve it.
  const double deadline = platform.monotonic() + kPauseSeconds;
  int wakes = 0;
  do {
    platform.sleepUntilEvent(deadline);
    platform.processPendingEvents();
    ++wakes;
  } while (platform.monotonic() < deadline);
  // What the pause did, before anything else looks at the queue (a peek
  // serves a message still being sent).
  std::printf("dispatched=%d ticks=%d sent=%d wakes=%d ", inputDispatched, ticks, sent, wakes);
  const bool click = Queued(WM_LBUTTONDOWN), key = Queued(WM_KEYDOWN);
  std::printf("queued=%d click=%d key=%d ", queued, click, key);
  WaitForSingleObject(sender, 5000);
  CloseHandle(sender);
  DestroyWindow(window);

  // A wait the system refuses (here: the handle is closed) sleeps all the
  // same, as one whose wake mask Windows 2000 lacks must.
  const HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(closed);
  int refusedWakes = 0;
  for (const DWORD until = GetTickCount() + 300; LONG(until - GetTickCount()) > 0; ++refusedWakes)
    win32::MessageRules::Sleep(100, &closed, 1);
  std::printf("refused_wakes=%d\n", refusedWakes);
  return 0;
}
