// WindowAccess over the real user32.
#pragma once

#include "driver/window_access.h"

namespace win32 {

class User32WindowAccess final : public quil32::WindowAccess {
 public:
  // How long a send may wait for the receiving window before the line is
  // given up. A responsive window answers in well under this.
  static constexpr unsigned kSendTimeoutMs = 3000;

  quil32::Hwnd findWindow(std::string_view cls, std::optional<std::string_view> title) override;
  quil32::Hwnd findWindowEx(quil32::Hwnd parent, quil32::Hwnd after, std::string_view cls,
                            std::optional<std::string_view> title) override;
  bool sendMessage(quil32::Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  bool sendText(quil32::Hwnd window, std::string& text) override;
  void postMessage(quil32::Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  void setWindowPos(quil32::Hwnd window, quil32::Hwnd insertAfter, int x, int y, int cx, int cy,
                    unsigned flags) override;
  void releaseCapture() override;
};

}  // namespace win32
