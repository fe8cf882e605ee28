// Sends window messages to other programs' windows and waits for them to be
// handled, for as long as the receiver answers within a bound, while this
// program keeps answering the system.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "driver/window_access.h"

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

  // SendMessageA: delivered once the window has handled the message (one of
  // this thread's own windows handles it at once, inside this call); failed
  // when the window is gone, its thread has not answered within the bound,
  // or no sending thread can be had; refused when its program runs with
  // higher rights. Once a thread has run out the bound, sends to it fail at
  // once for as long as it is still reported hung.
  //
  // Meanwhile, as a line in flight (MessageRules), messages that other
  // programs send to this thread's windows are served and its windows
  // repaint, so the system never takes it for hung; posted input and timer
  // ticks stay queued for the next pump, in order.
  quil32::Delivery send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct Request;

  bool startWorker();
  void workerGone();
  static DWORD WINAPI Work(void* sender);

  // The worker takes its orders from here alone, never from its message
  // queue, where any program can post anything. Made once, with the worker.
  HANDLE work_ = nullptr;  // auto-reset: a request waits in the slot, or stop
  HANDLE done_ = nullptr;  // auto-reset: the request in the slot has been made
  HANDLE worker_ = nullptr;
  std::atomic<Request*> slot_{nullptr};
  std::atomic<bool> stopping_{false};
  // Threads whose last send ran out the bound. Only the thread making a
  // send touches it, and one send is made at a time.
  std::vector<DWORD> givenUp_;
};

}  // namespace win32
