// The runtime the console and the driver see: clocks, the event pump, the
// message box, and the life of the program. It keeps the rules of the window
// set over whichever platform carries it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/platform.h"

namespace ui {

// Unwinds a handler that was suspended (in a pause, a menu or a message box)
// while the program ended under it: its remaining steps would post lines and
// touch windows that are gone. The runtime drops them where it started the
// handler.
struct ProgramEnded {};

class Runtime {
 public:
  Runtime(Platform& platform, std::string title);
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  Platform& platform() { return platform_; }
  // The application title, which the message boxes bear.
  const std::string& title() const { return title_; }

  float clock() { return platform_.timeOfDay(); }
  double monotonic() { return platform_.monotonic(); }

  // Runs the handlers of all pending events, as a pause does between lines.
  // Throws ProgramEnded once the program has ended, also when the queue told
  // it to quit.
  void doEvents();
  void sleepUntilEvent(double deadline) { platform_.sleepUntilEvent(deadline); }
  std::unique_ptr<DesktopWatch> watchDesktop(zoble::Hwnd window) {
    return platform_.watchDesktop(window);
  }
  void messageBox(std::string_view text);

  // Every event handler runs through here: nothing runs once the program has
  // ended, and a handler cut short by the end stops quietly.
  void invoke(const std::function<void()>& handler) noexcept;
  // Runs after each outermost handler, when no other handler is suspended in
  // a pause, a send or a box: the place for telling the user something.
  void afterHandlers(std::function<void()> check) { afterHandlers_ = std::move(check); }

  // Runs the event loop until the program ends.
  void run();
  // The last window of the set has been unloaded, or the queue said quit.
  bool ended();
  // Throws ProgramEnded once the program has ended.
  void checkAlive();

  // Forms report their native windows coming and going.
  void formLoaded();
  void formUnloaded();

 private:
  void fail(std::string_view what);
  // No handler runs from here on, and the event loop stops.
  void end();

  Platform& platform_;
  std::string title_;
  std::function<void()> afterHandlers_;
  int running_ = 0;  // handlers started and not yet returned
  int loadedForms_ = 0;
  bool ended_ = false;
};

}  // namespace ui
