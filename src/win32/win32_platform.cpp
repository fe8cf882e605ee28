#include "win32/win32_platform.h"

#include <cmath>

#include "win32/form_window.h"
#include "win32/text.h"

namespace win32 {

namespace {

void Dispatch(MSG& m) {
  TranslateMessage(&m);
  DispatchMessageW(&m);
}

// An out-of-context WinEvent hook: each event arrives in this thread's queue,
// which is all it is for. The callback itself has nothing to do.
class WinEventWatch final : public ui::DesktopWatch {
 public:
  WinEventWatch()
      : hook_(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_NAMECHANGE, nullptr, &OnEvent, 0, 0,
                              WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {}
  ~WinEventWatch() override {
    if (hook_)
      UnhookWinEvent(hook_);
  }

 private:
  static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}
  HWINEVENTHOOK hook_;
};

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  ticksPerSecond_ = double(frequency.QuadPart);
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
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) / ticksPerSecond_;
}

void Win32Platform::processPendingEvents() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      // The end of the program belongs to the outermost loop.
      PostQuitMessage(int(m.wParam));
      return;
    }
    Dispatch(m);
  }
}

void Win32Platform::sleepUntilEvent(double deadline) {
  const double remaining = deadline - monotonic();
  if (remaining <= 0)
    return;
  const auto ms = DWORD(std::ceil(remaining * 1000));
  // Wakes for anything in the queue, including input already looked at.
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

std::unique_ptr<ui::DesktopWatch> Win32Platform::watchDesktop() {
  return std::make_unique<WinEventWatch>();
}

void Win32Platform::runEventLoop() {
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0)
    Dispatch(m);
}

void Win32Platform::quit() {
  PostQuitMessage(0);
}

void Win32Platform::messageBox(std::string_view text, std::string_view title) {
  // Task-modal: every window of the program waits for the box. Topmost, or
  // the always-on-top main window could cover it.
  MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(),
              MB_OK | MB_TASKMODAL | MB_TOPMOST);
}

void Win32Platform::fatal(std::string_view what, std::string_view title) {
  MessageBoxW(nullptr, Widen(what).c_str(), Widen(title).c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(1);
}

}  // namespace win32
