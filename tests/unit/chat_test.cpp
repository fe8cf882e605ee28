#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/fake_client.h"

namespace {

using fake::Call;
using fake::FakeClient;
using fake::FakeDesktop;
using fake::SetText;
using quil32::Hwnd;
using quil32::kEnter;
namespace msg = quil32::msg;

using Journal = std::vector<Call>;

Journal Line(Hwnd entry, std::string ansi) {
  return {SetText(entry, std::move(ansi)), fake::Sent(entry, msg::kChar, kEnter)};
}

TEST(ChatRoomWalk, FrontMostRoomGetsTheLine) {
  FakeDesktop desktop;
  FakeClient client(desktop);
  const auto front = client.addRoom("Lobby");
  const auto back = client.addRoom("Town Square");

  EXPECT_EQ(quil32::FindChatWindow(desktop), front.window);
  std::string text = "hello";
  quil32::SendChatLine(desktop, text);
  EXPECT_EQ(desktop.journal(), Line(front.entry, "hello"));

  // No handle is kept: once the other room comes to the front, it gets the next line.
  desktop.clearJournal();
  desktop.bringToFront(back.window);
  quil32::SendChatLine(desktop, text);
  EXPECT_EQ(desktop.journal(), Line(back.entry, "hello"));
  EXPECT_EQ(desktop.textOf(back.entry), "hello");
}

TEST(ChatRoomWalk, InnerWindowLackingAnyRoomChildIsPassedOver) {
  for (const char* missing : {"RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}) {
    SCOPED_TRACE(missing);
    FakeDesktop desktop;
    FakeClient client(desktop);
    const auto lookalike = client.addRoomLike("Mail", missing);
    const auto room = client.addRoom("Lobby");

    EXPECT_EQ(quil32::FindChatWindow(desktop), room.window);
    std::string text = "x";
    quil32::SendChatLine(desktop, text);
    EXPECT_EQ(desktop.journal(), Line(room.entry, "x"));
    EXPECT_TRUE(desktop.journalOf(lookalike.entry).empty());
  }
}

TEST(ChatRoomWalk, NothingIsSentWhenALinkOfTheChainIsMissing) {
  struct Case {
    const char* name;
    std::function<void(FakeDesktop&)> build;
  };
  // Two stray top-level rich-text windows of some other program stand by in
  // every case: with the chain broken, none of them may receive anything.
  const Case cases[] = {
      {"no client", [](FakeDesktop&) {}},
      {"no inner area",
       [](FakeDesktop& d) { d.add(d.add({}, "AOL Frame25", "America Online"), "MDIClient2"); }},
      {"no room open", [](FakeDesktop& d) { FakeClient client(d); }},
      {"room with a single rich-text child",
       [](FakeDesktop& d) { FakeClient(d).addRoomWithOneRichText("Lobby"); }},
      {"only a room-like window",
       [](FakeDesktop& d) { FakeClient(d).addRoomLike("IM", "_AOL_Listbox"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDesktop desktop;
    desktop.add({}, "RICHCNTL", "other program");
    desktop.add({}, "RICHCNTL", "other program");
    desktop.add({}, "_AOL_Listbox");
    desktop.add({}, "_AOL_Icon");
    desktop.add({}, "_AOL_Static");
    c.build(desktop);

    std::string text = "line";
    quil32::SendChatLine(desktop, text);
    EXPECT_EQ(desktop.journal(), Journal{});
    EXPECT_EQ(text, "line");
  }
}

TEST(ChatLine, TextReachesTheEntryAsAnsiBytesAndComesBackConverted) {
  FakeDesktop desktop;
  FakeClient client(desktop);
  const auto room = client.addRoom("Lobby");

  // The catalogue's marks are single bytes in code page 1252; a character the
  // code page lacks is lost as "?" in the window and in the caller's string.
  std::string text = "\u00BA\u00B7 a \u00BA. b \u4E2D \U0001F600 \u20AC";
  quil32::SendChatLine(desktop, text);
  EXPECT_EQ(desktop.journal(), Line(room.entry, "\xBA\xB7 a \xBA. b ? ?? \x80"));
  EXPECT_EQ(text, "\u00BA\u00B7 a \u00BA. b ? ?? \u20AC");

  // An empty line empties the entry and presses Enter all the same.
  desktop.clearJournal();
  std::string empty;
  quil32::SendChatLine(desktop, empty);
  EXPECT_EQ(desktop.journal(), Line(room.entry, ""));
  EXPECT_EQ(desktop.textOf(room.entry), "");
}

TEST(ChatLine, EnterIsNotPressedWhenTheTextDidNotArrive) {
  FakeDesktop desktop;
  FakeClient client(desktop);
  const auto room = client.addRoom("Lobby");
  desktop.setHung(room.entry, true);

  std::string text = "lost";
  quil32::SendChatLine(desktop, text);
  EXPECT_EQ(desktop.journal(), Journal{SetText(room.entry, "lost")});
}

}  // namespace
