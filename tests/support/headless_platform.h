// A platform without windows or real time: forms become windows of the
// in-memory desktop, and events run at virtual instants inside whichever
// pump is running then, as they would on Windows.
#pragma once

#include <cmath>
#include <deque>
#include <memory>

#include "support/fake_desktop.h"
#include "ui/form.h"

namespace fake {

class HeadlessPlatform final : public ui::Platform {
 public:
  // Virtual time starts at 0, when the time of day reads `timeOfDayAtStart`.
  HeadlessPlatform(FakeDesktop& desktop, double timeOfDayAtStart)
      : desktop_(desktop), timeOfDayAtStart_(timeOfDayAtStart) {
    desktop_.clock = [this] { return now_; };
    desktop_.changeClock = [this] { return elsewhereDue_ >= 0 ? elsewhereDue_ : now_; };
  }

  double now() const { return now_; }
  // Runs `event` at virtual time `t`, inside whichever pump runs then; those
  // due at the same instant run in the order they were scheduled.
  void at(double t, std::function<void()> event) { queue_.emplace(t, Event{std::move(event)}); }
  // Another program's doing at `t` (its windows coming and going): while a
  // desktop watch lets the changes wait, it ends no sleep and runs at the
  // next wake, its changes dated `t`, as the events' own times date them.
  void elsewhereAt(double t, std::function<void()> event) {
    queue_.emplace(t, Event{std::move(event), true});
  }
  // What the user picks from the next popup menu ("" to dismiss it;
  // "<quit>": the menu's loop takes a WM_QUIT and closes without a choice).
  std::deque<std::string> menuChoices;
  // Another program posts WM_QUIT: the next pump takes it and runs nothing
  // after it. The event loop never sees it, as where a loop of the system's
  // takes it for itself: only quit() ends that loop.
  void postQuit() { quitQueued_ = true; }
  // The event loop stops at this instant if nothing ends it before.
  double horizon = 24 * 3600;

  std::vector<std::string> boxes;            // their texts; the desktop's journal has "box title"
  std::vector<std::string> created;          // the forms whose windows were made, in order
  std::map<std::string, std::string> typed;  // "Form1.Text1": what the user typed there

  std::unique_ptr<ui::FormPeer> createPeer(ui::Form& form) override {
    return std::make_unique<Peer>(*this, form);
  }
  float timeOfDay() override { return float(std::fmod(timeOfDayAtStart_ + now_, 86400.0)); }
  double monotonic() override { return now_; }
  bool processPendingEvents() override {
    while (!takeQuit() && !queue_.empty() && queue_.begin()->first <= now_) {
      const double due = queue_.begin()->first;
      Event event = std::move(queue_.begin()->second);
      queue_.erase(queue_.begin());
      idleSleeps_ = 0;
      elsewhereDue_ = event.elsewhere ? due : -1;
      event.run();
      elsewhereDue_ = -1;
    }
    return !toldToQuit_;
  }
  bool toldToQuit() const override { return toldToQuit_; }
  void sleepUntilEvent(double deadline) override {
    double wake = deadline;
    for (const auto& [due, event] : queue_) {
      if (due >= wake)
        break;
      if (!event.elsewhere || deadline > mayWaitUntil_) {
        wake = due;
        break;
      }
    }
    // A wait that asks to sleep again and again while no time passes and
    // nothing happens spins: on Windows it would burn the processor.
    idleSleeps_ = wake > now_ ? 0 : idleSleeps_ + 1;
    if (idleSleeps_ > 1000) {
      std::fputs("a wait spins: it sleeps again and again with no time passing\n", stderr);
      std::abort();
    }
    now_ = std::max(now_, wake);
  }
  // Foreign windows change only in scheduled events, which end a sleep anyway;
  // every window made or destroyed counts, the program's own too.
  std::unique_ptr<ui::DesktopWatch> watchDesktop(zoble::Hwnd) override {
    struct Watch final : ui::DesktopWatch {
      explicit Watch(HeadlessPlatform& p) : platform(p), start(p.desktop_.changes) {}
      ~Watch() override { platform.mayWaitUntil_ = 0; }
      unsigned long changes() const override { return platform.desktop_.changes - start; }
      double changedAt() const override { return platform.desktop_.changedAt; }
      void looksBy(double deadline) override { platform.mayWaitUntil_ = deadline; }
      HeadlessPlatform& platform;
      const unsigned long start;
    };
    return std::make_unique<Watch>(*this);
  }
  void runEventLoop() override {
    while (!quit_ && now_ < horizon) {
      sleepUntilEvent(horizon);
      processPendingEvents();
    }
  }
  void quit() override { quit_ = true; }
  void messageBox(std::string_view text, std::string_view title) override {
    boxes.emplace_back(text);
    desktop_.note("box " + std::string(title));
  }
  // The report's box stays open for two minutes, running its own loop as a
  // box does, then the process ends; stderr tells how many calls the program
  // made meanwhile.
  [[noreturn]] void fatal(std::string_view what, std::string_view) override {
    const size_t before = desktop_.journal.size();
    for (const double until = now_ + 120; now_ < until;) {
      sleepUntilEvent(until);
      processPendingEvents();
    }
    std::fprintf(stderr, "fatal: %.*s; %zu calls under the report\n", int(what.size()), what.data(),
                 desktop_.journal.size() - before);
    std::abort();
  }

