#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

using fake::Follows;
using fake::Sequence;
using quil32::Hwnd;

// The client: Enter in the keyword box opens the instant-message window
// 0.3 s later, behind the room, with `icons` icons; 0.2 s after a click on
// one of them, the window is "gone", a "new" one opens, a "dialog" comes,
// with a "button" or not, as `answer` says; or its entry takes nothing.
struct Client {
  explicit Client(int icons, std::string answer = "") {
    p.desktop.onReceive(p.client.keywordBox, [=, this](const std::string& what) {
      if (what != "char 13")
        return;
      p.platform.at(p.platform.now() + 0.3, [=, this] {
        im = p.client.addImWindow(icons);
        p.desktop.bringToFront(p.room.window);
        if (answer == "unread")  // the message does not arrive
          p.desktop.setAnswer(p.desktop.findWindowEx(im.window, {}, "RICHCNTL", {}),
                              fake::Delivery::kFailed);
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
  std::vector<fake::Call> imOff() {
    quil32::SetInstantMessagesOff(p.desktop, p.runtime);
    return p.lines();
  }
  fake::Program p;
  fake::ImWindow im;  // the last opened
};

const Sequence kKeyword = {"keyword settext \"aol://9293:$IM_OFF\"", "keyword char 32",
                           "keyword char 13"};

// "=)" typed into the window's entry, and its send icon clicked.
Sequence Sent(const std::string& icon, const std::string& im = "im1") {
  return {im + ".entry settext \"=)\"", im + "." + icon + " lbuttondown",
          im + "." + icon + " lbuttonup"};
}

TEST(InstantMessage, AnswersWhatTheClientAnswers) {
  const Sequence sent = Sent("icon9"), keys = {"button post keydown 32", "button post keyup 32"};
  const std::pair<const char*, Sequence> cases[] = {
      {"gone", sent},
      {"dialog button", sent + keys + Sequence{"im1 post close"}},
      // A dialog without a button: no keys go anywhere, the window still closes.
      {"dialog", sent + Sequence{"im1 post close"}},
      // The dialog is looked for first: with the window gone it still gets its keys.
      {"gone dialog button", sent + keys},
      // The close goes to the window found with the dialog.
      {"gone new dialog button", sent + keys + Sequence{"im2 post close"}},
      // No click sends a message that did not arrive.
      {"unread", {"im1.entry settext \"=)\" failed"}},
  };
  for (const auto& [answer, then] : cases) {
    SCOPED_TRACE(answer);
    Client client(9, answer);
    EXPECT_TRUE(Follows(client.imOff(), kKeyword + then));
    EXPECT_LT(client.p.platform.now(), 2) << "returns once answered";
  }
}

TEST(InstantMessage, ClicksTheNinthIconWalkingOnFromTheFirstAfterTheLast) {
  // A step after one that found nothing starts again from the first icon.
  const std::pair<int, const char*> cases[] = {
      {2, ""}, {3, "icon1"}, {8, ""}, {9, "icon9"}, {10, "icon9"}};
  for (const auto& [icons, clicked] : cases) {
    SCOPED_TRACE(icons);
    Client client(icons);
    // No send icon: nothing typed, nothing clicked.
    EXPECT_TRUE(Follows(client.imOff(), kKeyword + (*clicked ? Sent(clicked) : Sequence{})));
  }
}

TEST(InstantMessage, ActsOnAWindowOnceItHasLookedTheSameForAFifthOfASecond) {
  // The client adds the icons one by one, 0.05 s apart: the ninth at 0.7.
  Client whole(9, "dialog button"), building(1, "dialog button");
  for (int i = 2; i <= 9; ++i) {
    building.p.platform.at(0.25 + 0.05 * i, [&building, i] {
      building.p.desktop.add(building.im.window, "_AOL_Icon", "", "im1.icon" + std::to_string(i));
    });
  }
  // Opened at 0.3, whole at once or with its ninth icon at 0.7; the dialog
  // comes 0.2 s after the click.
  EXPECT_TRUE(Follows(whole.imOff(),
                      kKeyword + Sequence{"@0.5 im1.entry settext \"=)\"", "im1.icon9 lbuttondown",
                                          "im1.icon9 lbuttonup", "@0.9 button post keydown 32",
                                          "button post keyup 32", "im1 post close"}));
  EXPECT_TRUE(Follows(building.imOff(),
                      kKeyword + Sequence{"@0.9 im1.entry settext \"=)\"", "im1.icon9 lbuttondown",
                                          "im1.icon9 lbuttonup"}));
}

TEST(InstantMessage, GivesEachWaitUpAfterFifteenSeconds) {
  Client none(-1), silent(9);
  none.p.desktop.onReceive(none.p.client.keywordBox, {});  // no window opens at all
  EXPECT_TRUE(Follows(none.imOff(), kKeyword));
  EXPECT_DOUBLE_EQ(none.p.platform.now(), 15);
  EXPECT_TRUE(Follows(silent.imOff(), kKeyword + Sent("icon9")));
  EXPECT_DOUBLE_EQ(silent.p.platform.now(), 15.5);  // the click at 0.5
}

TEST(InstantMessage, ASecondRequestInsideTheFirstsWaitRunsWholeAndFinishesFirst) {
  Client client(9, "gone");
  std::string finished;
  client.p.platform.at(0.6, [&] {
    quil32::SetInstantMessagesOn(client.p.desktop, client.p.runtime);
    finished += "on ";
  });
  EXPECT_TRUE(Follows(client.imOff(), kKeyword + Sent("icon9") +
                                          Sequence{"keyword settext \"aol://9293:$IM_ON\"",
                                                   "keyword char 32", "keyword char 13"} +
                                          Sent("icon9", "im2")));
  finished += "off";
  EXPECT_EQ(finished, "on off");
}

}  // namespace
