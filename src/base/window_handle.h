// The window handle, shared by the driver (foreign windows) and the runtime
// (the program's own); it sits below both so neither reaches into the other.
#pragma once

#include <cstdint>

namespace zoble {

// A window handle, the program's own or a foreign one; 0 is none. Handles
// are 32 bits wide on every Windows, so one value type serves both builds.
struct Hwnd {
  std::uint32_t value = 0;

  constexpr explicit operator bool() const { return value != 0; }
  friend constexpr bool operator==(Hwnd, Hwnd) = default;
};

}  // namespace zoble
