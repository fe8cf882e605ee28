// The chat client's window tree, built in the in-memory desktop.
#pragma once

#include <string>
#include <vector>

#include "support/fake_desktop.h"

namespace fake {

struct Room {
  Hwnd window;
  Hwnd transcript;
  Hwnd entry;  // 0 in a room with a single rich-text child
};

struct ImWindow {
  Hwnd window;
  Hwnd entry;
  std::vector<Hwnd> icons;  // in Z order
};

class FakeClient {
 public:
  explicit FakeClient(FakeDesktop& desktop);

  // The room is created behind the inner windows already open.
  Room addRoom(const std::string& title);
  // A room without its second rich-text child.
  Room addRoomWithOneRichText(const std::string& title);
  // An inner window with every child class of a room but `missingClass`.
  Room addRoomLike(const std::string& title, const std::string& missingClass);
  // The instant-message window, in front of the other inner windows.
  ImWindow addImWindow(int icons);
  // The answer dialog, a top-level window; `button` gives it its button.
  Hwnd addDialog(bool button = true);

  Hwnd frame;
  Hwnd keywordBox;  // the toolbar's "Edit"
  Hwnd area;

 private:
  Room addInnerWindow(const std::string& title, const std::string& missingClass, bool entry);
  FakeDesktop& desktop_;
};

}  // namespace fake
