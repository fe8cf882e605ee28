// The thread's queue: what wakes zoble's waits, what the system's own loops
// do with zoble's pauses inside them, and where a WM_QUIT goes.
#include <optional>

#include "check/check.h"
#include "ui/form.h"
#include "win32/handles.h"
#include "win32/message_rules.h"
#include "win32/system_rules.h"
#include "win32/win32_platform.h"

namespace check {

using win32::MessageRules;

HWND MakeWindow(WNDPROC procedure, bool visible) {
  static const ATOM type = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = DefWindowProcW;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
    c.lpszClassName = L"zoble-check";
    return RegisterClassW(&c);
  }();
  const HWND window = CreateWindowExW(visible ? WS_EX_TOPMOST : 0, MAKEINTATOM(type),
                                      L"zoble-check", WS_POPUP | WS_BORDER, 100, 100, 240, 120,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (procedure)
    SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(procedure));
  if (visible) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
  }
  return window;
}

bool PumpUntil(HANDLE object, DWORD ms, const bool* done) {
  for (const DWORD start = GetTickCount();;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      TranslateMessage(&m), DispatchMessageW(&m);
    const DWORD spent = GetTickCount() - start;
    if ((done && *done) || spent >= ms)
      return false;
    const DWORD woke = MsgWaitForMultipleObjects(object ? 1 : 0, object ? &object : nullptr, FALSE,
                                                 ms - spent, win32::kWakeForAnything);
    if (woke == WAIT_FAILED || (object && woke == WAIT_OBJECT_0))
      return woke != WAIT_FAILED;
  }
}

void Drain() {
  PumpUntil(nullptr, 0);
}

void WakeMasks(Findings& f) {
  const DWORD masks[][2] = {{win32::kWakeForAnything, MWMO_INPUTAVAILABLE},
                            {win32::kWakeInSystemLoop, 0},
                            {win32::kWakeForALine, 0}};
  for (const auto& [mask, flags] : masks)
    f.expect(MsgWaitForMultipleObjectsEx(0, nullptr, 0, mask, flags) != WAIT_FAILED,
             Format("the wake mask 0x%lX refused: error %lu", mask, GetLastError()));
  std::string seen = "zoble's three taken";
  for (const auto& [name, flag] :
       {std::pair{"QS_RAWINPUT", 0x400}, {"QS_TOUCH", 0x800}, {"QS_POINTER", 0x1000}})
    seen += Format(
        ", %s %s", name,
        MsgWaitForMultipleObjectsEx(0, nullptr, 0, flag, 0) != WAIT_FAILED ? "taken" : "refused");
  f.info(seen);
}

void InputAvailableWakes(Findings& f) {
  // A message seen by a peek that leaves it queued.
  Drain();
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  const DWORD with =
      MsgWaitForMultipleObjectsEx(0, nullptr, 200, win32::kWakeForAnything, MWMO_INPUTAVAILABLE);
  const DWORD without = MsgWaitForMultipleObjectsEx(0, nullptr, 200, win32::kWakeForAnything, 0);
  f.expect(with == WAIT_OBJECT_0, "a message seen but left did not wake MWMO_INPUTAVAILABLE");
  f.expect(without == WAIT_TIMEOUT, "a message seen but left woke a wait without the flag");
}

namespace {

// A form whose timer ticks inside the loops it is put in: each tick notes
// whether a pause there would be the system loop's kind (1) or not (0; -1:
// no tick ran inside), and ends the loop.
ui::FormDesign TickingDesign() {
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
  explicit Ticking(ui::Runtime& runtime) : Form(runtime, TickingDesign()) {
    on("Timer1", ui::Event::kTimer, [this] { tick(); });
  }

  int menu = -1, move = -1, boxMove = -1;
  int* moving = &move;  // which move a tick inside one notes

 private:
  void tick() {
    const int inLoop = MessageRules::Now() == win32::Running::kPauseInSystemLoop;
    if (IsWindowVisible(FindWindowW(L"#32768", nullptr))) {
      menu = inLoop;
      EndMenu();
    } else {
      *moving = inLoop;
      PostMessageW(win32::ToNative(hWnd()), WM_KEYDOWN, VK_ESCAPE, 0);
    }
  }
};

}  // namespace

void SystemLoopsMarked(Findings& f) {
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  ui::Runtime runtime(platform, "zoble-check");
  Ticking form(runtime);
  form.show();
  const HWND window = win32::ToNative(form.hWnd());
  const HWND box = FindWindowExW(window, nullptr, L"Edit", nullptr);
  SetForegroundWindow(window);
  SendMessageW(box, WM_CONTEXTMENU, WPARAM(box), -1);  // as Shift+F10 asks
  SendMessageW(window, WM_SYSCOMMAND, SC_MOVE, 0);     // as another program may ask
  form.moving = &form.boxMove;
  SendMessageW(box, WM_SYSCOMMAND, SC_MOVE, 0);  // to a child: no loop at all, or a marked one
  const char* said[] = {"no tick inside", "not a system loop", "a system loop"};
  f.expect(form.menu == 1, Format("the text box's own menu: %s", said[form.menu + 1]));
  f.expect(form.move == 1, Format("the move: %s", said[form.move + 1]));
  f.expect(form.boxMove != 0, Format("the text box's move: %s", said[form.boxMove + 1]));
  form.setTimerEnabled("Timer1", false);
}

