#include "chat_html.h"

#include <cctype>
#include <optional>

namespace hostsim {

namespace {

constexpr unsigned long kLinkColor = 0x00CC0000;  // blue, as COLORREF

char Lower(char c) {
  return char(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i]))
      return false;
  }
  return true;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void SkipSpaces(std::string_view& s) {
  while (!s.empty() && IsSpace(s.front()))
    s.remove_prefix(1);
}

// A tag's inside, "font face=arial color=#FF0000", split into its name and
// attribute pairs. Values may be quoted with either quote.
struct Tag {
  bool closing = false;
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
};

Tag ParseTag(std::string_view s) {
  Tag tag;
  SkipSpaces(s);
  if (!s.empty() && s.front() == '/') {
    tag.closing = true;
    s.remove_prefix(1);
    SkipSpaces(s);
  }
  while (!s.empty() && !IsSpace(s.front()) && s.front() != '/') {
    tag.name += Lower(s.front());
    s.remove_prefix(1);
  }
  for (;;) {
    SkipSpaces(s);
    if (s.empty())
      break;
    std::string key;
    while (!s.empty() && !IsSpace(s.front()) && s.front() != '=') {
      key += Lower(s.front());
      s.remove_prefix(1);
    }
    SkipSpaces(s);
    std::string value;
    if (!s.empty() && s.front() == '=') {
      s.remove_prefix(1);
      SkipSpaces(s);
      if (!s.empty() && (s.front() == '"' || s.front() == '\'')) {
        const char quote = s.front();
        s.remove_prefix(1);
        const size_t end = s.find(quote);
        value = std::string(s.substr(0, end));
        s.remove_prefix(end == std::string_view::npos ? s.size() : end + 1);
      } else {
        while (!s.empty() && !IsSpace(s.front())) {
          value += s.front();
          s.remove_prefix(1);
        }
      }
    }
    if (key.empty()) {
      s.remove_prefix(1);  // a stray '/' or '='
      continue;
    }
    tag.attributes.emplace_back(std::move(key), std::move(value));
  }
  return tag;
}

std::optional<unsigned long> ParseColor(std::string_view v) {
  if (!v.empty() && v.front() == '#')
    v.remove_prefix(1);
  if (v.size() != 6)
    return std::nullopt;
  unsigned long rgb = 0;
  for (const char c : v) {
    const char l = Lower(c);
    int digit;
    if (l >= '0' && l <= '9') {
      digit = l - '0';
    } else if (l >= 'a' && l <= 'f') {
      digit = l - 'a' + 10;
    } else {
      return std::nullopt;
    }
    rgb = rgb << 4 | unsigned(digit);
  }
  // #RRGGBB to COLORREF's 0x00BBGGRR.
  return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

class Builder {
 public:
  void text(char c) {
    if (runs_.empty() || !(runs_.back().style == style_))
      runs_.push_back({{}, style_});
    runs_.back().text += c;
  }

  void tag(const Tag& t) {
    if (t.name == "b") {
      style_.bold = !t.closing;
    } else if (t.name == "i") {
      style_.italic = !t.closing;
    } else if (t.name == "u") {
      style_.underline = !t.closing;
    } else if (t.name == "font") {
      if (t.closing) {
        pop(fonts_);
        return;
      }
      fonts_.push_back(style_);
      for (const auto& [key, value] : t.attributes) {
        if (key == "face" && !value.empty())
          style_.face = value;
        if (key == "color")
          style_.color = ParseColor(value).value_or(style_.color);
      }
    } else if (t.name == "a") {
      if (t.closing) {
        pop(links_);
        return;
      }
      links_.push_back(style_);
      style_.underline = true;
      style_.color = kLinkColor;
    }
  }

  std::vector<TextRun> take() { return std::move(runs_); }

 private:
  // Chat HTML is often unbalanced: an end tag without its start changes nothing.
  void pop(std::vector<TextStyle>& saved) {
    if (saved.empty())
      return;
    style_ = saved.back();
    saved.pop_back();
  }

  TextStyle style_;
  std::vector<TextStyle> fonts_;
  std::vector<TextStyle> links_;
  std::vector<TextRun> runs_;
};

}  // namespace

std::vector<TextRun> ParseChatHtml(std::string_view line) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};
  Builder out;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == '<') {
      const size_t close = line.find('>', i + 1);
      if (close != std::string_view::npos) {
        out.tag(ParseTag(line.substr(i + 1, close - i - 1)));
        i = close + 1;
        continue;
      }
    } else if (c == '&') {
      bool decoded = false;
      for (const auto& [entity, ch] : kEntities) {
        if (EqualsNoCase(line.substr(i, entity.size()), entity)) {
          out.text(ch);
          i += entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded)
        continue;
    }
    out.text(c);
    ++i;
  }
  return out.take();
}

}  // namespace hostsim
