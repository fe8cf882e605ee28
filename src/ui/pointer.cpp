#include "ui/pointer.h"

#include <cstdint>

namespace ui {

int TwipsToPixels(int twips, int dpi) {
  const std::int64_t scaled = std::int64_t(twips) * dpi;
  const std::int64_t half = kTwipsPerInch / 2;
  return int(scaled >= 0 ? (scaled + half) / kTwipsPerInch : (scaled - half) / kTwipsPerInch);
}

PixelRect ToPixels(const TwipsRect& rect, int dpi) {
  const int left = TwipsToPixels(rect.left, dpi);
  const int top = TwipsToPixels(rect.top, dpi);
  return {left, top, left + TwipsToPixels(rect.width, dpi), top + TwipsToPixels(rect.height, dpi)};
}

std::string ControlAt(const FormDesign& design, int dpi, int x, int y) {
  for (const TextBoxDesign& box : design.textBoxes) {
    if (ToPixels(box.rect, dpi).contains(x, y))
      return box.name;
  }
  for (auto it = design.labels.rbegin(); it != design.labels.rend(); ++it) {
    if (ToPixels(it->rect, dpi).contains(x, y))
      return it->name;
  }
  return {};
}

}  // namespace ui
