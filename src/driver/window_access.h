// The driver's only way to reach windows: six user32 operations, with the
// program's UTF-8 strings converted to the system ANSI code page here and
// nowhere else.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

  // A message to send. With `text` it is WM_SETTEXT's, converted to ANSI for
  // the send; afterwards `text` holds that ANSI text converted back, so
  // characters the code page lacks are lost in the caller's string as they
  // are in the window.
  struct Message {
    Hwnd window;
    std::uint32_t message;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::string* text = nullptr;
  };
  static Message SetText(Hwnd window, std::string& text) {
    return {window, msg::kSetText, 0, 0, &text};
  }

  // SendMessageA for each message in turn, each once the one before has been
  // handled; a busy receiver is waited for, up to a bound. What follows a
  // text acts on it (Enter in the box it was typed into) and is not sent
  // unless the text arrived. Returns how many, from the first, have been
  // handled.
  std::size_t sendInTurn(std::initializer_list<Message> messages) {
    std::vector<Delivery> deliveries(messages.size(), Delivery::kFailed);
    send({messages.begin(), messages.size()}, deliveries);
    std::size_t handled = 0;
    bool inARow = true;
    for (const Delivery delivery : deliveries) {
      inARow = noted(delivery) && inARow;
      handled += inARow;
    }
    return handled;
  }

  // Whether the messages after one go, once it has been answered so; `gates`
  // when what follows acts on it (a text).
  static bool GoesOn(bool gates, Delivery delivery) {
    return !gates || delivery == Delivery::kDelivered;
  }

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
  // Sends as sendInTurn says, all in one go: a delivery for each message,
  // left kFailed for those not sent.
  virtual void send(std::span<const Message> messages, std::span<Delivery> deliveries) = 0;

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
