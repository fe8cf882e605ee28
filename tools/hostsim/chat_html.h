// The little HTML that chat lines carry, turned into styled runs of text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hostsim {

struct TextStyle {
  std::string face = "Arial";
  unsigned long color = 0;  // a COLORREF: 0x00BBGGRR
  bool bold = false;
  bool italic = false;
  bool underline = false;

  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

struct TextRun {
  std::string text;  // ANSI bytes, entities already decoded
  TextStyle style;
};

// Understands <font face=.. color=#RRGGBB>, </font>, <b>, <i>, <u>, their
// ends, and anchors (also written "< a href=..>") as underlined link text.
// Other tags are dropped; &lt; &gt; &amp; &quot; are decoded. A '<' that is
// never closed is plain text.
std::vector<TextRun> ParseChatHtml(std::string_view line);

}  // namespace hostsim
