// The system loops a form runs without asking zoble's own code: the text
// box's own menu (Undo, Cut, Paste) and a move another program asks for. A
// reminder that ticks inside either must pause as inside zoble's own menu,
// taking none of the loop's input.
//
// Builds a real form with a text box and a quick timer, asks for the box's
// menu as Shift+F10 does, then for a move; each tick notes whether a pause
// would be the system loop's kind and ends the loop. Prints menu=N move=N
// (1: it would, 0: it would not, -1: no tick ran inside that loop).
#include <windows.h>

#include <cstdio>

#include "ui/form.h"
#include "win32/handles.h"
#include "win32/message_rules.h"
#include "win32/win32_platform.h"

namespace {

ui::FormDesign Design() {
  ui::FormDesign d;
  d.name = "Form1";
  d.frame = ui::Frame::kNone;
  d.clientWidth = 3000;
  d.clientHeight = 600;
  d.textBoxes.push_back({"Text1", "reason", {0, 0, 3000, 300}});
  d.timers.push_back({"Timer1", 50, true});
  return d;
}

class Ticking final : public ui::Form {
 public:
  explicit Ticking(ui::Runtime& runtime) : Form(runtime, Design()) {
    on("Timer1", ui::Event::kTimer, [this] { tick(); });
  }

  int menu = -1, move = -1;

 private:
  void tick() {
    const int inLoop = win32::MessageRules::Now() == win32::Running::kPauseInSystemLoop;
    if (IsWindowVisible(FindWindowW(L"#32768", nullptr))) {
      menu = inLoop;
      EndMenu();
    } else {
      move = inLoop;
      PostMessageW(win32::ToNative(hWnd()), WM_KEYDOWN, VK_ESCAPE, 0);
    }
  }
};

}  // namespace

int main() {
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  ui::Runtime runtime(platform, "loops");
  Ticking form(runtime);
  form.show();
  const HWND window = win32::ToNative(form.hWnd());
  const HWND box = FindWindowExW(window, nullptr, L"Edit", nullptr);
  SetForegroundWindow(window);
  SendMessageW(box, WM_CONTEXTMENU, WPARAM(box), -1);
  SendMessageW(window, WM_SYSCOMMAND, SC_MOVE, 0);
  std::printf("menu=%d move=%d\n", form.menu, form.move);
  return 0;
}
