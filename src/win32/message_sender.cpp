#include "win32/message_sender.h"

#include <algorithm>

#include "win32/message_rules.h"
#include "win32/system_rules.h"

namespace win32 {

namespace {

// A thread that has not looked at its queue for 5 s is reported hung; the
// wait looks at least this often.
constexpr DWORD kLookAtQueueMs = 1000;

}  // namespace

struct MessageSender::Request {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
  std::vector<DWORD>& givenUp;
  quil32::Delivery delivery = quil32::Delivery::kFailed;
  std::atomic<bool> made{false};

  // The send itself, on the sending thread: bounded, so that it never
  // outlives the wait that owns its text. Whether the receiver is still hung
  // is asked just before, not when the request was made.
  void run() {
    const auto given = std::find(givenUp.begin(), givenUp.end(), thread);
    if (given != givenUp.end()) {
      // Waiting the whole bound again for each line would leave the user's
      // clicks queued for minutes; once the client answers, lines go through.
      if (IsHungAppWindow(window))
        return;
      givenUp.erase(given);
    }
    DWORD_PTR result = 0;
    SetLastError(0);
    const DWORD started = GetTickCount();
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kBoundMs, &result)) {
      delivery = quil32::Delivery::kDelivered;
      return;
    }
    const DWORD error = GetLastError();
    switch (ClassifyFailedSend(error, GetTickCount() - started, kBoundMs, IsWindow(window))) {
      case SendFailure::kRefused:
        delivery = quil32::Delivery::kRefused;
        break;
      case SendFailure::kTimedOut:
        givenUp.push_back(thread);
        break;
      case SendFailure::kGone:
        break;
    }
  }
};

MessageSender::~MessageSender() {
  if (worker_) {
    // Every send has waited for its own request: the worker is idle.
    stopping_ = true;
    SetEvent(work_);
    WaitForSingleObject(worker_, kBoundMs);
    CloseHandle(worker_);
  }
  for (HANDLE event : {work_, done_}) {
    if (event)
      CloseHandle(event);
  }
}

quil32::Delivery MessageSender::send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0)
    return quil32::Delivery::kFailed;  // no such window, or none at all
  if (thread == GetCurrentThreadId()) {
    // One of the program's own windows (the drag's move): handled right
    // here, as SendMessage does.
    SendMessageA(window, message, wParam, lParam);
    return quil32::Delivery::kOwnWindow;
  }
  Request request{window, message, wParam, lParam, thread, givenUp_};
  MessageRules::LineInFlight line;
  // A send made in place would serve nothing but what is sent for as long
  // as the client stalls: no paint, click or tick. Without a sending thread
  // the line is given up.
  if (!startWorker())
    return quil32::Delivery::kFailed;
  // One request at a time, in the order they come: a send made by a handler
  // that ran inside another's wait would wait here for the slot.
  for (Request* empty = nullptr; !slot_.compare_exchange_strong(empty, &request); empty = nullptr) {
    const HANDLE either[] = {done_, worker_};
    if (MessageRules::Sleep(kLookAtQueueMs, either, 2) == WAIT_OBJECT_0 + 1)
      return quil32::Delivery::kFailed;  // the worker is gone: the send it had cleans up
    MessageRules::Serve();
  }
  SetEvent(work_);
  // What a line in flight lets run (what is sent, paints) until the request
  // has been made: clicks, keys and timer ticks wait in the queue, as behind
  // a plain SendMessage. A WM_QUIT stays queued for the pause after the
  // line: the request must outlive the send.
  for (;;) {
    const HANDLE either[] = {done_, worker_};
    const DWORD woke = MessageRules::Sleep(kLookAtQueueMs, either, 2);
    if (woke == WAIT_OBJECT_0 + 1 && !request.made) {
      // Ended from outside: it will never touch the request again. The line
      // fails; the next one gets a new worker.
      slot_ = nullptr;
      workerGone();
      return quil32::Delivery::kFailed;
    }
    if (request.made) {
      if (woke != WAIT_OBJECT_0)
        WaitForSingleObject(done_, 0);  // made while serving: its signal is this request's
      break;
    }
    MessageRules::Serve();
  }
  return request.delivery;
}

bool MessageSender::startWorker() {
  if (worker_ && WaitForSingleObject(worker_, 0) == WAIT_OBJECT_0)
    workerGone();  // ended from outside between two lines
  if (worker_)
    return true;
  if (!work_)
    work_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!done_)
    done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!work_ || !done_)
    return false;
  worker_ = CreateThread(nullptr, 0, &Work, this, 0, nullptr);
  return worker_ != nullptr;
}

void MessageSender::workerGone() {
  CloseHandle(worker_);
  worker_ = nullptr;
}

DWORD WINAPI MessageSender::Work(void* self) {
  auto& sender = *static_cast<MessageSender*>(self);
  while (WaitForSingleObject(sender.work_, INFINITE) == WAIT_OBJECT_0 && !sender.stopping_) {
    Request* request = sender.slot_;
    if (!request)
      continue;
    request->run();
    request->made = true;
    sender.slot_ = nullptr;
    SetEvent(sender.done_);
  }
  return 0;
}

}  // namespace win32
