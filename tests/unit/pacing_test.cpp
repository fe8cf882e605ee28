#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/fake_desktop.h"
#include "support/headless_platform.h"
#include "ui/runtime.h"

namespace {

struct Clocked {
  explicit Clocked(double timeOfDay) : platform(desktop, timeOfDay) {}
  fake::FakeDesktop desktop;
  fake::HeadlessPlatform platform;
  ui::Runtime runtime{platform, "zoble"};
};

TEST(WaitSeconds, EndsOnTheWholeSecondAfterTheRoundedStart) {
  struct Case {
    double clock;
    int seconds;
    double lasts;
  };
  const Case cases[] = {
      {100.2, 1, 0.8},   {100.7, 1, 1.3},  // rounded, not truncated
      {100.5, 1, 0.5},   {101.5, 1, 1.5},  // a half goes to the even neighbour
      {100.25, 0, 0.0},  {100.75, 0, 0.25}, {100.3, -1, 0.0},
      {100.3, 3, 2.7},   {86399.7, 1, 1.3},  // across midnight
      {86399.5, 1, 1.5},                     // starts from 86400, which the clock never reads
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.clock << " wait " << c.seconds);
    Clocked t(c.clock);
    quil32::WaitSeconds(t.runtime, c.seconds);
    // The time of day is single precision: near midnight it is 1/128 s coarse.
    EXPECT_NEAR(t.platform.now(), c.lasts, 1.0 / 128);
  }
}

TEST(WaitSeconds, EndsAtItsDeadlineFromAnyInstant) {
  // Starts off a binary fraction: the elapsed time, summed back from the
  // deadline, can fall a hair short of the second; the wait must still end
  // when its deadline comes rather than sleep again and again until then.
  for (const double from : {0.751, 0.755, 0.1, 0.3, 0.7, 1234.567}) {
    SCOPED_TRACE(from);
    Clocked t(36000.25);
    t.platform.sleepUntilEvent(from);
    quil32::WaitSeconds(t.runtime, 1);
    EXPECT_GT(t.platform.now(), from);
    EXPECT_LE(t.platform.now(), from + 1.5);
  }
}

TEST(WaitSeconds, PumpsOnlyWhenItHasToWait) {
  Clocked early(100.25);
  bool ran = false;
  early.platform.at(0, [&] { ran = true; });
  quil32::WaitSeconds(early.runtime, 0);
  EXPECT_FALSE(ran) << "an elapsed wait returns without pumping";

  Clocked late(100.75);
  std::vector<double> seen;
  for (double t : {0.0, 0.1, 0.2, 0.3})
    late.platform.at(t, [&, t] { seen.push_back(t); });
  quil32::WaitSeconds(late.runtime, 0);
  EXPECT_EQ(seen, (std::vector<double>{0.0, 0.1, 0.2}));
  EXPECT_DOUBLE_EQ(late.platform.now(), 0.25);
}

TEST(WaitSeconds, NestedWaitsEndInnermostFirstAndCountTowardTheOuter) {
  Clocked t(100.25);
  std::vector<std::string> order;
  // A handler inside the outer pause runs a pause of its own (from 100.75,
  // rounded to 101, so it ends at 102); its time
  // counts toward the outer one, which then ends at once.
  t.platform.at(0.5, [&] {
    quil32::WaitSeconds(t.runtime, 1);
    order.push_back("inner at " + std::to_string(t.platform.now()));
  });
  quil32::WaitSeconds(t.runtime, 1);
  order.push_back("outer at " + std::to_string(t.platform.now()));
  EXPECT_EQ(order, (std::vector<std::string>{"inner at 1.750000", "outer at 1.750000"}));
}

TEST(WaitSeconds, EndsWhenTheProgramEndsInsideIt) {
  Clocked t(100.25);
  fake::HeadlessPlatform& p = t.platform;
  t.runtime.formLoaded();
  p.at(0.3, [&] { t.runtime.formUnloaded(); });
  EXPECT_THROW(quil32::WaitSeconds(t.runtime, 1), ui::ProgramEnded);
  EXPECT_DOUBLE_EQ(p.now(), 0.3);
  EXPECT_TRUE(p.quitRequested());
}

}  // namespace
