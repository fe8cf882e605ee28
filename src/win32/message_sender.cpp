#include "win32/message_sender.h"

#include <algorithm>

#include "win32/message_rules.h"
#include "win32/system_rules.h"

namespace win32 {

namespace {

// Posted to the worker: lParam is the request to send.
constexpr UINT kSendRequest = WM_APP + 1;

// A thread that has not looked at its queue for 5 s is reported hung; the
// wait looks at least this often.
constexpr DWORD kLookAtQueueMs = 1000;

// Serves what a line in flight lets run (what is sent, paints) until `done`
// is set: clicks, keys and timer ticks wait in the queue, as behind a plain
// SendMessage. A WM_QUIT stays queued for the pause after the line: the
// request must outlive the send.
void ServeUntil(HANDLE done) {
  while (MessageRules::Sleep(kLookAtQueueMs, done) != WAIT_OBJECT_0)
    MessageRules::Serve();
}

}  // namespace

struct MessageSender::Request {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
  std::vector<DWORD>& givenUp;
  HANDLE done = nullptr;
  quil32::Delivery delivery = quil32::Delivery::kFailed;

  // The send itself, on whichever thread makes it: bounded, so that it never
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
  if (!worker_)
    return;
  // Every send has waited for its own request: the worker is idle.
  PostThreadMessageW(workerId_, WM_QUIT, 0, 0);
  WaitForSingleObject(worker_, kBoundMs);
  CloseHandle(worker_);
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
  if (!startWorker() || !sendThroughWorker(request))
    request.run();  // no second thread to be had: wait here, still bounded
  return request.delivery;
}

bool MessageSender::startWorker() {
  if (worker_)
    return true;
  const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!ready)
    return false;
  worker_ = CreateThread(nullptr, 0, &Work, ready, 0, &workerId_);
  if (worker_) {
    // Posting to the worker needs its queue, which it makes first thing.
    const HANDLE either[] = {ready, worker_};
    if (WaitForMultipleObjects(2, either, FALSE, INFINITE) != WAIT_OBJECT_0) {
      CloseHandle(worker_);
      worker_ = nullptr;
    }
  }
  CloseHandle(ready);
  return worker_ != nullptr;
}

bool MessageSender::sendThroughWorker(Request& request) {
  request.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!request.done)
    return false;
  // The worker takes requests in the order they come, so a send made by a
  // handler that runs inside this wait reaches the receiver after this one.
  const bool posted = PostThreadMessageW(workerId_, kSendRequest, 0, LPARAM(&request)) != 0;
  if (posted)
    ServeUntil(request.done);
  CloseHandle(request.done);
  return posted;
}

DWORD WINAPI MessageSender::Work(void* ready) {
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes this thread's queue
  SetEvent(HANDLE(ready));
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message != kSendRequest)
      continue;
    auto& request = *reinterpret_cast<Request*>(m.lParam);
    request.run();
    SetEvent(request.done);
  }
  return 0;
}

}  // namespace win32
