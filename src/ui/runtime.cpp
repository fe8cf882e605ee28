#include "ui/runtime.h"

#include <exception>

namespace ui {

Runtime::Runtime(Platform& platform, std::string title)
    : platform_(platform), title_(std::move(title)) {}

void Runtime::doEvents() {
  // Told to quit by the queue, not by the last window going (another program
  // posted the quit): the program ends at once, as WM_QUIT asks.
  if (!platform_.processPendingEvents())
    ended_ = true;
  checkAlive();
}

void Runtime::messageBox(std::string_view text) {
  platform_.messageBox(text, title_);
  checkAlive();
}

void Runtime::invoke(const std::function<void()>& handler) noexcept {
  if (ended_)
    return;
  ++running_;
  try {
    handler();
    if (running_ == 1 && afterHandlers_ && !ended_)
      afterHandlers_();
  } catch (const ProgramEnded&) {
    // The handler's remaining steps belonged to windows that are gone.
  } catch (const std::exception& e) {
    fail(e.what());
  } catch (...) {
    fail("unknown error");
  }
  --running_;
}

void Runtime::fail(std::string_view what) {
  // No handler may run on under the report, in the box's own loop.
  ended_ = true;
  platform_.fatal(what, title_);
}

void Runtime::run() {
  if (!ended_)
    platform_.runEventLoop();
}

void Runtime::checkAlive() const {
  if (ended_)
    throw ProgramEnded{};
}

void Runtime::formLoaded() {
  ++loadedForms_;
}

void Runtime::formUnloaded() {
  if (--loadedForms_ > 0)
    return;
  // No window is left: the program ends once the running handlers unwind.
  ended_ = true;
  platform_.quit();
}

}  // namespace ui
