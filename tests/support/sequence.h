// Calls compared with an expected sequence, in order, as Wine's message
// tests compare messages: the first call that differs is reported, marked
// among all the calls made.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "support/fake_desktop.h"

namespace fake {

// Expected calls as Call::said() words them. "@T " before one makes its time
// part of the rule; elsewhere the time is not looked at.
struct Sequence : std::vector<std::string> {
  using vector::vector;
};

inline Sequence operator+(Sequence a, const Sequence& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline testing::AssertionResult Follows(const std::vector<Call>& calls, const Sequence& expected) {
  const auto failure = [&](size_t at, const std::string& why) {
    auto result = testing::AssertionFailure() << "call " << at + 1 << ": " << why << ":";
    for (size_t i = 0; i < calls.size(); ++i)
      result << "\n  " << (i == at ? "> " : "  ") << calls[i].at << " " << calls[i].said();
    return result;
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    std::string want = expected[i];
    std::optional<double> at;
    if (want.starts_with('@')) {
      const size_t blank = want.find(' ');
      at = std::stod(want.substr(1, blank - 1));
      want.erase(0, blank + 1);
    }
    if (i == calls.size() || calls[i].said() != want || (at && std::abs(calls[i].at - *at) > 1e-6))
      return failure(i, "expected " + expected[i]);
  }
  if (calls.size() > expected.size())
    return failure(expected.size(), "more calls than expected");
  return testing::AssertionSuccess();
}

}  // namespace fake
