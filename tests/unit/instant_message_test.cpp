#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

using fake::Call;
using fake::Posted;
using fake::Sent;
using fake::SetText;
using quil32::Hwnd;
using quil32::kEnter;
using quil32::kSpace;
namespace msg = quil32::msg;
using Journal = std::vector<Call>;

// What the client does after the send icon is clicked.
enum class Outcome {
  kCloses,
  kDialog,
  kDialogWithoutButton,
  kDialogAndCloses,
  kDialogInANewWindow,  // the window is replaced by another as the dialog comes
  kNothing
};

// The client's side: Enter in the keyword box opens the instant-message
// window a moment later; a click on any of its icons brings the outcome.
class InstantMessage : public testing::Test {
 protected:
  void clientAnswers(int icons, Outcome outcome) {
    p.desktop.onReceive(p.client.keywordBox, [=, this](const Call& c) {
      if (c.message != msg::kChar || c.wParam != kEnter)
        return;
      p.platform.at(p.platform.now() + 0.3, [=, this] {
        im = p.client.addImWindow(icons);
        opened.push_back(im);
        for (const Hwnd icon : im.icons) {
          p.desktop.onReceive(icon, [=, this](const Call& click) {
            if (click.message == msg::kLButtonUp) {
              p.platform.at(p.platform.now() + 0.2, [=, this] { answer(outcome); });
            }
          });
        }
      });
    });
  }

  void answer(Outcome outcome) {
    if (outcome == Outcome::kCloses || outcome == Outcome::kDialogAndCloses)
      p.desktop.remove(im.window);
    if (outcome == Outcome::kDialogAndCloses)
      dialog = p.client.addDialog();
    if (outcome == Outcome::kDialogInANewWindow) {
      p.desktop.remove(im.window);
      im = p.client.addImWindow(9);
      dialog = p.client.addDialog();
    }
    if (outcome == Outcome::kDialog)
      dialog = p.client.addDialog();
    if (outcome == Outcome::kDialogWithoutButton)
      dialog = p.client.addDialog(false);
  }

  Journal keyword(const std::string& name, double at = 0) {
    const Hwnd box = p.client.keywordBox;
    return {SetText(box, "aol://9293:" + name, at), Sent(box, msg::kChar, kSpace, 0, at),
            Sent(box, msg::kChar, kEnter, 0, at)};
  }

  // "=)" typed into `w` and its icon `icon` clicked.
  static Journal typedAndSent(const fake::ImWindow& w, size_t icon, double at) {
    const Hwnd clicked = w.icons[icon];
    return {SetText(w.entry, "=)", at), Sent(clicked, msg::kLButtonDown, 0, 0, at),
            Sent(clicked, msg::kLButtonUp, 0, 0, at)};
  }

  static Journal join(std::initializer_list<Journal> parts) {
    Journal all;
    for (const Journal& part : parts)
      all.insert(all.end(), part.begin(), part.end());
    return all;
  }

  fake::Program p;
  fake::ImWindow im;  // the last one opened
  std::vector<fake::ImWindow> opened;
  Hwnd dialog;
};

TEST_F(InstantMessage, OffTypesTheKeywordThenTheMessageAndClicksTheNinthIcon) {
  clientAnswers(12, Outcome::kCloses);
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  // The window closed by itself: nothing more is sent.
  // The window is acted on once it has looked the same for 0.2 s.
  EXPECT_EQ(p.desktop.journal(), join({keyword("$IM_OFF"), typedAndSent(im, 8, 0.5)}));
  EXPECT_DOUBLE_EQ(p.platform.now(), 0.9);
}

TEST_F(InstantMessage, ADialogIsAnsweredWithASpaceAndTheWindowToldToClose) {
  clientAnswers(9, Outcome::kDialog);
  quil32::SetInstantMessagesOn(p.desktop, p.runtime);
  const Hwnd button = p.desktop.findWindowEx(dialog, {}, "Button", std::nullopt);
  EXPECT_EQ(p.desktop.journal(), join({keyword("$IM_ON"),
                                       typedAndSent(im, 8, 0.5),
                                       {Posted(button, msg::kKeyDown, kSpace, 0, 0.9),
                                        Posted(button, msg::kKeyUp, kSpace, 0, 0.9),
                                        Posted(im.window, msg::kClose, 0, 0, 0.9)}}));
}

TEST_F(InstantMessage, ADialogWithoutAButtonGetsNoKeysButTheWindowIsStillClosed) {
  clientAnswers(9, Outcome::kDialogWithoutButton);
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  EXPECT_EQ(p.desktop.journal(), join({keyword("$IM_OFF"),
                                       typedAndSent(im, 8, 0.5),
                                       {Posted(im.window, msg::kClose, 0, 0, 0.9)}}));
}

TEST_F(InstantMessage, TheDialogIsLookedForFirstAndAnsweredEvenWhenTheWindowHasGone) {
  clientAnswers(9, Outcome::kDialogAndCloses);
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  const Hwnd button = p.desktop.findWindowEx(dialog, {}, "Button", std::nullopt);
  // No close goes to a window that is gone.
  EXPECT_EQ(p.desktop.journal(), join({keyword("$IM_OFF"),
                                       typedAndSent(im, 8, 0.5),
                                       {Posted(button, msg::kKeyDown, kSpace, 0, 0.9),
                                        Posted(button, msg::kKeyUp, kSpace, 0, 0.9)}}));
}

