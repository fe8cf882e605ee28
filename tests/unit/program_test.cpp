#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "support/program.h"

namespace {

using fake::Lines;
using fake::Program;
using ui::Event;

TEST(MainWindow, PostsItsSequencesAsHandlersInterleave) {
  struct Case {
    const char* steps;
    const char* said;
    bool idle;  // Timer1 on at the end
  };
  const Case cases[] = {
      // The reason is read after the second pause: an edit made meanwhile counts.
      {"0.75 Label3; 1.25 =brb; 2.25 =brb <b>&</b> food",
       "0.75 SignatureLine; 1.75 IdleOnLine; 2.75 ReasonLine(brb <b>&</b> food)", true},
      {"0.75 Label4", "0.75 SignatureLine; 1.75 IdleOffLine", false},
      {"0.75 Label6", "0.75 SignatureLine; 1.75 AdvertLine; 2.75 LinkLine", false},
      // A start inside a start's pause.
      {"0.75 Label3; 1.25 Label3",
       "0.75 SignatureLine; 1.25 SignatureLine; 2.75 IdleOnLine; 3.75 ReasonLine(idle reason); "
       "3.75 IdleOnLine; 4.75 ReasonLine(idle reason)",
       true},
      // The last to finish decides: a stop inside a start's pause, then a
      // reminder inside a stop's.
      {"0.75 Label3; 1.25 Label4",
       "0.75 SignatureLine; 1.25 SignatureLine; 2.75 IdleOffLine; 2.75 IdleOnLine; "
       "3.75 ReasonLine(idle reason)",
       true},
      {"0.75 Label3; 62.25 Label4",
       "0.75 SignatureLine; 1.75 IdleOnLine; 2.75 ReasonLine(idle reason); 62.25 SignatureLine; "
       "62.75 SignatureLine; 63.75 IdleOnLine; 64.75 ReasonLine(idle reason); 64.75 IdleOffLine",
       false},
      // Reminders 60 s after the start's last line, every 60 s, until stop.
      {"0.75 Label3; 30 =still out; 150 Label4",
       "0.75 SignatureLine; 1.75 IdleOnLine; 2.75 ReasonLine(idle reason); 62.75 SignatureLine; "
       "63.75 IdleOnLine; 64.75 ReasonLine(still out); 122.75 SignatureLine; 123.75 IdleOnLine; "
       "124.75 ReasonLine(still out); 150 SignatureLine; 150.75 IdleOffLine",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    Program p;
    p.runUntil(p.play(c.steps) + 10);
    EXPECT_EQ(p.said(), c.said);
    EXPECT_EQ(p.main.Timer1.enabled(), c.idle);
  }
}

// Every way the program ends, at every point where a handler can be suspended.
class Ending : public testing::TestWithParam<std::tuple<std::string, std::string>> {};

TEST_P(Ending, SaysTheWholeFarewellAndNothingAfter) {
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
      {"Farewell", "1 close; 1.5 close"},
      {"InstantMessageWait", "1 Label7:off; 2 close"}};
  if (inside == "Greeting") {
    p.runtime.invoke([&] { p.set.form2().show(); });
    p.click(0, p.set.form2(), "");
    p.platform.at(0.5, close);
  } else {
    p.play(steps.at(inside), close);
  }
  if (inside == "Send") {
    // The entry passes a close on as it takes the reason's Enter.
    p.desktop.onReceive(p.room.entry, [&](const std::string& what) {
      if (what == "char 13" && p.grep("<-").size() == 3)
        close();
    });
  }
  p.runUntil(100);

  EXPECT_TRUE(
      std::regex_search(p.said(), std::regex("[0-9.]+ BannerLine; [0-9.]+ BannerLinkLine$")))
      << p.said();
  EXPECT_TRUE(p.runtime.ended());
  EXPECT_LT(p.platform.now(), 10) << "run() returned as the program ended";
  const std::set<std::string> distinct(p.platform.created.begin(), p.platform.created.end());
  EXPECT_EQ(distinct.size(), p.platform.created.size()) << "a window was created again";
  EXPECT_FALSE(p.desktop.findWindow("ZobleForm", std::nullopt));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Ending,
                         testing::Combine(testing::Values("CloseLabel", "SystemClose", "ExitItem"),
                                          testing::Values("Pause", "Send", "Greeting", "Farewell",
                                                          "InstantMessageWait")),
                         [](const auto& info) {
                           return std::get<0>(info.param) + "Inside" + std::get<1>(info.param);
                         });

TEST(OptionsMenu, ItsHolderIsLoadedByTheFirstPopupAndNeverShown) {
  Program p;
  p.start();
  EXPECT_FALSE(p.set.form3().loaded());
  p.main.raise(Event::kClick, "Label7");  // dismissed
  EXPECT_TRUE(p.set.form3().loaded());
  EXPECT_EQ(p.said(), "");
  for (const char* item : {"about", "contact", "off", "off"}) {
    p.platform.menuChoices.push_back(item);
    p.main.raise(Event::kClick, "Label7");
  }
  EXPECT_EQ(p.grep("box"), (Lines{"0.75 - box zoble", "0.75 - box zoble"}));
  EXPECT_NE(p.platform.boxes.at(0), p.platform.boxes.at(1)) << "about, then contact";
  // The client opens no window here: each waits its 15 s and gives up.
  EXPECT_EQ(p.grep("settext"), (Lines{"0.75 keyword settext \"aol://9293:$IM_OFF\"",
                                      "15.75 keyword settext \"aol://9293:$IM_OFF\""}));
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
  EXPECT_EQ(p.said(), "0 Form2 pos -1 0,0,0,0 3");
  p.runtime.invoke([&] { p.set.form2().raise(Event::kClick, ""); });
  EXPECT_EQ(
      p.said(),
      "0 Form2 pos -1 0,0,0,0 3; 0 Form1 pos -1 0,0,0,0 3; 0 BannerLine; 0.75 BannerLinkLine");
  EXPECT_EQ(shown, "00000000");
  EXPECT_TRUE(p.main.visible());
  EXPECT_FALSE(p.set.form2().visible());
  EXPECT_TRUE(p.set.form2().loaded()) << "the splash stays loaded, hidden";
}

}  // namespace
