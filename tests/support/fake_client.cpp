#include "support/fake_client.h"

namespace fake {

FakeClient::FakeClient(FakeDesktop& desktop) : desktop_(desktop) {
  frame = desktop_.add({}, "AOL Frame25", "America Online");
  const Hwnd toolbar = desktop_.add(frame, "AOL Toolbar");
  const Hwnd bar = desktop_.add(toolbar, "_AOL_Toolbar");
  keywordBox = desktop_.add(desktop_.add(bar, "_AOL_Combobox"), "Edit");
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

ImWindow FakeClient::addImWindow(int icons) {
  ImWindow im;
  im.window = desktop_.add(area, "AOL Child", "Send Instant Message");
  desktop_.bringToFront(im.window);
  im.entry = desktop_.add(im.window, "RICHCNTL");
  for (int i = 0; i < icons; ++i)
    im.icons.push_back(desktop_.add(im.window, "_AOL_Icon"));
  return im;
}

Hwnd FakeClient::addDialog(bool button) {
  const Hwnd dialog = desktop_.add({}, "#32770", "America Online");
  desktop_.bringToFront(dialog);
  if (button)
    desktop_.add(dialog, "Button", "OK");
  return dialog;
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
