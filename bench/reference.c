/* The least a program needs to do zoble's start: one window with a reason
 * box that has the focus and a "start" area; a click there finds the chat
 * room as zoble does and sends it the same three lines with a pause of a
 * second between them, the last with the box's text, and a minute later the
 * same three again (as long as zoble's, told apart by their last words). No
 * runtime, forms or layers: the bench holds zoble's figures against this
 * one's. */
#include <windows.h>

#define SEND_TIMEOUT_MS 3000
#define REMINDER_TIMER 1
#define REMINDER_MS 60000

/* The "start" area and the reason box at the places of zoble's, in pixels. */
static const RECT kStart = {0, 40, 41, 57};
static const RECT kReason = {8, 16, 137, 33};
static HWND reason;

#define PREFIX "</b></i><font face=arial><font color=#FF0000>\xba. "
static const char* const kLines[] = {
    PREFIX "zoble idle . ref",
    PREFIX "idle = true",
    PREFIX "rsn: [%s]",
};

static HWND FindChild(HWND parent, HWND after, const char* cls) {
  return parent ? FindWindowExA(parent, after, cls, NULL) : NULL;
}

static int IsRoom(HWND w) {
  return FindChild(w, NULL, "RICHCNTL") && FindChild(w, NULL, "_AOL_Listbox") &&
         FindChild(w, NULL, "_AOL_Icon") && FindChild(w, NULL, "_AOL_Static");
}

static HWND FindRoomEntry(void) {
  HWND area = FindChild(FindWindowA("AOL Frame25", NULL), NULL, "MDIClient");
  HWND room = FindChild(area, NULL, "AOL Child");
  while (room && !IsRoom(room))
    room = FindChild(area, room, "AOL Child");
  HWND transcript = FindChild(room, NULL, "RICHCNTL");
  return FindChild(room, transcript, "RICHCNTL");
}

static void Send(const char* line) {
  HWND entry = FindRoomEntry();
  DWORD_PTR result;
  if (entry && SendMessageTimeoutA(entry, WM_SETTEXT, 0, (LPARAM)line, SMTO_ABORTIFHUNG,
                                   SEND_TIMEOUT_MS, &result))
    SendMessageTimeoutA(entry, WM_CHAR, 13, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
}

/* A second, sleeping until each message or the end, and handling what comes. */
static void Pause(void) {
  const DWORD end = GetTickCount() + 1000;
  for (;;) {
    const DWORD left = end - GetTickCount();
    if ((LONG)left <= 0)
      return;
    MsgWaitForMultipleObjects(0, NULL, FALSE, left, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage((int)m.wParam);
        return;
      }
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

static void SendLines(void) {
  static int busy;
  if (busy)
    return;
  busy = 1;
  for (int i = 0; i < 3; ++i) {
    if (i)
      Pause();
    if (i == 2) {
      char text[256], line[512];
      GetWindowTextA(reason, text, sizeof text);
      wsprintfA(line, kLines[i], text);
      Send(line);
    } else {
      Send(kLines[i]);
    }
  }
  busy = 0;
}

static LRESULT CALLBACK Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      RECT text = kStart;
      SetBkMode(dc, TRANSPARENT);
      DrawTextA(dc, "start", -1, &text, DT_SINGLELINE);
      EndPaint(w, &ps);
      return 0;
    }
    case WM_LBUTTONUP: {
      POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
      if (PtInRect(&kStart, at)) {
        SendLines();
        SetTimer(w, REMINDER_TIMER, REMINDER_MS, NULL);
      }
      return 0;
    }
    case WM_TIMER:
      SendLines();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(w, message, wParam, lParam);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  (void)previous;
  (void)command;
  WNDCLASSA wc = {0};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = "ZobleReference";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Reference", WS_POPUP, 0, 500, 145, 60,
                           NULL, NULL, instance, NULL);
  reason =
      CreateWindowExA(0, "Edit", "reference", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                      kReason.left, kReason.top, kReason.right - kReason.left,
                      kReason.bottom - kReason.top, w, NULL, instance, NULL);
  ShowWindow(w, show);
  SetFocus(reason);
  MSG m;
  while (GetMessageA(&m, NULL, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return (int)m.wParam;
}
