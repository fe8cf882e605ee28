#include <gtest/gtest.h>

#include "driver/quil32.h"
#include "support/program.h"

namespace {

using fake::Delivery;
using fake::FakeClient;
using fake::Follows;
using fake::Program;
using quil32::Hwnd;

void Post(Program& p, std::string text) {
  p.desktop.journal.clear();
  quil32::SendChatLine(p.desktop, text);
}

TEST(ChatLine, GoesToTheFrontMostRealRoomOfTheMoment) {
  // An inner window that lacks any of the four kinds of child a room has is
  // no room, in front or not.
  for (const char* missing : {"RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}) {
    SCOPED_TRACE(missing);
    Program p;
    p.desktop.bringToFront(p.client.addRoom("front").window);
    p.desktop.bringToFront(p.client.addRoom("mail", missing).window);
    Post(p, "hi");
    EXPECT_TRUE(Follows(p.lines(), {"front.entry <- \"hi\""}));
    // No handle is kept: the room now in front gets the next line. An empty
    // one empties the entry, and Enter is pressed all the same.
    p.desktop.bringToFront(p.room.window);
    Post(p, "");
    EXPECT_TRUE(Follows(p.lines(), {"\"\""}));
  }
}

TEST(ChatLine, EnterOnlyFollowsItsOwnText) {
  // Enter after a text that did not arrive would post what the user had half
  // typed there; the keyword box is kept to the same rule.
  for (const auto& [answer, word] :
       {std::pair{Delivery::kFailed, " failed"}, std::pair{Delivery::kRefused, " refused"}}) {
    Program p;
    p.desktop.setAnswer(p.room.entry, answer);
    p.desktop.setAnswer(p.client.keywordBox, answer);
    std::string line = "x", keyword = "k";
    quil32::SendChatLine(p.desktop, line);
    quil32::GoToKeyword(p.desktop, keyword);
    EXPECT_TRUE(Follows(p.lines(), {std::string("lobby.entry settext \"x\"") + word,
                                    std::string("keyword settext \"k\"") + word}));
  }
}

TEST(ChatLine, NothingIsTypedAnywhereWhenALinkOfTheChainIsMissing) {
  // What the client's tree lacks, and the room open in it: none, one with a
  // single RICHCNTL, a look-alike without a people list. Other programs'
  // windows of the same classes are there to be found by a search that went
  // on from a missing link.
  const std::pair<const char*, const char*> cases[] = {
      {"AOL Frame25", ""},  {"MDIClient", ""},   {"", ""},    {"", "entry"},
      {"", "_AOL_Listbox"}, {"AOL Toolbar", ""}, {"Edit", ""}};
  for (const auto& [missing, room] : cases) {
    SCOPED_TRACE(testing::Message() << missing << " " << room);
    Program p;  // its client is taken away
    p.desktop.remove(p.client.frame);
    FakeClient client(p.desktop, missing);
    if (*room) {
      const Hwnd entry = client.addRoom("lobby", room).entry;
      if (room == std::string("entry"))
        p.desktop.remove(entry);
    }
    Post(p, "line");
    EXPECT_TRUE(Follows(p.lines(), {}));
    if (*missing) {  // the keyword box is out of reach too
      quil32::SetInstantMessagesOff(p.desktop, p.runtime);
      EXPECT_TRUE(Follows(p.lines(), {}));
    }
  }
}

}  // namespace
