#include <cmath>

#include "driver/quil32.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace quil32 {

void WaitSeconds(ui::Runtime& runtime, std::int32_t seconds) {
  const float clock = runtime.clock();
  const double origin = runtime.monotonic();
  // Rounded half to even, not truncated: the pause ends on a whole second of
  // the clock.
  const auto start = static_cast<std::int32_t>(std::nearbyint(clock));
  // The time of day starts again at midnight; the monotonic clock carries the
  // elapsed time across it.
  const double lead = double(clock) - start;
  const auto elapsed = [&] { return lead + (runtime.monotonic() - origin); };
  if (elapsed() >= seconds)
    return;
  // The loop tests the deadline itself: elapsed time summed back from it can
  // fall a hair short of `seconds`, and the wait would then spin at its end.
  const double deadline = origin + (seconds - lead);
  do {
    runtime.sleepUntilEvent(deadline);
    runtime.doEvents();
  } while (runtime.monotonic() < deadline);
}

void MakeTopmost(WindowAccess& windows, ui::Form& form) {
  windows.setWindowPos(form.hWnd(), kTopmost, 0, 0, 0, 0, kNoSizeNoMove);
}

void BeginWindowDrag(WindowAccess& windows, ui::Form& form) {
  windows.releaseCapture();
  windows.sendInTurn({{form.hWnd(), msg::kSysCommand, kDragMove}});
}

}  // namespace quil32
