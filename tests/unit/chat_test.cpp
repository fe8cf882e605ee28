#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

using fake::Delivery;
using fake::FakeClient;
using fake::FakeDesktop;
using quil32::Hwnd;

std::string Post(FakeDesktop& d, std::string text) {
  d.journal.clear();
  quil32::SendChatLine(d, text);
  return d.said();
}

TEST(ChatLine, GoesToTheFrontMostRealRoomOfTheMoment) {
  // An inner window that lacks any of the four kinds of child a room has is
  // no room, in front or not.
  for (const char* missing : {"RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}) {
    SCOPED_TRACE(missing);
    fake::Program p;
    p.desktop.bringToFront(p.client.addRoom("front").window);
    p.desktop.bringToFront(p.client.addRoom("mail", missing).window);
    EXPECT_EQ(Post(p.desktop, "hi"), "0 front.entry <- \"hi\"");
    // No handle is kept: the room now in front gets the next line. An empty
    // one empties the entry, and Enter is pressed all the same.
    p.desktop.bringToFront(p.room.window);
    EXPECT_EQ(Post(p.desktop, ""), "0 lobby.entry <- \"\"");
  }
}

TEST(ChatLine, EnterOnlyFollowsItsOwnText) {
  // Enter after a text that did not arrive would post what the user had half
  // typed there; the keyword box is kept to the same rule.
  for (const auto& [answer, word] :
       {std::pair{Delivery::kFailed, "failed"}, std::pair{Delivery::kRefused, "refused"}}) {
    fake::Program p;
    p.desktop.setAnswer(p.room.entry, answer);
    p.desktop.setAnswer(p.client.keywordBox, answer);
    std::string line = "x", keyword = "k";
    quil32::SendChatLine(p.desktop, line);
    quil32::GoToKeyword(p.desktop, keyword);
    EXPECT_EQ(p.desktop.said(), "0 lobby.entry settext \"x\" " + std::string(word) +
                                    "; 0 keyword settext \"k\" " + word);
  }
}

// Windows of other programs of the classes the client's tree has: with a
// link of the chain missing, a search that went on from nothing would find
// these.
void AddStrays(FakeDesktop& d) {
  const Hwnd area = d.add({}, "MDIClient", "", "stray-area");
  for (const Hwnd parent : {Hwnd{}, area}) {
    const Hwnd w = d.add(parent, "AOL Child", "Send Instant Message", "stray");
    for (const char* cls : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Static"})
      d.add(w, cls, "", "stray-child");
    for (int i = 0; i < 9; ++i)
      d.add(w, "_AOL_Icon", "", "stray-icon");
  }
  d.add({}, "Edit", "", "stray-edit");
}

TEST(ChatLine, NothingIsTypedAnywhereWhenALinkOfTheChainIsMissing) {
  // What the client's tree lacks, and the room open in it: none, one with a
  // single RICHCNTL, a look-alike without a people list.
  const std::pair<const char*, const char*> cases[] = {
      {"AOL Frame25", ""},  {"MDIClient", ""},     {"", ""},
      {"", "entry"},        {"", "_AOL_Listbox"},  {"AOL Toolbar", ""},
      {"_AOL_Toolbar", ""}, {"_AOL_Combobox", ""}, {"Edit", ""}};
  for (const auto& [missing, room] : cases) {
    SCOPED_TRACE(testing::Message() << missing << " " << room);
    fake::Program p;  // its lobby is taken away
    p.desktop.remove(p.client.frame);
    AddStrays(p.desktop);
    FakeClient client(p.desktop, missing);
    if (*room) {
      const Hwnd entry = client.addRoom("lobby", room).entry;
      if (room == std::string("entry"))
        p.desktop.remove(entry);
    }
    EXPECT_EQ(Post(p.desktop, "line"), "");
    if (*missing) {  // the keyword box is out of reach too
      quil32::SetInstantMessagesOff(p.desktop, p.runtime);
      EXPECT_EQ(p.desktop.said(), "");
    }
  }
}

}  // namespace
