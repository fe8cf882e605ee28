#include "console/forms.h"

#include "console/resources.h"
#include "driver/quil32.h"

namespace console {

namespace {

using ui::Event;
using ui::Rgb;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr int kColorCaptionText = 9;

ui::FormDesign MainWindowDesign() {
  ui::FormDesign d;
  d.name = "Form1";
  d.caption = "Form1";
  d.frame = ui::Frame::kNone;
  d.taskbarButton = true;  // the one window the user works with
  d.clientWidth = 2175;
  d.clientHeight = 900;
  d.picture = ZOBLE_MAIN_PICTURE;
  // Stacking order: a later label lies above an earlier one, so the drag strip
  // covers the middle of the title and "adv" the right end of "stop".
  d.labels = {
      {"Label1", "        zoble idle", {360, 0, 1335, 255}, kRed},
      {"Label2", "     x", {1800, 0, 375, 255}, kYellow},
      {"Label3", "     start", {-120, 600, 615, 255}, kRed},
      {"Label4", "stop", {600, 600, 735, 255}, kRed},
      {"Label5", "", {600, 0, 975, 255}, std::nullopt},
      {"Label6", "adv", {1200, 600, 375, 255}, kRed},
      {"Label7", "opts", {1680, 600, 495, 255}, kRed},
  };
  d.textBoxes = {{"Text1", "idle reason", {120, 240, 1935, 285}, kColorCaptionText}};
  d.timers = {{"Timer1", 60000, false}};
  return d;
}

ui::FormDesign SplashWindowDesign() {
  ui::FormDesign d;
  d.name = "Form2";
  d.caption = "Form2";
  d.frame = ui::Frame::kNone;
  d.clientWidth = 2955;
  d.clientHeight = 2205;
  d.picture = ZOBLE_SPLASH_PICTURE;
  return d;
}

ui::FormDesign MenuHolderDesign() {
  ui::FormDesign d;
  d.name = "Form3";
  d.caption = "Form3";
  d.frame = ui::Frame::kSizable;
  d.clientWidth = 4680;
  d.clientHeight = 3195;
  d.menus = {{"opts",
              "options",
              {{"on", "ims on", {}},
               {"off", "ims off", {}},
               {"about", "about", {}},
               {"contact", "contact", {}},
               {"exit", "exit", {}}}}};
  return d;
}

constexpr std::string_view kAboutText =
    "zoble is named after the noise my old modem made when it finally got through to aol after "
    "twenty busy signals: zzzzoble. the name stuck, and so did i, idling in chat rooms at four in "
    "the morning. this one is for jenna, who kept every room i idled in lively and never asked "
    "why i was awake. stay gold. peace :) vud";

constexpr std::string_view kContactText = "vud = e-mail: vud@example.com = aim: vudzoble";

}  // namespace

Form1::Form1(WindowSet& set) : Form(set.host.runtime, MainWindowDesign()), set_(set) {
  on("Label2", Event::kClick, [this] { Label2_Click(); });
  on("Label3", Event::kClick, [this] { Label3_Click(); });
  on("Label4", Event::kClick, [this] { Label4_Click(); });
  on("Label5", Event::kClick, [this] { Label5_Click(); });
  on("Label6", Event::kClick, [this] { Label6_Click(); });
  on("Label7", Event::kClick, [this] { Label7_Click(); });
  on("Timer1", Event::kTimer, [this] { Timer1_Timer(); });
  // Closed by the system (Alt+F4, the taskbar): end the program as the close
  // label does, so no hidden window is left running.
  on("", Event::kClose, [this] { Label2_Click(); });
}

void Form1::Form_Load() {
  quil32::MakeTopmost(set_.host.windows, *this);
  PostBanner(set_.host);
}

void Form1::Label2_Click() {
  Shutdown(set_);
}

void Form1::Label3_Click() {
  PostIdleOn(set_.host, Text1);
  Timer1.setEnabled(true);
}

void Form1::Label4_Click() {
  PostIdleOff(set_.host);
  Timer1.setEnabled(false);
}

void Form1::Label5_Click() {
  quil32::BeginWindowDrag(set_.host.windows, *this);
}

void Form1::Label6_Click() {
  PostAdvert(set_.host);
}

void Form1::Label7_Click() {
  set_.form3().popupMenu("opts");
}

void Form1::Timer1_Timer() {
  PostIdleOn(set_.host, Text1);
}

Form2::Form2(WindowSet& set) : Form(set.host.runtime, SplashWindowDesign()), set_(set) {
  on("", Event::kClick, [this] { Form_Click(); });
}

void Form2::Form_Load() {
  quil32::MakeTopmost(set_.host.windows, *this);
}

void Form2::Form_Click() {
  hide();
  set_.form1().show();
}

Form3::Form3(WindowSet& set) : Form(set.host.runtime, MenuHolderDesign()), set_(set) {
  on("on", Event::kClick, [this] { on_Click(); });
  on("off", Event::kClick, [this] { off_Click(); });
  on("about", Event::kClick, [this] { about_Click(); });
  on("contact", Event::kClick, [this] { contact_Click(); });
  on("exit", Event::kClick, [this] { exit_Click(); });
}

void Form3::on_Click() {
  quil32::SetInstantMessagesOn(set_.host.windows, set_.host.runtime);
}

void Form3::off_Click() {
  quil32::SetInstantMessagesOff(set_.host.windows, set_.host.runtime);
}

void Form3::about_Click() {
  runtime().messageBox(kAboutText);
}

void Form3::contact_Click() {
  runtime().messageBox(kContactText);
}

void Form3::exit_Click() {
  Shutdown(set_);
}

}  // namespace console
