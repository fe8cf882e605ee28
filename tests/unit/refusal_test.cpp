// What the user is told, and what goes on, when the client takes nothing
// from zoble, and when the program fails.
#include <gtest/gtest.h>

#include "support/program.h"

namespace {

using fake::Call;
using fake::Follows;
using fake::Program;

bool Refused(const Call& c) {
  return c.what.ends_with(" refused");
}

TEST(Refusal, IsToldOnceAfterItsHandlerUntilASendGoesThroughAgain) {
  Program p;
  p.play("0.75 Label3");
  const auto answer = [&](double at, fake::Delivery d) {
    p.platform.at(at, [&p, d] { p.desktop.setAnswer(p.room.entry, d); });
  };
  answer(0, fake::Delivery::kRefused);
  answer(100, fake::Delivery::kDelivered);
  answer(150, fake::Delivery::kRefused);
  // An advert clicked inside the start's first pause ends inside it; the
  // drag's send to the panel itself is no send to the client.
  p.click(1.25, p.main, "Label6");
  p.click(50, p.main, "Label5");
  p.runUntil(190);
  // One box as the start's handler returns, after its last refused line (the
  // advert's among them); none while refusals go on; one after the first
  // refused reminder once a line had gone through again.
  EXPECT_TRUE(Follows(p.calls([](const Call& c) { return c.who == "-" || !Refused(c); }),
                      {"Label6 returned", "@4.75 box zoble", "Label3 returned", "releasecapture",
                       "Form1 syscommand 61458", "Label5 returned", "SignatureLine", "IdleOnLine",
                       "ReasonLine(idle reason)", "@186.75 box zoble"}));
  // The box tells the user how to start zoble so that the client takes its lines.
  for (const std::string& told : p.platform.boxes)
    EXPECT_NE(told.find("right-click zoble.exe and choose \"Run as administrator\""),
              std::string::npos)
        << told;
  // Idle mode and its reminders go on as if the lines had gone through.
  EXPECT_EQ(p.calls(Refused).size(), 12u);
  EXPECT_TRUE(p.main.Timer1.enabled());
}

TEST(Refusal, IsNotToldOnceTheProgramHasEnded) {
  Program p;
  p.start();
  p.desktop.setAnswer(p.room.entry, fake::Delivery::kRefused);
  p.click(1, p.main, "Label2");
  p.runUntil(100);
  EXPECT_TRUE(p.runtime.ended());
  EXPECT_TRUE(Follows(p.calls([](const Call& c) { return c.what.starts_with("box"); }), {}));
}

TEST(FatalError, NothingRunsUnderItsReport) {
  // Idle mode on, then an error inside the advert's last line; the
  // reminders would come due while the report is open.
  EXPECT_DEATH(
      {
        Program p;
        p.play("0.75 Label3; 70 Label6");
        p.desktop.onReceive(p.room.entry, [&](const std::string& what) {
          if (what.find("LinkLine") != std::string::npos)
            throw std::runtime_error("out of memory");
        });
        p.runUntil(300);
      },
      "fatal: out of memory; 0 calls under the report");
}

}  // namespace
