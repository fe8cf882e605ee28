// The chat client's window tree in the in-memory desktop, and other
// programs' windows of the same classes:
//   AOL Frame25 > AOL Toolbar > _AOL_Toolbar > _AOL_Combobox > Edit (the keyword box)
//               > MDIClient > AOL Child (rooms, the instant-message window)
//   #32770 "America Online" > Button (the client's answer to a send)
#pragma once

#include "support/fake_desktop.h"

namespace fake {

struct Room {
  Hwnd window, entry;
};

struct ImWindow {
  Hwnd window;
  std::vector<Hwnd> icons;  // in Z order
};

class FakeClient {
 public:
  // The whole client, or the client with the window of class `skip`, and all
  // under it, missing.
  explicit FakeClient(FakeDesktop& desktop, std::string skip = "") : d_(desktop), skip_(skip) {
    frame = skip == "AOL Frame25" ? Hwnd{} : d_.add({}, "AOL Frame25", "America Online", "frame");
    Hwnd bar = frame;
    for (const char* cls : {"AOL Toolbar", "_AOL_Toolbar", "_AOL_Combobox", "Edit"})
      bar = add(bar, cls, cls == std::string("Edit") ? "keyword" : "");
    keywordBox = bar;
    area = add(frame, "MDIClient");
  }

  // A room behind the inner windows open: a transcript, an entry, a people
  // list, icons and a label, with the children of class `skip` left out.
  Room addRoom(const std::string& name, const std::string& skip = "") {
    const Hwnd room = add(area, "AOL Child", name, "", name);
    add(room, "RICHCNTL", name + ".transcript", skip);
    const Hwnd entry = add(room, "RICHCNTL", name + ".entry", skip);
    for (const char* cls : {"_AOL_Listbox", "_AOL_Icon", "_AOL_Icon", "_AOL_Static"})
      add(room, cls, "", skip);
    return {room, entry};
  }

  // The instant-message window, in front of the other inner windows, with
  // its entry or not.
  ImWindow addImWindow(int icons, bool entry = true) {
    const std::string name = "im" + std::to_string(++ims_);
    ImWindow im{d_.add(area, "AOL Child", "Send Instant Message", name), {}};
    d_.bringToFront(im.window);
    if (entry)
      d_.add(im.window, "RICHCNTL", "", name + ".entry");
    for (int i = 1; i <= icons; ++i)
      im.icons.push_back(d_.add(im.window, "_AOL_Icon", "", name + ".icon" + std::to_string(i)));
    return im;
  }

  // The client's answer to a send: a top-level dialog, with its button or not.
  void addDialog(bool button) {
    const Hwnd dialog = d_.add({}, "#32770", "America Online", "dialog");
    d_.bringToFront(dialog);
    if (button)
      d_.add(dialog, "Button", "OK", "button");
  }

  Hwnd frame, keywordBox, area;

 private:
  Hwnd add(Hwnd parent, const std::string& cls, const std::string& name = "",
           const std::string& skip = "", const std::string& title = "") {
    if (!parent || cls == skip || cls == skip_)
      return {};  // the parent, or this window, is missing
    return d_.add(parent, cls, title, name);
  }

  FakeDesktop& d_;
  std::string skip_;
  int ims_ = 0;
};

// Other programs' windows of the classes and titles the client's tree has,
// behind the client: a search that went on from a missing link, or that
// dropped a class or a title, would find these ("stray" in the journal).
inline void AddOtherPrograms(FakeDesktop& d) {
  const Hwnd area = d.add({}, "MDIClient", "", "stray");
  for (const Hwnd parent : {Hwnd{}, area}) {
    const Hwnd w = d.add(parent, "AOL Child", "Send Instant Message", "stray");
    for (const char* cls : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Static"})
      d.add(w, cls, "", "stray");
    for (int i = 0; i < 9; ++i)
      d.add(w, "_AOL_Icon", "", "stray");
  }
  for (const char* cls : {"RICHCNTL", "RICHCNTL", "Edit"})
    d.add({}, cls, "", "stray");
  d.add(d.add({}, "#32770", "Other", "stray"), "Button", "OK", "stray");
}

}  // namespace fake
