#include "support/headless_platform.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fake {

// A form's native window in the in-memory desktop, its text boxes and
// timers plain state.
class HeadlessPeer final : public ui::FormPeer {
 public:
  HeadlessPeer(HeadlessPlatform& platform, ui::Form& form)
      : platform_(platform), form_(form), alive_(std::make_shared<bool>(true)) {
    const ui::FormDesign& d = form.design();
    handle_ = platform_.desktop_.add({}, "ZobleForm", d.caption, d.name);
    platform_.created.push_back(d.name);
    platform_.peers_[&form] = this;
    for (const auto& box : d.textBoxes)
      texts_[box.name] = box.text;
    for (const auto& timer : d.timers)
      timers_[timer.name] = {timer.intervalMs / 1000.0, false, 0};
    for (const auto& timer : d.timers)
      setTimerEnabled(timer.name, timer.enabled);
  }

  ~HeadlessPeer() override {
    *alive_ = false;
    platform_.desktop_.remove(handle_);
    platform_.peers_.erase(&form_);
  }

  zoble::Hwnd handle() const override { return handle_; }
  void setVisible(bool visible) override { visible_ = visible; }
  bool visible() const override { return visible_; }
  std::string text(std::string_view box) const override { return texts_.at(std::string(box)); }
  void setText(const std::string& box, std::string text) { texts_.at(box) = std::move(text); }

  void setTimerEnabled(std::string_view name, bool enabled) override {
    Timer& timer = timers_.at(std::string(name));
    // Each switch starts afresh: ticks scheduled before it are void.
    timer.on = enabled;
    if (++timer.generation, enabled)
      tick(std::string(name), platform_.now() + timer.period, timer.generation);
  }

  bool timerEnabled(std::string_view name) const override {
    return timers_.at(std::string(name)).on;
  }

  std::string popupMenu(std::string_view) override {
    if (platform_.menuChoices_.empty())
      return {};
    auto [item, openFor] = platform_.menuChoices_.front();
    platform_.menuChoices_.pop_front();
    // The menu's own loop runs events while it is open. A handler in there
    // may destroy this window: the menu then closes with nothing chosen.
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
  struct Timer {
    double period;
    bool on;
    unsigned generation;
  };

  void tick(std::string name, double t, unsigned generation) {
    platform_.at(t, [this, alive = alive_, name = std::move(name), t, generation] {
      if (!*alive || !timers_.at(name).on || timers_.at(name).generation != generation)
        return;
      tick(name, t + timers_.at(name).period, generation);
      form_.raise(ui::Event::kTimer, name);
    });
  }

  HeadlessPlatform& platform_;
  ui::Form& form_;
  std::shared_ptr<bool> alive_;
  zoble::Hwnd handle_;
  bool visible_ = false;
  std::map<std::string, std::string> texts_;
  std::map<std::string, Timer> timers_;
};

HeadlessPlatform::HeadlessPlatform(FakeDesktop& desktop, double timeOfDayAtStart)
    : desktop_(desktop), timeOfDayAtStart_(timeOfDayAtStart) {
  desktop_.clock = [this] { return now_; };
}

void HeadlessPlatform::at(double t, std::function<void()> event) {
  queue_.emplace(t, std::move(event));
}

void HeadlessPlatform::type(double t, ui::Form& form, std::string box, std::string text) {
  at(t, [this, &form, box = std::move(box), text = std::move(text)] {
    if (const auto it = peers_.find(&form); it != peers_.end())
      it->second->setText(box, text);
  });
}

std::unique_ptr<ui::FormPeer> HeadlessPlatform::createPeer(ui::Form& form) {
  return std::make_unique<HeadlessPeer>(*this, form);
}

float HeadlessPlatform::timeOfDay() {
  return static_cast<float>(std::fmod(timeOfDayAtStart_ + now_, 86400.0));
}

void HeadlessPlatform::processPendingEvents() {
  while (!queue_.empty() && queue_.begin()->first <= now_) {
    auto event = std::move(queue_.begin()->second);
    queue_.erase(queue_.begin());
    idleSleeps_ = 0;
    event();
  }
}

void HeadlessPlatform::sleepUntilEvent(double deadline) {
  const double wake = queue_.empty() ? deadline : std::min(deadline, queue_.begin()->first);
  // A wait that keeps asking to sleep while no time passes and nothing
  // happens is spinning: on Windows it would burn the processor.
  idleSleeps_ = wake > now_ ? 0 : idleSleeps_ + 1;
  if (idleSleeps_ > 1000)
    fatal("a wait spins: it sleeps again and again with no time passing", "");
  now_ = std::max(now_, wake);
}

void HeadlessPlatform::runEventLoop() {
  while (!quit_ && now_ < horizon) {
    sleepUntilEvent(horizon);
    processPendingEvents();
  }
}

void HeadlessPlatform::fatal(std::string_view what, std::string_view) {
  std::fprintf(stderr, "fatal: %.*s\n", int(what.size()), what.data());
  std::abort();
}

}  // namespace fake
