// zoble-check's verdicts, as Wine's conformance tests give theirs: what a
// check's findings come to, what a known difference of the system makes of
// them, and the counts that become the exit code.
#include <gtest/gtest.h>

#include <functional>

#include "check/verdict.h"

namespace {

using check::Findings;
using check::Outcome;

TEST(Verdict, WhatACheckFindsComesToOneOutcome) {
  struct Case {
    const char* story;
    std::function<void(Findings&)> steps;
    Outcome outcome;
    const char* detail;
  };
  const Case cases[] = {
      {"nothing but held expectations", [](Findings& f) { f.expect(true, "x"); }, Outcome::kPass,
       ""},
      {"a note", [](Findings& f) { f.note("1460 after 300 ms"); }, Outcome::kPass,
       "1460 after 300 ms"},
      {"information", [](Findings& f) { f.info("QS_RAWINPUT taken"); }, Outcome::kInfo,
       "QS_RAWINPUT taken"},
      {"a skip after a failure",
       [](Findings& f) {
         f.expect(false, "error 0");
         f.skip("no Low integrity");
       },
       Outcome::kFail, "error 0; no Low integrity"},
      {"a failure after a skip",
       [](Findings& f) {
         f.skip("no Low integrity");
         f.expect(false, "error 0");
       },
       Outcome::kFail, "no Low integrity; error 0"},
      {"a skip after a pass",
       [](Findings& f) {
         f.expect(true, "x");
         f.skip("not UTF-8");
       },
       Outcome::kSkip, "not UTF-8"},
      {"information that failed",
       [](Findings& f) {
         f.info("menu went on");
         f.expect(false, "box taken");
       },
       Outcome::kFail, "menu went on; box taken"},
      {"a detail of two lines", [](Findings& f) { f.note("a\r\nb"); }, Outcome::kPass, "a  b"},
  };
  for (const Case& c : cases) {
    Findings f;
    c.steps(f);
    EXPECT_EQ(f.outcome(), c.outcome) << c.story;
    EXPECT_EQ(f.detail(), c.detail) << c.story;
    // What the check's process prints reads back the same.
    const check::Result read = check::ReadPrinted(check::Printed(f) + "\r\n");
    EXPECT_EQ(read.outcome, c.outcome) << c.story;
    EXPECT_EQ(read.detail, c.detail) << c.story;
  }
}

TEST(Verdict, APrintedLineThatIsNoVerdictFails) {
  for (const char* printed : {"", "passes", "todo known", "PASS", "crash\n"})
    EXPECT_EQ(check::ReadPrinted(printed).outcome, Outcome::kFail) << printed;
}

TEST(Verdict, AKnownDifferenceMakesAFailureATodoAndAPassAFailure) {
  struct Case {
    Outcome found;
    const char* todo;
    Outcome reported;
    const char* detail;
  };
  const Case cases[] = {
      {Outcome::kFail, "Wine differs", Outcome::kTodo, "Wine differs: seen"},
      {Outcome::kPass, "Wine differs", Outcome::kFail,
       "passes where a todo was expected (Wine differs): seen"},
      {Outcome::kInfo, "Wine differs", Outcome::kFail,
       "passes where a todo was expected (Wine differs): seen"},
      {Outcome::kSkip, "Wine differs", Outcome::kSkip, "seen"},
      {Outcome::kFail, "", Outcome::kFail, "seen"},
      {Outcome::kPass, "", Outcome::kPass, "seen"},
  };
  for (const Case& c : cases) {
    const check::Result r = check::Judge({c.found, "seen"}, c.todo);
    EXPECT_EQ(r.outcome, c.reported) << check::Word(c.found) << " with todo '" << c.todo << "'";
    EXPECT_EQ(r.detail, c.detail);
  }
}

TEST(Verdict, TheReportLineAndTheSummary) {
  EXPECT_EQ(check::ReportLine("clock", {Outcome::kPass, ""}), "clock: pass");
  EXPECT_EQ(check::ReportLine("box_on_top", {Outcome::kTodo, "Wine: not on top"}),
            "box_on_top: todo (Wine: not on top)");
  check::Tally tally;
  for (const Outcome o : {Outcome::kPass, Outcome::kFail, Outcome::kTodo, Outcome::kFail,
                          Outcome::kSkip, Outcome::kInfo, Outcome::kPass})
    tally.add(o);
  EXPECT_EQ(tally.summary(), "summary: 7 checks, 2 pass, 2 FAIL, 1 skip, 1 todo, 1 info");
  EXPECT_EQ(tally.failures(), 2) << "the exit code: todos are no failures";
}

}  // namespace
