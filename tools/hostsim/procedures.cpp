// Window procedures of the frame, the inner windows and the painted parts.
#include <windows.h>

#include "client.h"

namespace hostsim {

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      // Not passed on: DefFrameProc would stretch the MDI area over the toolbar.
      LayoutFrame();
      return 0;
    case kLineEnteredMessage:
      LineEntered(unsigned(wParam));
      return 0;
    case WM_DESTROY:
      g.mdi = nullptr;
      TopLevelGone();
      break;
    case WM_NCDESTROY:
      g.nodes.erase(hwnd);
      g.frame = nullptr;
      break;
  }
  return DefFrameProcA(hwnd, g.mdi, message, wParam, lParam);
}

LRESULT CALLBACK PartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  Node* node = Find(hwnd);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (node)
        PaintPart(*node, hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers everything
    case WM_LBUTTONDOWN:
      if (node && node->kind == Kind::kIcon) {
        node->pressed = true;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (node && node->kind == Kind::kIcon && node->pressed) {
        node->pressed = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (node->im && node->index == kImSendIcon)
          SendIm(*node->im);
      }
      return 0;
    case WM_NCDESTROY:
      g.nodes.erase(hwnd);
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  Node* node = Find(hwnd);
  switch (message) {
    case WM_SIZE:
      if (node && node->room)
        LayoutRoom(*node->room);
      if (node && node->im)
        LayoutIm(*node->im);
      break;  // DefMDIChildProc needs it too
    case WM_SETFOCUS: {
      const LRESULT result = DefMDIChildProcA(hwnd, message, wParam, lParam);
      HWND entry = node && node->room ? node->room->entry : node && node->im ? node->im->entry : 0;
      if (entry)
        SetFocus(entry);
      return result;
    }
    case WM_PAINT:
      if (node && node->im) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r = {6, 4, 370, 24};
        const std::string to = "To:  " + node->im->screenName;
        SelectObject(dc, g.boldFont);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, to.c_str(), int(to.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    case kImOutcomeMessage:
      if (node && node->im)
        FinishIm(*node->im);
      return 0;
    case WM_DESTROY:
      if (node && node->im)
        g.log.event("im", "IM_CLOSED", node->im->screenName);
      break;
    case WM_NCDESTROY:
      if (node && node->room) {
        const Room* room = node->room;
        g.rooms.remove_if([room](const Room& r) { return &r == room; });
      }
      if (node && node->im) {
        const Im* im = node->im;
        g.ims.remove_if([im](const Im& i) { return &i == im; });
      }
      g.nodes.erase(hwnd);
      break;
  }
  return DefMDIChildProcA(hwnd, message, wParam, lParam);
}

}  // namespace hostsim
