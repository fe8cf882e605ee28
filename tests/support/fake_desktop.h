// An in-memory desktop: foreign windows with a class, a title and Z-ordered
// children, user32's two searches, and a journal of every call the program
// makes on it, one readable line each. Strings pass as they are: the ANSI
// conversion is Windows' and is tested under Wine.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver/window_access.h"

namespace fake {

using quil32::Delivery;
using quil32::Hwnd;

// One call the program made. SetWindowPos keeps its arguments in `text`.
struct Call {
  enum Kind { kSend, kPost, kPos, kCapture } kind;
  Hwnd window;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::string text;
  Delivery result = Delivery::kDelivered;
};

class FakeDesktop final : public quil32::WindowAccess {
 public:
  // A window behind its existing siblings, as children are created; parent
  // 0 makes a top-level window. `name` is how the journal calls it.
  Hwnd add(Hwnd parent, std::string cls, std::string title = {}, std::string name = {});
  // Destroys a window and everything under it.
  void remove(Hwnd window);
  void bringToFront(Hwnd window);
  // How the window answers sends from now on: a hung one fails them after
  // the bound, one of a program with higher rights refuses them.
  void setAnswer(Hwnd window, Delivery answer) { windows_.at(window.value).answer = answer; }
  // Runs when the window has received a message, sent or posted; this is how
  // a window acts (a dialog appearing, say). The action may remove it.
  void onReceive(Hwnd window, std::function<void(const Call&)> action) {
    windows_.at(window.value).action = std::move(action);
  }
  // Sees every call as it is made, delivered or not.
  std::function<void(const Call&)> watch;
  std::function<double()> clock = [] { return 0.0; };

  bool exists(Hwnd window) const { return windows_.count(window.value) != 0; }
  std::string classOf(Hwnd window) const {
    return exists(window) ? windows_.at(window.value).cls : "";
  }
  // "time window what", e.g. "0.75 lobby.entry settext SignatureLine".
  std::vector<std::string> journal;

  Hwnd findWindow(std::string_view cls, std::optional<std::string_view> title) override;
  Hwnd findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                    std::optional<std::string_view> title) override;
  void postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  void setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    unsigned flags) override;
  void releaseCapture() override { record({Call::kCapture, {}, 0, 0, 0, {}}); }

 protected:
  Delivery send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                std::intptr_t lParam) override;
  Delivery sendSetText(Hwnd window, std::string& text) override;

 private:
  struct Window {
    std::string cls, title;
    Hwnd parent;
    std::vector<Hwnd> children;  // front first
    Delivery answer = Delivery::kDelivered;
    std::function<void(const Call&)> action;
  };

  std::vector<Hwnd>& siblingsOf(Hwnd parent);
  Delivery deliver(Call call);
  void record(const Call& call);

  std::map<std::uint32_t, Window> windows_;
  std::map<std::uint32_t, std::string> names_;  // kept after a window goes
  std::vector<Hwnd> topLevel_;
  std::uint32_t next_ = 0x10010;
};

}  // namespace fake
