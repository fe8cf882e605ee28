// What a check found and what the report says of it, after Wine's
// conformance tests: one line a check, a summary, and as many failures as
// the exit code says. Nothing here needs Windows, so that the native unit
// tests hold these rules.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace check {

enum class Outcome { kPass, kInfo, kSkip, kTodo, kFail };

inline constexpr std::string_view kOutcomeWords[] = {"pass", "info", "skip", "todo", "FAIL"};

inline std::string_view Word(Outcome o) {
  return kOutcomeWords[int(o)];
}

// What one check finds, expectation by expectation. A failed expectation
// fails the check whatever comes after it: a skip after a failure stays a
// failure.
class Findings {
 public:
  // Returns `held`; a false one fails the check and says what was expected.
  bool expect(bool held, std::string_view what) {
    if (!held) {
      failed_ = true;
      add(what);
    }
    return held;
  }
  // What this system does, worth a line in the report but not a verdict.
  void note(std::string_view what) { add(what); }
  // The check only reports: its line says info, unless something failed.
  void info(std::string_view what) {
    informs_ = true;
    add(what);
  }
  void skip(std::string_view why) {
    skipped_ = true;
    add(why);
  }

  Outcome outcome() const {
    return failed_    ? Outcome::kFail
           : skipped_ ? Outcome::kSkip
           : informs_ ? Outcome::kInfo
                      : Outcome::kPass;
  }
  const std::string& detail() const { return detail_; }

 private:
  void add(std::string_view what) {
    if (what.empty())
      return;
    if (!detail_.empty())
      detail_ += "; ";
    for (const char c : what)
      detail_ += c == '\n' || c == '\r' ? ' ' : c;  // one line a check
  }

  bool failed_ = false, skipped_ = false, informs_ = false;
  std::string detail_;
};

// A check's own process prints one line: its outcome's word, a space and its
// detail. Anything else (nothing at all, say, from a check that crashed)
// reads as a failure.
inline std::string Printed(const Findings& f) {
  return std::string(Word(f.outcome())) + " " + f.detail();
}

struct Result {
  Outcome outcome;
  std::string detail;
};

inline Result ReadPrinted(std::string_view printed) {
  while (!printed.empty() && (printed.back() == '\n' || printed.back() == '\r'))
    printed.remove_suffix(1);
  for (const Outcome o : {Outcome::kPass, Outcome::kInfo, Outcome::kSkip, Outcome::kFail}) {
    const std::string_view word = Word(o);
    if (printed.substr(0, word.size()) == word &&
        (printed.size() == word.size() || printed[word.size()] == ' '))
      return {o, std::string(printed.substr(std::min(printed.size(), word.size() + 1)))};
  }
  return {Outcome::kFail,
          printed.empty() ? "no verdict" : "no verdict: " + std::string(printed.substr(0, 200))};
}

// The verdict in the report. Where a known difference of this system is
// expected (Wine's, when the check runs under Wine), a failure is a todo
// with its reason, and a check that passes there fails: the difference is
// gone and the todo must go too. A skip stays a skip.
inline Result Judge(Result found, std::string_view todo) {
  if (todo.empty())
    return found;
  const std::string why(todo);
  switch (found.outcome) {
    case Outcome::kFail:
      return {Outcome::kTodo, found.detail.empty() ? why : why + ": " + found.detail};
    case Outcome::kPass:
    case Outcome::kInfo:
      return {Outcome::kFail, "passes where a todo was expected (" + why + ")" +
                                  (found.detail.empty() ? "" : ": " + found.detail)};
    default:
      return found;
  }
}

inline std::string ReportLine(std::string_view name, const Result& r) {
  std::string line = std::string(name) + ": " + std::string(Word(r.outcome));
  if (!r.detail.empty())
    line += " (" + r.detail + ")";
  return line;
}

// The counts of the summary line; the exit code is the failures.
class Tally {
 public:
  void add(Outcome o) {
    ++counts_[int(o)];
    ++checks_;
  }
  int failures() const { return counts_[int(Outcome::kFail)]; }
  std::string summary() const {
    std::string line = "summary: " + std::to_string(checks_) + " checks";
    for (const Outcome o :
         {Outcome::kPass, Outcome::kFail, Outcome::kSkip, Outcome::kTodo, Outcome::kInfo})
      line += ", " + std::to_string(counts_[int(o)]) + " " + std::string(Word(o));
    return line;
  }

 private:
  int counts_[5] = {};
  int checks_ = 0;
};

}  // namespace check
