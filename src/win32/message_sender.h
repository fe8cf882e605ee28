// Sends window messages to other programs' windows and waits for them to be
// handled, for as long as the receiver answers within a bound, while this
// program keeps answering the system.
#pragma once

#include <windows.h>

#include <vector>

namespace win32 {

class MessageSender {
 public:
  // How long a send waits for a receiver that does not answer before its
  // message is given up. A busy client that recovers within this gets every
  // line; the user is away and would never learn of one lost.
  static constexpr DWORD kBoundMs = 30000;

  MessageSender() = default;
  ~MessageSender();
  MessageSender(const MessageSender&) = delete;
  MessageSender& operator=(const MessageSender&) = delete;

  // SendMessageA: returns once the window has handled the message (true), or
  // with false when the window is gone or its thread has not answered within
  // the bound. While a send to a thread that was given up waits, and that
  // thread is still reported hung, later sends to it fail at once.
  //
  // Meanwhile messages that other programs send to this thread's windows are
  // served and its windows repaint, so the system never takes it for hung;
  // posted input and timer ticks stay queued for the next pump, in order.
  bool send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct Request;

  bool startWorker();
  bool sendThroughWorker(Request& request);
  static DWORD WINAPI Work(void* readyEvent);

  HANDLE worker_ = nullptr;
  DWORD workerId_ = 0;
  std::vector<DWORD> givenUp_;  // threads whose last send ran out the bound
};

}  // namespace win32
