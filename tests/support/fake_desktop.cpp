#include "support/fake_desktop.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "support/golden_lines.h"

namespace fake {

namespace {

// user32 compares class names and titles without regard to case.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return tolower(x) == tolower(y); });
}

std::string MessageName(std::uint32_t message) {
  namespace msg = quil32::msg;
  const std::map<std::uint32_t, std::string> names = {{msg::kSetText, "settext"},
                                                      {msg::kClose, "close"},
                                                      {msg::kKeyDown, "keydown"},
                                                      {msg::kKeyUp, "keyup"},
                                                      {msg::kChar, "char"},
                                                      {msg::kSysCommand, "syscommand"},
                                                      {msg::kLButtonDown, "lbuttondown"},
                                                      {msg::kLButtonUp, "lbuttonup"}};
  const auto it = names.find(message);
  return it != names.end() ? it->second : std::to_string(message);
}

}  // namespace

std::vector<Hwnd>& FakeDesktop::siblingsOf(Hwnd parent) {
  return parent ? windows_.at(parent.value).children : topLevel_;
}

Hwnd FakeDesktop::add(Hwnd parent, std::string cls, std::string title, std::string name) {
  const Hwnd h{next_};
  next_ += 4;  // multiples of four, as on Windows
  names_[h.value] = name.empty() ? cls : std::move(name);
  windows_[h.value] = {std::move(cls), std::move(title), parent, {}, Delivery::kDelivered, {}};
  siblingsOf(parent).push_back(h);
  return h;
}

void FakeDesktop::remove(Hwnd window) {
  if (!exists(window))
    return;
  for (const Hwnd child : std::vector<Hwnd>(windows_.at(window.value).children))
    remove(child);
  auto& siblings = siblingsOf(windows_.at(window.value).parent);
  siblings.erase(std::find(siblings.begin(), siblings.end(), window));
  windows_.erase(window.value);
}

void FakeDesktop::bringToFront(Hwnd window) {
  auto& siblings = siblingsOf(windows_.at(window.value).parent);
  std::rotate(siblings.begin(), std::find(siblings.begin(), siblings.end(), window),
              std::find(siblings.begin(), siblings.end(), window) + 1);
}

Hwnd FakeDesktop::findWindow(std::string_view cls, std::optional<std::string_view> title) {
  return findWindowEx({}, {}, cls, title);
}

Hwnd FakeDesktop::findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                               std::optional<std::string_view> title) {
  if (parent && !exists(parent))
    return {};
  const std::vector<Hwnd>& siblings = siblingsOf(parent);
  // The window to start after must be a direct child of the parent.
  auto it = after ? std::find(siblings.begin(), siblings.end(), after) : siblings.begin();
  if (after && it++ == siblings.end())
    return {};
  for (; it != siblings.end(); ++it) {
    const Window& w = windows_.at(it->value);
    if (SameName(w.cls, cls) && (!title || SameName(w.title, *title)))
      return *it;
  }
  return {};
}

void FakeDesktop::record(const Call& c) {
  char at[32];
  std::snprintf(at, sizeof at, "%g ", clock());
  std::string line = at + (c.window ? names_.at(c.window.value) : "-") + " ";
  if (c.kind == Call::kPos || c.kind == Call::kCapture)
    line += c.kind == Call::kPos ? "pos " + c.text : "releasecapture";
  else
    line += (c.kind == Call::kPost ? "post " : "") + MessageName(c.message) + " " +
            (c.message == quil32::msg::kSetText ? NameLine(c.text) : std::to_string(c.wParam));
  if (c.lParam)
    line += " l=" + std::to_string(c.lParam);
  if (c.result != Delivery::kDelivered)
    line += c.result == Delivery::kRefused ? " refused" : " failed";
  journal.push_back(line);
  if (watch)
    watch(c);
}

Delivery FakeDesktop::deliver(Call call) {
  const auto it = windows_.find(call.window.value);
  call.result = it == windows_.end() ? Delivery::kFailed : it->second.answer;
  if (call.kind == Call::kPost && call.result == Delivery::kFailed && it != windows_.end())
    call.result = Delivery::kDelivered;  // a hung window's queue takes it all the same
  record(call);
  if (call.result != Delivery::kDelivered)
    return call.result;
  if (auto action = it->second.action)  // a copy: the action may remove the window
    action(call);
  return Delivery::kDelivered;
}

Delivery FakeDesktop::send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  return deliver({Call::kSend, window, message, wParam, lParam, {}});
}

Delivery FakeDesktop::sendSetText(Hwnd window, std::string& text) {
  return deliver({Call::kSend, window, quil32::msg::kSetText, 0, 0, text});
}

void FakeDesktop::postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) {
  deliver({Call::kPost, window, message, wParam, lParam, {}});
}

void FakeDesktop::setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                               unsigned flags) {
  record({Call::kPos, window, 0, 0, 0,
          std::to_string(std::int32_t(insertAfter.value)) + " " + std::to_string(x) + "," +
              std::to_string(y) + "," + std::to_string(cx) + "," + std::to_string(cy) + " " +
              std::to_string(flags)});
}

}  // namespace fake
