#include "options.h"

#include <charconv>
#include <string_view>

namespace hostsim {

namespace {

bool ParseUnsigned(std::string_view s, unsigned& out) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

bool ParseInt(std::string_view s, int& out) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

std::vector<std::string> SplitCommas(std::string_view s) {
  std::vector<std::string> parts;
  if (s.empty())
    return parts;
  for (;;) {
    const size_t comma = s.find(',');
    parts.emplace_back(s.substr(0, comma));
    if (comma == std::string_view::npos)
      return parts;
    s.remove_prefix(comma + 1);
  }
}

}  // namespace

std::optional<Options> ParseOptions(int argc, char** argv, std::string& error) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    const bool hasValue = i + 1 < argc;
    // Every option but the switches takes the next argument as its value.
    auto value = [&]() -> std::string_view { return hasValue ? argv[++i] : ""; };
    auto needsValue = [&] {
      if (hasValue)
        return true;
      error = std::string(name) + " needs a value";
      return false;
    };
    if (name == "--decoy") {
      o.decoy = true;
    } else if (name == "--single-richcntl") {
      o.singleRichcntl = true;
    } else if (name == "--stray-richcntl") {
      o.strayRichcntl = true;
    } else if (name == "--no-client") {
      o.noClient = true;
    } else if (name == "--hang-until-cue") {
      o.hangUntilCue = true;
    } else if (name == "--log") {
      if (!needsValue())
        return std::nullopt;
      o.logPath = value();
    } else if (name == "--rooms") {
      if (!needsValue())
        return std::nullopt;
      o.rooms = SplitCommas(value());
    } else if (name == "--hang-after-line") {
      if (!needsValue())
        return std::nullopt;
      for (const std::string& line : SplitCommas(value())) {
        unsigned n = 0;
        if (!ParseUnsigned(line, n) || n == 0) {
          error = "--hang-after-line takes line numbers from 1, separated by commas";
          return std::nullopt;
        }
        o.hangAfterLines.push_back(n);
      }
    } else if (name == "--hang" || name == "--im-delay" || name == "--im-icons" ||
               name == "--flicker-focus") {
      if (!needsValue())
        return std::nullopt;
      unsigned& target = name == "--hang"            ? o.hangMs
                         : name == "--im-delay"      ? o.imDelayMs
                         : name == "--flicker-focus" ? o.flickerFocus
                                                     : o.imIcons;
      if (!ParseUnsigned(value(), target)) {
        error = std::string(name) + " takes a whole number";
        return std::nullopt;
      }
    } else if (name == "--im-outcome") {
      if (!needsValue())
        return std::nullopt;
      const std::string_view v = value();
      if (v == "close") {
        o.imOutcome = ImOutcome::kClose;
      } else if (v == "dialog") {
        o.imOutcome = ImOutcome::kDialog;
      } else if (v == "stay") {
        o.imOutcome = ImOutcome::kStay;
      } else {
        error = "--im-outcome is close, dialog or stay";
        return std::nullopt;
      }
    } else if (name == "--at") {
      if (!needsValue())
        return std::nullopt;
      const std::string_view v = value();
      const size_t comma = v.find(',');
      if (comma == std::string_view::npos || !ParseInt(v.substr(0, comma), o.x) ||
          !ParseInt(v.substr(comma + 1), o.y)) {
        error = "--at takes X,Y";
        return std::nullopt;
      }
    } else {
      error = "unknown option " + std::string(name);
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace hostsim
