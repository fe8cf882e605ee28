// The chat client's window tree in the in-memory desktop:
//   AOL Frame25 > AOL Toolbar > _AOL_Toolbar > _AOL_Combobox > Edit (the keyword box)
//               > MDIClient > AOL Child (rooms, the instant-message window)
#pragma once

#include <string>
#include <vector>

#include "support/fake_desktop.h"

namespace fake {

struct Room {
  Hwnd window, entry;
};

struct ImWindow {
  Hwnd window, entry;
  std::vector<Hwnd> icons;  // in Z order
};

class FakeClient {
 public:
  // The whole client, or the client with the window of class `skip` (and
  // everything under it) missing.
  explicit FakeClient(FakeDesktop& desktop, std::string_view skip = "") : d_(desktop), skip_(skip) {
    if (skip_ != "AOL Frame25")
      frame = d_.add({}, "AOL Frame25", "America Online", "frame");
    keywordBox = add(add(add(add(frame, "AOL Toolbar"), "_AOL_Toolbar"), "_AOL_Combobox"), "Edit",
                     "", "keyword");
    area = add(frame, "MDIClient");
  }

  // A room behind the inner windows open, with a transcript, an entry, a
  // people list, icons and a label; `skip` leaves out one kind of child.
  Room addRoom(const std::string& name, std::string_view skip = "") {
    Room room{add(area, "AOL Child", name, name, skip), {}};
    add(room.window, "RICHCNTL", "", name + ".transcript", skip);
    room.entry = add(room.window, "RICHCNTL", "", name + ".entry", skip);
    for (const char* cls : {"_AOL_Listbox", "_AOL_Icon", "_AOL_Icon", "_AOL_Static"})
      add(room.window, cls, "", "", skip);
    return room;
  }

  // The instant-message window, in front of the other inner windows.
  ImWindow addImWindow(int icons) {
    const std::string name = "im" + std::to_string(++ims_);
    ImWindow im{add(area, "AOL Child", "Send Instant Message", name), {}, {}};
    d_.bringToFront(im.window);
    im.entry = add(im.window, "RICHCNTL", "", name + ".entry");
    for (int i = 1; i <= icons; ++i)
      im.icons.push_back(add(im.window, "_AOL_Icon", "", name + ".icon" + std::to_string(i)));
    return im;
  }

  // The client's answer to a send, a top-level dialog.
  Hwnd addDialog(bool button) {
    const Hwnd dialog = d_.add({}, "#32770", "America Online", "dialog");
    d_.bringToFront(dialog);
    if (button)
      d_.add(dialog, "Button", "OK", "button");
    return dialog;
  }

  Hwnd frame, keywordBox, area;

 private:
  Hwnd add(Hwnd parent, std::string cls, std::string title = "", std::string name = "",
           std::string_view skip = "") {
    if (!parent || cls == skip || cls == skip_)
      return {};  // the parent, or this window, is missing
    return d_.add(parent, std::move(cls), std::move(title), std::move(name));
  }

  FakeDesktop& d_;
  std::string skip_;
  int ims_ = 0;
};

}  // namespace fake
