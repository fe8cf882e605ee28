// wait-bench [N] [spin]: N pauses of one second in a row (10 by default) on
// the real Win32 runtime; prints wall and processor seconds of the process.
// "spin" runs the same pauses as a loop that pumps without ever sleeping, for
// comparison.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#include "driver/quil32.h"
#include "ui/runtime.h"
#include "win32/win32_platform.h"

namespace {

double ProcessorSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto seconds = [](FILETIME t) {
    return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The pause as a loop that only pumps: the same end, no sleep.
void SpinSeconds(ui::Runtime& runtime, int seconds) {
  const float clock = runtime.clock();
  const double origin = runtime.monotonic();
  const double lead = double(clock) - double(std::int32_t(std::nearbyint(clock)));
  while (lead + (runtime.monotonic() - origin) < seconds)
    runtime.doEvents();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int pauses = argc > 1 ? int(std::wcstol(argv[1], nullptr, 10)) : 10;
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  ui::Runtime runtime(platform, "zoble");

  const double cpu0 = ProcessorSeconds();
  const double wall0 = runtime.monotonic();
  const bool spin = argc > 2 && std::wcscmp(argv[2], L"spin") == 0;
  for (int i = 0; i < pauses; ++i) {
    if (spin) {
      SpinSeconds(runtime, 1);
    } else {
      quil32::WaitSeconds(runtime, 1);
    }
  }
  const double wall = runtime.monotonic() - wall0;
  // Wine reads the times in coarse steps; a difference can come out a hair
  // below zero.
  const double cpu = std::max(0.0, ProcessorSeconds() - cpu0);
  std::printf("%s pauses %d wall_s %.3f cpu_s %.3f cpu_pct %.2f\n", spin ? "spin" : "sleep", pauses,
              wall, cpu, 100.0 * cpu / wall);
  return 0;
}
