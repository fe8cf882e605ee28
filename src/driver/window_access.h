// The driver's only way to reach windows: six user32 operations, with the
// program's UTF-8 strings converted to the system ANSI code page here and
// nowhere else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/window_handle.h"

namespace quil32 {

using zoble::Hwnd;

// HWND_TOPMOST, the (HWND)-1 of SetWindowPos.
inline constexpr Hwnd kTopmost{0xFFFFFFFFu};

// The messages the driver hands to windows, with the numbers user32 gives them.
namespace msg {
inline constexpr std::uint32_t kSetText = 0x000C;
inline constexpr std::uint32_t kClose = 0x0010;
inline constexpr std::uint32_t kKeyDown = 0x0100;
inline constexpr std::uint32_t kKeyUp = 0x0101;
inline constexpr std::uint32_t kChar = 0x0102;
inline constexpr std::uint32_t kSysCommand = 0x0112;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
}  // namespace msg

inline constexpr std::uintptr_t kEnter = 13;
inline constexpr std::uintptr_t kSpace = 32;         // as a character and as VK_SPACE
inline constexpr std::uintptr_t kDragMove = 0xF012;  // SC_MOVE + HTCAPTION
inline constexpr unsigned kNoSizeNoMove = 3;         // SWP_NOSIZE | SWP_NOMOVE

// What became of a message sent to a window.
enum class Delivery {
  kDelivered,  // another program's window has handled it
  kOwnWindow,  // one of the program's own windows has handled it (the drag)
  kFailed,     // no such window, or its thread did not answer within the bound
  kRefused,    // the window's program runs with higher rights and takes nothing from ours
};

class WindowAccess {
 public:
  virtual ~WindowAccess() = default;

  // FindWindowA: the first top-level window of that class (and title), else 0.
  virtual Hwnd findWindow(std::string_view cls,
                          std::optional<std::string_view> title = std::nullopt) = 0;

  // FindWindowExA: the next direct child of parent after `after` (from the
  // first when 0) with that class (and title), else 0. Parent 0 searches the
  // top-level windows.
  virtual Hwnd findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                            std::optional<std::string_view> title = std::nullopt) = 0;

  // SendMessageA with a numeric lParam: true once the window has handled it.
  // A busy receiver is waited for, up to a bound.
  bool sendMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) {
    return noted(send(window, message, wParam, lParam));
  }

  // SendMessageA(WM_SETTEXT) with `text` converted to ANSI. Afterwards `text`
  // holds that ANSI text converted back, so characters the code page lacks
  // are lost in the caller's string as they are in the window.
  bool sendText(Hwnd window, std::string& text) { return noted(sendSetText(window, text)); }

  // PostMessageA: queued, returns at once.
  virtual void postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;

  virtual void setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                            unsigned flags) = 0;

  virtual void releaseCapture() = 0;

  // True, once, after a send was refused for rights: the user is to be told,
  // but not again at every line. Once a send to another program is
  // delivered, a later refusal is news again.
  bool takeRefusalNotice() { return std::exchange(refusalDue_, false); }

 protected:
  virtual Delivery send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) = 0;
  virtual Delivery sendSetText(Hwnd window, std::string& text) = 0;

 private:
  bool noted(Delivery delivery) {
    if (delivery == Delivery::kDelivered)
      refusalTold_ = false;
    if (delivery == Delivery::kRefused && !refusalTold_)
      refusalDue_ = refusalTold_ = true;
    return delivery == Delivery::kDelivered || delivery == Delivery::kOwnWindow;
  }

  bool refusalDue_ = false;
  bool refusalTold_ = false;
};

}  // namespace quil32
