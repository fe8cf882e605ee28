// The driver's handle value type and the native HWND, one to the other.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/window_handle.h"

namespace win32 {

// HWND_TOPMOST and friends are small negative numbers; they keep their sign.
inline HWND ToNative(zoble::Hwnd h) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(h.value)));
}

inline zoble::Hwnd FromNative(HWND h) {
  return zoble::Hwnd{static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h))};
}

}  // namespace win32
