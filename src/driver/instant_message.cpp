#include <algorithm>

#include "driver/quil32.h"
#include "ui/runtime.h"

namespace quil32 {

namespace {

constexpr std::string_view kClientFrame = "AOL Frame25";
constexpr std::string_view kInnerArea = "MDIClient";
constexpr std::string_view kInnerWindow = "AOL Child";
constexpr std::string_view kImWindowTitle = "Send Instant Message";
constexpr std::string_view kImKeyword = "aol://9293:";
constexpr std::string_view kImIcon = "_AOL_Icon";

// The client has this long to open the instant-message window, and then to
// answer the send; the user has no way to cancel either wait.
constexpr double kWaitBound = 15;
// Foreign windows coming and going wake a wait; this only backs that up.
constexpr double kLookAgainAfter = 1;

// Pumps the program's events and looks again until `found` holds or the
// bound has passed; sleeps between looks. False when it gave up.
template <class Found>
bool WaitFor(ui::Runtime& runtime, Found found) {
  const auto watch = runtime.watchDesktop();
  const double deadline = runtime.monotonic() + kWaitBound;
  for (;;) {
    runtime.doEvents();
    if (found())
      return true;
    const double now = runtime.monotonic();
    if (now >= deadline)
      return false;
    runtime.sleepUntilEvent(std::min(deadline, now + kLookAgainAfter));
  }
}

// The send icon is the ninth "_AOL_Icon" child in Z order. A step after one
// that found nothing starts again from the first, as FindWindowEx does with
// no window to start after.
Hwnd SendIcon(WindowAccess& windows, Hwnd im) {
  Hwnd icon;
  for (int step = 0; step < 9; ++step)
    icon = windows.findWindowEx(im, icon, kImIcon);
  return icon;
}

}  // namespace

void GoToKeyword(WindowAccess& windows, std::string& keyword) {
  Hwnd box = windows.findWindow(kClientFrame);
  for (const std::string_view cls : {"AOL Toolbar", "_AOL_Toolbar", "_AOL_Combobox", "Edit"}) {
    // A missing link would make the next search run over the whole desktop.
    if (!box)
      return;
    box = windows.findWindowEx(box, {}, cls);
  }
  if (!box)
    return;
  if (!windows.sendText(box, keyword))
    return;
  windows.sendMessage(box, msg::kChar, kSpace, 0);
  windows.sendMessage(box, msg::kChar, kEnter, 0);
}

void SendInstantMessage(WindowAccess& windows, ui::Runtime& runtime, const std::string& screenName,
                        std::string& message) {
  const Hwnd client = windows.findWindow(kClientFrame);
  const Hwnd area = client ? windows.findWindowEx(client, {}, kInnerArea) : Hwnd{};
  if (!area)
    return;
  const auto findImWindow = [&] {
    return windows.findWindowEx(area, {}, kInnerWindow, kImWindowTitle);
  };

  std::string keyword(kImKeyword);
  keyword += screenName;
  GoToKeyword(windows, keyword);

  Hwnd im, entry, send;
  const bool opened = WaitFor(runtime, [&] {
    im = findImWindow();
    entry = im ? windows.findWindowEx(im, {}, "RICHCNTL") : Hwnd{};
    send = im ? SendIcon(windows, im) : Hwnd{};
    return im && entry && send;
  });
  if (!opened)
    return;

  if (!windows.sendText(entry, message))
    return;
  windows.sendMessage(send, msg::kLButtonDown, 0, 0);
  windows.sendMessage(send, msg::kLButtonUp, 0, 0);

  // The client answers with a dialog, or closes the window itself.
  Hwnd dialog;
  WaitFor(runtime, [&] {
    dialog = windows.findWindow("#32770", "America Online");
    im = findImWindow();
    return dialog || !im;
  });
  if (!dialog)
    return;
  if (const Hwnd button = windows.findWindowEx(dialog, {}, "Button")) {
    windows.postMessage(button, msg::kKeyDown, kSpace, 0);
    windows.postMessage(button, msg::kKeyUp, kSpace, 0);
  }
  if (im)
    windows.postMessage(im, msg::kClose, 0, 0);
}

void SetInstantMessagesOff(WindowAccess& windows, ui::Runtime& runtime) {
  std::string message = "=)";
  SendInstantMessage(windows, runtime, "$IM_OFF", message);
}

void SetInstantMessagesOn(WindowAccess& windows, ui::Runtime& runtime) {
  std::string message = "=)";
  SendInstantMessage(windows, runtime, "$IM_ON", message);
}

}  // namespace quil32
