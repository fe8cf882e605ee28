#include <gtest/gtest.h>

#include <set>

#include "support/program.h"

namespace {

using fake::Call;
using fake::Lines;
using fake::Program;
using ui::Event;

// Lines posted to the lobby at virtual instants: each its text, then Enter.
Lines Said(std::initializer_list<std::pair<double, std::string>> lines) {
  Lines calls;
  for (const auto& [at, line] : lines) {
    char t[32];
    std::snprintf(t, sizeof t, "%g ", at);
    calls.push_back(t + ("lobby.entry settext " + line));
    calls.push_back(t + std::string("lobby.entry char 13"));
  }
  return calls;
}

// What the user does on the main window once the greeting is over (at
// 0.75): "LabelN" clicks, "=text" types the reason.
struct Step {
  double at;
  std::string what;
};

void Play(Program& p, const std::vector<Step>& steps) {
  p.start();
  for (const Step& s : steps) {
    if (s.what[0] == '=')
      p.platform.type(s.at, p.main, "Text1", s.what.substr(1));
    else
      p.click(s.at, p.main, s.what);
  }
}

TEST(MainWindow, PostsItsSequencesAsHandlersInterleave) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    Lines said;
    bool idle;  // Timer1 on at the end
  };
  const Case cases[] = {
      // The reason is read after the second pause: the edit made meanwhile counts.
      {"start",
       {{0.75, "Label3"}, {1.25, "=brb"}, {2.25, "=brb <b>&</b> food"}},
       Said({{0.75, "SignatureLine"},
             {1.75, "IdleOnLine"},
             {2.75, "ReasonLine(brb <b>&</b> food)"}}),
       true},
      {"stop", {{0.75, "Label4"}}, Said({{0.75, "SignatureLine"}, {1.75, "IdleOffLine"}}), false},
      {"advert",
       {{0.75, "Label6"}},
       Said({{0.75, "SignatureLine"}, {1.75, "AdvertLine"}, {2.75, "LinkLine"}}),
       false},
      {"a start inside a start's pause",
       {{0.75, "Label3"}, {1.25, "Label3"}},
       Said({{0.75, "SignatureLine"},
             {1.25, "SignatureLine"},
             {2.75, "IdleOnLine"},
             {3.75, "ReasonLine(idle reason)"},
             {3.75, "IdleOnLine"},
             {4.75, "ReasonLine(idle reason)"}}),
       true},
      // The last to finish decides.
      {"a stop inside a start's pause",
       {{0.75, "Label3"}, {1.25, "Label4"}},
       Said({{0.75, "SignatureLine"},
             {1.25, "SignatureLine"},
             {2.75, "IdleOffLine"},
             {2.75, "IdleOnLine"},
             {3.75, "ReasonLine(idle reason)"}}),
       true},
      {"a reminder inside a stop's pause",
       {{0.75, "Label3"}, {62.25, "Label4"}},
       Said({{0.75, "SignatureLine"},
             {1.75, "IdleOnLine"},
             {2.75, "ReasonLine(idle reason)"},
             {62.25, "SignatureLine"},
             {62.75, "SignatureLine"},
             {63.75, "IdleOnLine"},
             {64.75, "ReasonLine(idle reason)"},
             {64.75, "IdleOffLine"}}),
       false},
      // 60 s after the start's last line, then every 60 s, until stop.
      {"reminders",
       {{0.75, "Label3"}, {30, "=still out"}, {150, "Label4"}},
       Said({{0.75, "SignatureLine"},
             {1.75, "IdleOnLine"},
             {2.75, "ReasonLine(idle reason)"},
             {62.75, "SignatureLine"},
             {63.75, "IdleOnLine"},
             {64.75, "ReasonLine(still out)"},
             {122.75, "SignatureLine"},
             {123.75, "IdleOnLine"},
             {124.75, "ReasonLine(still out)"},
             {150, "SignatureLine"},
             {150.75, "IdleOffLine"}}),
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program p;
    Play(p, c.steps);
    p.runUntil(c.steps.back().at + 10);
    EXPECT_EQ(p.desktop.journal, c.said);
    EXPECT_EQ(p.main.Timer1.enabled(), c.idle);
  }
}

