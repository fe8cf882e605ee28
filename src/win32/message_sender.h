// Sends window messages to other programs' windows and waits for them to be
// handled, for as long as the receiver answers within a bound, while this
// program keeps answering the system and painting.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "driver/window_access.h"

namespace win32 {

class MessageSender {
 public:
  // How long a send waits for a receiver that does not answer before its
  // message is given up. A busy client that recovers within this gets every
  // line; the user is away and would never learn of one lost.
  static constexpr DWORD kBoundMs = 30000;
  // How often, while a send waits on a slow receiver, this thread paints and
  // looks at its queue: the system takes a thread that has not looked for
  // 5 s for hung.
  static constexpr DWORD kServeEveryMs = 50;

  // Made on the UI thread, with the program: it starts the thread that
  // keeps that thread painting while a send waits.
  MessageSender();
  MessageSender(const MessageSender&) = delete;
  MessageSender& operator=(const MessageSender&) = delete;

  // A message to send, and what became of it.
  struct Outgoing {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    // What follows acts on this one: it is not sent unless this was delivered.
    bool gates = false;
    quil32::Delivery delivery = quil32::Delivery::kFailed;
  };

  // SendMessageA for each in turn, each once the one before has been
  // handled. A message is delivered once the window has handled it (one of
  // this thread's own windows handles it at once, inside this call); failed
  // when the window is gone or its thread has not answered within the
  // bound; refused when its program runs with higher rights. Once a thread
  // has run out the bound, sends to it fail at once for as long as it is
  // still reported hung.
  //
  // Meanwhile, as a line in flight (MessageRules), messages that other
  // programs send to this thread's windows are served and its windows
  // repaint, so the system never takes it for hung; posted input and timer
  // ticks stay queued for the next pump, in order.
  void send(std::span<Outgoing> messages);
  quil32::Delivery send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  quil32::Delivery sendOne(const Outgoing& message);

  // Threads whose last send ran out the bound.
  std::vector<DWORD> givenUp_;
};

}  // namespace win32
