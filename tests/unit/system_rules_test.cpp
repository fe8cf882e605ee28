// Rules of Windows that Wine does not show (it is lenient where Windows is
// strict), checked as rules: the documented behaviour is the oracle.
#include <gtest/gtest.h>

#include "win32/system_rules.h"

namespace {

TEST(SystemRules, CodePagesThatTakeNoBestFit) {
  for (const auto& [codePage, takes] :
       {std::pair{1252u, true}, {932u, true}, {65001u, false}, {54936u, false}, {50221u, false}})
    EXPECT_EQ(win32::TakesNoBestFit(codePage), takes) << codePage;
}

TEST(SystemRules, WhatAFailedSendMeans) {
  using win32::SendFailure;
  struct Case {
    std::uint32_t error, tookMs;
    bool windowThere;
    SendFailure means;
  };
  // Windows 2000 leaves the error at 0 when the bound of 30 s runs out; a
  // client that ended during the send refused nothing.
  const Case cases[] = {
      {0, 30000, true, SendFailure::kTimedOut}, {0, 29985, true, SendFailure::kTimedOut},
      {0, 10, true, SendFailure::kGone},        {1460, 30000, true, SendFailure::kTimedOut},
      {5, 0, true, SendFailure::kRefused},      {5, 3, false, SendFailure::kGone},
      {1400, 0, false, SendFailure::kGone}};
  for (const Case& c : cases) {
    EXPECT_EQ(win32::ClassifyFailedSend(c.error, c.tookMs, 30000, c.windowThere), c.means)
        << c.error << " after " << c.tookMs << " ms";
  }
}

}  // namespace
