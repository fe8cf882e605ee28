// zoble's three windows on the headless platform, beside a client with one
// chat room open and other programs' windows of the client's classes. The
// clock starts a quarter past a whole second, so a first pause lasts 0.75 s
// and one that starts on a whole second 1 s.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "console/forms.h"
#include "support/fake_client.h"
#include "support/golden_lines.h"
#include "support/headless_platform.h"
#include "support/sequence.h"

namespace fake {

struct Program {
  explicit Program(double timeOfDay = 36000.25) : platform(desktop, timeOfDay) {
    AddOtherPrograms(desktop);
  }
  FakeDesktop desktop;
  FakeClient client{desktop};
  Room room = client.addRoom("lobby");
  HeadlessPlatform platform;
  ui::Runtime runtime{platform, "zoble"};
  console::WindowSet set{desktop, runtime};
  console::Form1& main = set.form1();

  // The splash shown and clicked, as the user starts; the journal of the
  // greeting is left out.
  void start() {
    runtime.invoke([this] { set.form2().show(); });
    runtime.invoke([this] { set.form2().raise(ui::Event::kClick, ""); });
    desktop.journal.clear();
  }
  // A click at `t`; the journal notes when its handler has returned.
  void click(double t, ui::Form& form, std::string control) {
    platform.at(t, [this, &form, control] {
      form.raise(ui::Event::kClick, control);
      desktop.note(control + " returned");
    });
  }
  // What the user does on the main window once the greeting is over (at
  // 0.75), as "instant what; ...": "LabelN" clicks, "Label7:item" chooses
  // from the menu, "=text" types the reason, "close" runs `close`. Returns
  // the last instant.
  double play(const std::string& steps, std::function<void()> close = {}) {
    start();
    std::istringstream in(steps);
    double at = 0;
    for (std::string what; in >> at && std::getline(in >> std::ws, what, ';');) {
      if (what[0] == '=')
        platform.at(at, [this, what] { platform.typed["Form1.Text1"] = what.substr(1); });
      else if (what == "close")
        platform.at(at, close);
      else if (what.starts_with("Label7:"))
        platform.menuChoices.push_back(what.substr(7));
      if (what.starts_with("Label"))
        click(at, main, what.substr(0, what.find(':')));
    }
    return at;
  }
  // The client opens the instant-message window 0.3 s after Enter in the
  // keyword box, behind the room, with `icons` icons; 0.2 s after a click on
  // one of them, the window is "gone", a "new" one opens, a "dialog" comes,
  // with a "button" or not, as `answer` says; or its entry takes nothing
  // ("unread") or is not there ("no entry"). `clicked` runs as the click
  // arrives.
  void answerInstantMessages(int icons, std::string answer) {
    desktop.onReceive(client.keywordBox, [=, this](const std::string& what) {
      if (what != "char 13")
        return;
      platform.elsewhereAt(platform.now() + 0.3, [=, this] {
        im = client.addImWindow(icons, answer != "no entry");
        desktop.bringToFront(room.window);
        if (answer == "unread")
          desktop.setAnswer(desktop.findWindowEx(im.window, {}, "RICHCNTL", {}), Delivery::kFailed);
        for (const Hwnd icon : im.icons) {
          desktop.onReceive(icon, [=, this](const std::string& what) {
            if (what != "lbuttonup")
              return;
            if (clicked)
              clicked();
            platform.elsewhereAt(platform.now() + 0.2, [=, this] {
              if (answer.find("gone") != std::string::npos)
                desktop.remove(im.window);
              if (answer.find("new") != std::string::npos)
                client.addImWindow(9);
              if (answer.find("dialog") != std::string::npos)
                client.addDialog(answer.find("button") != std::string::npos);
            });
          });
        }
      });
    });
  }
  ImWindow im;  // the last opened
  std::function<void()> clicked;
  // Runs the event loop until `horizon` (or until the program ends).
  void runUntil(double horizon) {
    platform.horizon = horizon;
    runtime.run();
  }
  // The calls for which `about` holds, in order.
  std::vector<Call> calls(const std::function<bool(const Call&)>& about) const {
    std::vector<Call> found;
    for (const Call& call : desktop.journal) {
      if (about(call))
        found.push_back(call);
    }
    return found;
  }
  // The lines the room took, and whatever reached another window than the
  // program's own (the strays, the keyword box, the room's entry without
  // its Enter): what the room and the user see of zoble.
  std::vector<Call> lines() const {
    return calls([](const Call& c) { return c.who != "-" && !c.who.starts_with("Form"); });
  }
};

// The keyword that opens the instant-message window for `name`, typed; the
// message typed into that window and its send icon clicked.
inline Sequence KeywordTyped(const std::string& name) {
  return {"keyword settext \"aol://9293:" + name + "\"", "keyword char 32", "keyword char 13"};
}
inline Sequence MessageSent(const std::string& icon = "icon9", const std::string& im = "im1") {
  return {im + ".entry settext \"=)\"", im + "." + icon + " lbuttondown",
          im + "." + icon + " lbuttonup"};
}

}  // namespace fake
