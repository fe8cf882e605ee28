#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

using fake::Call;
using fake::Lines;
using quil32::Hwnd;
namespace msg = quil32::msg;

// The client: Enter in the keyword box opens the instant-message window
// 0.3 s later, with `icons` icons; a click on one of them brings `answer`
// 0.2 s later.
struct Client {
  explicit Client(int icons, std::function<void(Client&)> answer = {}) {
    p.desktop.onReceive(p.client.keywordBox, [=, this](const Call& c) {
      if (c.message != msg::kChar || c.wParam != quil32::kEnter)
        return;
      p.platform.at(p.platform.now() + 0.3, [=, this] {
        im = p.client.addImWindow(icons);
        for (const Hwnd icon : im.icons) {
          p.desktop.onReceive(icon, [=, this](const Call& click) {
            if (click.message == msg::kLButtonUp && answer)
              p.platform.at(p.platform.now() + 0.2, [=, this] { answer(*this); });
          });
        }
      });
    });
  }
  fake::Program p;
  fake::ImWindow im;  // the last opened
};

const Lines kKeyword = {"0 keyword settext \"aol://9293:$IM_OFF\"", "0 keyword char 32",
                        "0 keyword char 13"};

Lines Join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Once the window has looked the same for 0.2 s, "=)" is typed and the send
// icon clicked.
Lines Sent(const std::string& icon, const std::string& at = "0.5") {
  return {at + " im1.entry settext \"=)\"", at + " im1." + icon + " lbuttondown 0",
          at + " im1." + icon + " lbuttonup 0"};
}

TEST(InstantMessage, AnswersWhatTheClientAnswers) {
  struct Case {
    const char* name;
    std::function<void(Client&)> answer;
    Lines then;
    double endsAt;
  };
  const auto dialog = [](bool button) {
    return [button](Client& c) { c.p.client.addDialog(button); };
  };
  const Lines keys = {"0.9 button post keydown 32", "0.9 button post keyup 32"};
  const Case cases[] = {
      {"the window closes", [](Client& c) { c.p.desktop.remove(c.im.window); }, {}, 0.9},
      {"a dialog", dialog(true), Join(keys, {"0.9 im1 post close 0"}), 0.9},
      {"a dialog without a button", dialog(false), {"0.9 im1 post close 0"}, 0.9},
      // The dialog is looked for first: the window gone, it still gets its keys.
      {"a dialog, the window gone",
       [](Client& c) {
         c.p.desktop.remove(c.im.window);
         c.p.client.addDialog(true);
       },
       keys, 0.9},
      // The close goes to the window found with the dialog.
      {"a dialog, another window",
       [](Client& c) {
         c.p.desktop.remove(c.im.window);
         c.p.client.addImWindow(9);
         c.p.client.addDialog(true);
       },
       Join(keys, {"0.9 im2 post close 0"}), 0.9},
      {"nothing: the wait gives up", {}, {}, 15.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Client client(9, c.answer);
    quil32::SetInstantMessagesOff(client.p.desktop, client.p.runtime);
    EXPECT_EQ(client.p.desktop.journal, Join(Join(kKeyword, Sent("icon9")), c.then));
    EXPECT_DOUBLE_EQ(client.p.platform.now(), c.endsAt);
  }
}

TEST(InstantMessage, ClicksTheNinthIconWalkingOnFromTheFirstAfterTheLast) {
  // A step after one that found nothing starts again from the first icon.
  const std::pair<int, const char*> cases[] = {{0, ""},       {2, ""},       {3, "icon1"},
                                               {5, "icon3"},  {8, ""},       {9, "icon9"},
                                               {10, "icon9"}, {12, "icon9"}};
  for (const auto& [icons, clicked] : cases) {
    SCOPED_TRACE(icons);
    Client client(icons);
    quil32::SetInstantMessagesOff(client.p.desktop, client.p.runtime);
    if (*clicked) {
      EXPECT_EQ(client.p.desktop.journal, Join(kKeyword, Sent(clicked)));
    } else {  // no send icon: typed nothing, and gave up after 15 s
      EXPECT_EQ(client.p.desktop.journal, kKeyword);
      EXPECT_EQ(client.p.platform.now(), 15);
    }
  }
  Client never(9);  // opens no window at all
  never.p.desktop.onReceive(never.p.client.keywordBox, {});
  quil32::SetInstantMessagesOff(never.p.desktop, never.p.runtime);
  EXPECT_EQ(never.p.desktop.journal, kKeyword);
  EXPECT_EQ(never.p.platform.now(), 15);
}

TEST(InstantMessage, AWindowStillBeingBuiltIsClickedOnlyOnceWhole) {
  // The client adds the icons one by one, 0.05 s apart: the ninth at 0.7.
  Client client(1);
  for (int i = 2; i <= 9; ++i) {
    client.p.platform.at(0.25 + 0.05 * i, [&client, i] {
      client.p.desktop.add(client.im.window, "_AOL_Icon", "", "im1.icon" + std::to_string(i));
    });
  }
  quil32::SetInstantMessagesOff(client.p.desktop, client.p.runtime);
  EXPECT_EQ(client.p.desktop.journal, Join(kKeyword, Sent("icon9", "0.9")));
}

TEST(InstantMessage, ASecondRequestInsideTheFirstsWaitRunsWholeAndFinishesFirst) {
  Client client(9, [](Client& c) { c.p.desktop.remove(c.im.window); });
  fake::Program& p = client.p;
  Lines finished;
  p.platform.at(0.6, [&] {
    quil32::SetInstantMessagesOn(p.desktop, p.runtime);
    finished.push_back("on");
  });
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  finished.push_back("off");
  EXPECT_EQ(finished, (Lines{"on", "off"}));
  EXPECT_EQ(p.desktop.journal,
            Join(Join(kKeyword, Sent("icon9")),
                 {"0.6 keyword settext \"aol://9293:$IM_ON\"", "0.6 keyword char 32",
                  "0.6 keyword char 13", "1.1 im2.entry settext \"=)\"",
                  "1.1 im2.icon9 lbuttondown 0", "1.1 im2.icon9 lbuttonup 0"}));
}

}  // namespace
