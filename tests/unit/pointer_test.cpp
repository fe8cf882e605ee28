#include <gtest/gtest.h>

#include "support/program.h"
#include "ui/pointer.h"

namespace {

TEST(Pointer, TwipsBecomePixelsRoundedAsMulDivRounds) {
  struct Case {
    int twips, dpi, pixels;
  };
  // Halves go away from zero.
  const Case cases[] = {{1200, 96, 80}, {6, 120, 1}, {-6, 120, -1}, {5, 120, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(ui::TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
}

TEST(Pointer, TheMainWindowsClickAreasMeetWhereTheyShould) {
  fake::Program p;
  const ui::FormDesign& design = p.main.design();
  for (const int dpi : {96, 120}) {
    const auto px = [dpi](int twips) { return ui::TwipsToPixels(twips, dpi); };
    // A later label lies above an earlier one (the drag strip over the
    // title) and the reason box above every label; a control takes its first
    // pixel and not the one past its last.
    const ui::PixelRect box = ui::ToPixels(design.textBoxes.at(0).rect, dpi);
    const std::tuple<int, int, const char*> cases[] = {
        {px(600) - 1, px(120), "Label1"},    {px(600), px(120), "Label5"},
        {px(1575) - 1, px(120), "Label5"},   {px(1575), px(120), "Label1"},
        {px(1000), box.top - 1, "Label5"},   {px(1000), box.top, "Text1"},
        {px(1000), box.bottom - 1, "Text1"}, {px(1000), box.bottom, ""}};
    for (const auto& [x, y, control] : cases)
      EXPECT_EQ(ui::ControlAt(design, dpi, x, y), control) << x << "," << y << " at " << dpi;
  }
}

TEST(Pointer, AClickIsAPressAndAReleaseOverTheSameControl) {
  ui::ClickTracker clicks;
  EXPECT_EQ(clicks.release("Label4"), std::nullopt) << "no press";
  clicks.press("Label4");
  EXPECT_EQ(clicks.release("Label6"), std::nullopt) << "released over another";
  clicks.press("Label4");
  EXPECT_EQ(clicks.release("Label4"), "Label4");
  EXPECT_EQ(clicks.release("Label4"), std::nullopt) << "one press, one click";
  clicks.press("");
  EXPECT_EQ(clicks.release(""), "") << "the form itself, as the splash is clicked";
  clicks.press("Label4");
  clicks.cancel();  // another window took the mouse
  EXPECT_EQ(clicks.release("Label4"), std::nullopt);
}

}  // namespace
