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
HHOOK quitWatch = nullptr;       // while a system loop runs
bool quitTaken = false;
unsigned refusedWaits = 0;
int emptyWakes = 0;       // wakes in a row, each at once, that led to nothing taken
bool wokeAtOnce = false;  // the last wait returned for the queue without sleeping
bool tookSince = false;   // a pump took a message since the last wait

bool StartsAHandler(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_TIMER ||
         message == WM_CLOSE;
}

static_assert(kWakeForAnything ==
              (QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT |
               QS_SENDMESSAGE | QS_HOTKEY | QS_ALLPOSTMESSAGE));
static_assert(kWakeInSystemLoop == (QS_SENDMESSAGE | QS_PAINT | QS_TIMER | QS_POSTMESSAGE));
static_assert(kWakeForALine == (QS_SENDMESSAGE | QS_PAINT));

// A wait the system refuses (MsgWaitForMultipleObjectsEx failing) sleeps this
// long at most instead, so that the pump looks at the queue again soon
// without spinning.
constexpr DWORD kRefusedWaitMs = 50;
// A wait can return for a system event that no filtered peek processes (an
// activation, say) and then return again and again. After a few such wakes
// an unfiltered look lets the system process it; after more, a rest.
constexpr int kEmptyWakesBeforeLook = 3;
constexpr int kEmptyWakesBeforeRest = 8;
constexpr DWORD kRestMs = 10;

void NoteQuit() {
  if (quitTaken)
    return;
  quitTaken = true;
  // The loop that took it may go on: Wine's menu keeps tracking. The
  // system's menus and its move hold the capture while they run; told to
  // cancel, they end.
  if (systemLoops) {
    if (const HWND captured = GetCapture())
      SendMessageW(captured, WM_CANCELMODE, 0, 0);
  }
}

// Sees every message that a loop on this thread takes, the system's included.
LRESULT CALLBACK WatchMessages(int code, WPARAM removed, LPARAM message) {
  if (code == HC_ACTION && removed == PM_REMOVE &&
      reinterpret_cast<const MSG*>(message)->message == WM_QUIT)
    NoteQuit();
  return CallNextHookEx(quitWatch, code, removed, message);
}

// Takes the next message that the filter names. PeekMessage hands out a
// WM_QUIT that PostQuitMessage made whatever the range, and one that another
// program posted when the range covers it, but neither through PM_QS_
// flags: a pump that takes one stops there and puts it back for the loops
// further out.
bool Take(MSG& m, UINT first, UINT last, UINT flags) {
  if (quitTaken || !PeekMessageW(&m, nullptr, first, last, PM_REMOVE | flags))
    return false;
  if (m.message != WM_QUIT) {
    tookSince = true;
    return true;
  }
  NoteQuit();
  PostQuitMessage(int(m.wParam));
  return false;
}

// The windows' paints, and nothing else from the queue.
void Paint() {
  static bool painting = false;  // a paint's own messages come back here
  if (painting)
    return;
  painting = true;
  MSG m;
  while (Take(m, 0, 0, PM_QS_PAINT))
    DispatchMessageW(&m);
  painting = false;
}

// What the system and other programs send to this thread's windows, and the
// windows' paints; nothing else is taken from the queue.
void ServeSentAndPaint() {
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  Paint();
}

