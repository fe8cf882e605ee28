#include <algorithm>
#include <optional>

#include "driver/client_windows.h"
#include "driver/quil32.h"
#include "ui/runtime.h"

namespace quil32 {

namespace {

constexpr std::string_view kImWindowTitle = "Send Instant Message";
constexpr std::string_view kImKeyword = "aol://9293:";
constexpr std::string_view kImIcon = "_AOL_Icon";

// The client has this long to open the instant-message window, and then to
// answer the send; the user has no way to cancel either wait.
constexpr double kWaitBound = 15;
// The client builds a window one child at a time, and another program sees
// every step: a window is acted on only once it has looked the same for this
// long. A half-built instant-message window would have its walk to the send
// icon wrap around onto the wrong icon.
constexpr double kSettle = 0.2;
// Foreign windows coming and going wake a wait; this only backs that up.
constexpr double kLookAgainAfter = 1;
// A window being built changes at every child: a wait looks at the client at
// most this often, and serves the program's events meanwhile.
constexpr double kLookEvery = 0.1;

// Pumps the program's events and looks at the client's windows again until
// `look` gives a state that `done` accepts and that has stayed the same for
// a moment, or until the bound has passed (then nothing). Sleeps until the
// next event between looks.
template <class Look, class Done>
auto WaitUntilSettled(ui::Runtime& runtime, ui::DesktopWatch& watch, Look look, Done done)
    -> std::optional<decltype(look())> {
  const double deadline = runtime.monotonic() + kWaitBound;
  std::optional<decltype(look())> last;
  double settledAt = 0;
  double lookedAt = -kLookEvery;
  double nextLook = 0;  // at once
  unsigned long changes = watch.changes();
  // When the last change since the last look happened, if one did: what a
  // look finds changed no later than that, so settling counts from there, as
  // if it had looked right then. It looks again at least once before acting.
  bool changedSinceLook = false;
  double changedAt = 0;
  double servedAt = runtime.monotonic();
  for (;;) {
    runtime.doEvents();
    const double now = runtime.monotonic();
    if (watch.changes() != changes) {
      changes = watch.changes();
      changedSinceLook = true;
      // Changes served late, at a look, happened after the last pump all
      // the same.
      changedAt = std::clamp(watch.changedAt(), servedAt, now);
      nextLook = std::min(nextLook, std::max(now, lookedAt + kLookEvery));
    }
    servedAt = now;
    if (now >= nextLook || now >= deadline) {
      const auto state = look();
      if (state != last) {
        last = state;
        settledAt = std::max((changedSinceLook ? changedAt : now) + kSettle, now + kLookEvery);
      }
      changedSinceLook = false;
      lookedAt = now;
      if (done(state) && now >= settledAt)
        return state;
      if (now >= deadline)
        return std::nullopt;
      nextLook = done(state) ? settledAt : now + kLookAgainAfter;
    }
    // A look is due soon in any case: the client's changes until then need
    // not wake the wait one by one, as a window built child by child would.
    const double wake = std::min(deadline, nextLook);
    watch.looksBy(wake - now <= kSettle ? wake : 0);
    runtime.sleepUntilEvent(wake);
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
  Hwnd box = windows.findWindow(client::kFrame);
  for (const std::string_view cls : {"AOL Toolbar", "_AOL_Toolbar", "_AOL_Combobox", "Edit"}) {
    // A missing link would make the next search run over the whole desktop.
    if (!box)
      return;
    box = windows.findWindowEx(box, {}, cls);
  }
  if (!box)
    return;
  windows.sendInTurn(
      {WindowAccess::SetText(box, keyword), {box, msg::kChar, kSpace}, {box, msg::kChar, kEnter}});
}

void SendInstantMessage(WindowAccess& windows, ui::Runtime& runtime, const std::string& screenName,
                        std::string& message) {
  const Hwnd area = client::FindInnerArea(windows);
  if (!area)
    return;
  const auto findImWindow = [&] {
    return windows.findWindowEx(area, {}, client::kInnerWindow, kImWindowTitle);
  };

  std::string keyword(kImKeyword);
  keyword += screenName;
  GoToKeyword(windows, keyword);
  // One watch for both waits: each costs the system hooks set and removed.
  const auto watch = runtime.watchDesktop(area);

  struct ImWindow {
    Hwnd im, entry, send;
    bool operator==(const ImWindow&) const = default;
  };
  const auto opened = WaitUntilSettled(
      runtime, *watch,
      [&] {
        const Hwnd im = findImWindow();
        if (!im)
          return ImWindow{};
        return ImWindow{im, windows.findWindowEx(im, {}, client::kRichText), SendIcon(windows, im)};
      },
      [](const ImWindow& w) { return w.im && w.entry && w.send; });
  if (!opened)
    return;

  // No click sends a message that did not arrive.
  if (windows.sendInTurn({WindowAccess::SetText(opened->entry, message),
                          {opened->send, msg::kLButtonDown},
                          {opened->send, msg::kLButtonUp}}) == 0)
    return;

  // The client answers with a dialog, or closes the window itself.
  struct Outcome {
    Hwnd dialog, button, im;
    bool operator==(const Outcome&) const = default;
  };
  const auto outcome = WaitUntilSettled(
      runtime, *watch,
      [&] {
        const Hwnd dialog = windows.findWindow("#32770", "America Online");
        const Hwnd button = dialog ? windows.findWindowEx(dialog, {}, "Button") : Hwnd{};
        return Outcome{dialog, button, findImWindow()};
      },
      [](const Outcome& o) { return o.dialog || !o.im; });
  if (!outcome || !outcome->dialog)
    return;
  if (outcome->button) {
    windows.postMessage(outcome->button, msg::kKeyDown, kSpace, 0);
    windows.postMessage(outcome->button, msg::kKeyUp, kSpace, 0);
  }
  if (outcome->im)
    windows.postMessage(outcome->im, msg::kClose, 0, 0);
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
