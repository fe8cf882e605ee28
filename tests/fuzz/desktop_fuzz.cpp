// Random clients and random users against zoble's console, in the in-memory
// desktop and virtual time. The input decides the client's windows (rooms,
// look-alikes, instant-message windows and dialogs coming and going, hung
// windows, the client quitting) and the user's clicks, menu choices, typing
// and closes, at random instants, so that they land inside pauses and waits.
//
// Every call zoble makes on the desktop is checked as it is made:
// - a line goes whole to the entry of the front-most chat room of that
//   moment, and Enter only right after it;
// - the keyword, "=)", the icon click, the dialog's keys and the close go to
//   the windows the client's tree has for them at that moment;
// - zoble's own windows get only the calls meant for them;
// - nothing at all once the program has ended.
// And at the end: every handler returned within its bound after the last
// input, a final close ends the program, and no window of the set is left.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "console/forms.h"
#include "driver/client_windows.h"
#include "driver/quil32.h"
#include "support/fake_client.h"
#include "support/headless_platform.h"

namespace {

using fake::Call;
using quil32::Hwnd;
namespace msg = quil32::msg;

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void Require(bool holds, const char* what) {
  if (!holds)
    Broken(what);
}

// The windows a call may go to, read off the desktop's tree as it stands.
struct Oracle {
  fake::FakeDesktop& d;

  Hwnd area() {
    const Hwnd frame = d.findWindow(quil32::client::kFrame, std::nullopt);
    return frame ? d.findWindowEx(frame, {}, quil32::client::kInnerArea, std::nullopt) : Hwnd{};
  }

  bool has(Hwnd w, const char* cls) { return bool(d.findWindowEx(w, {}, cls, std::nullopt)); }

  Hwnd roomEntry() {
    const Hwnd a = area();
    if (!a)
      return {};
    for (Hwnd w = d.findWindowEx(a, {}, "AOL Child", std::nullopt); w;
         w = d.findWindowEx(a, w, "AOL Child", std::nullopt)) {
      if (has(w, "RICHCNTL") && has(w, "_AOL_Listbox") && has(w, "_AOL_Icon") &&
          has(w, "_AOL_Static")) {
        const Hwnd transcript = d.findWindowEx(w, {}, "RICHCNTL", std::nullopt);
        return d.findWindowEx(w, transcript, "RICHCNTL", std::nullopt);
      }
    }
    return {};
  }

  Hwnd keywordBox() {
    const Hwnd frame = d.findWindow(quil32::client::kFrame, std::nullopt);
    Hwnd w = frame;
    for (const char* cls : {"AOL Toolbar", "_AOL_Toolbar", "_AOL_Combobox", "Edit"})
      w = w ? d.findWindowEx(w, {}, cls, std::nullopt) : Hwnd{};
    return w;
  }

  Hwnd im() {
    const Hwnd a = area();
    return a ? d.findWindowEx(a, {}, "AOL Child", "Send Instant Message") : Hwnd{};
  }

  Hwnd imEntry() {
    const Hwnd w = im();
    return w ? d.findWindowEx(w, {}, "RICHCNTL", std::nullopt) : Hwnd{};
  }

  Hwnd sendIcon() {
    const Hwnd w = im();
    Hwnd icon;
    for (int step = 0; w && step < 9; ++step)
      icon = d.findWindowEx(w, icon, "_AOL_Icon", std::nullopt);
    return icon;
  }

  Hwnd dialogButton() {
    const Hwnd dialog = d.findWindow("#32770", "America Online");
    return dialog ? d.findWindowEx(dialog, {}, "Button", std::nullopt) : Hwnd{};
  }

  bool own(Hwnd w) {
    for (Hwnd o = d.findWindow("ZobleForm", std::nullopt); o;
         o = d.findWindowEx({}, o, "ZobleForm", std::nullopt)) {
      if (o == w)
        return true;
    }
    return false;
  }
};

// zoble's access to the desktop, with every call checked as it is made.
class CheckedDesktop final : public quil32::WindowAccess {
 public:
  CheckedDesktop(fake::FakeDesktop& d, const std::set<std::string>& lines)
      : d_(d), oracle_{d}, lines_(lines) {}