namespace {

constexpr UINT kSent = WM_APP;
int inputDispatched = 0, ticks = 0, sent = 0;

LRESULT CALLBACK Counting(HWND window, UINT message, WPARAM w, LPARAM l) {
  inputDispatched += (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                     (message >= WM_LBUTTONDOWN && message <= WM_MOUSELAST);
  ticks += message == WM_TIMER;
  sent += message == kSent;
  return DefWindowProcW(window, message, w, l);
}

// Another program's message, sent while the pause runs.
DWORD WINAPI SendLater(LPVOID window) {
  Sleep(100);
  SendMessageW(static_cast<HWND>(window), kSent, 0, 0);
  return 0;
}

// A click at `at` and a press of Enter, as a person makes them; true once
// both are in this thread's queue.
bool QueueInput(POINT at) {
  SetCursorPos(at.x, at.y);
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
  for (const DWORD until = GetTickCount() + 5000;
       (HIWORD(GetQueueStatus(kBoth)) & kBoth) != kBoth;) {
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

}  // namespace

void PauseKeepsLoopInput(Findings& f) {
  const HWND window = MakeWindow(Counting, true);
  PumpUntil(nullptr, 100);
  RECT r;
  GetWindowRect(window, &r);
  const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  // Input only into its own window, only while that is in front.
  if (GetForegroundWindow() != window || WindowFromPoint(middle) != window)
    return f.skip("its window is not in front: no input made");
  POINT was;
  GetCursorPos(&was);
  const bool queued = QueueInput(middle);
  SetCursorPos(was.x, was.y);
  if (!queued)
    return f.skip("the click and Enter made did not reach its window");
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  MessageRules::SystemLoop loop;
  SetTimer(window, 1, 50, nullptr);
  const HANDLE sender = CreateThread(nullptr, 0, &SendLater, window, 0, nullptr);
  // As a reminder's pause runs: sleep to the next event, then serve it.
  const double deadline = platform.monotonic() + 0.5;
  int wakes = 0;
  do {
    platform.sleepUntilEvent(deadline);
    platform.processPendingEvents();
    ++wakes;
  } while (platform.monotonic() < deadline);
  // Before anything else looks at the queue: a peek serves a send.
  const int dispatched = inputDispatched, ticked = ticks, served = sent;
  f.expect(Queued(WM_LBUTTONDOWN) && Queued(WM_KEYDOWN), "the loop's click and key were taken");
  f.expect(dispatched == 0, Format("%d of the loop's input dispatched", dispatched));
  f.expect(ticked >= 5 && served == 1, Format("%d ticks and %d sends served", ticked, served));
  f.expect(wakes <= ticked + 5, Format("woke %d times for %d ticks", wakes, ticked));
  WaitForSingleObject(sender, 5000);
  CloseHandle(sender);
}

void RefusedWaitSleeps(Findings& f) {
  // A wait the system refuses (the handle is closed) sleeps all the same, as
  // one whose wake mask Windows 2000 lacks must. A wait first: Wine makes a
  // handle for the queue at the first, which would take the closed one's place.
  MsgWaitForMultipleObjectsEx(0, nullptr, 0, win32::kWakeForAnything, 0);
  const HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(closed);
  f.expect(MsgWaitForMultipleObjectsEx(1, &closed, 0, win32::kWakeForAnything, 0) == WAIT_FAILED,
           "a wait on a closed handle was not refused");
  int wakes = 0;
  for (const DWORD until = GetTickCount() + 300; LONG(until - GetTickCount()) > 0; ++wakes)
    MessageRules::Sleep(100, &closed, 1);
  f.expect(wakes <= 20, Format("a refused wait returned %d times in 300 ms", wakes));
}

namespace {

const char* const kQuits[] = {"PostQuitMessage's quit", "a posted WM_QUIT"};

void PostQuit(int kind) {
  if (kind == 0)
    PostQuitMessage(7);
  else
    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 7, 0);
}

bool QuitQueued() {
  MSG m;
  return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace

void QuitThroughFilters(Findings& f) {
  // Whether each kind comes through, as the documentation and Wine's tests
  // (which pass on Windows) say; -1: left open.
  const struct {
    const char* name;
    UINT first, last, flags;
    int comes[2];
  } ways[] = {{"a range without it", WM_TIMER, WM_TIMER, 0, {1, 0}},
              {"PM_QS_SENDMESSAGE", 0, 0, PM_QS_SENDMESSAGE, {0, 0}},
              {"PM_QS_PAINT", 0, 0, PM_QS_PAINT, {-1, -1}},
              {"PM_QS_POSTMESSAGE", 0, 0, PM_QS_POSTMESSAGE, {1, 1}}};
  for (int kind = 0; kind < 2; ++kind) {
    for (const auto& way : ways) {
      Drain();
      PostQuit(kind);
      MSG m;
      const bool came = PeekMessageW(&m, nullptr, way.first, way.last, PM_REMOVE | way.flags) &&
                        m.message == WM_QUIT;
      const std::string what =
          Format("%s %s through %s", kQuits[kind], came ? "came" : "did not come", way.name);
      if (way.comes[kind] < 0)
        f.note(what);
      else
        f.expect(came == bool(way.comes[kind]), what);
    }
  }
  Drain();
}

namespace {

// Posts a quit from a tick inside one of the system's loops, and ends the
// loop as a person would if it goes on.
struct {
  int kind, loop, ticks;
  bool endedByUs;
} inLoop;

constexpr wchar_t kBoxTitle[] = L"zoble-check quit";

LRESULT CALLBACK LoopOwner(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_TIMER)
    return DefWindowProcW(window, message, w, l);
  if (++inLoop.ticks == 1) {
    PostQuit(inLoop.kind);
  } else if (inLoop.ticks >= 4) {
    inLoop.endedByUs = true;
    if (inLoop.loop == 0)
      EndMenu();
    else if (inLoop.loop == 1)
      PostMessageW(FindWindowW(L"#32770", kBoxTitle), WM_COMMAND, IDOK, 0);
    else
      PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  }
  return 0;
}

}  // namespace

void QuitInSystemLoops(Findings& f) {
  const HWND owner = MakeWindow(LoopOwner, true);
  const char* loops[] = {"the popup menu", "the message box", "the move"};
  std::string seen;
  for (int kind = 0; kind < 2; ++kind) {
    for (int loop = 0; loop < 3; ++loop) {
      Drain();
      inLoop = {kind, loop, 0, false};
      SetTimer(owner, 1, 100, nullptr);
      if (loop == 0) {
        const HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 1, L"zoble-check");
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 120, 120, 0, owner, nullptr);
        DestroyMenu(menu);
      } else if (loop == 1) {
        MessageBoxW(owner, L"A quit comes inside this box.", kBoxTitle, MB_OK);
      } else {
        SendMessageW(owner, WM_SYSCOMMAND, SC_MOVE, 0);
      }
      KillTimer(owner, 1);
      const bool ended = !inLoop.endedByUs, back = QuitQueued();
      const std::string what = Format("%s with %s: %s, %s", loops[loop], kQuits[kind],
                                      ended ? "ended" : "went on", back ? "put back" : "taken");
      if (loop == 1)  // a dialog's loop ends on it and posts it again
        f.expect(ended && back, what);
      seen += (seen.empty() ? "" : "; ") + what;
    }
  }
  f.info(seen);
}

namespace {

HWND activated = nullptr;

// Another thread of the program takes the foreground and gives it back: an
// activation for the waiting thread's window.
DWORD WINAPI TakeAndGiveBack(LPVOID) {
  const HWND other = MakeWindow(nullptr, true);
  PumpUntil(nullptr, 100);
  SetForegroundWindow(activated);
  PumpUntil(nullptr, 100);
  DestroyWindow(other);
  return 0;
}

}  // namespace

void WaitAfterActivation(Findings& f) {
  activated = MakeWindow(nullptr, true);
  PumpUntil(nullptr, 100);
  const char* waits[] = {"a line's wait", "a pause in a system loop", "a wait with no wake flags"};
  std::string counts;
  for (int wait = 0; wait < 3; ++wait) {
    const HANDLE other = CreateThread(nullptr, 0, &TakeAndGiveBack, nullptr, 0, nullptr);
    std::optional<MessageRules::LineInFlight> line;
    std::optional<MessageRules::SystemLoop> loop;
    if (wait == 0)
      line.emplace();
    else if (wait == 1)
      loop.emplace();
    int wakes = 0;
    for (const DWORD until = GetTickCount() + 800; LONG(until - GetTickCount()) > 0; ++wakes) {
      if (wait == 2)
        MsgWaitForMultipleObjectsEx(0, nullptr, until - GetTickCount(), 0, 0);
      else if (MessageRules::Sleep(until - GetTickCount()) != WAIT_TIMEOUT)
        MessageRules::Serve();
    }
    line.reset();
    loop.reset();
    f.expect(wakes <= 40, Format("%s woke %d times in 800 ms", waits[wait], wakes));
    counts += Format("%s%s %d", counts.empty() ? "wakes in 800 ms: " : ", ", waits[wait], wakes);
    PumpUntil(other, 5000);
    CloseHandle(other);
  }
  f.note(counts);
}

}  // namespace check