TEST_F(InstantMessage, TheCloseGoesToTheWindowFoundWithTheDialog) {
  clientAnswers(9, Outcome::kDialogInANewWindow);
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  const Hwnd button = p.desktop.findWindowEx(dialog, {}, "Button", std::nullopt);
  EXPECT_EQ(p.desktop.journal(), join({keyword("$IM_OFF"),
                                       typedAndSent(opened[0], 8, 0.5),
                                       {Posted(button, msg::kKeyDown, kSpace, 0, 0.9),
                                        Posted(button, msg::kKeyUp, kSpace, 0, 0.9),
                                        Posted(im.window, msg::kClose, 0, 0, 0.9)}}));
}

TEST_F(InstantMessage, ASecondRequestInsideTheFirstsWaitRunsWholeAndFinishesFirst) {
  clientAnswers(9, Outcome::kCloses);
  std::vector<std::string> finished;
  // "ims on" chosen while "ims off" waits for its window to go.
  p.platform.at(0.6, [&] {
    quil32::SetInstantMessagesOn(p.desktop, p.runtime);
    finished.push_back("on");
  });
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  finished.push_back("off");

  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(finished, (std::vector<std::string>{"on", "off"}));
  EXPECT_EQ(p.desktop.journal(), join({keyword("$IM_OFF"), typedAndSent(opened[0], 8, 0.5),
                                       keyword("$IM_ON", 0.6), typedAndSent(opened[1], 8, 1.1)}));
}

// The send icon is where a walk of nine steps over the "_AOL_Icon" children
// ends; a step after one that found nothing starts over from the first.
struct IconWalk {
  int icons;
  int clicked;  // index of the icon clicked; -1: the walk ends on nothing
};

class SendIconWalk : public InstantMessage, public testing::WithParamInterface<IconWalk> {};

TEST_P(SendIconWalk, ClicksWhereTheNinthStepEnds) {
  const auto [icons, clicked] = GetParam();
  clientAnswers(icons, Outcome::kCloses);
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  if (clicked >= 0) {
    EXPECT_EQ(p.desktop.journal(),
              join({keyword("$IM_OFF"), typedAndSent(im, size_t(clicked), 0.5)}));
  } else {
    // No send icon ever: the wait gives up after its bound, having typed nothing.
    EXPECT_EQ(p.desktop.journal(), keyword("$IM_OFF"));
    EXPECT_DOUBLE_EQ(p.platform.now(), 15);
  }
}

INSTANTIATE_TEST_SUITE_P(IconCounts, SendIconWalk,
                         testing::Values(IconWalk{9, 8}, IconWalk{10, 8}, IconWalk{12, 8},
                                         IconWalk{3, 0},  // 1 2 3 _ 1 2 3 _ 1
                                         IconWalk{5, 2},  // 1..5 _ 1 2 3
                                         IconWalk{0, -1}, IconWalk{2, -1}, IconWalk{8, -1}));

TEST_F(InstantMessage, AWindowStillBeingBuiltIsNotClickedUntilItIsWhole) {
  // The client adds the icons one by one: a walk over the first few would
  // wrap around onto the first icon.
  p.desktop.onReceive(p.client.keywordBox, [this](const Call& c) {
    if (c.message != msg::kChar || c.wParam != kEnter)
      return;
    p.platform.at(0.3, [this] { im = p.client.addImWindow(1); });
    for (int i = 1; i < 10; ++i) {
      p.platform.at(0.3 + 0.05 * i,
                    [this] { im.icons.push_back(p.desktop.add(im.window, "_AOL_Icon")); });
    }
  });
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  ASSERT_EQ(im.icons.size(), 10u);
  EXPECT_EQ(p.desktop.journalOf(im.icons[8]).size(), 2u);
  EXPECT_EQ(p.desktop.journalOf(im.icons[0]).size(), 0u);
}

TEST_F(InstantMessage, BothWaitsEndAfterTheirBound) {
  // The client never opens the window: only the keyword was typed.
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  EXPECT_EQ(p.desktop.journal(), keyword("$IM_OFF"));
  EXPECT_DOUBLE_EQ(p.platform.now(), 15);

  // The window opens but neither closes nor brings a dialog after the send:
  // it is left as it is, nothing is posted.
  p.desktop.clearJournal();
  clientAnswers(9, Outcome::kNothing);
  quil32::SetInstantMessagesOff(p.desktop, p.runtime);
  EXPECT_EQ(p.desktop.journal(), join({keyword("$IM_OFF", 15), typedAndSent(im, 8, 15.5)}));
  EXPECT_DOUBLE_EQ(p.platform.now(), 30.5);
}

TEST_F(InstantMessage, NothingIsTypedAnywhereWithoutTheClient) {
  // Another program's top-level edit and lookalike windows stand by.
  fake::FakeDesktop desktop;
  desktop.add({}, "Edit");
  desktop.add({}, "AOL Child", "Send Instant Message");
  fake::HeadlessPlatform platform(desktop, 100);
  ui::Runtime runtime(platform, "zoble");
  quil32::SetInstantMessagesOff(desktop, runtime);
  EXPECT_EQ(desktop.journal(), Journal{});
  EXPECT_EQ(platform.now(), 0) << "nothing to wait for";
}

}  // namespace