  void watch(const ui::Runtime& runtime) { runtime_ = &runtime; }

  Hwnd findWindow(std::string_view cls, std::optional<std::string_view> title) override {
    return d_.findWindow(cls, title);
  }
  Hwnd findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                    std::optional<std::string_view> title) override {
    return d_.findWindowEx(parent, after, cls, title);
  }

  quil32::Delivery sendSetText(Hwnd window, std::string& text) override {
    alive();
    if (window == oracle_.roomEntry()) {
      Require(lines_.count(text) != 0, "a line that is not whole, or not ours");
    } else if (window == oracle_.keywordBox()) {
      Require(text.rfind("aol://9293:$IM_O", 0) == 0, "a keyword that is not ours");
    } else if (window == oracle_.imEntry()) {
      Require(text == "=)", "the instant message is not \"=)\"");
    } else {
      Broken(
          "text set into a window that is not the front room's entry, the keyword box or "
          "the instant-message entry");
    }
    const bool delivered = d_.sendText(window, text);
    textArrived_ = delivered ? window : Hwnd{};
    return delivered ? quil32::Delivery::kDelivered : quil32::Delivery::kFailed;
  }

  quil32::Delivery send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) override {
    alive();
    if (message == msg::kChar) {
      Require(window == textArrived_ &&
                  (window == oracle_.roomEntry() || window == oracle_.keywordBox()),
              "a key that does not follow the text it belongs to");
      Require(
          wParam == quil32::kEnter || (wParam == quil32::kSpace && window != oracle_.roomEntry()),
          "a key other than Enter or the keyword's space");
      if (wParam == quil32::kEnter)
        textArrived_ = {};
    } else if (message == msg::kLButtonDown || message == msg::kLButtonUp) {
      Require(window == oracle_.sendIcon(), "a click off the send icon");
      Require(textArrived_ && textArrived_ == oracle_.imEntry(),
              "the send icon clicked without the message in the entry");
      if (message == msg::kLButtonUp)
        textArrived_ = {};
    } else if (message == msg::kSysCommand) {
      Require(oracle_.own(window), "a system move of a window not ours");
    } else {
      Broken("a message zoble never sends");
    }
    return d_.sendMessage(window, message, wParam, lParam) ? quil32::Delivery::kDelivered
                                                           : quil32::Delivery::kFailed;
  }

  void postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override {
    alive();
    if (message == msg::kKeyDown || message == msg::kKeyUp) {
      Require(window == oracle_.dialogButton() && wParam == quil32::kSpace,
              "keys posted off the dialog's button");
    } else if (message == msg::kClose) {
      Require(window == oracle_.im(), "a close posted to a window other than the IM window");
    } else {
      Broken("a posted message zoble never posts");
    }
    d_.postMessage(window, message, wParam, lParam);
  }

  void setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    unsigned flags) override {
    alive();
    Require(oracle_.own(window), "a foreign window moved");
    d_.setWindowPos(window, insertAfter, x, y, cx, cy, flags);
  }

  void releaseCapture() override {
    alive();
    d_.releaseCapture();
  }

 private:
  void alive() { Require(!runtime_ || !runtime_->ended(), "a call after the program ended"); }

  fake::FakeDesktop& d_;
  Oracle oracle_;
  const std::set<std::string>& lines_;
  const ui::Runtime* runtime_ = nullptr;
  Hwnd textArrived_;
};

const char* const kReasonPieces[] = {
    "lunch",    " ", "<b>", "&amp;", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80",
    "\xd7\xa9", "]", ""};
const char* const kMenuItems[] = {"on", "off", "about", "contact", "exit", ""};

struct Session {
  explicit Session(FuzzedDataProvider& in) : in(in) {
    for (const auto& line : {console::lines::BannerLine(), console::lines::BannerLinkLine(),
                             console::lines::SignatureLine(), console::lines::IdleOnLine(),
                             console::lines::IdleOffLine(), console::lines::AdvertLine(),
                             console::lines::LinkLine(), console::lines::ReasonLine("idle reason")})
      lines.insert(line);
    checked.watch(runtime);
  }

