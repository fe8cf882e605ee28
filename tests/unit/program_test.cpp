#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "support/program.h"

namespace {

using fake::Call;
using fake::Follows;
using fake::Program;
using fake::Sequence;
using ui::Event;

const Sequence kIdleOn = {"SignatureLine", "IdleOnLine", "ReasonLine(idle reason)"};
const Sequence kIdleOff = {"SignatureLine", "IdleOffLine"};
const Sequence kAdvert = {"SignatureLine", "AdvertLine", "LinkLine"};
const Sequence kBanner = {"BannerLine", "BannerLinkLine"};

// Everything but the notes of a click's handler returning.
std::vector<Call> Said(const Program& p) {
  return p.calls([](const Call& c) { return !c.what.ends_with(" returned"); });
}

// A window's look, a line a part, as tests/looks.txt writes it: its caption,
// frame and client area, then each control bottom to top with its place and
// size in twips and its colour (RGB, or a system colour's index), its timers
// and its menus.
std::string Look(const ui::FormDesign& d) {
  std::string look = d.caption + (d.frame == ui::Frame::kNone ? " borderless " : " sizable ") +
                     std::to_string(d.clientWidth) + "x" + std::to_string(d.clientHeight) + "\n";
  const auto add = [&](const std::string& name, const std::string& text, const ui::TwipsRect& r,
                       const std::string& colour) {
    look += name + " '" + text + "' " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
            std::to_string(r.width) + "x" + std::to_string(r.height) + " " + colour + "\n";
  };
  for (const ui::LabelDesign& l : d.labels) {
    const ui::Rgb c = l.foreColor.value_or(ui::Rgb{});
    add(l.name, l.caption, l.rect,
        l.foreColor ? std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b)
                    : "none");
  }
  for (const ui::TextBoxDesign& t : d.textBoxes)
    add(t.name, t.text, t.rect, "system " + std::to_string(t.backSystemColor));
  for (const ui::TimerDesign& t : d.timers)
    look += t.name + " " + std::to_string(t.intervalMs) + (t.enabled ? " ms on\n" : " ms off\n");
  for (const ui::MenuDesign& m : d.menus) {
    look += m.name + " '" + m.caption + "':";
    for (const ui::MenuDesign& item : m.items)
      look += " " + item.name + " '" + item.caption + "'";
    look += "\n";
  }
  return look;
}

