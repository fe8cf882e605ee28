#include "driver/quil32.h"

namespace quil32 {

namespace {

constexpr std::string_view kClientFrame = "AOL Frame25";
constexpr std::string_view kInnerArea = "MDIClient";
constexpr std::string_view kInnerWindow = "AOL Child";
constexpr std::string_view kRichText = "RICHCNTL";

// A chat room is the inner window that has all four kinds of child a room
// carries; an instant-message or mail window lacks at least one of them.
bool IsChatRoom(WindowAccess& windows, Hwnd candidate) {
  const bool richText = bool(windows.findWindowEx(candidate, {}, kRichText));
  const bool peopleList = bool(windows.findWindowEx(candidate, {}, "_AOL_Listbox"));
  const bool icon = bool(windows.findWindowEx(candidate, {}, "_AOL_Icon"));
  const bool label = bool(windows.findWindowEx(candidate, {}, "_AOL_Static"));
  return richText && peopleList && icon && label;
}

}  // namespace

Hwnd FindChatWindow(WindowAccess& windows) {
  // Each link is checked: searching on under a missing link would run over
  // the whole desktop and could land in some other program's windows.
  const Hwnd client = windows.findWindow(kClientFrame);
  if (!client)
    return {};
  const Hwnd area = windows.findWindowEx(client, {}, kInnerArea);
  if (!area)
    return {};
  for (Hwnd candidate = windows.findWindowEx(area, {}, kInnerWindow); candidate;
       candidate = windows.findWindowEx(area, candidate, kInnerWindow)) {
    if (IsChatRoom(windows, candidate))
      return candidate;
  }
  return {};
}

void SendChatLine(WindowAccess& windows, std::string& text) {
  const Hwnd room = FindChatWindow(windows);
  if (!room)
    return;
  // The room's first rich-text child is its transcript; the entry follows it.
  const Hwnd transcript = windows.findWindowEx(room, {}, kRichText);
  if (!transcript)
    return;
  const Hwnd entry = windows.findWindowEx(room, transcript, kRichText);
  if (!entry)
    return;
  // Enter only goes with our own text: had the text not arrived, it would
  // post whatever the user had half typed into the entry.
  if (!windows.sendText(entry, text))
    return;
  windows.sendMessage(entry, msg::kChar, kEnter, 0);
}

}  // namespace quil32