  FuzzedDataProvider& in;
  std::set<std::string> lines;  // every line that may go out whole
  fake::FakeDesktop desktop;
  fake::FakeClient client{desktop};
  fake::HeadlessPlatform platform{desktop, 36000.25};
  CheckedDesktop checked{desktop, lines};
  ui::Runtime runtime{platform, "zoble"};
  console::WindowSet set{checked, runtime};
  int depth = 0;  // user handlers running, nested

  // A user's action on one of zoble's windows, as the platform delivers it.
  void user(ui::Form& form, std::string control) {
    if (runtime.ended() || !form.visible())
      return;
    ++depth;
    form.raise(ui::Event::kClick, control);
    --depth;
  }

  Hwnd anyChild(Hwnd parent) {
    std::vector<Hwnd> all;
    for (Hwnd w = desktop.findWindowEx(parent, {}, "AOL Child", std::nullopt); w;
         w = desktop.findWindowEx(parent, w, "AOL Child", std::nullopt))
      all.push_back(w);
    return all.empty() ? Hwnd{} : all[in.ConsumeIntegralInRange<size_t>(0, all.size() - 1)];
  }

  // The client answers the keyword and the send icon as the real one does,
  // after delays the input picks.
  void clientAnswers() {
    if (!in.ConsumeBool())
      return;
    const int icons = in.ConsumeIntegralInRange(0, 12);
    const double openAfter = in.ConsumeIntegralInRange(0, 20000) / 1000.0;
    const int outcome = in.ConsumeIntegralInRange(0, 4);
    const double outcomeAfter = in.ConsumeIntegralInRange(0, 20000) / 1000.0;
    desktop.onReceive(client.keywordBox, [=, this](const Call& c) {
      if (c.message != msg::kChar || c.wParam != quil32::kEnter)
        return;
      platform.at(platform.now() + openAfter, [=, this] {
        if (!desktop.exists(client.area))
          return;
        const fake::ImWindow im = client.addImWindow(icons);
        for (const Hwnd icon : im.icons) {
          desktop.onReceive(icon, [=, this](const Call& click) {
            if (click.message != msg::kLButtonUp)
              return;
            platform.at(platform.now() + outcomeAfter, [=, this] {
              if ((outcome == 0 || outcome == 3) && desktop.exists(im.window))
                desktop.remove(im.window);
              if (outcome >= 1 && outcome <= 3 && desktop.exists(client.frame))
                client.addDialog(outcome != 2);
            });
          });
        }
      });
    });
  }

