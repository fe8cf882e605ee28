// post-sequences [REASON]: posts the banner, idle on (with REASON in a reason
// box, "idle reason" by default), idle off and the advert, in that order and
// with their pauses, into the chat client's open room, then exits.
#include <string>

#include "console/announcements.h"
#include "win32/text.h"
#include "win32/user32_window_access.h"
#include "win32/win32_platform.h"

namespace {

// A hidden window that holds the reason box, as the main window does.
class ReasonHolder : public ui::Form {
 public:
  ReasonHolder(ui::Runtime& runtime, std::string reason)
      : Form(runtime, Design(std::move(reason))) {}

  ui::TextBox reasonBox{*this, "Text1"};

 private:
  static ui::FormDesign Design(std::string reason) {
    ui::FormDesign d;
    d.name = "ReasonHolder";
    d.caption = "post-sequences";
    d.clientWidth = 2175;
    d.clientHeight = 900;
    d.textBoxes = {{"Text1", std::move(reason), {120, 240, 1935, 285}, 9}};
    return d;
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  ui::Runtime runtime(platform, "zoble");
  win32::User32WindowAccess windows;
  console::Host host{windows, runtime};
  ReasonHolder holder(runtime, argc > 1 ? win32::Narrow(argv[1]) : "idle reason");

  runtime.invoke([&] {
    console::PostBanner(host);
    console::PostIdleOn(host, holder.reasonBox);
    console::PostIdleOff(host);
    console::PostAdvert(host);
  });
  holder.unload();
  return 0;
}
