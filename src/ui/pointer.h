// Where a press and a release of the mouse button land on a form, and when
// they make a click. Labels are not windows: the form finds them itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/design.h"

namespace ui {

// Twips to pixels at `dpi`, rounded to the nearest pixel as MulDiv does
// (halves away from zero).
int TwipsToPixels(int twips, int dpi);

// A control's rectangle in client pixels; right and bottom lie outside it.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
PixelRect ToPixels(const TwipsRect& rect, int dpi);

// The control under a point of the client area (pixels at `dpi`): a text box
// lies above every label, a later label above an earlier one. "" for the
// form itself.
std::string ControlAt(const FormDesign& design, int dpi, int x, int y);

// A click is a press and a release over the same control (or both over the
// form itself); it counts on the release.
class ClickTracker {
 public:
  void press(std::string control) {
    pressed_ = std::move(control);
    pressing_ = true;
  }
  // The control clicked, if the release makes a click.
  std::optional<std::string> release(std::string_view control) {
    if (!pressing_)
      return std::nullopt;
    pressing_ = false;
    if (control != pressed_)
      return std::nullopt;
    return pressed_;
  }
  // The press was lost (another window took the mouse).
  void cancel() { pressing_ = false; }

 private:
  std::string pressed_;
  bool pressing_ = false;
};

}  // namespace ui
