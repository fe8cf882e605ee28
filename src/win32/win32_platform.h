// The runtime's platform over Win32: native windows, the thread's message
// queue, the clocks and the message box.
#pragma once

#include <windows.h>

#include "ui/platform.h"

namespace win32 {

class Win32Platform final : public ui::Platform {
 public:
  explicit Win32Platform(HINSTANCE instance);

  HINSTANCE instance() const { return instance_; }

  std::unique_ptr<ui::FormPeer> createPeer(ui::Form& form) override;
  float timeOfDay() override;
  double monotonic() override;
  bool processPendingEvents() override;
  bool toldToQuit() const override;
  void sleepUntilEvent(double deadline) override;
  std::unique_ptr<ui::DesktopWatch> watchDesktop(zoble::Hwnd window) override;
  void runEventLoop() override;
  void quit() override;
  void messageBox(std::string_view text, std::string_view title) override;
  [[noreturn]] void fatal(std::string_view what, std::string_view title) override;

  // Until `deadline` (monotonic()), what other programs send may wait for
  // the next wake; 0: none may.
  void letSentWaitUntil(double deadline) { sentMayWaitUntil_ = deadline; }

 private:
  HINSTANCE instance_;
  double ticksPerSecond_ = 0;  // 0: no performance counter, the tick count serves
  // The tick count's milliseconds so far, carried past its wrap at 49.7 days.
  unsigned long long ticks_ = 0;
  DWORD lastTick_ = 0;
  bool quitting_ = false;
  double sentMayWaitUntil_ = 0;
};

}  // namespace win32