// Oldest first, for as long as no line is in flight; one kept by a handler
// run here waits for that handler's own line and runs after it.
void RunKept() {
  while (!kept.empty() && linesInFlight == 0 && !quitTaken) {
    const Kept next = kept.front();
    kept.erase(kept.begin());
    tookSince = true;
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

// A wait that the system refused, said to a debugger (there is no log) so
// that a test can tell there were none.
void NoteRefusedWait() {
  ++refusedWaits;
  OutputDebugStringA("zoble: a wait was refused\n");
}

}  // namespace

// A loop of the system's may take a WM_QUIT and keep it: a hook sees every
// message any loop on the thread takes. Only while such a loop runs, since
// zoble's own pumps note a quit as they take it, and each message a hooked
// thread takes costs more (three round trips to Wine's server).
MessageRules::SystemLoop::SystemLoop() {
  if (systemLoops++ == 0)
    quitWatch = SetWindowsHookExW(WH_GETMESSAGE, &WatchMessages, nullptr, GetCurrentThreadId());
}

MessageRules::SystemLoop::~SystemLoop() {
  if (--systemLoops == 0 && quitWatch) {
    UnhookWindowsHookEx(quitWatch);
    quitWatch = nullptr;
  }
}

MessageRules::LineInFlight::LineInFlight() {
  ++linesInFlight;
}

MessageRules::LineInFlight::~LineInFlight() {
  if (--linesInFlight == 0)
    PostRunKept();
}

bool MessageRules::QuitTaken() {
  return quitTaken;
}

unsigned MessageRules::RefusedWaits() {
  return refusedWaits;
}

Running MessageRules::Now() {
  if (linesInFlight)
    return Running::kLineInFlight;
  return systemLoops ? Running::kPauseInSystemLoop : Running::kEventLoop;
}

DWORD MessageRules::Sleep(DWORD ms, const HANDLE* objects, DWORD count, bool sentMayWait) {
  const Running now = Now();
  const DWORD queue = WAIT_OBJECT_0 + count;
  // Once a quit is taken, only a line in flight still waits (it finishes
  // whole); every other pump is on its way out.
  if (quitTaken && now != Running::kLineInFlight)
    return queue;
  if (now == Running::kPauseInSystemLoop && !kept.empty())
    return queue;  // kept handlers may run: Serve runs them
  // Asking the queue what woke it (GetQueueStatus) would clear what the
  // next wait looks for: a wake counts as one for nothing when it came at
  // once and the pump then took nothing.
  emptyWakes = wokeAtOnce && !tookSince ? emptyWakes + 1 : 0;
  tookSince = false;
  if (emptyWakes >= kEmptyWakesBeforeLook) {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    if (emptyWakes >= kEmptyWakesBeforeRest)
      ::Sleep(std::min(ms, kRestMs));
  }
  // A pause wakes for anything queued, even what it saw before; inside a
  // system loop only for what it takes and for what is newly posted (a
  // WM_QUIT, say: any peek clears that bit), or the loop's input would wake
  // it again and again; a line's wait only for what is sent and paints.
  static constexpr DWORD kWakes[] = {kWakeForAnything, kWakeInSystemLoop, kWakeForALine};
  DWORD wakes = kWakes[int(now)];
  if (sentMayWait && now == Running::kEventLoop)
    wakes &= ~DWORD(QS_SENDMESSAGE);
  const DWORD started = GetTickCount();
  const DWORD woke = MsgWaitForMultipleObjectsEx(
      count, objects, ms, wakes, now == Running::kEventLoop ? MWMO_INPUTAVAILABLE : 0);
  wokeAtOnce = woke == queue && GetTickCount() == started;
  if (woke != WAIT_FAILED)
    return woke;
  NoteRefusedWait();
  const DWORD bounded = std::min(ms, kRefusedWaitMs);
  if (count) {
    const DWORD signalled = WaitForMultipleObjects(count, objects, FALSE, bounded);
    if (signalled != WAIT_FAILED)
      return signalled;
  }
  ::Sleep(bounded);
  return WAIT_TIMEOUT;
}

bool MessageRules::Serve() {
  MSG m;
  switch (Now()) {
    case Running::kEventLoop:
      while (Take(m, 0, 0, 0)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      break;
    case Running::kPauseInSystemLoop:
      RunKept();  // they came before anything that is sent or ticks now
      ServeSentAndPaint();
      while (Take(m, WM_TIMER, WM_TIMER, 0))
        DispatchMessageW(&m);
      // Another program's WM_QUIT is an ordinary posted message: the pause
      // looks for it, and leaves the loop's own input queued.
      Take(m, WM_QUIT, WM_QUIT, 0);
      break;
    case Running::kLineInFlight:
      // Even once a quit is taken, the line finishes whole, and meanwhile
      // the system still gets its answers.
      ServeSentAndPaint();
      break;
  }
  return !quitTaken;
}

bool MessageRules::Intercepts(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunKept) {
    runKeptPostedTo = nullptr;
    RunKept();  // nothing while a line is in flight: its end posts again
    return true;
  }
  // What another thread sends is all that a send's wait hands this thread,
  // and a question such as whether zoble hangs should find its windows
  // drawn: they paint first, not only at the keeper's nudge or the pump's
  // next turn.
  if (linesInFlight || InSendMessage())
    Paint();
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
