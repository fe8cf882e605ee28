// What a platform gives the runtime: native windows built from designs, the
// event queue, clocks and the message box. Win32 gives it in zoble.exe; the
// headless platform of the unit tests gives it in virtual time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/window_handle.h"

namespace ui {

class Form;

// A loaded form on the platform: its native window with controls and timers.
// Destroying the peer destroys them.
class FormPeer {
 public:
  virtual ~FormPeer() = default;
  virtual zoble::Hwnd handle() const = 0;
  virtual void setVisible(bool visible) = 0;
  virtual bool visible() const = 0;
  virtual std::string text(std::string_view textBox) const = 0;
  virtual void setTimerEnabled(std::string_view timer, bool enabled) = 0;
  virtual bool timerEnabled(std::string_view timer) const = 0;
  // Opens the popup menu at the mouse pointer and returns when it has closed,
  // with the name of the chosen item, or empty when none was chosen.
  virtual std::string popupMenu(std::string_view menu) = 0;
};

// While it lives, changes among another program's windows (one created,
// destroyed or renamed) wake sleepUntilEvent, so a wait for a foreign window
// sleeps instead of looking again and again.
class DesktopWatch {
 public:
  virtual ~DesktopWatch() = default;
  // Changes whose events processPendingEvents has served since the watch
  // began: a change is never later than its event.
  virtual unsigned long changes() const = 0;
  // When the latest of them happened (monotonic()), by its event's own time:
  // one served late is no later a change.
  virtual double changedAt() const = 0;
  // The watcher looks at the windows again by `deadline` (monotonic()) in
  // any case: until then their changes need not end sleepUntilEvent, and
  // are served at its next wake.
  virtual void looksBy(double deadline) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Builds the native window of a form from its design. The peer reports
  // events back through the form.
  virtual std::unique_ptr<FormPeer> createPeer(Form& form) = 0;

  // Local time of day in seconds since midnight; it starts again at midnight.
  virtual float timeOfDay() = 0;
  // Seconds from an arbitrary origin; never goes back.
  virtual double monotonic() = 0;

  // Runs the handlers of every event that is pending now; never sleeps.
  // False once the queue has said that the program is to quit.
  virtual bool processPendingEvents() = 0;
  // Whether the queue has said quit, to a pump of ours or to a loop of the
  // system's that took it for itself (a menu's, say).
  virtual bool toldToQuit() const = 0;
  // Sleeps until an event is pending or monotonic() reaches the deadline.
  virtual void sleepUntilEvent(double deadline) = 0;
  // Watches the windows of the program that owns `window`.
  virtual std::unique_ptr<DesktopWatch> watchDesktop(zoble::Hwnd window) = 0;
  // The top-level event loop; returns once quit() has been called.
  virtual void runEventLoop() = 0;
  virtual void quit() = 0;

  // A modal box with an OK button; returns when the user has closed it.
  virtual void messageBox(std::string_view text, std::string_view title) = 0;
  // An error no handler expects: report it and end the process.
  [[noreturn]] virtual void fatal(std::string_view what, std::string_view title) = 0;
};

}  // namespace ui
