#include "win32/message_sender.h"

#include <algorithm>
#include <atomic>
#include <optional>

#include "win32/message_rules.h"
#include "win32/system_rules.h"

namespace win32 {

namespace {

constexpr UINT kNudge = WM_APP + 1;
constexpr wchar_t kNudgeClass[] = L"ZobleSendNudge";

// A send waits inside SendMessageTimeout, which serves what is sent to the
// thread but paints nothing. The keeper, a thread that sleeps on a timer
// armed only while a line is in flight, nudges the UI thread through a
// message-only window (a sent message, which the wait serves) to paint and
// look at its queue. It takes orders from zoble alone, never from its
// message queue, where any program can post anything.
//
// One for the program's one UI thread, made with the first sender, before
// any line: it holds nothing that is ever freed, and the process's end ends
// it, which a wait for it at the farewell would only delay.
class Keeper {
 public:
  // Armed until disarm(); false when there is no keeper to be had.
  bool arm() {
    // Ended from outside between two lines: replaced.
    if (thread_ && WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0) {
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    if (!thread_ && !start())
      return false;
    // The first nudge only once the send is slow: most are answered sooner.
    LARGE_INTEGER first;
    first.QuadPart = -LONGLONG(MessageSender::kServeEveryMs) * 10000;
    return SetWaitableTimer(due_, &first, LONG(MessageSender::kServeEveryMs), nullptr, nullptr,
                            FALSE);
  }
  void disarm() { CancelWaitableTimer(due_); }

  bool start() {
    if (thread_)
      return true;
    if (!window_) {
      WNDCLASSEXW nudgeClass{};
      nudgeClass.cbSize = sizeof nudgeClass;
      nudgeClass.lpfnWndProc = &NudgeProc;
      nudgeClass.hInstance = GetModuleHandleW(nullptr);
      nudgeClass.lpszClassName = kNudgeClass;
      RegisterClassExW(&nudgeClass);
      window_ = CreateWindowExW(0, kNudgeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nudgeClass.hInstance, nullptr);
    }
    if (!due_)
      due_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (!window_ || !due_)
      return false;
    thread_ = CreateThread(nullptr, 0, &Keep, this, 0, nullptr);
    return thread_ != nullptr;
  }

 private:
  static DWORD WINAPI Keep(void* self) {
    auto& keeper = *static_cast<Keeper*>(self);
    while (WaitForSingleObject(keeper.due_, INFINITE) == WAIT_OBJECT_0) {
      // A nudge still queued is enough: they never pile up behind a slow send.
      if (!keeper.nudged_.exchange(true) && !SendNotifyMessageW(keeper.window_, kNudge, 0, 0))
        keeper.nudged_ = false;
    }
    return 0;
  }

  static LRESULT CALLBACK NudgeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HANDLE due_ = nullptr;  // periodic, armed while a line is in flight
  HANDLE thread_ = nullptr;
  HWND window_ = nullptr;
  std::atomic<bool> nudged_{false};  // one nudge in the queue at a time
};

Keeper keeper;

LRESULT CALLBACK Keeper::NudgeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kNudge) {
    keeper.nudged_ = false;
    // Only while a send waits; one that comes late, or from another program,
    // finds nothing to do.
    if (MessageRules::Now() == Running::kLineInFlight)
      MessageRules::Serve();
    return 0;
  }
  if (message == WM_CLOSE)
    return 0;  // another program's close would end the nudges
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

MessageSender::MessageSender() {
  keeper.start();  // failing, the first line tries again
}

quil32::Delivery MessageSender::send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Outgoing one{window, message, wParam, lParam};
  send({&one, 1});
  return one.delivery;
}

void MessageSender::send(std::span<Outgoing> messages) {
  HWND looked = nullptr;
  bool own = false;
  std::optional<MessageRules::LineInFlight> line;
  bool kept = false;
  for (Outgoing& m : messages) {
    if (m.window != looked) {
      looked = m.window;
      own = GetWindowThreadProcessId(m.window, nullptr) == GetCurrentThreadId();
    }
    if (own) {
      // One of the program's own windows (the drag's move): handled right
      // here, as SendMessage does.
      SendMessageA(m.window, m.message, m.wParam, m.lParam);
      m.delivery = quil32::Delivery::kOwnWindow;
      continue;
    }
    if (!line) {
      line.emplace();
      kept = keeper.arm();
    }
    m.delivery = sendOne(m);
    if (!quil32::WindowAccess::GoesOn(m.gates, m.delivery))
      break;
  }
  if (kept)
    keeper.disarm();
}

// Bounded, so that a client that never answers costs one line, not all.
// Whether the receiver is still hung is asked just before, not when the
// line began.
quil32::Delivery MessageSender::sendOne(const Outgoing& m) {
  if (!givenUp_.empty()) {
    const auto given =
        std::find(givenUp_.begin(), givenUp_.end(), GetWindowThreadProcessId(m.window, nullptr));
    if (given != givenUp_.end()) {
      // Waiting the whole bound again for each line would leave the user's
      // clicks queued for minutes; once the client answers, lines go through.
      if (IsHungAppWindow(m.window))
        return quil32::Delivery::kFailed;
      givenUp_.erase(given);
    }
  }
  DWORD_PTR result = 0;
  SetLastError(0);
  const DWORD started = GetTickCount();
  if (SendMessageTimeoutA(m.window, m.message, m.wParam, m.lParam, SMTO_NORMAL, kBoundMs, &result))
    return quil32::Delivery::kDelivered;
  const DWORD error = GetLastError();
  switch (ClassifyFailedSend(error, GetTickCount() - started, kBoundMs, IsWindow(m.window))) {
    case SendFailure::kRefused:
      return quil32::Delivery::kRefused;
    case SendFailure::kTimedOut:
      if (const DWORD thread = GetWindowThreadProcessId(m.window, nullptr))
        givenUp_.push_back(thread);
      break;
    case SendFailure::kGone:
      break;
  }
  return quil32::Delivery::kFailed;
}

}  // namespace win32
