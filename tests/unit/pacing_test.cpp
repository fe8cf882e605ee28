#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

TEST(WaitSeconds, EndsOnTheClocksWholeSecondAfterTheRoundedStart) {
  struct Case {
    double clock;
    int seconds;
    double lasts, from = 0;  // started at virtual instant `from`
  };
  const Case cases[] = {
      {100.2, 1, 0.8},
      {100.7, 1, 1.3},  // rounded, not truncated
      {100.5, 1, 0.5},
      {101.5, 1, 1.5},    // a half goes to the even second
      {86399.7, 1, 1.3},  // from 86400, which the clock never reads
      {100, 0, 0},        // a whole second: no wait, and nothing pumped
      {100.7, 0, 0.3},
      {100.3, -1, 0},
      // Elapsed time summed back from the deadline can fall a hair short of
      // the second: a wait that then sleeps again and again with no time
      // passing spins, which the headless platform aborts.
      {36001.005, 1, 0.995, 0.755},
      {37234.817, 1, 1.183, 1234.567},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.clock << ", wait " << c.seconds);
    fake::Program t(c.clock - c.from);
    t.platform.sleepUntilEvent(c.from);
    bool pumped = false;
    t.platform.at(c.from, [&] { pumped = true; });
    quil32::WaitSeconds(t.runtime, c.seconds);
    // The time of day is a float: near midnight it is 1/128 s coarse.
    EXPECT_NEAR(t.platform.now() - c.from, c.lasts, 1.0 / 128);
    EXPECT_EQ(pumped, c.lasts > 0) << "pumps only when it has to wait";
  }
}

TEST(WaitSeconds, NestedWaitsEndInnermostFirstAndCountTowardTheOuter) {
  fake::Program t(100.25);
  std::vector<double> ended;
  // From 100.75 the inner pause lasts to 102, past the outer one's 101.
  t.platform.at(0.5, [&] {
    quil32::WaitSeconds(t.runtime, 1);
    ended.push_back(t.platform.now());
  });
  quil32::WaitSeconds(t.runtime, 1);
  ended.push_back(t.platform.now());
  EXPECT_EQ(ended, (std::vector<double>{1.75, 1.75}));
}

}  // namespace
