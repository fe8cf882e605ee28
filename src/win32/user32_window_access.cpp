#include "win32/user32_window_access.h"

#include <windows.h>

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

quil32::Delivery User32WindowAccess::send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
  return sender_.send(ToNative(window), message, wParam, lParam);
}

quil32::Delivery User32WindowAccess::sendSetText(Hwnd window, std::string& text) {
  const std::optional<std::string> ansi = ToAnsi(text);
  if (!ansi)
    return quil32::Delivery::kFailed;  // an empty entry is not the line
  const quil32::Delivery delivery = send(window, WM_SETTEXT, 0, LPARAM(ansi->c_str()));
  text = FromAnsi(*ansi);
  return delivery;
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
