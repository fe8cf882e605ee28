#include "win32/message_sender.h"

#include <algorithm>
#include <optional>

#include "win32/message_rules.h"
#include "win32/system_rules.h"

namespace win32 {

namespace {

constexpr UINT kNudge = WM_APP + 1;
constexpr wchar_t kNudgeClass[] = L"ZobleSendNudge";

// One message-only window for the program's one UI thread, whatever senders
// come and go: it goes with the thread, and a nudge that reaches it late
// finds nothing to do.
HWND nudgeWindow = nullptr;
std::atomic<bool> nudged{false};  // one nudge in the queue at a time

LRESULT CALLBACK NudgeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kNudge) {
    nudged = false;
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

bool MakeNudgeWindow() {
  if (nudgeWindow)
    return true;
  WNDCLASSEXW nudgeClass{};
  nudgeClass.cbSize = sizeof nudgeClass;
  nudgeClass.lpfnWndProc = &NudgeProc;
  nudgeClass.hInstance = GetModuleHandleW(nullptr);
  nudgeClass.lpszClassName = kNudgeClass;
  RegisterClassExW(&nudgeClass);
  nudgeWindow = CreateWindowExW(0, kNudgeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nudgeClass.hInstance, nullptr);
  return nudgeWindow != nullptr;
}

}  // namespace

MessageSender::~MessageSender() {
  if (keeper_) {
    stopping_ = true;
    const LARGE_INTEGER now{};
    SetWaitableTimer(due_, &now, 0, nullptr, nullptr, FALSE);
    WaitForSingleObject(keeper_, kBoundMs);
    CloseHandle(keeper_);
  }
  if (due_)
    CloseHandle(due_);
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
      kept = keepServing();
    }
    m.delivery = sendOne(m);
    if (!quil32::WindowAccess::GoesOn(m.gates, m.delivery))
      break;
  }
  if (kept)
    CancelWaitableTimer(due_);
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

bool MessageSender::keepServing() {
  // Ended from outside between two lines: replaced.
  if (keeper_ && WaitForSingleObject(keeper_, 0) == WAIT_OBJECT_0) {
    CloseHandle(keeper_);
    keeper_ = nullptr;
  }
  if (!keeper_ && !startKeeper())
    return false;
  // The first nudge only once the send is slow: most are answered sooner.
  LARGE_INTEGER first;
  first.QuadPart = -LONGLONG(kServeEveryMs) * 10000;
  return SetWaitableTimer(due_, &first, LONG(kServeEveryMs), nullptr, nullptr, FALSE);
}

bool MessageSender::startKeeper() {
  if (!MakeNudgeWindow())
    return false;
  if (!due_)
    due_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
  if (!due_)
    return false;
  keeper_ = CreateThread(nullptr, 0, &Keep, this, 0, nullptr);
  return keeper_ != nullptr;
}

DWORD WINAPI MessageSender::Keep(void* self) {
  auto& sender = *static_cast<MessageSender*>(self);
  while (WaitForSingleObject(sender.due_, INFINITE) == WAIT_OBJECT_0 && !sender.stopping_) {
    // A nudge still queued is enough: they never pile up behind a slow send.
    if (!nudged.exchange(true) && !SendNotifyMessageW(nudgeWindow, kNudge, 0, 0))
      nudged = false;
  }
  return 0;
}

}  // namespace win32