  void schedule(double t) {
    switch (in.ConsumeIntegralInRange(0, 15)) {
      case 0:
        platform.at(t, [this] { user(set.form2(), ""); });
        break;
      case 1: {
        const std::string label = "Label" + std::to_string(in.ConsumeIntegralInRange(2, 7));
        const std::string item = kMenuItems[in.ConsumeIntegralInRange(0, 5)];
        const double openFor = in.ConsumeIntegralInRange(0, 5000) / 1000.0;
        platform.at(t, [=, this] {
          if (label == "Label7")
            platform.chooseFromNextMenu(item, openFor);
          user(set.form1(), label);
        });
        break;
      }
      case 2: {
        std::string reason;
        for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n)
          reason += kReasonPieces[in.ConsumeIntegralInRange(0, 9)];
        lines.insert(console::lines::ReasonLine(reason));
        platform.at(t, [=, this] {
          if (!runtime.ended() && set.form1().loaded())
            platform.typeAt(platform.now(), set.form1(), "Text1", reason);
        });
        break;
      }
      case 3:  // Alt+F4, the taskbar's Close
        platform.at(t, [this] {
          if (runtime.ended() || !set.form1().loaded())
            return;
          ++depth;
          set.form1().raise(ui::Event::kClose, "");
          --depth;
        });
        break;
      case 4:
      case 5: {
        const bool real = in.ConsumeBool();
        const std::string missing = in.PickValueInArray<std::string>(
            {"RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static", ""});
        platform.at(t, [=, this] {
          if (!desktop.exists(client.area))
            return;
          if (real)
            client.addRoom("Room");
          else if (missing.empty())
            client.addRoomWithOneRichText("Half");
          else
            client.addRoomLike("Like", missing);
          desktop.bringToFront(desktop.findWindowEx(client.area, {}, "AOL Child", std::nullopt));
        });
        break;
      }
      case 6:
        platform.at(t, [this] {
          if (const Hwnd w = desktop.exists(client.area) ? anyChild(client.area) : Hwnd{})
            desktop.remove(w);
        });
        break;
      case 7:
        platform.at(t, [this] {
          if (const Hwnd w = desktop.exists(client.area) ? anyChild(client.area) : Hwnd{})
            desktop.bringToFront(w);
        });
        break;
      case 8: {
        const int icons = in.ConsumeIntegralInRange(0, 12);
        platform.at(t, [=, this] {
          if (desktop.exists(client.area))
            client.addImWindow(icons);
        });
        break;
      }
      case 9: {
        const bool button = in.ConsumeBool();
        platform.at(t, [=, this] { client.addDialog(button); });
        break;
      }
      case 10:
        platform.at(t, [this] {
          if (const Hwnd dialog = desktop.findWindow("#32770", "America Online"))
            desktop.remove(dialog);
        });
        break;
      case 11: {
        const bool hung = in.ConsumeBool();
        const bool keywordToo = in.ConsumeBool();
        platform.at(t, [=, this] {
          const Hwnd room = desktop.exists(client.area) ? anyChild(client.area) : Hwnd{};
          const Hwnd entry =
              room ? desktop.findWindowEx(room, {}, "RICHCNTL", std::nullopt) : Hwnd{};
          const Hwnd target =
              entry ? desktop.findWindowEx(room, entry, "RICHCNTL", std::nullopt) : Hwnd{};
          if (target)
            desktop.setHung(target, hung);
          if (desktop.exists(client.keywordBox))
            desktop.setHung(client.keywordBox, hung && keywordToo);
        });
        break;
      }
      case 12:  // the client quits
        platform.at(t, [this] {
          if (desktop.exists(client.frame))
            desktop.remove(client.frame);
        });
        break;
      case 13: {
        // Look-alikes outside the client's tree.
        const int which = in.ConsumeIntegralInRange(0, 3);
        platform.at(t, [=, this] {
          const Hwnd w = which == 0   ? desktop.add({}, "AOL Child", "Send Instant Message")
                         : which == 1 ? desktop.add({}, "Edit")
                         : which == 2 ? desktop.add({}, "#32770", "Other")
                                      : desktop.add({}, "RICHCNTL");
          desktop.bringToFront(w);
        });
        break;
      }
      default:  // time passes: reminders, waits running out
        break;
    }
  }

  void run() {
    clientAnswers();
    for (int rooms = in.ConsumeIntegralInRange(0, 3); rooms > 0; --rooms)
      client.addRoom("Lobby");
    set.form2().show();
    // The splash is clicked first or later, at the input's choice.
    platform.at(in.ConsumeIntegralInRange(0, 3000) / 1000.0, [this] { user(set.form2(), ""); });
    double t = 0;
    for (int events = 0; events < 40 && in.remaining_bytes() > 0; ++events) {
      t += in.ConsumeIntegralInRange(0, 30000) / 1000.0;
      schedule(t);
    }
    // Once the input ends, every handler still running ends within its
    // bound: each wait at most 15 s, a menu 5 s, a few pauses, a reminder.
    platform.at(t + 0.001, [this] {
      const double due = platform.now() + 50.0 * (depth + 1);
      platform.at(due, [this] {
        Require(depth == 0, "a handler still running after its bound");
        if (!runtime.ended() && set.form2().visible())
          user(set.form2(), "");
        platform.at(platform.now() + 1, [this] {
          if (!runtime.ended())
            set.form1().raise(ui::Event::kClose, "");
        });
      });
    });
    platform.setHorizon(t + 100.0 * 41);
    runtime.run();
    Require(runtime.ended(), "the final close did not end the program");
    Require(!set.form1().loaded() && !set.form2().loaded() && !set.form3().loaded(),
            "a window of the set is still loaded");
    Require(platform.windowsCreated().size() == platform.windowsDestroyed().size(),
            "a window was created after the end, or never destroyed");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  Session session(in);
  session.run();
  return 0;
}