// Every way the program ends, at every point a handler can be suspended.
enum class Way { kCloseLabel, kSystemClose, kExitItem };
enum class Inside { kPause, kSend, kGreeting, kFarewell, kInstantMessageWait };

class Ending : public testing::TestWithParam<std::tuple<Way, Inside>> {};

TEST_P(Ending, SaysTheWholeFarewellAndNothingAfter) {
  const auto [way, inside] = GetParam();
  Program p;
  const auto close = [&p, way = way] {
    if (way == Way::kCloseLabel)
      p.main.raise(Event::kClick, "Label2");
    if (way == Way::kSystemClose)
      p.main.raise(Event::kClose, "");
    if (way == Way::kExitItem) {
      p.platform.chooseFromNextMenu("exit");
      p.main.raise(Event::kClick, "Label7");
    }
  };
  if (inside == Inside::kGreeting) {
    p.runtime.invoke([&] { p.set.form2().show(); });
    p.click(0, p.set.form2(), "");
    p.platform.at(0.5, close);
  } else {
    p.start();
  }
  if (inside == Inside::kPause || inside == Inside::kSend) {
    p.click(1, p.main, "Label3");
  }
  if (inside == Inside::kPause || inside == Inside::kFarewell)
    p.platform.at(1.5, close);
  if (inside == Inside::kFarewell)
    p.platform.at(1, close);
  if (inside == Inside::kSend) {
    // The entry passes a close on as it takes the reason's Enter.
    p.desktop.onReceive(p.room.entry, [&](const Call& c) {
      if (c.message == quil32::msg::kChar && p.grep("char").size() == 3)
        close();
    });
  }
  if (inside == Inside::kInstantMessageWait) {
    p.platform.chooseFromNextMenu("off");
    p.click(1, p.main, "Label7");
    p.platform.at(2, close);
  }
  p.runUntil(100);

  ASSERT_GE(p.desktop.journal.size(), 4u);
  Lines last(p.desktop.journal.end() - 4, p.desktop.journal.end());
  for (std::string& call : last)
    call.erase(0, call.find(' ') + 1);  // the instant
  EXPECT_EQ(last, (Lines{"lobby.entry settext BannerLine", "lobby.entry char 13",
                         "lobby.entry settext BannerLinkLine", "lobby.entry char 13"}));
  EXPECT_TRUE(p.runtime.ended());
  EXPECT_TRUE(p.platform.quitRequested());
  EXPECT_LT(p.platform.now(), 10) << "run() returned as the program ended";
  const std::set<std::string> distinct(p.platform.created.begin(), p.platform.created.end());
  EXPECT_EQ(distinct.size(), p.platform.created.size()) << "a window was created again";
  EXPECT_FALSE(p.desktop.findWindow("ZobleForm", std::nullopt));
}