 private:
  // A form's native window: a window of the in-memory desktop, with its text
  // boxes and timers as plain state.
  class Peer final : public ui::FormPeer {
   public:
    Peer(HeadlessPlatform& platform, ui::Form& form) : platform_(platform), form_(form) {
      const ui::FormDesign& d = form.design();
      handle_ = platform_.desktop_.add({}, "ZobleForm", d.caption, d.name);
      platform_.created.push_back(d.name);
      for (const auto& box : d.textBoxes)
        platform_.typed[d.name + "." + box.name] = box.text;
      for (const auto& timer : d.timers) {
        timers_[timer.name] = {timer.intervalMs / 1000.0, std::make_shared<bool>()};
        setTimerEnabled(timer.name, timer.enabled);
      }
    }
    ~Peer() override {
      for (auto& [name, timer] : timers_)
        *timer.second = false;
      platform_.desktop_.remove(handle_);
      platform_.desktop_.note(form_.design().name + " unloaded");
    }

    zoble::Hwnd handle() const override { return handle_; }
    void setVisible(bool visible) override { visible_ = visible; }
    bool visible() const override { return visible_; }
    std::string text(std::string_view box) const override {
      return platform_.typed.at(form_.design().name + "." + std::string(box));
    }
    void setTimerEnabled(std::string_view name, bool enabled) override {
      auto& [period, live] = timers_.at(std::string(name));
      *live = false;  // each switch starts afresh: the ticks due are void
      live = std::make_shared<bool>(enabled);
      if (enabled)
        tick(std::string(name), platform_.now() + period, live);
    }
    bool timerEnabled(std::string_view name) const override {
      return *timers_.at(std::string(name)).second;
    }
    std::string popupMenu(std::string_view) override {
      if (platform_.menuChoices.empty())
        return {};
      const std::string item = platform_.menuChoices.front();
      platform_.menuChoices.pop_front();
      if (item != "<quit>")
        return item;
      platform_.toldToQuit_ = true;
      return {};
    }

   private:
    void tick(std::string name, double t, std::shared_ptr<bool> live) {
      platform_.at(t, [this, name = std::move(name), t, live] {
        if (!*live)
          return;
        tick(name, t + timers_.at(name).first, live);
        form_.raise(ui::Event::kTimer, name);
      });
    }

    HeadlessPlatform& platform_;
    ui::Form& form_;
    zoble::Hwnd handle_;
    bool visible_ = false;
    std::map<std::string, std::pair<double, std::shared_ptr<bool>>> timers_;  // period, live
  };

  bool takeQuit() {
    toldToQuit_ = toldToQuit_ || quitQueued_;
    quitQueued_ = false;
    return toldToQuit_;
  }

  FakeDesktop& desktop_;
  double timeOfDayAtStart_;
  bool quitQueued_ = false;
  bool toldToQuit_ = false;
  double now_ = 0;
  bool quit_ = false;
  int idleSleeps_ = 0;  // sleeps in a row that let no time pass
  struct Event {
    std::function<void()> run;
    bool elsewhere = false;
  };
  std::multimap<double, Event> queue_;
  double mayWaitUntil_ = 0;   // other programs' events end no sleep until then
  double elsewhereDue_ = -1;  // while one of them runs late: when it was due
};

}  // namespace fake
