#include <gtest/gtest.h>

#include "console/resources.h"
#include "support/program.h"
#include "ui/pointer.h"

namespace ui {

// Found by the test framework through the argument's namespace.
void PrintTo(const LabelDesign& l, std::ostream* os) {
  *os << l.name << " \"" << l.caption << "\" " << l.rect.left << "," << l.rect.top << " "
      << l.rect.width << "x" << l.rect.height;
}

}  // namespace ui

namespace {

using fake::Program;
using ui::LabelDesign;
using ui::Rgb;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kYellow{255, 255, 0};

TEST(Designs, MainWindowIsABorderlessPanelOfLabelsOverItsPicture) {
  Program p;
  const ui::FormDesign& d = p.set.form1().design();
  EXPECT_EQ(d.caption, "Form1");
  EXPECT_EQ(d.frame, ui::Frame::kNone);
  EXPECT_EQ(std::make_pair(d.clientWidth, d.clientHeight), std::make_pair(2175, 900));
  EXPECT_EQ(d.picture, ZOBLE_MAIN_PICTURE);
  // In stacking order, lowest first; the blanks bring the words where they show.
  const std::vector<LabelDesign> labels = {
      {"Label1", "        zoble idle", {360, 0, 1335, 255}, kRed},
      {"Label2", "     x", {1800, 0, 375, 255}, kYellow},
      {"Label3", "     start", {-120, 600, 615, 255}, kRed},
      {"Label4", "stop", {600, 600, 735, 255}, kRed},
      {"Label5", "", {600, 0, 975, 255}, std::nullopt},
      {"Label6", "adv", {1200, 600, 375, 255}, kRed},
      {"Label7", "opts", {1680, 600, 495, 255}, kRed},
  };
  EXPECT_EQ(d.labels, labels);
  // The reason box on the system colour of active title-bar text.
  EXPECT_EQ(d.textBoxes,
            (std::vector<ui::TextBoxDesign>{{"Text1", "idle reason", {120, 240, 1935, 285}, 9}}));
  EXPECT_EQ(d.timers, (std::vector<ui::TimerDesign>{{"Timer1", 60000, false}}));
  EXPECT_TRUE(d.menus.empty());
}

TEST(Designs, SplashIsTheTitlePictureAndTheMenuHolderHoldsTheFiveItems) {
  Program p;
  const ui::FormDesign& splash = p.set.form2().design();
  EXPECT_EQ(splash.caption, "Form2");
  EXPECT_EQ(splash.frame, ui::Frame::kNone);
  EXPECT_EQ(std::make_pair(splash.clientWidth, splash.clientHeight), std::make_pair(2955, 2205));
  EXPECT_EQ(splash.picture, ZOBLE_SPLASH_PICTURE);
  EXPECT_TRUE(splash.labels.empty() && splash.textBoxes.empty() && splash.timers.empty());

  const ui::FormDesign& holder = p.set.form3().design();
  EXPECT_EQ(holder.caption, "Form3");
  EXPECT_EQ(holder.frame, ui::Frame::kSizable);
  EXPECT_EQ(std::make_pair(holder.clientWidth, holder.clientHeight), std::make_pair(4680, 3195));
  EXPECT_EQ(holder.menus, (std::vector<ui::MenuDesign>{{"opts",
                                                        "options",
                                                        {{"on", "ims on", {}},
                                                         {"off", "ims off", {}},
                                                         {"about", "about", {}},
                                                         {"contact", "contact", {}},
                                                         {"exit", "exit", {}}}}}));
  EXPECT_FALSE(p.set.form2().loaded() || p.set.form3().loaded()) << "a design loads nothing";
}

TEST(Pointer, TwipsBecomePixelsRoundedAsMulDivRounds) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {{1200, 96, 80}, {-120, 96, -8}, {7, 96, 0},    {8, 96, 1},  {-8, 96, -1},
                        {255, 120, 21}, {5, 144, 1},    {-5, 144, -1}, {4, 144, 0}, {0, 96, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(ui::TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
  }
}

// What a press on the main window lands on, in pixels: the reason box lies
// above every label, a higher label above a lower one.
TEST(Pointer, MainWindowHitTestFollowsTheStacking) {
  Program p;
  const ui::FormDesign& d = p.set.form1().design();
  struct Case {
    int dpi, x, y;
    const char* control;
  };
  const Case cases[] = {
      // The title row: the drag strip covers the title's middle, 600 to 1575.
      {96, 24, 8, "Label1"},
      {96, 39, 8, "Label1"},
      {96, 40, 8, "Label5"},
      {96, 104, 8, "Label5"},
      {96, 105, 8, "Label1"},
      {96, 112, 8, "Label1"},
      {96, 113, 8, ""},
      {96, 120, 8, "Label2"},
      {96, 144, 8, "Label2"},
      // The reason box covers the lowest pixel row of the title and the close.
      {96, 60, 16, "Text1"},
      {96, 130, 16, "Text1"},
      {96, 5, 16, ""},
      {96, 60, 35, ""},
      // The bottom row: "adv" covers the right end of "stop", 1200 to 1335.
      {96, 0, 48, "Label3"},
      {96, 32, 48, "Label3"},
      {96, 33, 48, ""},
      {96, 40, 48, "Label4"},
      {96, 79, 48, "Label4"},
      {96, 80, 48, "Label6"},
      {96, 88, 48, "Label6"},
      {96, 104, 48, "Label6"},
      {96, 105, 48, ""},
      {96, 112, 48, "Label7"},
      {96, 144, 57, ""},
      // The same stacking at 120 dpi.
      {120, 99, 60, "Label4"},
      {120, 100, 60, "Label6"},
      {120, 50, 10, "Label5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::ControlAt(d, c.dpi, c.x, c.y), c.control)
        << c.x << "," << c.y << " at " << c.dpi << " dpi";
  }
}

TEST(Pointer, AClickIsAPressAndAReleaseOverTheSameControlAndCountsOnTheRelease) {
  ui::ClickTracker clicks;
  EXPECT_EQ(clicks.release("Label5"), std::nullopt) << "a release without a press";

  clicks.press("Label5");  // the press alone starts nothing
  EXPECT_EQ(clicks.release("Label5"), "Label5");
  EXPECT_EQ(clicks.release("Label5"), std::nullopt) << "one press, one click";

  clicks.press("Label4");
  EXPECT_EQ(clicks.release("Label6"), std::nullopt) << "pressed on one, released on another";

  clicks.press("");
  EXPECT_EQ(clicks.release(""), "") << "the form itself, as the splash window is clicked";

  clicks.press("Label3");
  clicks.cancel();  // the mouse was taken away
  EXPECT_EQ(clicks.release("Label3"), std::nullopt);
}

}  // namespace
