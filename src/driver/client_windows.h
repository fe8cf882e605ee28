// The chat client's window tree as the driver finds it: class names and
// titles, matched whole.
#pragma once

#include <string_view>

#include "driver/window_access.h"

namespace quil32::client {

inline constexpr std::string_view kFrame = "AOL Frame25";
inline constexpr std::string_view kInnerArea = "MDIClient";
inline constexpr std::string_view kInnerWindow = "AOL Child";
inline constexpr std::string_view kRichText = "RICHCNTL";

// The area that holds the client's inner windows, or 0 when the client or
// its area is missing. Searching on under a missing link would run over the
// whole desktop and could land in some other program's windows.
inline Hwnd FindInnerArea(WindowAccess& windows) {
  const Hwnd frame = windows.findWindow(kFrame);
  return frame ? windows.findWindowEx(frame, {}, kInnerArea) : Hwnd{};
}

}  // namespace quil32::client
