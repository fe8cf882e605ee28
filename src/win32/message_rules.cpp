#include "win32/message_rules.h"

#include <algorithm>
#include <vector>

#include "win32/system_rules.h"

namespace win32 {

namespace {

// Posted to one of our windows when a line ends with handlers kept: whichever
// loop takes it next (the event loop, a pause, or a menu's, a box's or the
// move's own) runs them.
constexpr UINT kRunKept = WM_APP + 2;

struct Kept {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  friend bool operator==(const Kept&, const Kept&) = default;
};

// One UI thread: plain statics.
int systemLoops = 0;
int linesInFlight = 0;
std::vector<Kept> kept;          // oldest first
HWND runKeptPostedTo = nullptr;  // where kRunKept waits in the queue, if it does

bool StartsAHandler(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_TIMER ||
         message == WM_CLOSE;
}

static_assert(kWakeForAnything == (QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE |
                                   QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY));
static_assert(kWakeInSystemLoop == (QS_SENDMESSAGE | QS_PAINT | QS_TIMER));
static_assert(kWakeForALine == (QS_SENDMESSAGE | QS_PAINT));

// A wait the system refuses (MsgWaitForMultipleObjectsEx failing) sleeps this
// long at most instead, so that the pump looks at the queue again soon
// without spinning.
constexpr DWORD kRefusedWaitMs = 50;

// Takes the next message that the filter names. PeekMessage hands out a
// WM_QUIT whatever its filter: a pump that takes one stops there and puts it
// back for the loops further out, and says so in `quit`.
bool Take(MSG& m, UINT first, UINT last, UINT flags, bool& quit) {
  if (!PeekMessageW(&m, nullptr, first, last, PM_REMOVE | flags))
    return false;
  if (m.message != WM_QUIT)
    return true;
  PostQuitMessage(int(m.wParam));
  quit = true;
  return false;
}

// What the system and other programs send to this thread's windows, and the
// windows' paints; nothing else is taken from the queue.
void ServeSentAndPaint(bool& quit) {
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  while (Take(m, 0, 0, PM_QS_PAINT, quit))
    DispatchMessageW(&m);
}

// Oldest first, for as long as no line is in flight; one kept by a handler
// run here waits for that handler's own line and runs after it.
void RunKept() {
  while (!kept.empty() && linesInFlight == 0) {
    const Kept next = kept.front();
    kept.erase(kept.begin());
    SendMessageW(next.window, next.message, next.wParam, next.lParam);  // ours: called right here
  }
}

void PostRunKept() {
  if (runKeptPostedTo || kept.empty() || linesInFlight)
    return;
  runKeptPostedTo = kept.front().window;
  if (!PostMessageW(runKeptPostedTo, kRunKept, 0, 0))
    runKeptPostedTo = nullptr;  // a full queue: the next line's end tries again
}

}  // namespace

MessageRules::SystemLoop::SystemLoop() {
  ++systemLoops;
}

MessageRules::SystemLoop::~SystemLoop() {
  --systemLoops;
}

MessageRules::LineInFlight::LineInFlight() {
  ++linesInFlight;
}

MessageRules::LineInFlight::~LineInFlight() {
  if (--linesInFlight == 0)
    PostRunKept();
}

Running MessageRules::Now() {
  if (linesInFlight)
    return Running::kLineInFlight;
  return systemLoops ? Running::kPauseInSystemLoop : Running::kEventLoop;
}

DWORD MessageRules::Sleep(DWORD ms, HANDLE object) {
  const Running now = Now();
  const DWORD queue = WAIT_OBJECT_0 + (object ? 1 : 0);
  if (now == Running::kPauseInSystemLoop && !kept.empty())
    return queue;  // kept handlers may run: Serve runs them
  // A pause wakes for anything queued, even what it saw before; inside a
  // system loop only for what it takes, or the loop's input would wake it
  // again and again; a line's wait only for what is sent and paints.
  static constexpr DWORD kWakes[] = {kWakeForAnything, kWakeInSystemLoop, kWakeForALine};
  const DWORD woke =
      MsgWaitForMultipleObjectsEx(object ? 1 : 0, object ? &object : nullptr, ms, kWakes[int(now)],
                                  now == Running::kEventLoop ? MWMO_INPUTAVAILABLE : 0);
  if (woke != WAIT_FAILED)
    return woke;
  const DWORD bounded = std::min(ms, kRefusedWaitMs);
  if (object) {
    const DWORD signalled = WaitForSingleObject(object, bounded);
    if (signalled != WAIT_FAILED)
      return signalled;
  }
  ::Sleep(bounded);
  return WAIT_TIMEOUT;
}

bool MessageRules::Serve() {
  MSG m;
  bool quit = false;
  switch (Now()) {
    case Running::kEventLoop:
      while (Take(m, 0, 0, 0, quit)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      break;
    case Running::kPauseInSystemLoop:
      RunKept();  // they came before anything that is sent or ticks now
      ServeSentAndPaint(quit);
      while (!quit && Take(m, WM_TIMER, WM_TIMER, 0, quit))
        DispatchMessageW(&m);
      break;
    case Running::kLineInFlight:
      ServeSentAndPaint(quit);
      break;
  }
  return !quit;
}

bool MessageRules::Intercepts(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunKept) {
    runKeptPostedTo = nullptr;
    RunKept();  // nothing while a line is in flight: its end posts again
    return true;
  }
  if (!linesInFlight || !StartsAHandler(message))
    return false;
  // A handler started now would run between a line's text and its Enter.
  // Ticks of one timer do not pile up, as in a queue.
  const Kept k{window, message, wParam, lParam};
  if (message != WM_TIMER || std::find(kept.begin(), kept.end(), k) == kept.end())
    kept.push_back(k);
  return true;
}

void MessageRules::Forget(HWND window) {
  std::erase_if(kept, [window](const Kept& k) { return k.window == window; });
  if (runKeptPostedTo == window) {
    runKeptPostedTo = nullptr;  // the posted message goes with the window
    PostRunKept();
  }
}

}  // namespace win32
