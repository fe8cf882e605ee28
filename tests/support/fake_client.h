// The chat client's window tree, built in the in-memory desktop.
#pragma once

#include <string>

#include "support/fake_desktop.h"

namespace fake {

struct Room {
  Hwnd window;
  Hwnd transcript;
  Hwnd entry;  // 0 in a room with a single rich-text child
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

  Hwnd frame;
  Hwnd area;

 private:
  Room addInnerWindow(const std::string& title, const std::string& missingClass, bool entry);
  FakeDesktop& desktop_;
};

}  // namespace fake
