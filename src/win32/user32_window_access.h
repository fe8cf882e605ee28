// WindowAccess over the real user32.
#pragma once

#include "driver/window_access.h"
#include "win32/message_sender.h"

namespace win32 {

class User32WindowAccess final : public quil32::WindowAccess {
 public:
  quil32::Hwnd findWindow(std::string_view cls, std::optional<std::string_view> title) override;
  quil32::Hwnd findWindowEx(quil32::Hwnd parent, quil32::Hwnd after, std::string_view cls,
                            std::optional<std::string_view> title) override;
  void postMessage(quil32::Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  void setWindowPos(quil32::Hwnd window, quil32::Hwnd insertAfter, int x, int y, int cx, int cy,
                    unsigned flags) override;
  void releaseCapture() override;

 private:
  void send(std::span<const Message> messages, std::span<quil32::Delivery> deliveries) override;

  MessageSender sender_;
};

}  // namespace win32