std::string EndingName(const testing::TestParamInfo<Ending::ParamType>& info) {
  const char* const ways[] = {"CloseLabel", "SystemClose", "ExitItem"};
  const char* const insides[] = {"Pause", "Send", "Greeting", "Farewell", "InstantMessageWait"};
  return ways[int(std::get<0>(info.param))] + std::string("Inside") +
         insides[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, Ending,
    testing::Combine(testing::Values(Way::kCloseLabel, Way::kSystemClose, Way::kExitItem),
                     testing::Values(Inside::kPause, Inside::kSend, Inside::kGreeting,
                                     Inside::kFarewell, Inside::kInstantMessageWait)),
    EndingName);

TEST(Refusal, IsToldOnceAfterTheHandlerUntilASendGoesThroughAgain) {
  Program p;
  Play(p, {{0.75, "Label3"}});
  p.desktop.setAnswer(p.room.entry, fake::Delivery::kRefused);
  p.platform.at(100, [&] { p.desktop.setAnswer(p.room.entry, fake::Delivery::kDelivered); });
  p.platform.at(150, [&] { p.desktop.setAnswer(p.room.entry, fake::Delivery::kRefused); });
  p.runUntil(190);
  // Idle mode and its reminders go on as if the lines had gone through.
  EXPECT_EQ(p.grep("settext").size(), 12u);
  EXPECT_EQ(p.grep("char 13"), (Lines{"122.75 lobby.entry char 13", "123.75 lobby.entry char 13",
                                      "124.75 lobby.entry char 13"}));
  ASSERT_EQ(p.platform.boxes.size(), 2u);
  // After the start's three lines, and after the third reminder's.
  EXPECT_EQ(p.platform.boxes[0].title, "zoble");
  EXPECT_EQ(std::pair(p.platform.boxes[0].at, p.platform.boxes[0].callsBefore), std::pair(2.75, 3ul));
  EXPECT_EQ(std::pair(p.platform.boxes[1].at, p.platform.boxes[1].callsBefore),
            std::pair(184.75, 15ul));
  EXPECT_TRUE(p.main.Timer1.enabled());
}

TEST(Refusal, IsNotToldInsideAPause) {
  // An advert clicked inside a start's first pause runs into the refusal and
  // ends inside that pause; the box waits for the start to finish.
  Program p;
  Play(p, {{0.75, "Label3"}, {1.25, "Label6"}});
  p.platform.at(1, [&] { p.desktop.setAnswer(p.room.entry, fake::Delivery::kRefused); });
  p.runUntil(30);
  ASSERT_EQ(p.platform.boxes.size(), 1u);
  EXPECT_EQ(p.platform.boxes[0].callsBefore, p.desktop.journal.size());
  EXPECT_EQ(p.desktop.journal.back(), "4.75 lobby.entry settext ReasonLine(idle reason) refused");
  EXPECT_EQ(p.platform.boxes[0].at, 4.75);
}

TEST(OptionsMenu, ItsHolderIsLoadedByTheFirstPopupAndNeverShown) {
  Program p;
  p.start();
  EXPECT_FALSE(p.set.form3().loaded());
  p.main.raise(Event::kClick, "Label7");  // dismissed
  EXPECT_TRUE(p.set.form3().loaded());
  EXPECT_EQ(p.desktop.journal, Lines{});
  for (const char* item : {"about", "contact", "off", "off"}) {
    p.platform.chooseFromNextMenu(item);
    p.main.raise(Event::kClick, "Label7");
  }
  ASSERT_EQ(p.platform.boxes.size(), 2u);
  EXPECT_EQ(p.platform.boxes[0].title, "zoble");
  EXPECT_EQ(p.platform.boxes[1].title, "zoble");
  EXPECT_NE(p.platform.boxes[0].text, p.platform.boxes[1].text);
  // The client opens no window here: each waits its 15 s and gives up.
  EXPECT_EQ(p.grep("settext"), (Lines{"0.75 keyword settext \"aol://9293:$IM_OFF\"",
                                      "15.75 keyword settext \"aol://9293:$IM_OFF\""}));
  EXPECT_EQ(std::count(p.platform.created.begin(), p.platform.created.end(), "Form3"), 1);
  EXPECT_FALSE(p.set.form3().visible());
}

TEST(OwnWindows, JoinTheTopmostWindowsAsTheyLoadAndShowAfterTheGreeting) {
  Program p;
  std::vector<bool> shownAtLine;  // the main window, the splash
  p.desktop.onReceive(p.room.entry, [&](const Call&) {
    shownAtLine.push_back(p.main.visible());
    shownAtLine.push_back(p.set.form2().visible());
  });
  p.runtime.invoke([&] { p.set.form2().show(); });
  EXPECT_EQ(p.desktop.journal, Lines{"0 Form2 pos -1 0,0,0,0 3"});
  EXPECT_TRUE(p.set.form2().visible());
  p.runtime.invoke([&] { p.set.form2().raise(Event::kClick, ""); });
  EXPECT_EQ(p.desktop.journal,
            (Lines{"0 Form2 pos -1 0,0,0,0 3", "0 Form1 pos -1 0,0,0,0 3",
                   "0 lobby.entry settext BannerLine", "0 lobby.entry char 13",
                   "0.75 lobby.entry settext BannerLinkLine", "0.75 lobby.entry char 13"}));
  EXPECT_EQ(shownAtLine, std::vector<bool>(8, false));
  EXPECT_TRUE(p.main.visible());
  EXPECT_FALSE(p.set.form2().visible());
  EXPECT_TRUE(p.set.form2().loaded()) << "the splash stays loaded, hidden";
}

}  // namespace
