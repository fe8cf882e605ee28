#include "driver/client_windows.h"
#include "driver/quil32.h"

namespace quil32 {

namespace {

using client::kInnerWindow;
using client::kRichText;

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
  const Hwnd area = client::FindInnerArea(windows);
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
  windows.sendInTurn({WindowAccess::SetText(entry, text), {entry, msg::kChar, kEnter}});
}

}  // namespace quil32
