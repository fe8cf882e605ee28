// A window's stored design: everything about its look, as data. The runtime
// builds the native window from it when the window is loaded; handlers never
// change it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Positions and sizes in twips (1/1440 inch), from the client area's
// top-left corner.
struct TwipsRect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

inline constexpr int kTwipsPerInch = 1440;

enum class Frame { kNone, kSizable };

// A transparent, left-aligned, borderless text that acts on clicks.
struct LabelDesign {
  std::string name;
  std::string caption;
  TwipsRect rect;
  std::optional<Rgb> foreColor;  // none: the label draws nothing
  friend bool operator==(const LabelDesign&, const LabelDesign&) = default;
};

struct TextBoxDesign {
  std::string name;
  std::string text;
  TwipsRect rect;
  int backSystemColor = 5;  // an index of GetSysColor
  friend bool operator==(const TextBoxDesign&, const TextBoxDesign&) = default;
};

struct TimerDesign {
  std::string name;
  unsigned intervalMs = 0;
  bool enabled = false;
  friend bool operator==(const TimerDesign&, const TimerDesign&) = default;
};

struct MenuDesign {
  std::string name;
  std::string caption;
  std::vector<MenuDesign> items;
  friend bool operator==(const MenuDesign&, const MenuDesign&) = default;
};

struct FormDesign {
  std::string name;
  std::string caption;
  Frame frame = Frame::kSizable;
  bool taskbarButton = false;  // for a borderless window; a framed one is left to the system
  int clientWidth = 0;         // twips
  int clientHeight = 0;
  int picture = 0;                  // bitmap resource drawn unscaled at the top-left; 0 for none
  std::vector<LabelDesign> labels;  // in stacking order: a later label lies above
  std::vector<TextBoxDesign> textBoxes;  // above every label, first in tab order
  std::vector<TimerDesign> timers;
  std::vector<MenuDesign> menus;
};

}  // namespace ui
