// A chat room's entry: it takes text and typing, and Enter moves the line into
// the room's transcript.
#include <windows.h>

#include "client.h"

namespace hostsim {

static void EnterLine(Room& room) {
  const std::string line = WindowText(room.entry);
  if (line.empty())
    return;
  const HWND target = room.transcript ? room.transcript : room.entry;
  if (room.transcript) {
    std::string all = WindowText(room.transcript);
    all += all.empty() ? "" : "\r\n";
    all += line;
    SetWindowTextA(room.transcript, all.c_str());
  }
  SetWindowTextA(room.entry, "");
  // Told last, as the Enter is answered: the sender's next step comes after
  // the record. Read off the clock zoble's pauses end on, as the line comes:
  // a counter summed from the start need not keep step with it.
  g.log.event(Find(target)->name, "LINE", line, 0, Recorder::TimeOfDayMs());
  PostMessageA(g.frame, kLineEnteredMessage, ++g.linesEntered, 0);
}

LRESULT CALLBACK RichProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  Node* node = Find(hwnd);
  const Kind kind = node ? node->kind : Kind::kEntry;
  if (kind == Kind::kTranscript) {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintTranscript(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_ERASEBKGND:
        return 1;
      case WM_SETTEXT: {
        const LRESULT result = CallWindowProcA(g.editProc, hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
      }
      // The edit underneath knows nothing of our layout: keep its caret,
      // selection and scrolling away from what we drew.
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case WM_CHAR:
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_LBUTTONDBLCLK:
      case WM_MOUSEMOVE:
      case WM_MOUSEWHEEL:
      case WM_VSCROLL:
      case WM_HSCROLL:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }
  if (node && node->room && kind == Kind::kEntry && message == WM_CHAR && wParam == '\r') {
    EnterLine(*node->room);
    return 0;
  }
  if (message == WM_DESTROY && kind == Kind::kStray)
    TopLevelGone();
  if (message == WM_NCDESTROY)
    g.nodes.erase(hwnd);
  return CallWindowProcA(g.editProc, hwnd, message, wParam, lParam);
}

}  // namespace hostsim
