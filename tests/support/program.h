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

}  // namespace fake
