#include "win32/win32_platform.h"

#include <cmath>

#include "win32/form_window.h"
#include "win32/handles.h"
#include "win32/message_rules.h"
#include "win32/text.h"

namespace win32 {

namespace {

// Out-of-context WinEvent hooks: each event arrives in this thread's queue,
// which wakes a wait; the callback only counts it.
//
// Only windows created, destroyed (0x8000-0x8001) or renamed (0x800C), and
// only the watched program's: the waits find windows by class and title,
// shown or not, and focus and location changes come with every mouse move on
// the desktop. Any other event would wake a wait for nothing.
class WinEventWatch final : public ui::DesktopWatch {
 public:
  WinEventWatch(Win32Platform& platform, DWORD process)
      : platform_(platform),
        hooks_{Hook(EVENT_OBJECT_CREATE, EVENT_OBJECT_DESTROY, process),
               Hook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, process)} {}
  ~WinEventWatch() override {
    platform_.letSentWaitUntil(0);
    for (HWINEVENTHOOK hook : hooks_) {
      if (hook)
        UnhookWinEvent(hook);
    }
  }
  unsigned long changes() const override { return served_ - start_; }
  double changedAt() const override {
    return platform_.monotonic() - double(DWORD(GetTickCount() - lastEventTick_)) / 1000;
  }
  // The events come as sent messages do: those may wait as long.
  void looksBy(double deadline) override { platform_.letSentWaitUntil(deadline); }

 private:
  static HWINEVENTHOOK Hook(DWORD first, DWORD last, DWORD process) {
    // The client's events are never our own. Wine takes "own process" for
    // the watched one when both are given, and would pass on nothing.
    return SetWinEventHook(first, last, nullptr, &OnEvent, process, 0,
                           WINEVENT_OUTOFCONTEXT | (process ? 0 : WINEVENT_SKIPOWNPROCESS));
  }
  static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD tick) {
    ++served_;
    lastEventTick_ = tick;
  }
  // Every watch's events, counted where they are served: one UI thread.
  static inline unsigned long served_ = 0;
  static inline DWORD lastEventTick_ = 0;
  Win32Platform& platform_;
  const unsigned long start_ = served_;
  HWINEVENTHOOK hooks_[2];
};

BOOL CALLBACK StopTimers(HWND window, LPARAM) {
  if (FormWindow* form = FormWindow::Of(window))
    form->stopTimers();
  return TRUE;
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {
  // Windows 2000 may have no performance counter: the call fails, or says 0.
  LARGE_INTEGER frequency;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
    ticksPerSecond_ = double(frequency.QuadPart);
  else
    lastTick_ = GetTickCount();
}

std::unique_ptr<ui::FormPeer> Win32Platform::createPeer(ui::Form& form) {
  return std::make_unique<FormWindow>(instance_, form);
}

float Win32Platform::timeOfDay() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return float(t.wHour * 3600 + t.wMinute * 60 + t.wSecond) + float(t.wMilliseconds) / 1000.0f;
}

double Win32Platform::monotonic() {
  if (ticksPerSecond_ > 0) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / ticksPerSecond_;
  }
  // Unsigned, the difference holds across the wrap; the waits read the
  // clock far more often than every 49 days.
  const DWORD now = GetTickCount();
  ticks_ += DWORD(now - lastTick_);
  lastTick_ = now;
  return double(ticks_) / 1000;
}

bool Win32Platform::processPendingEvents() {
  return MessageRules::Serve();
}

bool Win32Platform::toldToQuit() const {
  return MessageRules::QuitTaken();
}

void Win32Platform::sleepUntilEvent(double deadline) {
  const double remaining = deadline - monotonic();
  if (remaining > 0)
    MessageRules::Sleep(DWORD(std::ceil(remaining * 1000)), nullptr, 0,
                        deadline <= sentMayWaitUntil_);
}

std::unique_ptr<ui::DesktopWatch> Win32Platform::watchDesktop(zoble::Hwnd window) {
  DWORD process = 0;  // every program's, when the window is not known
  if (window)
    GetWindowThreadProcessId(ToNative(window), &process);
  return std::make_unique<WinEventWatch>(*this, process);
}

void Win32Platform::runEventLoop() {
  // Not GetMessage: the end may come inside a system loop that takes the
  // WM_QUIT for itself (Wine's move does), and GetMessage would wait on.
  while (!quitting_ && MessageRules::Serve())
    MessageRules::Sleep(INFINITE);
}

void Win32Platform::quit() {
  quitting_ = true;
  PostQuitMessage(0);  // ends the nested loops on the way out
}

void Win32Platform::messageBox(std::string_view text, std::string_view title) {
  // Task-modal: every window of the program waits for the box. Topmost, or
  // the always-on-top main window could cover it.
  MessageRules::SystemLoop loop;
  MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(),
              MB_OK | MB_TASKMODAL | MB_TOPMOST);
}

void Win32Platform::fatal(std::string_view what, std::string_view title) {
  // The box runs a loop of its own: the reminder would tick on inside it and
  // post to the room from a program that is failing.
  EnumThreadWindows(GetCurrentThreadId(), &StopTimers, 0);
  MessageBoxW(nullptr, Widen(what).c_str(), Widen(title).c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND);
  ExitProcess(1);
}

}  // namespace win32
