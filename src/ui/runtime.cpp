#include "ui/runtime.h"

#include <exception>

namespace ui {

Runtime::Runtime(Platform& platform, std::string title)
    : platform_(platform), title_(std::move(title)) {}

void Runtime::doEvents() {
  if (!platform_.processPendingEvents())
    end();
  checkAlive();
}

void Runtime::messageBox(std::string_view text) {
  platform_.messageBox(text, title_);
  checkAlive();
}

void Runtime::invoke(const std::function<void()>& handler) noexcept {
  if (ended())
    return;
  ++running_;
  try {
    handler();
    if (running_ == 1 && afterHandlers_ && !ended())
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
  if (!ended())
    platform_.runEventLoop();
}

bool Runtime::ended() {
  // Told to quit by the queue (another program posted the quit), wherever it
  // was taken: the program ends at once, as WM_QUIT asks, without the
  // farewell that a close gets.
  if (!ended_ && platform_.toldToQuit())
    end();
  return ended_;
}

void Runtime::checkAlive() {
  if (ended())
    throw ProgramEnded{};
}

void Runtime::end() {
  if (ended_)
    return;
  ended_ = true;
  platform_.quit();
}

void Runtime::formLoaded() {
  ++loadedForms_;
}

void Runtime::formUnloaded() {
  if (--loadedForms_ > 0)
    return;
  // No window is left: the program ends once the running handlers unwind.
  end();
}

}  // namespace ui
