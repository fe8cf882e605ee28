// zoble's windows on the headless platform, with a chat room open in the
// in-memory desktop. The clock starts a quarter past a whole second, so a
// first pause lasts 0.75 s and a pause that starts on a whole second 1 s.
#pragma once

#include <string>

#include "console/forms.h"
#include "support/fake_client.h"
#include "support/headless_platform.h"

namespace fake {

struct Program {
  FakeDesktop desktop;
  FakeClient client{desktop};
  Room room = client.addRoom("Lobby");
  HeadlessPlatform platform{desktop, 36000.25};
  ui::Runtime runtime{platform, "zoble"};
  console::WindowSet set{desktop, runtime};
  console::Host& host = set.host;

  // The native window of one of zoble's forms.
  Hwnd handleOf(const std::string& caption) { return desktop.findWindow("ZobleForm", caption); }

  // Shows the main window as the splash click does, then forgets what its
  // load posted.
  console::Form1& mainWindow() {
    set.form2().show();
    set.form1().show();
    desktop.clearJournal();
    return set.form1();
  }
};

}  // namespace fake
