#include <gtest/gtest.h>

#include "support/catalogue.h"
#include "support/program.h"

namespace {

using fake::Call;
using fake::Program;
using quil32::msg::kSetText;

using namespace fake::lines;  // NOLINT(google-build-using-namespace)

// The lines the room received, with the instants they were posted at.
std::vector<std::pair<std::string, double>> Posted(const Program& p) {
  std::vector<std::pair<std::string, double>> lines;
  for (const Call& c : p.desktop.journalOf(p.room.entry)) {
    if (c.message == kSetText)
      lines.emplace_back(c.text, c.at);
  }
  return lines;
}

std::vector<std::string> Texts(const Program& p) {
  std::vector<std::string> texts;
  for (const auto& [text, at] : Posted(p))
    texts.push_back(text);
  return texts;
}

TEST(MainWindow, StartTurnsIdleModeOnAndRemindsEveryMinuteUntilStop) {
  Program p;
  auto& main = p.mainWindow();
  const double t0 = p.platform.now();  // on a whole second of the clock
  p.platform.clickAt(t0, main, "Label3");
  // Typed while idle mode is on: the next reminder uses it.
  p.platform.typeAt(t0 + 30, main, "Text1", "still out");
  p.platform.clickAt(t0 + 150, main, "Label4");
  p.platform.setHorizon(t0 + 400);
  p.runtime.run();

  // The start's lines end at t0 + 2; the reminders follow 60 s after that.
  const std::vector<std::pair<std::string, double>> expected = {
      {kSignature, t0},       {kIdleOn, t0 + 1},    {Reason("idle reason"), t0 + 2},
      {kSignature, t0 + 62},  {kIdleOn, t0 + 63},   {Reason("still out"), t0 + 64},
      {kSignature, t0 + 122}, {kIdleOn, t0 + 123},  {Reason("still out"), t0 + 124},
      {kSignature, t0 + 150}, {kIdleOff, t0 + 151},
  };
  EXPECT_EQ(Posted(p), expected);
  EXPECT_FALSE(main.Timer1.enabled());
}

TEST(MainWindow, StopWithoutStartStillPostsItsLinesAndLeavesIdleModeOff) {
  Program p;
  auto& main = p.mainWindow();
  main.raise(ui::Event::kClick, "Label4");
  EXPECT_EQ(Texts(p), (std::vector<std::string>{kSignature, kIdleOff}));
  EXPECT_FALSE(main.Timer1.enabled());
}

TEST(MainWindow, ASecondStartInsideTheFirstsPauseRunsWholeInsideIt) {
  Program p;
  auto& main = p.mainWindow();
  const double t0 = p.platform.now();
  p.platform.clickAt(t0, main, "Label3");
  p.platform.clickAt(t0 + 0.5, main, "Label3");
  p.platform.setHorizon(t0 + 10);
  p.runtime.run();
  EXPECT_EQ(Texts(p),
            (std::vector<std::string>{kSignature, kSignature, kIdleOn, Reason("idle reason"),
                                      kIdleOn, Reason("idle reason")}));
  EXPECT_TRUE(main.Timer1.enabled());
}

TEST(MainWindow, AStopDuringAStartsPauseLosesToTheStartThatFinishesLast) {
  Program p;
  auto& main = p.mainWindow();
  const double t0 = p.platform.now();
  p.platform.clickAt(t0, main, "Label3");
  p.platform.clickAt(t0 + 0.5, main, "Label4");
  p.platform.setHorizon(t0 + 10);
  p.runtime.run();
  EXPECT_EQ(Texts(p), (std::vector<std::string>{kSignature, kSignature, kIdleOff, kIdleOn,
                                                Reason("idle reason")}));
  EXPECT_TRUE(main.Timer1.enabled()) << "the start finished last";
}

TEST(MainWindow, ClosedByTheSystemItSaysGoodbyeAndEndsTheProgram) {
  Program p;
  auto& main = p.mainWindow();
  main.raise(ui::Event::kClose, "");
  EXPECT_EQ(Texts(p).front(), kBanner);
  EXPECT_FALSE(p.set.form2().loaded()) << "no hidden splash keeps the program running";
  EXPECT_TRUE(p.runtime.ended());
}

TEST(MainWindow, ACloseSentWhileAStartSendsItsLastLineEndsWithoutBringingTheWindowBack) {
  // A close sent to the main window is served while zoble itself waits on a
  // send: here the room's entry passes one on as it takes the reason's Enter.
  Program p;
  auto& main = p.mainWindow();
  int enters = 0;
  p.desktop.onReceive(p.room.entry, [&](const Call& c) {
    if (c.message == quil32::msg::kChar && ++enters == 3)
      main.raise(ui::Event::kClose, "");
  });
  p.platform.clickAt(p.platform.now(), main, "Label3");
  p.platform.setHorizon(p.platform.now() + 100);
  p.runtime.run();

  // The start, the goodbye inside its last send, and nothing after: the
  // start's remaining step (the timer) belonged to a window that is gone.
  EXPECT_EQ(Texts(p), (std::vector<std::string>{kSignature, kIdleOn, Reason("idle reason"), kBanner,
                                                kBannerLink}));
  const auto& created = p.platform.windowsCreated();
  EXPECT_EQ(std::count(created.begin(), created.end(), "Form1"), 1);
  EXPECT_TRUE(p.runtime.ended());
}

TEST(OptionsMenu, DismissedOrChosenItLoadsItsHolderOnceAndKeepsNoState) {
  Program p;
  auto& main = p.mainWindow();
  EXPECT_FALSE(p.set.form3().loaded()) << "loaded by the first popup, not before";
  for (int i = 0; i < 3; ++i)
    main.raise(ui::Event::kClick, "Label7");  // dismissed
  EXPECT_TRUE(Texts(p).empty());

  p.platform.chooseFromNextMenu("about");
  main.raise(ui::Event::kClick, "Label7");
  p.platform.chooseFromNextMenu("contact");
  main.raise(ui::Event::kClick, "Label7");
  ASSERT_EQ(p.platform.messageBoxes().size(), 2u);
  EXPECT_EQ(p.platform.messageBoxes()[0].title, "zoble");
  EXPECT_EQ(p.platform.messageBoxes()[0].text.size(), 313u);
  EXPECT_EQ(p.platform.messageBoxes()[0].text.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(p.platform.messageBoxes()[1].title, "zoble");
  EXPECT_EQ(p.platform.messageBoxes()[1].text.rfind("vud = e-mail: ", 0), 0u);

  // "ims off" twice: the special message goes out twice (the client opens no
  // window here, so each gives up after its wait).
  p.desktop.clearJournal();
  for (int i = 0; i < 2; ++i) {
    p.platform.chooseFromNextMenu("off");
    main.raise(ui::Event::kClick, "Label7");
  }
  int keywords = 0;
  for (const Call& c : p.desktop.journalOf(p.client.keywordBox)) {
    keywords += c.message == kSetText && c.text == "aol://9293:$IM_OFF";
  }
  EXPECT_EQ(keywords, 2);

  const auto& created = p.platform.windowsCreated();
  EXPECT_EQ(std::count(created.begin(), created.end(), "Form3"), 1);
  EXPECT_FALSE(p.set.form3().visible());
}

TEST(OptionsMenu, ExitWhileIdleEndsEverythingTimerIncluded) {
  Program p;
  auto& main = p.mainWindow();
  const double t0 = p.platform.now();
  p.platform.clickAt(t0, main, "Label3");
  p.platform.chooseFromNextMenu("exit", 0.5);
  p.platform.clickAt(t0 + 10, main, "Label7");
  p.platform.setHorizon(t0 + 300);
  p.runtime.run();

  const auto texts = Texts(p);
  ASSERT_EQ(texts.size(), 5u) << "no reminder after the exit";
  EXPECT_EQ(texts[3], kBanner);
  EXPECT_EQ(p.platform.windowsDestroyed(), (std::vector<std::string>{"Form1", "Form2", "Form3"}));
  EXPECT_LT(p.platform.now(), t0 + 13);
}

}  // namespace
