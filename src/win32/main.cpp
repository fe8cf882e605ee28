// zoble.exe: hands control to the runtime, which shows the splash window;
// everything after that happens in the windows' handlers.
#include <windows.h>

#include "console/forms.h"
#include "win32/user32_window_access.h"
#include "win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  win32::Win32Platform platform(instance);
  ui::Runtime runtime(platform, "zoble");
  win32::User32WindowAccess windows;
  console::WindowSet set(windows, runtime);
  runtime.invoke([&] { set.form2().show(); });
  runtime.run();
  return 0;
}
