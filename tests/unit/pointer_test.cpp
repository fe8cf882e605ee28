#include <gtest/gtest.h>

#include "support/program.h"
#include "ui/pointer.h"

namespace {

TEST(Pointer, TwipsBecomePixelsRoundedAsMulDivRounds) {
  struct Case {
    int twips, dpi, pixels;
  };
  // Halves go away from zero.
  const Case cases[] = {{1200, 96, 80}, {-120, 96, -8}, {7, 96, 0},  {8, 96, 1},   {-8, 96, -1},
                        {6, 120, 1},    {-6, 120, -1},  {5, 120, 0}, {18, 120, 2}, {-18, 120, -2}};
  for (const Case& c : cases)
    EXPECT_EQ(ui::TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
}

TEST(Pointer, MainWindowHitTestFollowsTheStacking) {
  fake::Program p;
  struct Case {
    int dpi, x, y;
    const char* control;
  };
  // The reason box lies above every label, a later label above an earlier
  // one: the drag strip over the title's middle, "adv" over the end of "stop".
  const Case cases[] = {
      {96, 30, 8, "Label1"},   {96, 50, 8, "Label5"},    {96, 50, 16, "Text1"},
      {96, 60, 45, "Label4"},  {96, 85, 45, "Label6"},   {96, 39, 45, ""},
      {96, 40, 45, "Label4"},  {120, 60, 19, "Label5"},  {120, 60, 20, "Text1"},
      {120, 90, 55, "Label4"}, {120, 105, 55, "Label6"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::ControlAt(p.main.design(), c.dpi, c.x, c.y), c.control)
        << c.x << "," << c.y << " at " << c.dpi << " dpi";
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
