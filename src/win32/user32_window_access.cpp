#include "win32/user32_window_access.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win32/handles.h"
#include "win32/text.h"

namespace win32 {

using quil32::Hwnd;

Hwnd User32WindowAccess::findWindow(std::string_view cls, std::optional<std::string_view> title) {
  return findWindowEx({}, {}, cls, title);
}

Hwnd User32WindowAccess::findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                                      std::optional<std::string_view> title) {
  const std::optional<std::string> ansiClass = ToAnsi(cls);
  const std::optional<std::string> ansiTitle = title ? ToAnsi(*title) : std::string();
  if (!ansiClass || !ansiTitle)
    return {};  // searching for "" would find some other window
  return FromNative(FindWindowExA(ToNative(parent), ToNative(after), ansiClass->c_str(),
                                  title ? ansiTitle->c_str() : nullptr));
}

void User32WindowAccess::send(std::span<const Message> messages,
                              std::span<quil32::Delivery> deliveries) {
  // The texts in ANSI live until the last message has been handled.
  std::vector<std::optional<std::string>> ansi(messages.size());
  std::vector<MessageSender::Outgoing> outgoing;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const Message& m = messages[i];
    LPARAM lParam = m.lParam;
    if (m.text) {
      ansi[i] = ToAnsi(*m.text);
      if (!ansi[i])
        break;  // an empty entry is not the line
      lParam = LPARAM(ansi[i]->c_str());
    }
    outgoing.push_back({ToNative(m.window), m.message, m.wParam, lParam, m.text != nullptr});
  }
  sender_.send(outgoing);
  for (std::size_t i = 0; i < outgoing.size(); ++i) {
    deliveries[i] = outgoing[i].delivery;
    if (ansi[i])
      *messages[i].text = FromAnsi(*ansi[i]);
  }
}

void User32WindowAccess::postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
  PostMessageA(ToNative(window), message, wParam, lParam);
}

void User32WindowAccess::setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                                      unsigned flags) {
  SetWindowPos(ToNative(window), ToNative(insertAfter), x, y, cx, cy, flags);
}

void User32WindowAccess::releaseCapture() {
  ReleaseCapture();
}

}  // namespace win32
