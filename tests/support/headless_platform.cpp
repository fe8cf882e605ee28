#include "support/headless_platform.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fake {

// A form's native window in the in-memory desktop, with its text boxes and
// timers as plain state.
class HeadlessPeer final : public ui::FormPeer {
 public:
  HeadlessPeer(HeadlessPlatform& platform, ui::Form& form)
      : platform_(platform), form_(form), alive_(std::make_shared<bool>(true)) {
    const ui::FormDesign& d = form.design();
    handle_ = platform_.desktop_.add({}, "ZobleForm", d.caption);
    platform_.created_.push_back(d.name);
    platform_.peers_[&form] = this;
    for (const auto& box : d.textBoxes)
      texts_[box.name] = box.text;
    for (const auto& timer : d.timers) {
      timers_[timer.name] = {timer.intervalMs, false, 0};
      if (timer.enabled)
        setTimerEnabled(timer.name, true);
    }
  }

  ~HeadlessPeer() override {
    *alive_ = false;
    platform_.desktop_.remove(handle_);
    platform_.destroyed_.push_back(form_.design().name);
    platform_.peers_.erase(&form_);
  }

  quil32::Hwnd handle() const override { return handle_; }
  void setVisible(bool visible) override { visible_ = visible; }
  bool visible() const override { return visible_; }
  std::string text(std::string_view box) const override { return texts_.at(std::string(box)); }
  void setText(const std::string& box, std::string text) { texts_.at(box) = std::move(text); }

  void setTimerEnabled(std::string_view name, bool enabled) override {
    TimerState& t = timers_.at(std::string(name));
    t.enabled = enabled;
    ++t.generation;  // switching on starts a fresh period
    if (enabled)
      scheduleTick(std::string(name), platform_.now() + t.intervalMs / 1000.0);
  }

  bool timerEnabled(std::string_view name) const override {
    return timers_.at(std::string(name)).enabled;
  }

  std::string popupMenu(std::string_view) override {
    if (platform_.menuChoices_.empty())
      return {};
    auto [item, openFor] = platform_.menuChoices_.front();
    platform_.menuChoices_.pop_front();
    // The menu's own loop keeps dispatching events while it is open. A
    // handler in there may destroy this window: the menu then closes with
    // nothing chosen, as a menu whose owner goes does.
    HeadlessPlatform& platform = platform_;
    const std::shared_ptr<bool> alive = alive_;
    const double closeAt = platform.now() + openFor;
    while (*alive && platform.now() < closeAt) {
      platform.sleepUntilEvent(closeAt);
      platform.processPendingEvents();
    }
    return *alive ? item : std::string();
  }

 private:
  struct TimerState {
    unsigned intervalMs;
    bool enabled;
    unsigned generation;
  };

  void scheduleTick(std::string name, double t) {
    const unsigned generation = timers_.at(name).generation;
    platform_.at(t, [this, alive = alive_, name = std::move(name), generation, t] {
      if (!*alive)
        return;
      const TimerState& state = timers_.at(name);
      if (!state.enabled || state.generation != generation)
        return;
      scheduleTick(name, t + state.intervalMs / 1000.0);
      form_.raise(ui::Event::kTimer, name);
    });
  }

  HeadlessPlatform& platform_;
  ui::Form& form_;
  std::shared_ptr<bool> alive_;
  quil32::Hwnd handle_;
  bool visible_ = false;
  std::map<std::string, std::string> texts_;
  std::map<std::string, TimerState> timers_;
};

HeadlessPlatform::HeadlessPlatform(FakeDesktop& desktop, double timeOfDayAtStart)
    : desktop_(desktop), timeOfDayAtStart_(timeOfDayAtStart) {
  desktop_.setClock([this] { return now_; });
}

void HeadlessPlatform::at(double t, std::function<void()> event) {
  queue_.emplace(std::make_pair(t, seq_++), std::move(event));
}

void HeadlessPlatform::clickAt(double t, ui::Form& form, std::string control) {
  at(t, [&form, control = std::move(control)] {
    if (form.visible())
      form.raise(ui::Event::kClick, control);
  });
}

void HeadlessPlatform::typeAt(double t, ui::Form& form, std::string box, std::string text) {
  at(t, [this, &form, box = std::move(box), text = std::move(text)] {
    if (auto it = peers_.find(&form); it != peers_.end())
      it->second->setText(box, text);
  });
}

void HeadlessPlatform::chooseFromNextMenu(std::string item, double openFor) {
  menuChoices_.emplace_back(std::move(item), openFor);
}

std::unique_ptr<ui::FormPeer> HeadlessPlatform::createPeer(ui::Form& form) {
  return std::make_unique<HeadlessPeer>(*this, form);
}

float HeadlessPlatform::timeOfDay() {
  return static_cast<float>(std::fmod(timeOfDayAtStart_ + now_, 86400.0));
}

bool HeadlessPlatform::runNextDue() {
  if (queue_.empty() || queue_.begin()->first.first > now_)
    return false;
  auto event = std::move(queue_.begin()->second);
  queue_.erase(queue_.begin());
  idleSleeps_ = 0;
  event();
  return true;
}

void HeadlessPlatform::processPendingEvents() {
  while (runNextDue()) {
  }
}

void HeadlessPlatform::sleepUntilEvent(double deadline) {
  double wake = deadline;
  if (!queue_.empty())
    wake = std::min(wake, queue_.begin()->first.first);
  // A wait that keeps asking to sleep while no time passes and nothing
  // happens is spinning: on Windows it would burn the processor.
  idleSleeps_ = wake > now_ ? 0 : idleSleeps_ + 1;
  if (idleSleeps_ > 1000)
    fatal("a wait spins: it sleeps again and again with no time passing", "");
  now_ = std::max(now_, wake);
}

void HeadlessPlatform::runEventLoop() {
  while (!quit_ && now_ < horizon_) {
    sleepUntilEvent(horizon_);
    processPendingEvents();
  }
}

void HeadlessPlatform::messageBox(std::string_view text, std::string_view title) {
  boxes_.push_back({std::string(text), std::string(title)});
}

void HeadlessPlatform::fatal(std::string_view what, std::string_view) {
  std::fprintf(stderr, "fatal: %.*s\n", int(what.size()), what.data());
  std::abort();
}

}  // namespace fake