TEST(MainWindow, PostsItsSequencesAsHandlersInterleave) {
  struct Case {
    const char* steps;
    Sequence said;
    bool idle;  // Timer1 on at the end
  };
  const Case cases[] = {
      // The reason is read after the second pause: an edit made meanwhile
      // counts, as typed, blanks and markup alike.
      {"0.75 Label3; 1.25 =brb; 2.25 =  brb <b>&</b> food ",
       {"SignatureLine", "IdleOnLine", "ReasonLine(  brb <b>&</b> food )"},
       true},
      {"0.75 =; 0.75 Label3", {"SignatureLine", "IdleOnLine", "ReasonLine()"}, true},
      // A start inside a start's pause.
      {"0.75 Label3; 1.25 Label3",
       {"SignatureLine", "SignatureLine", "IdleOnLine", "ReasonLine(idle reason)", "IdleOnLine",
        "ReasonLine(idle reason)"},
       true},
      // The last to finish decides: a stop inside a start's pause, then a
      // reminder inside a stop's.
      {"0.75 Label3; 1.25 Label4",
       {"SignatureLine", "SignatureLine", "IdleOffLine", "IdleOnLine", "ReasonLine(idle reason)"},
       true},
      {"0.75 Label3; 62.25 Label4",
       kIdleOn + Sequence{"SignatureLine", "SignatureLine", "IdleOnLine", "ReasonLine(idle reason)",
                          "IdleOffLine"},
       false},
      // Reminders a minute after the start's last line, with the reason of
      // the moment, until stop.
      {"0.75 Label3; 30 =still out; 150 Label4",
       {"SignatureLine", "IdleOnLine", "@2.75 ReasonLine(idle reason)", "@62.75 SignatureLine",
        "IdleOnLine", "ReasonLine(still out)", "@122.75 SignatureLine", "IdleOnLine",
        "ReasonLine(still out)", "@150 SignatureLine", "IdleOffLine"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    Program p;
    p.runUntil(p.play(c.steps) + 10);
    EXPECT_TRUE(Follows(Said(p), c.said));
    EXPECT_EQ(p.main.Timer1.enabled(), c.idle);
  }
}

TEST(MainWindow, EachControlChangesWhatItIsForAndLeavesTheRestAlone) {
  struct Case {
    const char* click;
    Sequence said;
    int idle;  // Timer1 afterwards: 0 off, 1 on, -1 as it was
  };
  const Case cases[] = {
      {"Label1", {}, -1},  // the title beside the drag strip
      {"Label5", {"releasecapture", "Form1 syscommand 61458"}, -1},
      {"Label6", kAdvert, -1},
      {"Label7", {}, -1},  // the menu dismissed
      {"Label7:about", {"box zoble"}, -1},
      {"Label7:off", fake::KeywordTyped("$IM_OFF") + fake::MessageSent(), -1},
      {"Label7:on", fake::KeywordTyped("$IM_ON") + fake::MessageSent(), -1},
      {"Label3", kIdleOn, 1},
      {"Label4", kIdleOff, 0},
  };
  for (const Case& c : cases) {
    for (const bool idle : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.click << (idle ? " while idle" : ""));
      Program p;
      p.answerInstantMessages(9, "gone");
      p.play(std::string("1 ") + c.click);
      p.main.Timer1.setEnabled(idle);
      p.runUntil(40);
      EXPECT_TRUE(Follows(Said(p), c.said));
      EXPECT_EQ(p.main.Timer1.enabled(), c.idle < 0 ? idle : c.idle == 1);
      EXPECT_TRUE(p.main.visible());
    }
  }
}

TEST(MainWindow, WithNoRoomOpenPostsNothingAndKeepsItsPauses) {
  const std::pair<const char*, Sequence> cases[] = {
      {"0.75 Label6", {"@2.75 Label6 returned"}},
      {"0.75 Label3", {"@2.75 Label3 returned"}},
      {"0.75 Label4", {"@1.75 Label4 returned"}},
      {"0.75 Label2", {"@1.75 Form1 unloaded", "Form2 unloaded", "Label2 returned"}},
  };
  for (const auto& [steps, calls] : cases) {
    SCOPED_TRACE(steps);
    Program p;
    p.desktop.remove(p.room.window);
    p.play(steps);
    // The greeting's pause is kept too: the panel showed after it.
    EXPECT_EQ(p.platform.now(), 0.75);
    EXPECT_TRUE(p.main.visible());
    p.runUntil(10);
    EXPECT_TRUE(Follows(p.desktop.journal, calls));
  }
}

// Every way the program ends, and the places a handler can be suspended in.
class Ending : public testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(Ending, SaysTheWholeFarewellThenUnloadsEveryWindowInOrder) {
  const auto [way, inside] = GetParam();
  Program p;
  const auto close = [&p, way = way] {
    if (way == "ExitItem")
      p.platform.menuChoices.push_back("exit");
    if (way == "SystemClose")
      p.main.raise(Event::kClose, "");
    else
      p.main.raise(Event::kClick, way == "ExitItem" ? "Label7" : "Label2");
  };
  const std::map<std::string, std::string> steps = {
      {"Pause", "1 Label3; 1.5 close"},
      {"Send", "1 Label3"},
      {"InstantMessageWait", "1 Label7:off; 2 close"}};
  p.play(steps.at(inside), close);
  if (inside == "Send") {
    // The entry passes a close on as it takes the reason's Enter.
    p.desktop.onReceive(p.room.entry, [&](const std::string& what) {
      if (what == "char 13" && p.lines().size() == 3)
        close();
    });
  }
  p.runUntil(100);

  Sequence end = kBanner + Sequence{"Form1 unloaded", "Form2 unloaded"};
  if (way == "ExitItem" || inside == "InstantMessageWait")
    end.push_back("Form3 unloaded");
  const std::vector<Call> said = Said(p);
  ASSERT_GE(said.size(), end.size());
  EXPECT_TRUE(Follows({said.end() - std::ptrdiff_t(end.size()), said.end()}, end));
  EXPECT_TRUE(p.runtime.ended());
  EXPECT_LT(p.platform.now(), 15) << "run() returned as the program ended";
  const std::set<std::string> distinct(p.platform.created.begin(), p.platform.created.end());
  EXPECT_EQ(distinct.size(), p.platform.created.size()) << "a window was created again";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Ending,
                         testing::Values(std::pair{"CloseLabel", "Pause"},
                                         std::pair{"SystemClose", "Send"},
                                         std::pair{"ExitItem", "InstantMessageWait"}),
                         [](const auto& info) {
                           return info.param.first + "Inside" + info.param.second;
                         });

// A WM_QUIT that another program posts ends the program at once, wherever it
// is taken: by a pause's pump, inside a handler, or by a loop of the
// system's that keeps it for itself (the menu's), so that the event loop
// never sees it. No handler runs after it, nothing more is said (no
// farewell), and the event loop returns.
TEST(Quit, EndsTheProgramAtOnceWhereverItIsTaken) {
  struct Case {
    const char* steps;
    double quitAt;  // < 0: the menu's loop takes it
    Sequence said;
  };
  const Case cases[] = {
      {"0.75 Label3; 3 Label6", 3.5, kIdleOn + Sequence{"SignatureLine"}},
      {"0.75 Label3; 5 Label7:<quit>", -1, kIdleOn},
  };
  for (const auto& [steps, quitAt, said] : cases) {
    SCOPED_TRACE(steps);
    Program p;
    const double last = p.play(steps);
    if (quitAt >= 0)
      p.platform.at(quitAt, [&p] { p.platform.postQuit(); });
    p.runUntil(200);
    EXPECT_TRUE(Follows(p.lines(), said)) << "and nothing after it";
    EXPECT_TRUE(p.runtime.ended());
    EXPECT_EQ(p.platform.now(), quitAt >= 0 ? quitAt : last) << "the event loop returned then";
  }
}

TEST(OptionsMenu, ItsHolderIsLoadedByTheFirstPopupAndNeverShown) {
  Program p;
  p.start();
  for (const char* item : {"", "about", "contact", "off", "", "off"}) {
    p.platform.menuChoices.push_back(item);
    p.main.raise(Event::kClick, "Label7");
  }
  // Each "ims off" sends the message again.
  EXPECT_TRUE(Follows(Said(p), Sequence{"box zoble", "box zoble"} + fake::KeywordTyped("$IM_OFF") +
                                   fake::KeywordTyped("$IM_OFF")));
  EXPECT_EQ(std::count(p.platform.created.begin(), p.platform.created.end(), "Form3"), 1);
  EXPECT_FALSE(p.set.form3().visible());
}

TEST(OwnWindows, JoinTheTopmostWindowsAsTheyLoadAndShowAfterTheGreeting) {
  Program p;
  std::string shown;  // the main window's and the splash's at each call to the lobby
  p.desktop.onReceive(p.room.entry, [&](const std::string&) {
    shown += std::to_string(p.main.visible()) + std::to_string(p.set.form2().visible());
  });
  p.runtime.invoke([&] { p.set.form2().show(); });
  // The splash waits for its click, however long.
  p.runUntil(3600);
  EXPECT_TRUE(Follows(p.desktop.journal, {"Form2 pos -1 0,0,0,0 3"}));
  EXPECT_TRUE(p.set.form2().visible());
  p.runtime.invoke([&] { p.set.form2().raise(Event::kClick, ""); });
  EXPECT_TRUE(Follows(p.desktop.journal,
                      Sequence{"Form2 pos -1 0,0,0,0 3", "Form1 pos -1 0,0,0,0 3"} + kBanner));
  EXPECT_EQ(shown, "00000000");
  EXPECT_TRUE(p.main.visible());
  EXPECT_FALSE(p.main.Timer1.enabled()) << "idle mode starts off";
  EXPECT_FALSE(p.set.form2().visible());
  EXPECT_TRUE(p.set.form2().loaded()) << "the splash stays loaded, hidden";
}

TEST(OwnWindows, LookAsDesignedToTheTwip) {
  // The boxes' words too: each box's text on one line, by its item.
  Program p;
  p.start();
  std::string look =
      Look(p.main.design()) + Look(p.set.form2().design()) + Look(p.set.form3().design());
  for (const std::string item : {"about", "contact"}) {
    p.platform.menuChoices.push_back(item);
    p.main.raise(Event::kClick, "Label7");
    look += item + " box '" + p.platform.boxes.back() + "'\n";
  }
  std::ifstream file(ZOBLE_LOOKS_FILE);
  std::string designed;
  for (std::string row; std::getline(file, row);)
    designed += row.starts_with('#') ? "" : row + "\n";
  EXPECT_EQ(look, designed);
}

}  // namespace
