// Which message may run on zoble's one UI thread, and when: the one place
// that decides it. The pumps (the pauses, a send's nudge) sleep and take from
// the queue as it says, and zoble's window procedure asks it first.
//
// What runs depends on what the thread is doing (docs/architecture.md has
// the table):
// - the event loop, or a pause of a handler outside the system's loops:
//   everything;
// - a pause inside one of the system's loops (a menu, a box, the move, the
//   reason box's own menu): what is sent, paints, timer ticks, kept handlers
//   and a WM_QUIT; clicks and keys stay queued for the loop and do not wake
//   it;
// - a line in flight (a send to another program waits): what is sent and
//   paints. A message that would start a handler (a close, a click, a tick)
//   is kept here, and runs in the order it came once the line is whole or
//   given up, whatever loop runs meanwhile.
//
// A WM_QUIT ends them all, whichever loop takes it, ours or the system's.
#pragma once

#include <windows.h>

namespace win32 {

enum class Running {
  kEventLoop,  // the event loop, or a handler's pause outside the system's loops
  kPauseInSystemLoop,
  kLineInFlight,
};

class MessageRules {
 public:
  // While one lives, the thread runs what it names; made around the call
  // that runs it.
  class Marker {
   public:
    Marker(const Marker&) = delete;
    Marker& operator=(const Marker&) = delete;

   protected:
    Marker() = default;
  };
  // One of the system's own loops; while one runs, any WM_QUIT it takes is
  // noted.
  struct SystemLoop : Marker {
    SystemLoop();
    ~SystemLoop();
  };
  // A send to another program's window, waiting for its answer.
  struct LineInFlight : Marker {
    LineInFlight();
    ~LineInFlight();
  };

  // Whether a WM_QUIT has been taken from this thread's queue, by anyone:
  // a loop of the system's may keep it for itself (Wine's menu goes on
  // tracking, its move ends without putting it back).
  static bool QuitTaken();

  // What a pump of zoble's own that ran now would be.
  static Running Now();

  // Sleeps until something that may run now arrives, one of `objects` is
  // signalled, or `ms` have passed; returns as MsgWaitForMultipleObjectsEx.
  // Never WAIT_FAILED and never a spin: a wait the system refuses sleeps a
  // short while instead, and one that keeps waking for nothing rests. With
  // `sentMayWait`, what other programs send (and the events of a desktop
  // watch, which come the same way) does not wake the event loop's sleep:
  // it is served when the sleep ends.
  static DWORD Sleep(DWORD ms, const HANDLE* objects = nullptr, DWORD count = 0,
                     bool sentMayWait = false);
  // Runs what may run now, and leaves the rest queued. False once a WM_QUIT
  // has been taken: a pump that takes one stops there and leaves it queued
  // for the loops further out.
  static bool Serve();
  // Waits the system refused so far (MsgWaitForMultipleObjectsEx failing):
  // none on a system that takes zoble's wake masks.
  static unsigned RefusedWaits();

  // Asked first by the procedure of zoble's windows: true when the message
  // is dealt with here, kept for after the line or the signal to run what
  // was kept.
  static bool Intercepts(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // A window going away: what was kept for it goes too.
  static void Forget(HWND window);
};

}  // namespace win32
