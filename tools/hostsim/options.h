// hostsim's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hostsim {

enum class ImOutcome { kClose, kDialog, kStay };

struct Options {
  std::string logPath;  // empty: no records; "-": standard output
  std::vector<std::string> rooms{"Lobby"};
  bool decoy = false;
  bool singleRichcntl = false;
  bool strayRichcntl = false;
  bool noClient = false;
  unsigned hangMs = 0;
  std::vector<unsigned> hangAfterLines;  // none: the hang starts right after READY
  bool hangUntilCue = false;             // a line on standard input ends a hang
  unsigned imDelayMs = 300;
  unsigned flickerFocus = 0;  // focus moves before an instant-message window opens
  unsigned imIcons = 10;
  ImOutcome imOutcome = ImOutcome::kClose;
  int x = 300;
  int y = 0;
};

// Parses argv[1..]; on a bad command line returns nothing and says why in `error`.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error);

}  // namespace hostsim
