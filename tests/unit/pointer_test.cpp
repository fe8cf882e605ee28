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
  for (const int dpi : {96, 120}) {
    const auto px = [dpi](int twips) { return ui::TwipsToPixels(twips, dpi); };
    const int title = px(120), bottom = px(700);
    struct Case {
      int x, y;
      const char* control;
    };
    const Case cases[] = {
        // The drag strip covers the title from 600 to 1575 twips; the rest
        // of the title is the title's.
        {px(600) - 1, title, "Label1"},
        {px(600), title, "Label5"},
        {px(1575) - 1, title, "Label5"},
        {px(1575), title, "Label1"},
        {px(1695) - 1, title, "Label1"},
        {px(1695), title, ""},
        {px(1800), title, "Label2"},
        // "adv" covers the end of "stop", from 1200 to 1335 and on to 1575.
        {px(600) - 1, bottom, ""},
        {px(600), bottom, "Label4"},
        {px(1200) - 1, bottom, "Label4"},
        {px(1200), bottom, "Label6"},
        {px(1575) - 1, bottom, "Label6"},
        {px(1575), bottom, ""},
        {px(1680), bottom, "Label7"},
        // "start" reaches in from beyond the window's left edge.
        {0, bottom, "Label3"},
        {px(495) - 1, bottom, "Label3"},
        {px(495), bottom, ""},
        // The reason box lies above the labels it overlaps.
        {px(1000), px(240) - 1, "Label5"},
        {px(1000), px(240), "Text1"},
        {px(1000), px(525) - 1, "Text1"},
        {px(1000), px(525), ""},
    };
    for (const Case& c : cases) {
      EXPECT_EQ(ui::ControlAt(p.main.design(), dpi, c.x, c.y), c.control)
          << c.x << "," << c.y << " at " << dpi << " dpi";
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
