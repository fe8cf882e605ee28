#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

using fake::Call;
using fake::Follows;
using fake::Sequence;
using quil32::Hwnd;

using fake::Program;
const Sequence kKeyword = fake::KeywordTyped("$IM_OFF");
using fake::MessageSent;

std::vector<fake::Call> ImOff(Program& p) {
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  return p.lines();
}

TEST(InstantMessage, AnswersWhatTheClientAnswers) {
  const Sequence sent = MessageSent("icon9"),
                 keys = {"button post keydown 32", "button post keyup 32"};
  const std::pair<const char*, Sequence> cases[] = {
      {"gone", sent},
      {"dialog button", sent + keys + Sequence{"im1 post close"}},
      // A dialog without a button: no keys go anywhere, the window still closes.
      {"dialog", sent + Sequence{"im1 post close"}},
      // The dialog is looked for first: with the window gone it still gets its keys.
      {"gone dialog button", sent + keys},
      // The close goes to the window found with the dialog.
      {"gone new dialog button", sent + keys + Sequence{"im2 post close"}},
      // No click sends a message that did not arrive.
      {"unread", {"im1.entry settext \"=)\" failed"}},
  };
  for (const auto& [answer, then] : cases) {
    SCOPED_TRACE(answer);
    Program client;
    client.answerInstantMessages(9, answer);
    EXPECT_TRUE(Follows(ImOff(client), kKeyword + then));
    EXPECT_LT(client.platform.now(), 2) << "returns once answered";
  }
}

TEST(InstantMessage, ClicksTheNinthIconWalkingOnFromTheFirstAfterTheLast) {
  // A step after one that found nothing starts again from the first icon.
  const std::pair<int, const char*> cases[] = {
      {2, ""}, {3, "icon1"}, {8, ""}, {9, "icon9"}, {10, "icon9"}};
  for (const auto& [icons, clicked] : cases) {
    SCOPED_TRACE(icons);
    Program client;
    client.answerInstantMessages(icons, "");
    // No send icon: nothing typed, nothing clicked.
    EXPECT_TRUE(Follows(ImOff(client), kKeyword + (*clicked ? MessageSent(clicked) : Sequence{})));
  }
}

TEST(InstantMessage, ActsOnAWindowOnceItHasLookedTheSameForAFifthOfASecond) {
  // The window opens at 0.3, whole; or the client adds its icons one by one,
  // 0.05 s apart, the ninth at 0.7; or it adds the entry last, at 0.8, long
  // after the icons, or at 0.35, before the wait looks again; or, as the
  // whole window settles, an icon comes in front at 0.45, which makes
  // another the ninth: the wait sees it only at its next look, and counts
  // from when it came.
  Program whole, building, entryLast, entrySoon, iconInFront;
  whole.answerInstantMessages(9, "dialog button");
  building.answerInstantMessages(1, "dialog button");
  entryLast.answerInstantMessages(9, "no entry");
  entrySoon.answerInstantMessages(9, "no entry");
  iconInFront.answerInstantMessages(9, "");
  const auto later = [](Program& p, double at, const char* cls, std::string name,
                        bool front = false) {
    p.platform.elsewhereAt(at, [&p, cls, name, front] {
      const Hwnd added = p.desktop.add(p.im.window, cls, "", name);
      if (front)
        p.desktop.bringToFront(added);
    });
  };
  for (int i = 2; i <= 9; ++i)
    later(building, 0.25 + 0.05 * i, "_AOL_Icon", "im1.icon" + std::to_string(i));
  later(entryLast, 0.8, "RICHCNTL", "im1.entry");
  later(entrySoon, 0.35, "RICHCNTL", "im1.entry");
  later(iconInFront, 0.45, "_AOL_Icon", "im1.icon0", true);
  // The dialog comes 0.2 s after the click.
  EXPECT_TRUE(Follows(ImOff(whole),
                      kKeyword + Sequence{"@0.5 im1.entry settext \"=)\"", "im1.icon9 lbuttondown",
                                          "im1.icon9 lbuttonup", "@0.9 button post keydown 32",
                                          "button post keyup 32", "im1 post close"}));
  for (const auto& [p, at] :
       {std::pair{&building, "@0.9 "}, {&entryLast, "@1 "}, {&entrySoon, "@0.55 "}})
    EXPECT_TRUE(
        Follows(ImOff(*p), kKeyword + Sequence{at + std::string("im1.entry settext \"=)\""),
                                               "im1.icon9 lbuttondown", "im1.icon9 lbuttonup"}));
  EXPECT_TRUE(Follows(ImOff(iconInFront),
                      kKeyword + Sequence{"@0.65 im1.entry settext \"=)\"", "im1.icon8 lbuttondown",
                                          "im1.icon8 lbuttonup"}));
}

TEST(InstantMessage, WhatTheUserDoesMeanwhileRunsAtOnce) {
  // "ims off" is chosen at 1. A click on adv while no window has come, while
  // one settles, or while no answer comes has its first line sent then, not
  // at the wait's next look at the client.
  const std::pair<const char*, double> cases[] = {
      {"", 1.17}, {"", 9.91}, {"window", 1.37}, {"window", 1.52}, {"window", 4.43}};
  for (const auto& [client, at] : cases) {
    SCOPED_TRACE(at);
    Program p;
    if (*client)
      p.answerInstantMessages(9, "");
    p.play("1 Label7:off; " + std::to_string(at) + " Label6");
    p.runUntil(40);
    const auto lines = p.calls([](const Call& c) { return c.said() == "SignatureLine"; });
    ASSERT_FALSE(lines.empty());
    EXPECT_NEAR(lines.front().at, at, 1e-9);
  }
}

TEST(InstantMessage, GivesEachWaitUpAfterFifteenSeconds) {
  Program none, silent;
  silent.answerInstantMessages(9, "");
  EXPECT_TRUE(Follows(ImOff(none), kKeyword)) << "no window opens at all";
  EXPECT_DOUBLE_EQ(none.platform.now(), 15);
  const auto calls = ImOff(silent);
  EXPECT_TRUE(Follows(calls, kKeyword + MessageSent("icon9")));
  EXPECT_DOUBLE_EQ(silent.platform.now(), calls.back().at + 15) << "15 s after the click";
}

TEST(InstantMessage, ASecondRequestInsideTheFirstsWaitRunsWholeAndFinishesFirst) {
  Program client;
  client.answerInstantMessages(9, "gone");
  std::string finished;
  client.clicked = [&] {
    client.clicked = {};
    client.platform.at(client.platform.now(), [&] {
      quil32::SetInstantMessagesOn(client.desktop, client.runtime);
      finished += "on ";
    });
  };
  EXPECT_TRUE(Follows(ImOff(client), kKeyword + MessageSent("icon9") +
                                         fake::KeywordTyped("$IM_ON") +
                                         MessageSent("icon9", "im2")));
  finished += "off";
  EXPECT_EQ(finished, "on off");
}

}  // namespace
