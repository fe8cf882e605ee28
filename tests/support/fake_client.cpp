#include "support/fake_client.h"

namespace fake {

FakeClient::FakeClient(FakeDesktop& desktop) : desktop_(desktop) {
  frame = desktop_.add({}, "AOL Frame25", "America Online");
  area = desktop_.add(frame, "MDIClient");
}

Room FakeClient::addRoom(const std::string& title) {
  return addInnerWindow(title, "", true);
}

Room FakeClient::addRoomWithOneRichText(const std::string& title) {
  return addInnerWindow(title, "", false);
}

Room FakeClient::addRoomLike(const std::string& title, const std::string& missingClass) {
  return addInnerWindow(title, missingClass, true);
}

Room FakeClient::addInnerWindow(const std::string& title, const std::string& missingClass,
                                bool entry) {
  Room room;
  room.window = desktop_.add(area, "AOL Child", title);
  const auto child = [&](const std::string& cls) {
    return cls == missingClass ? Hwnd{} : desktop_.add(room.window, cls);
  };
  room.transcript = child("RICHCNTL");
  if (entry)
    room.entry = child("RICHCNTL");
  child("_AOL_Listbox");
  for (int i = 0; i < 3; ++i)
    child("_AOL_Icon");
  child("_AOL_Static");
  return room;
}

}  // namespace fake
