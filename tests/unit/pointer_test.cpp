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

TEST(Pointer, TheMainWindowsClickAreasMeetWhereItsDesignSays) {
  fake::Program p;
  struct Case {
    int x, dx, y, dy;  // the point px(x) + dx, px(y) + dy at each resolution
    const char* control;
  };
  // On the title, the drag strip from 600 to 1575 twips; below, "adv" over
  // the end of "stop" from 1200 on, "start" from beyond the window's left
  // edge; the reason box above the labels it overlaps.
  const Case cases[] = {
      {600, -1, 120, 0, "Label1"},  {600, 0, 120, 0, "Label5"},   {1575, -1, 120, 0, "Label5"},
      {1575, 0, 120, 0, "Label1"},  {1695, -1, 120, 0, "Label1"}, {1695, 0, 120, 0, ""},
      {1800, 0, 120, 0, "Label2"},  {600, -1, 700, 0, ""},        {600, 0, 700, 0, "Label4"},
      {1200, -1, 700, 0, "Label4"}, {1200, 0, 700, 0, "Label6"},  {1575, -1, 700, 0, "Label6"},
      {1575, 0, 700, 0, ""},        {1680, 0, 700, 0, "Label7"},  {0, 0, 700, 0, "Label3"},
      {495, -1, 700, 0, "Label3"},  {495, 0, 700, 0, ""},         {1000, 0, 240, -1, "Label5"},
      {1000, 0, 240, 0, "Text1"},   {1000, 0, 525, -1, "Text1"},  {1000, 0, 525, 0, ""},
  };
  for (const int dpi : {96, 120}) {
    for (const Case& c : cases) {
      const int x = ui::TwipsToPixels(c.x, dpi) + c.dx, y = ui::TwipsToPixels(c.y, dpi) + c.dy;
      EXPECT_EQ(ui::ControlAt(p.main.design(), dpi, x, y), c.control)
          << c.x << "+" << c.dx << "," << c.y << "+" << c.dy << " at " << dpi << " dpi";
    }
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
