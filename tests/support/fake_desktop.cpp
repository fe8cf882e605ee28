#include "support/fake_desktop.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ostream>

#include "support/code_page.h"

namespace fake {

namespace {

// user32 compares class names and titles without regard to case.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

bool operator==(const Call& a, const Call& b) {
  return a.kind == b.kind && a.window == b.window && a.message == b.message &&
         a.wParam == b.wParam && a.lParam == b.lParam && a.text == b.text &&
         a.insertAfter == b.insertAfter && a.x == b.x && a.y == b.y && a.cx == b.cx &&
         a.cy == b.cy && a.flags == b.flags && std::abs(a.at - b.at) < 1e-9;
}

Call SetText(Hwnd w, std::string ansi, double at) {
  Call c = Sent(w, quil32::msg::kSetText, 0, 0, at);
  c.text = std::move(ansi);
  return c;
}

Call Sent(Hwnd w, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, double at) {
  Call c;
  c.window = w;
  c.message = message;
  c.wParam = wParam;
  c.lParam = lParam;
  c.at = at;
  return c;
}

Call Posted(Hwnd w, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, double at) {
  Call c = Sent(w, message, wParam, lParam, at);
  c.kind = Call::Kind::kPost;
  return c;
}

Call SetWindowPosCall(Hwnd w, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags,
                      double at) {
  Call c;
  c.kind = Call::Kind::kSetWindowPos;
  c.window = w;
  c.insertAfter = insertAfter;
  c.x = x, c.y = y, c.cx = cx, c.cy = cy;
  c.flags = flags;
  c.at = at;
  return c;
}

Call ReleaseCaptureCall(double at) {
  Call c;
  c.kind = Call::Kind::kReleaseCapture;
  c.at = at;
  return c;
}

void PrintTo(const Call& c, std::ostream* os) {
  static const char* const kKinds[] = {"send", "post", "SetWindowPos", "ReleaseCapture"};
  *os << "{" << kKinds[int(c.kind)] << " @" << c.at << " to 0x" << std::hex << c.window.value
      << " msg 0x" << c.message << std::dec << " w=" << c.wParam << " l=" << c.lParam;
  if (!c.text.empty())
    *os << " text=\"" << c.text << "\"";
  if (c.kind == Call::Kind::kSetWindowPos) {
    *os << " after=0x" << std::hex << c.insertAfter.value << std::dec << " " << c.x << "," << c.y
        << "," << c.cx << "," << c.cy << " flags=" << c.flags;
  }
  *os << "}";
}

FakeDesktop::FakeDesktop() : clock_([] { return 0.0; }), codePage_{ToCp1252, FromCp1252} {}

std::vector<Hwnd>& FakeDesktop::siblingsOf(Hwnd parent) {
  return parent ? windows_.at(parent.value).children : topLevel_;
}

Hwnd FakeDesktop::add(Hwnd parent, std::string cls, std::string title) {
  const Hwnd h{next_};
  next_ += 4;  // handles are multiples of four, as on Windows
  Window& w = windows_[h.value];
  w.cls = std::move(cls);
  w.title = title;
  w.text = std::move(title);
  w.parent = parent;
  siblingsOf(parent).push_back(h);
  return h;
}

void FakeDesktop::remove(Hwnd window) {
  if (!exists(window))
    return;
  const std::vector<Hwnd> children = windows_.at(window.value).children;
  for (const Hwnd child : children)
    remove(child);
  auto& siblings = siblingsOf(windows_.at(window.value).parent);
  siblings.erase(std::find(siblings.begin(), siblings.end(), window));
  windows_.erase(window.value);
}

void FakeDesktop::bringToFront(Hwnd window) {
  auto& siblings = siblingsOf(windows_.at(window.value).parent);
  siblings.erase(std::find(siblings.begin(), siblings.end(), window));
  siblings.insert(siblings.begin(), window);
}

void FakeDesktop::setHung(Hwnd window, bool hung) {
  windows_.at(window.value).hung = hung;
}

void FakeDesktop::onReceive(Hwnd window, std::function<void(const Call&)> action) {
  windows_.at(window.value).action = std::move(action);
}

std::vector<Call> FakeDesktop::journalOf(Hwnd window) const {
  std::vector<Call> calls;
  std::copy_if(journal_.begin(), journal_.end(), std::back_inserter(calls),
               [&](const Call& c) { return c.window == window; });
  return calls;
}

Hwnd FakeDesktop::findWindow(std::string_view cls, std::optional<std::string_view> title) {
  return findWindowEx({}, {}, cls, title);
}

Hwnd FakeDesktop::findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                               std::optional<std::string_view> title) {
  if (parent && !exists(parent))
    return {};
  const std::vector<Hwnd>& siblings = siblingsOf(parent);
  auto it = siblings.begin();
  if (after) {
    // The window to start after must be a direct child of the parent.
    it = std::find(siblings.begin(), siblings.end(), after);
    if (it == siblings.end())
      return {};
    ++it;
  }
  for (; it != siblings.end(); ++it) {
    const Window& w = windows_.at(it->value);
    if (SameName(w.cls, cls) && (!title || SameName(w.title, *title)))
      return *it;
  }
  return {};
}

bool FakeDesktop::deliver(const Call& call) {
  journal_.push_back(call);
  if (!exists(call.window))
    return false;
  Window& w = windows_.at(call.window.value);
  if (w.hung)
    return false;
  if (call.message == quil32::msg::kSetText)
    w.text = call.text;
  if (w.action) {
    auto action = w.action;  // the action may remove the window
    action(call);
  }
  return true;
}

quil32::Delivery FakeDesktop::send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
  return deliver(Sent(window, message, wParam, lParam, clock_())) ? quil32::Delivery::kDelivered
                                                                  : quil32::Delivery::kFailed;
}

quil32::Delivery FakeDesktop::sendSetText(Hwnd window, std::string& text) {
  const std::string ansi = codePage_.toAnsi(text);
  text = codePage_.fromAnsi(ansi);
  return deliver(SetText(window, ansi, clock_())) ? quil32::Delivery::kDelivered
                                                  : quil32::Delivery::kFailed;
}

void FakeDesktop::postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) {
  deliver(Posted(window, message, wParam, lParam, clock_()));
}

void FakeDesktop::setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                               unsigned flags) {
  journal_.push_back(SetWindowPosCall(window, insertAfter, x, y, cx, cy, flags, clock_()));
}

void FakeDesktop::releaseCapture() {
  journal_.push_back(ReleaseCaptureCall(clock_()));
}

}  // namespace fake
