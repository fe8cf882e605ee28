#include <gtest/gtest.h>

#include <algorithm>

#include "console/announcements.h"
#include "support/catalogue.h"
#include "support/program.h"

namespace {

using fake::Call;
using fake::SetText;
using quil32::Hwnd;
using Journal = std::vector<Call>;

using namespace fake::lines;  // NOLINT(google-build-using-namespace)

// One posted line: its text, then Enter, at the same instant.
void Line(Journal& j, Hwnd entry, const std::string& ansi, double at) {
  j.push_back(SetText(entry, ansi, at));
  j.push_back(fake::Sent(entry, quil32::msg::kChar, quil32::kEnter, 0, at));
}

Journal Lines(Hwnd entry, std::vector<std::pair<std::string, double>> lines) {
  Journal j;
  for (auto& [text, at] : lines)
    Line(j, entry, text, at);
  return j;
}

using fake::Program;

TEST(Lines, LengthsAndMarksAreExact) {
  EXPECT_EQ(kPrefix.size(), 45u);
  EXPECT_EQ(console::lines::BannerLine(), kPrefix + "\u00BA\u00B7 zoble idle . vud");
  const auto chars = [](const std::string& s) {
    return std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; });
  };
  EXPECT_EQ(chars(console::lines::BannerLine()), 64);
  EXPECT_EQ(chars(console::lines::SignatureLine()), 64);
  EXPECT_EQ(chars(console::lines::IdleOnLine()), 59);
  EXPECT_EQ(chars(console::lines::IdleOffLine()), 60);
  EXPECT_EQ(chars(console::lines::AdvertLine()), 82);
}

TEST(Sequences, EachPostsItsLinesWithAPauseBetween) {
  Program p;
  const Hwnd entry = p.room.entry;

  console::PostBanner(p.host);
  EXPECT_EQ(p.desktop.journal(), Lines(entry, {{kBanner, 0}, {kBannerLink, 0.75}}));
  EXPECT_EQ(p.platform.now(), 0.75) << "no sequence ends with a pause";

  p.desktop.clearJournal();
  console::PostIdleOff(p.host);
  EXPECT_EQ(p.desktop.journal(), Lines(entry, {{kSignature, 0.75}, {kIdleOff, 1.75}}));

  p.desktop.clearJournal();
  console::PostAdvert(p.host);
  EXPECT_EQ(p.desktop.journal(),
            Lines(entry, {{kSignature, 1.75}, {kAdvert, 2.75}, {kLink, 3.75}}));
}

TEST(Sequences, IdleOnReadsTheReasonBoxAfterTheSecondPause) {
  Program p;
  auto& main = p.mainWindow();
  const Hwnd entry = p.room.entry;
  const double t0 = p.platform.now();  // 0.75 after the greeting

  // Typed during the first pause and changed during the second: what the box
  // holds when the second pause ends is the reason posted.
  p.platform.typeAt(t0 + 0.5, main, "Text1", "brb");
  p.platform.typeAt(t0 + 1.5, main, "Text1", "brb <b>&</b> food");
  console::PostIdleOn(p.host, main.Text1);
  EXPECT_EQ(
      p.desktop.journal(),
      Lines(entry, {{kSignature, t0}, {kIdleOn, t0 + 1}, {Reason("brb <b>&</b> food"), t0 + 2}}));

  p.desktop.clearJournal();
  p.platform.typeAt(p.platform.now(), main, "Text1", "");
  console::PostIdleOn(p.host, main.Text1);
  ASSERT_EQ(p.desktop.journal().size(), 6u);
  EXPECT_EQ(p.desktop.journal()[4].text, Reason(""));
}

TEST(Sequences, WithNoRoomNothingIsPostedButThePausesAreTaken) {
  fake::FakeDesktop desktop;
  fake::FakeClient client(desktop);
  client.addRoomLike("Mail", "_AOL_Listbox");
  fake::HeadlessPlatform platform(desktop, 36000.25);
  ui::Runtime runtime(platform, "zoble");
  console::Host host{desktop, runtime};

  console::PostAdvert(host);
  EXPECT_EQ(desktop.journal(), Journal{});
  EXPECT_EQ(platform.now(), 1.75);
}

TEST(Shutdown, PostsTheBannerThenUnloadsTheThreeWindowsInOrder) {
  Program p;
  auto& main = p.mainWindow();
  // The options menu once opened and dismissed: its holder stays loaded.
  main.raise(ui::Event::kClick, "Label7");
  ASSERT_TRUE(p.set.form3().loaded());
  p.desktop.clearJournal();
  const double t0 = p.platform.now();

  main.raise(ui::Event::kClick, "Label2");
  EXPECT_EQ(p.desktop.journal(), Lines(p.room.entry, {{kBanner, t0}, {kBannerLink, t0 + 1}}));
  EXPECT_EQ(p.platform.windowsDestroyed(), (std::vector<std::string>{"Form1", "Form2", "Form3"}));
  EXPECT_TRUE(p.runtime.ended());
  EXPECT_TRUE(p.platform.quitRequested());
}

TEST(Shutdown, AHandlerSuspendedInAPauseDropsItsRemainingSteps) {
  Program p;
  auto& main = p.mainWindow();
  const double t0 = p.platform.now();
  // Start, and the close label clicked during start's first pause; a tick of
  // a timer left running would post again a minute later.
  p.platform.clickAt(t0, main, "Label3");
  p.platform.clickAt(t0 + 0.5, main, "Label2");
  p.platform.setHorizon(t0 + 180);
  p.runtime.run();

  EXPECT_EQ(p.desktop.journal(),
            Lines(p.room.entry, {{kSignature, t0}, {kBanner, t0 + 0.5}, {kBannerLink, t0 + 2}}));
  EXPECT_EQ(p.platform.windowsCreated(), (std::vector<std::string>{"Form2", "Form1"}))
      << "no window is loaded again";
  // The close's pause started half way through a second (rounded to even,
  // up): it lasted 1.5 s.
  EXPECT_EQ(p.platform.now(), t0 + 2) << "the program ended with the close";
}

}  // namespace
