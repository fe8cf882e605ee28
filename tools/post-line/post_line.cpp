// post-line TEXT...: posts each argument as one chat line, in order, into the
// chat client's open room, exactly as zoble posts its announcements.
#include <string>

#include "driver/quil32.h"
#include "win32/text.h"
#include "win32/user32_window_access.h"

int wmain(int argc, wchar_t** argv) {
  win32::User32WindowAccess windows;
  for (int i = 1; i < argc; ++i) {
    std::string line = win32::Narrow(argv[i]);
    quil32::SendChatLine(windows, line);
  }
  return 0;
}
