// The announcement lines as tests/lines.txt holds them, the bytes the room
// receives in code page 1252, turned into the program's UTF-8.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fake {

// Code page 1252 maps ASCII and the bytes from 0xA0 up to the code points of
// the same number; the lines hold no byte from 0x80 to 0x9F, which it maps
// elsewhere.
inline std::string FromCp1252(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const unsigned byte = std::stoul(hex.substr(i, 2), nullptr, 16);
    out += byte < 0x80 ? std::string(1, char(byte))
                       : std::string{char(0xC0 | (byte >> 6)), char(0x80 | (byte & 0x3F))};
  }
  return out;
}

// Each line's runs of text by its name; ReasonLine has two, the reason between.
inline const std::map<std::string, std::vector<std::string>>& GoldenLines() {
  static const auto lines = [] {
    std::map<std::string, std::vector<std::string>> lines;
    std::ifstream file(ZOBLE_LINES_FILE);
    for (std::string row; std::getline(file, row);) {
      std::istringstream fields(row);
      std::string name, run;
      if (row.starts_with('#') || !(fields >> name))
        continue;
      while (fields >> run)
        lines[name].push_back(FromCp1252(run));
    }
    if (lines.size() != 8) {
      std::fprintf(stderr, "%s: not the eight lines\n", ZOBLE_LINES_FILE);
      std::abort();
    }
    return lines;
  }();
  return lines;
}

// What a text is: "SignatureLine", "ReasonLine(brb)", or the text quoted.
inline std::string NameLine(const std::string& text) {
  for (const auto& [name, runs] : GoldenLines()) {
    const std::string& head = runs[0];
    const std::string& tail = runs.size() > 1 ? runs[1] : "";
    if (runs.size() == 1 && text == head)
      return name;
    if (runs.size() == 2 && text.size() >= head.size() + tail.size() && text.starts_with(head) &&
        text.ends_with(tail))
      return name + "(" + text.substr(head.size(), text.size() - head.size() - tail.size()) + ")";
  }
  return '"' + text + '"';
}

}  // namespace fake
