// What the user is told, and what goes on, when the client takes nothing
// from zoble, and when the program fails.
#include <gtest/gtest.h>

#include "support/program.h"

namespace {

using fake::Lines;
using fake::Program;

TEST(Refusal, IsToldOnceAfterItsHandlerUntilASendGoesThroughAgain) {
  Program p;
  p.play("0.75 Label3");
  const auto answer = [&](double at, fake::Delivery d) {
    p.platform.at(at, [&p, d] { p.desktop.setAnswer(p.room.entry, d); });
  };
  answer(0, fake::Delivery::kRefused);
  answer(100, fake::Delivery::kDelivered);
  answer(150, fake::Delivery::kRefused);
  // An advert clicked inside the start's first pause ends inside it.
  p.click(1.25, p.main, "Label6");
  p.runUntil(190);
  // Idle mode and its reminders go on as if the lines had gone through.
  EXPECT_EQ(p.grep("refused").size(), 12u);
  EXPECT_EQ(p.grep("<-"),
            (Lines{"124.75 lobby.entry <- SignatureLine", "125.75 lobby.entry <- IdleOnLine",
                   "126.75 lobby.entry <- ReasonLine(idle reason)"}));
  // One box after the start's lines (the advert's among them), one after the
  // third reminder's.
  EXPECT_EQ(p.grep("box"), (Lines{"4.75 - box zoble", "186.75 - box zoble"}));
  EXPECT_EQ(p.desktop.journal[6], "4.75 - box zoble");
  EXPECT_EQ(p.desktop.journal[16], "186.75 - box zoble");
  EXPECT_TRUE(p.main.Timer1.enabled());
}

TEST(Refusal, ADragOfThePanelIsNoSendThatWentThrough) {
  Program p;
  p.play("0.75 Label4; 5 Label5; 10 Label4");
  p.desktop.setAnswer(p.room.entry, fake::Delivery::kRefused);
  p.runUntil(20);
  EXPECT_EQ(p.grep("syscommand").size(), 1u);
  EXPECT_EQ(p.grep("box"), Lines{"1.75 - box zoble"});
}

TEST(Refusal, IsNotToldOnceTheProgramHasEnded) {
  Program p;
  p.start();
  p.desktop.setAnswer(p.room.entry, fake::Delivery::kRefused);
  p.click(1, p.main, "Label2");
  p.runUntil(100);
  EXPECT_TRUE(p.runtime.ended());
  EXPECT_EQ(p.grep("box"), Lines{});
}

TEST(FatalError, NothingRunsUnderItsReport) {
  // Idle mode on, then an error inside the advert's last line; the
  // reminders would come due while the report is open.
  EXPECT_DEATH(
      {
        Program p;
        p.play("0.75 Label3; 70 Label6");
        p.desktop.onReceive(p.room.entry, [&](const std::string&) {
          if (p.grep("LinkLine").size() == 1)
            throw std::runtime_error("out of memory");
        });
        p.runUntil(300);
      },
      "fatal: out of memory; 0 calls under the report");
}

}  // namespace
