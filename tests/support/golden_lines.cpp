#include "support/golden_lines.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace fake {

namespace {

[[noreturn]] void Unreadable(const std::string& why) {
  std::fprintf(stderr, "%s: %s\n", ZOBLE_LINES_FILE, why.c_str());
  std::abort();
}

// Code page 1252 bytes to UTF-8. The lines hold ASCII and bytes of 0xA0 and
// up, which that code page maps to the code point of the same number; its
// 0x80..0x9F go elsewhere, and a line holding one would need a table.
std::string FromCp1252(const std::string& hex) {
  std::string out;
  if (hex.size() % 2)
    Unreadable("a run of hex with an odd number of digits");
  for (size_t i = 0; i < hex.size(); i += 2) {
    size_t digits = 0;
    const unsigned byte = std::stoul(hex.substr(i, 2), &digits, 16);
    if (digits != 2)
      Unreadable("not hex: " + hex.substr(i, 2));
    if (byte >= 0x80 && byte < 0xA0)
      Unreadable("byte 0x" + hex.substr(i, 2) + " is not its own code point in code page 1252");
    if (byte < 0x80) {
      out += char(byte);
    } else {
      out += char(0xC0 | (byte >> 6));
      out += char(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

const std::map<std::string, std::vector<std::string>>& Lines() {
  static const auto lines = [] {
    std::map<std::string, std::vector<std::string>> lines;
    std::ifstream file(ZOBLE_LINES_FILE);
    for (std::string row; std::getline(file, row);) {
      std::istringstream fields(row);
      std::string name;
      if (!(fields >> name) || name[0] == '#')
        continue;
      for (std::string run; fields >> run;)
        lines[name].push_back(FromCp1252(run));
    }
    if (lines.size() != 8 || lines["ReasonLine"].size() != 2)
      Unreadable("not the eight lines, with the reason's two runs");
    return lines;
  }();
  return lines;
}

}  // namespace

std::string Golden(std::string_view name, std::string_view reason) {
  const auto it = Lines().find(std::string(name));
  if (it == Lines().end())
    Unreadable("no line " + std::string(name));
  return it->second.size() == 2 ? it->second[0] + std::string(reason) + it->second[1]
                                : it->second[0];
}

std::string NameLine(const std::string& text) {
  for (const auto& [name, runs] : Lines()) {
    if (runs.size() == 1 && text == runs[0])
      return name;
    if (runs.size() == 2 && text.size() >= runs[0].size() + runs[1].size() &&
        text.starts_with(runs[0]) && text.ends_with(runs[1]))
      return name + "(" + text.substr(runs[0].size(), text.size() - runs[0].size() - runs[1].size()) + ")";
  }
  return '"' + text + '"';
}

}  // namespace fake
