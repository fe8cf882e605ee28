// zoble.exe: hands control to the runtime, which shows the splash window;
// everything after that happens in the windows' handlers.
#include <windows.h>

#include "console/forms.h"
#include "win32/form_window.h"
#include "win32/system_rules.h"
#include "win32/user32_window_access.h"
#include "win32/win32_platform.h"

namespace {

// The session's copy that runs already. "Local\" keeps it to this logon
// session; Windows 2000 without Terminal Services takes the name as it is.
constexpr wchar_t kRunningName[] = L"Local\\zoble-1.0-running";

// Brings the running copy's window to the front: its panel, or its splash
// while that still waits for its click.
void BringRunningCopyForward() {
  for (const wchar_t* title : {L"Form1", L"Form2"}) {
    const HWND window = FindWindowW(win32::FormWindow::kClassName, title);
    if (window && IsWindowVisible(window)) {
      SetForegroundWindow(window);
      return;
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // One zoble at a time: two copies' texts and Enters would overwrite each
  // other in the room's entry. The mutex lives as long as this process.
  const HANDLE running = CreateMutexW(nullptr, FALSE, kRunningName);
  if (win32::AnotherCopyRuns(running != nullptr, GetLastError())) {
    BringRunningCopyForward();
    return 0;
  }
  win32::Win32Platform platform(instance);
  ui::Runtime runtime(platform, "zoble");
  win32::User32WindowAccess windows;
  console::WindowSet set(windows, runtime);
  runtime.invoke([&] { set.form2().show(); });
  runtime.run();
  return 0;
}
