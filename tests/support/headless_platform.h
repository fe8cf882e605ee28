// A platform without windows or real time: forms become windows of the
// in-memory desktop, and events run at virtual instants inside whichever
// pump is running then, as they would on Windows.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_desktop.h"
#include "ui/form.h"

namespace fake {

class HeadlessPeer;

class HeadlessPlatform final : public ui::Platform {
 public:
  // Virtual time starts at 0, when the time of day reads `timeOfDayAtStart`.
  HeadlessPlatform(FakeDesktop& desktop, double timeOfDayAtStart);

  double now() const { return now_; }
  // Runs `event` at virtual time `t`, inside whichever pump runs then.
  void at(double t, std::function<void()> event);
  // Replaces what a form's text box holds, as typing would.
  void type(double t, ui::Form& form, std::string box, std::string text);
  // The next popup menu stays open for `openFor` seconds, running events,
  // then closes with `item` chosen ("" for none).
  void chooseFromNextMenu(std::string item, double openFor = 0) {
    menuChoices_.emplace_back(std::move(item), openFor);
  }
  // The event loop stops at this instant if nothing ends it before.
  double horizon = 24 * 3600;
  bool quitRequested() const { return quit_; }

  struct Box {
    std::string text, title;
    double at;
    size_t callsBefore;  // how much of the desktop's journal came first
  };
  std::vector<Box> boxes;
  // The forms whose native windows were created, in order.
  std::vector<std::string> created;

  std::unique_ptr<ui::FormPeer> createPeer(ui::Form& form) override;
  float timeOfDay() override;
  double monotonic() override { return now_; }
  void processPendingEvents() override;
  void sleepUntilEvent(double deadline) override;
  // Foreign windows change only in scheduled events, which end a sleep anyway.
  std::unique_ptr<ui::DesktopWatch> watchDesktop(zoble::Hwnd) override {
    return std::make_unique<ui::DesktopWatch>();
  }
  void runEventLoop() override;
  void quit() override { quit_ = true; }
  void messageBox(std::string_view text, std::string_view title) override {
    boxes.push_back({std::string(text), std::string(title), now_, desktop_.journal.size()});
  }
  [[noreturn]] void fatal(std::string_view what, std::string_view title) override;

 private:
  friend class HeadlessPeer;

  FakeDesktop& desktop_;
  double timeOfDayAtStart_;
  double now_ = 0;
  bool quit_ = false;
  int idleSleeps_ = 0;                                  // sleeps in a row that let no time pass
  std::multimap<double, std::function<void()>> queue_;  // in order of time, then of scheduling
  std::deque<std::pair<std::string, double>> menuChoices_;
  std::map<const ui::Form*, HeadlessPeer*> peers_;
};

}  // namespace fake
