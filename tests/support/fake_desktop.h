// An in-memory desktop: foreign windows with a class, a title and Z-ordered
// children, user32's two searches, and a journal of every call the program
// makes on it, one readable line each. Strings pass as they are: the ANSI
// conversion is Windows' and is tested under Wine.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <functional>
#include <map>
#include <vector>

#include "driver/window_access.h"
#include "support/golden_lines.h"

namespace fake {

using quil32::Delivery;
using quil32::Hwnd;

// One call the program made, as the journal words it.
struct Call {
  double at;
  std::string who;   // the window's name; "-" for the program's own doings
  std::string what;  // "settext SignatureLine", "char 13", "post close", "box zoble"
  // "who what", or, for the line a room's entry took, just the line's name.
  std::string said() const {
    if (who == "-")
      return what;
    if (who == "lobby.entry" && what.starts_with("<- "))
      return what.substr(3);
    return who + " " + what;
  }
};

class FakeDesktop final : public quil32::WindowAccess {
 public:
  // A window behind its siblings, as children are created; parent 0 makes a
  // top-level window. The journal calls it by `name`.
  Hwnd add(Hwnd parent, std::string cls, std::string title = {}, std::string name = {}) {
    const Hwnd h{next_ += 4};  // multiples of four, as on Windows
    names_[h.value] = name.empty() ? cls : name;
    // The program's own windows (its forms) answer as its own.
    const Delivery answer = cls == "ZobleForm" ? Delivery::kOwnWindow : Delivery::kDelivered;
    windows_[h.value] = {std::move(cls), std::move(title), parent, {}, answer, {}};
    siblingsOf(parent).push_back(h);
    changed();
    return h;
  }
  // Destroys a window and everything under it.
  void remove(Hwnd window) {
    if (!exists(window))
      return;
    for (const Hwnd child : std::vector<Hwnd>(windows_.at(window.value).children))
      remove(child);
    std::erase(siblingsOf(windows_.at(window.value).parent), window);
    windows_.erase(window.value);
    changed();
  }
  void bringToFront(Hwnd window) {
    auto& siblings = siblingsOf(windows_.at(window.value).parent);
    std::erase(siblings, window);
    siblings.insert(siblings.begin(), window);
  }
  // How the window answers sends from now on: a hung one fails them after
  // the bound, one of a program with higher rights refuses them.
  void setAnswer(Hwnd window, Delivery answer) { windows_.at(window.value).answer = answer; }
  // Runs when the window has received a message ("char 13", "post close"):
  // how a window acts, a dialog appearing, say. It may remove the window.
  void onReceive(Hwnd window, std::function<void(const std::string&)> action) {
    windows_.at(window.value).action = std::move(action);
  }
  bool exists(Hwnd window) const { return windows_.count(window.value) != 0; }
  // Something of the program's own that belongs in the journal among the calls.
  void note(const std::string& what) { journal.push_back({clock(), "-", what}); }

  std::function<double()> clock = [] { return 0.0; };
  // When a window made or destroyed now came or went: another program's
  // change may be noticed later than it happened.
  std::function<double()> changeClock = [this] { return clock(); };
  // Windows made and destroyed so far, and when the last was.
  unsigned long changes = 0;
  double changedAt = 0;
  // Every call, in order. A text set and entered at once is one call,
  // "lobby.entry <- SignatureLine".
  std::vector<Call> journal;

  Hwnd findWindow(std::string_view cls, std::optional<std::string_view> title) override {
    return findWindowEx({}, {}, cls, title);
  }
  Hwnd findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                    std::optional<std::string_view> title) override {
    if (parent && !exists(parent))
      return {};
    const std::vector<Hwnd>& siblings = siblingsOf(parent);
    // The window to start after must be a direct child of the parent.
    auto it = after ? std::find(siblings.begin(), siblings.end(), after) : siblings.begin();
    if (after && it++ == siblings.end())
      return {};
    const auto found = std::find_if(it, siblings.end(), [&](Hwnd h) {
      const Window& w = windows_.at(h.value);
      return w.cls == cls && (!title || w.title == *title);
    });
    return found != siblings.end() ? *found : Hwnd{};
  }
  void postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override {
    deliver(window, "post " + Describe(message, wParam, lParam), true);
  }
  void setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    unsigned flags) override {
    char pos[80];
    std::snprintf(pos, sizeof pos, "pos %d %d,%d,%d,%d %u", std::int32_t(insertAfter.value), x, y,
                  cx, cy, flags);
    record(window, pos);
  }
  void releaseCapture() override { note("releasecapture"); }

 protected:
  void send(std::span<const Message> messages, std::span<Delivery> deliveries) override {
    for (std::size_t i = 0; i < messages.size(); ++i) {
      const Message& m = messages[i];
      deliveries[i] = deliver(
          m.window,
          m.text ? "settext " + NameLine(*m.text) : Describe(m.message, m.wParam, m.lParam), false);
      if (!GoesOn(m.text != nullptr, deliveries[i]))
        break;
    }
  }

 private:
  void changed() {
    ++changes;
    changedAt = changeClock();
  }

  struct Window {
    std::string cls, title;
    Hwnd parent;
    std::vector<Hwnd> children;  // front first
    Delivery answer;
    std::function<void(const std::string&)> action;
  };

  std::vector<Hwnd>& siblingsOf(Hwnd parent) {
    return parent ? windows_.at(parent.value).children : topLevel_;
  }

  static std::string Describe(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    static const std::map<std::uint32_t, std::string> names = {
        {0x0010, "close"},      {0x0100, "keydown"},     {0x0101, "keyup"},    {0x0102, "char"},
        {0x0112, "syscommand"}, {0x0201, "lbuttondown"}, {0x0202, "lbuttonup"}};
    const auto name = names.find(message);
    return (name != names.end() ? name->second : std::to_string(message)) +
           (wParam ? " " + std::to_string(wParam) : "") +
           (lParam ? " l=" + std::to_string(lParam) : "");
  }

  Delivery deliver(Hwnd window, const std::string& what, bool posted) {
    const auto it = windows_.find(window.value);
    Delivery result = it == windows_.end() ? Delivery::kFailed : it->second.answer;
    if (posted && result == Delivery::kFailed && it != windows_.end())
      result = Delivery::kDelivered;  // a hung window's queue takes it all the same
    record(window, what + (result == Delivery::kFailed    ? " failed"
                           : result == Delivery::kRefused ? " refused"
                                                          : ""));
    if (result == Delivery::kDelivered && it->second.action)
      std::function(it->second.action)(what);  // a copy: the action may remove the window
    return result;
  }

  void record(Hwnd window, const std::string& what) {
    const std::string who = window ? names_.at(window.value) : "0";
    if (what == "char 13" && !journal.empty() && journal.back().who == who &&
        journal.back().what.starts_with("settext "))
      journal.back().what.replace(0, 8, "<- ");
    else
      journal.push_back({clock(), who, what});
  }

  std::map<std::uint32_t, Window> windows_;
  std::map<std::uint32_t, std::string> names_;  // kept after a window goes
  std::vector<Hwnd> topLevel_;                  // front first
  std::uint32_t next_ = 0x1000C;
};

}  // namespace fake
