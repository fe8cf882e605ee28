#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

using quil32::Hwnd;

// The client: Enter in the keyword box opens the instant-message window
// 0.3 s later, with `icons` icons; 0.2 s after a click on one of them, the
// window is "gone", a "new" one opens, a "dialog" comes, with a "button" or
// not, as `answer` says.
struct Client {
  explicit Client(int icons, std::string answer = "") {
    p.desktop.onReceive(p.client.keywordBox, [=, this](const std::string& what) {
      if (what != "char 13")
        return;
      p.platform.at(p.platform.now() + 0.3, [=, this] {
        im = p.client.addImWindow(icons);
        for (const Hwnd icon : im.icons) {
          p.desktop.onReceive(icon, [=, this](const std::string& what) {
            if (what == "lbuttonup")
              p.platform.at(p.platform.now() + 0.2, [=, this] { answers(answer); });
          });
        }
      });
    });
  }
  void answers(const std::string& answer) {
    if (answer.find("gone") != std::string::npos)
      p.desktop.remove(im.window);
    if (answer.find("new") != std::string::npos)
      p.client.addImWindow(9);
    if (answer.find("dialog") != std::string::npos)
      p.client.addDialog(answer.find("button") != std::string::npos);
  }
  std::string said() {
    quil32::SetInstantMessagesOff(p.desktop, p.runtime);
    return p.desktop.said();
  }
  fake::Program p;
  fake::ImWindow im;  // the last opened
};

const std::string kKeyword =
    "0 keyword settext \"aol://9293:$IM_OFF\"; 0 keyword char 32; 0 keyword char 13";

// Once the window has looked the same for 0.2 s, "=)" is typed and the send
// icon clicked.
std::string Sent(const std::string& icon, const std::string& at = "0.5") {
  return "; " + at + " im1.entry settext \"=)\"; " + at + " im1." + icon + " lbuttondown; " + at +
         " im1." + icon + " lbuttonup";
}

TEST(InstantMessage, AnswersWhatTheClientAnswers) {
  const std::string keys = "; 0.9 button post keydown 32; 0.9 button post keyup 32";
  const std::tuple<const char*, std::string, double> cases[] = {
      {"gone", "", 0.9},
      {"dialog button", keys + "; 0.9 im1 post close", 0.9},
      {"dialog", "; 0.9 im1 post close", 0.9},
      // The dialog is looked for first: with the window gone it still gets its keys.
      {"gone dialog button", keys, 0.9},
      // The close goes to the window found with the dialog.
      {"gone new dialog button", keys + "; 0.9 im2 post close", 0.9},
      {"", "", 15.5},  // no answer: the wait gives up
  };
  for (const auto& [answer, then, endsAt] : cases) {
    SCOPED_TRACE(answer);
    Client client(9, answer);
    EXPECT_EQ(client.said(), kKeyword + Sent("icon9") + then);
    EXPECT_DOUBLE_EQ(client.p.platform.now(), endsAt);
  }
}

TEST(InstantMessage, ClicksTheNinthIconWalkingOnFromTheFirstAfterTheLast) {
  // A step after one that found nothing starts again from the first icon.
  const std::pair<int, const char*> cases[] = {{0, ""},       {2, ""},       {3, "icon1"},
                                               {5, "icon3"},  {8, ""},       {9, "icon9"},
                                               {10, "icon9"}, {12, "icon9"}, {-1, ""}};
  for (const auto& [icons, clicked] : cases) {
    SCOPED_TRACE(icons);
    Client client(icons);
    if (icons < 0)  // no window opens at all
      client.p.desktop.onReceive(client.p.client.keywordBox, {});
    if (*clicked) {
      EXPECT_EQ(client.said(), kKeyword + Sent(clicked));
    } else {  // no send icon: typed nothing, and gave up after 15 s
      EXPECT_EQ(client.said(), kKeyword);
      EXPECT_EQ(client.p.platform.now(), 15);
    }
  }
}

TEST(InstantMessage, AWindowStillBeingBuiltIsClickedOnlyOnceWhole) {
  // The client adds the icons one by one, 0.05 s apart: the ninth at 0.7.
  Client client(1);
  for (int i = 2; i <= 9; ++i) {
    client.p.platform.at(0.25 + 0.05 * i, [&client, i] {
      client.p.desktop.add(client.im.window, "_AOL_Icon", "", "im1.icon" + std::to_string(i));
    });
  }
  EXPECT_EQ(client.said(), kKeyword + Sent("icon9", "0.9"));
}

TEST(InstantMessage, ASecondRequestInsideTheFirstsWaitRunsWholeAndFinishesFirst) {
  Client client(9, "gone");
  std::string finished;
  client.p.platform.at(0.6, [&] {
    quil32::SetInstantMessagesOn(client.p.desktop, client.p.runtime);
    finished += "on ";
  });
  EXPECT_EQ(client.said(), kKeyword + Sent("icon9") +
                               "; 0.6 keyword settext \"aol://9293:$IM_ON\"; 0.6 keyword char 32; "
                               "0.6 keyword char 13; 1.1 im2.entry settext \"=)\"; "
                               "1.1 im2.icon9 lbuttondown; 1.1 im2.icon9 lbuttonup");
  EXPECT_EQ(finished, "on ");
  EXPECT_DOUBLE_EQ(client.p.platform.now(), 1.7);
}

}  // namespace
