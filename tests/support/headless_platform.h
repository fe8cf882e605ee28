// A platform without windows or real time: forms become windows of the
// in-memory desktop, and events run at virtual instants inside whichever
// pump is active then, as they would on Windows.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_desktop.h"
#include "ui/form.h"
#include "ui/platform.h"

namespace fake {

class HeadlessPeer;

class HeadlessPlatform final : public ui::Platform {
 public:
  // Virtual time starts at 0; the time of day then reads `timeOfDayAtStart`.
  HeadlessPlatform(FakeDesktop& desktop, double timeOfDayAtStart);

  double now() const { return now_; }
  // Runs `event` at virtual time `t`, inside whichever pump is running then.
  void at(double t, std::function<void()> event);
  // A mouse click on a control of a visible form ("" for the form itself).
  void clickAt(double t, ui::Form& form, std::string control);
  // Replaces the text of a form's text box, as typing would.
  void typeAt(double t, ui::Form& form, std::string box, std::string text);
  // The next popup menu stays open for `openFor` seconds, pumping events,
  // then closes with `item` chosen ("" for none).
  void chooseFromNextMenu(std::string item, double openFor = 0);
  // The top-level event loop stops at this virtual time if nothing ends it.
  void setHorizon(double t) { horizon_ = t; }
  bool quitRequested() const { return quit_; }

  struct Box {
    std::string text;
    std::string title;
    friend bool operator==(const Box&, const Box&) = default;
  };
  const std::vector<Box>& messageBoxes() const { return boxes_; }
  // Every native window the forms have had, by form name, in creation order.
  const std::vector<std::string>& windowsCreated() const { return created_; }
  const std::vector<std::string>& windowsDestroyed() const { return destroyed_; }

  // ui::Platform
  std::unique_ptr<ui::FormPeer> createPeer(ui::Form& form) override;
  float timeOfDay() override;
  double monotonic() override { return now_; }
  void processPendingEvents() override;
  void sleepUntilEvent(double deadline) override;
  // Foreign windows change only in scheduled events, which wake a sleep anyway.
  std::unique_ptr<ui::DesktopWatch> watchDesktop(zoble::Hwnd) override {
    return std::make_unique<ui::DesktopWatch>();
  }
  void runEventLoop() override;
  void quit() override { quit_ = true; }
  void messageBox(std::string_view text, std::string_view title) override;
  [[noreturn]] void fatal(std::string_view what, std::string_view title) override;

 private:
  friend class HeadlessPeer;
  bool runNextDue();

  FakeDesktop& desktop_;
  double timeOfDayAtStart_;
  double now_ = 0;
  double horizon_ = 24 * 3600;
  bool quit_ = false;
  int idleSleeps_ = 0;  // sleeps in a row that let no time pass
  std::uint64_t seq_ = 0;
  std::multimap<std::pair<double, std::uint64_t>, std::function<void()>> queue_;
  std::deque<std::pair<std::string, double>> menuChoices_;
  std::vector<Box> boxes_;
  std::vector<std::string> created_;
  std::vector<std::string> destroyed_;
  std::map<const ui::Form*, HeadlessPeer*> peers_;
};

}  // namespace fake
