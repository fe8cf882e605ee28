#include <gtest/gtest.h>

#include "support/program.h"

namespace {

using fake::Call;
using quil32::Hwnd;

using fake::Program;

TEST(OwnWindows, SplashAndMainWindowJoinTheTopmostWindowsAsTheyLoad) {
  Program p;
  p.set.form2().show();
  const Hwnd splash = p.handleOf("Form2");
  EXPECT_EQ(p.desktop.journal(),
            std::vector<Call>{fake::SetWindowPosCall(splash, quil32::kTopmost, 0, 0, 0, 0, 3)});

  // The main window is topmost before its greeting, and shows only after it.
  std::vector<bool> visibleAtLine, splashVisibleAtLine;
  p.desktop.onReceive(p.room.entry, [&](const Call& c) {
    if (c.message != quil32::msg::kChar)
      return;
    visibleAtLine.push_back(p.set.form1().visible());
    splashVisibleAtLine.push_back(p.set.form2().visible());
  });
  p.desktop.clearJournal();
  p.platform.clickAt(0, p.set.form2(), "");
  p.platform.setHorizon(5);
  p.runtime.run();
  const Hwnd main = p.handleOf("Form1");
  ASSERT_TRUE(main);
  EXPECT_EQ(p.desktop.journal().front(),
            fake::SetWindowPosCall(main, quil32::kTopmost, 0, 0, 0, 0, 3));
  EXPECT_EQ(visibleAtLine, (std::vector<bool>{false, false}));
  EXPECT_EQ(splashVisibleAtLine, (std::vector<bool>{false, false})) << "hidden at once";
  EXPECT_TRUE(p.set.form1().visible());
  EXPECT_FALSE(p.set.form2().visible());
  EXPECT_TRUE(p.set.form2().loaded()) << "the splash stays loaded, hidden";
}

TEST(OwnWindows, DragStripHandsTheMainWindowToTheSystemMove) {
  Program p;
  p.mainWindow().raise(ui::Event::kClick, "Label5");
  const Hwnd main = p.handleOf("Form1");
  EXPECT_EQ(
      p.desktop.journal(),
      (std::vector<Call>{fake::ReleaseCaptureCall(p.platform.now()),
                         fake::Sent(main, quil32::msg::kSysCommand, 0xF012, 0, p.platform.now())}));
}

}  // namespace
