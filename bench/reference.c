/* The least a program needs to do zoble's session, for the bench to hold
 * zoble's figures against: zoble's three windows, a splash whose click hides
 * it and brings up a panel with a reason box (focused whenever the panel is
 * active) and the areas "x", "start", "stop", "adv" and "opts" at the places
 * of zoble's, and a hidden window that holds the options menu, made when the
 * menu first opens; the same lines to the same chat room, paced by the same
 * pause; a reminder a minute after each start until "stop"; an options menu
 * whose "ims off" and "ims on" go through the client's keyword box and
 * instant-message window; the greeting again on the way out, and then all
 * three windows destroyed. Its lines end with "ref" and "[reference]" where
 * zoble's end with "vud" and the reason.
 *
 * No runtime, forms, layers or second thread: each line is sent in place,
 * and the instant-message waits look at the client every 0.1 s.
 *
 * `reference.exe thread` also starts one thread that only sleeps, for the
 * memory that a thread costs. */
#include <windows.h>

#include <string.h>

#define SEND_TIMEOUT_MS 3000
#define REMINDER_TIMER 1
#define REMINDER_MS 60000
#define LOOK_EVERY_MS 100
#define SETTLE_MS 200
#define WAIT_BOUND_MS 15000

enum { kCloseArea, kStartArea, kStopArea, kAdvertArea, kOptionsArea, kAreas };
/* Where zoble's labels lie uncovered, in pixels, and the reason box. */
static const RECT kArea[kAreas] = {
    {120, 0, 145, 17}, {0, 40, 33, 57}, {40, 40, 80, 57}, {80, 40, 105, 57}, {112, 40, 145, 57}};
static const char* const kAreaText[kAreas] = {"x", "start", "stop", "adv", "opts"};
static const RECT kReason = {8, 16, 137, 35};

static HINSTANCE instance;
static HWND splash, panel, reason, holder;
static int busy; /* one sequence at a time */

#define PREFIX "</b></i><font face=arial><font color=#FF0000>\xba"
#define LINK "< a href=http://zoble.example.com/>d/l zoble here</a>"
static const char* const kGreeting[] = {PREFIX "\xb7 zoble idle . ref", PREFIX "\xb7 " LINK};
static const char* const kIdleOn[] = {PREFIX ". zoble idle . ref", PREFIX ". idle = true",
                                      PREFIX ". rsn: [%s]"};
static const char* const kIdleOff[] = {PREFIX ". zoble idle . ref", PREFIX ". idle = false"};
static const char* const kAdvert[] = {
    PREFIX ". zoble idle . ref", PREFIX ". the most electrifying idler on aol", PREFIX ". " LINK};

static HWND Child(HWND parent, HWND after, const char* cls, const char* title) {
  return parent ? FindWindowExA(parent, after, cls, title) : NULL;
}

static HWND InnerArea(void) {
  return Child(FindWindowA("AOL Frame25", NULL), NULL, "MDIClient", NULL);
}

static int IsRoom(HWND w) {
  return Child(w, NULL, "RICHCNTL", NULL) && Child(w, NULL, "_AOL_Listbox", NULL) &&
         Child(w, NULL, "_AOL_Icon", NULL) && Child(w, NULL, "_AOL_Static", NULL);
}

static HWND RoomEntry(void) {
  HWND area = InnerArea();
  HWND room = Child(area, NULL, "AOL Child", NULL);
  while (room && !IsRoom(room))
    room = Child(area, room, "AOL Child", NULL);
  HWND transcript = Child(room, NULL, "RICHCNTL", NULL);
  return Child(room, transcript, "RICHCNTL", NULL);
}

static int Send(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result;
  return w && SendMessageTimeoutA(w, message, wParam, lParam, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                                  &result);
}

static void SendLine(const char* line) {
  HWND entry = RoomEntry();
  if (Send(entry, WM_SETTEXT, 0, (LPARAM)line))
    Send(entry, WM_CHAR, 13, 0);
}

/* Sleeps until each message or `end` (GetTickCount), handling what comes.
 * False once the program is to end. */
static int PumpUntil(DWORD end) {
  for (;;) {
    const DWORD left = end - GetTickCount();
    if ((LONG)left <= 0)
      return 1;
    MsgWaitForMultipleObjects(0, NULL, FALSE, left, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage((int)m.wParam);
        return 0;
      }
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

/* zoble's pause: from the time of day rounded to the whole second (a half to
 * the even one) to a second after that. */
static int Pause(void) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  const DWORD now = GetTickCount();
  const double clock = t.wHour * 3600 + t.wMinute * 60 + t.wSecond + t.wMilliseconds / 1000.0;
  double start = (double)(long)(clock + 0.5);
  if (start - clock == 0.5 && ((long)start & 1))
    start -= 1;
  return PumpUntil(now + (DWORD)((start + 1 - clock) * 1000));
}

/* The lines with a pause between them; %s in a line takes the reason. */
static void SendLines(const char* const* lines, int count) {
  for (int i = 0; i < count; ++i) {
    if (i && !Pause())
      return;
    char text[256], line[512];
    GetWindowTextA(reason, text, sizeof text);
    wsprintfA(line, lines[i], text);
    SendLine(line);
  }
}

/* What an instant-message wait sees of the client. */
typedef struct {
  HWND im, entry, send, dialog, button;
} Look;

static HWND ImWindow(HWND area) {
  return Child(area, NULL, "AOL Child", "Send Instant Message");
}

static void LookForIm(HWND area, Look* l) {
  l->im = ImWindow(area);
  l->entry = Child(l->im, NULL, "RICHCNTL", NULL);
  l->send = NULL;
  for (int step = 0; step < 9; ++step) /* the ninth icon, from the first after none */
    l->send = Child(l->im, l->send, "_AOL_Icon", NULL);
}

static void LookForAnswer(HWND area, Look* l) {
  l->dialog = FindWindowA("#32770", "America Online");
  l->button = Child(l->dialog, NULL, "Button", NULL);
  l->im = ImWindow(area);
}

/* Looks every 0.1 s until what it sees is done and has stayed the same for
 * 0.2 s (a window is built a child at a time), or for 15 s at most. */
static int WaitSettled(HWND area, void (*look)(HWND, Look*), int answer, Look* seen) {
  const DWORD start = GetTickCount();
  DWORD since = start;
  Look last;
  ZeroMemory(&last, sizeof last);
  for (int first = 1;; first = 0) {
    Look now;
    ZeroMemory(&now, sizeof now);
    look(area, &now);
    const DWORD t = GetTickCount();
    if (first || memcmp(&now, &last, sizeof now) != 0) {
      last = now;
      since = t;
    }
    const int done = answer ? now.dialog || !now.im : now.im && now.entry && now.send;
    if (done && t - since >= SETTLE_MS) {
      *seen = now;
      return 1;
    }
    if (t - start >= WAIT_BOUND_MS || !PumpUntil(t + LOOK_EVERY_MS))
      return 0;
  }
}

static void SendInstantMessage(const char* screenName) {
  HWND area = InnerArea();
  HWND box = Child(FindWindowA("AOL Frame25", NULL), NULL, "AOL Toolbar", NULL);
  box = Child(Child(Child(box, NULL, "_AOL_Toolbar", NULL), NULL, "_AOL_Combobox", NULL), NULL,
              "Edit", NULL);
  char keyword[64];
  wsprintfA(keyword, "aol://9293:%s", screenName);
  if (!area || !Send(box, WM_SETTEXT, 0, (LPARAM)keyword))
    return;
  Send(box, WM_CHAR, ' ', 0);
  Send(box, WM_CHAR, 13, 0);
  Look l;
  if (!WaitSettled(area, LookForIm, 0, &l) || !Send(l.entry, WM_SETTEXT, 0, (LPARAM) "=)"))
    return;
  Send(l.send, WM_LBUTTONDOWN, 0, 0);
  Send(l.send, WM_LBUTTONUP, 0, 0);
  if (!WaitSettled(area, LookForAnswer, 1, &l) || !l.dialog)
    return;
  if (l.button) {
    PostMessageA(l.button, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(l.button, WM_KEYUP, VK_SPACE, 0);
  }
  if (l.im)
    PostMessageA(l.im, WM_CLOSE, 0, 0);
}

static void Farewell(void) {
  KillTimer(panel, REMINDER_TIMER);
  SendLines(kGreeting, 2);
  DestroyWindow(panel);
  DestroyWindow(splash);
  if (holder)
    DestroyWindow(holder);
  PostQuitMessage(0);
}

static void Options(void) {
  static const char* const kItems[] = {"ims on", "ims off", "about", "contact", "exit"};
  HMENU menu = CreatePopupMenu();
  for (int i = 0; i < 5; ++i)
    AppendMenuA(menu, MF_STRING, i + 1, kItems[i]);
  if (!holder)
    holder = CreateWindowExA(0, "ReferenceHolder", "Reference holder", WS_OVERLAPPEDWINDOW, 0, 0,
                             312, 213, NULL, NULL, instance, NULL);
  POINT at;
  GetCursorPos(&at);
  const int chosen =
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x,
                     at.y, 0, holder, NULL);
  DestroyMenu(menu);
  if (chosen == 1 || chosen == 2)
    SendInstantMessage(chosen == 1 ? "$IM_ON" : "$IM_OFF");
  else if (chosen == 3 || chosen == 4)
    MessageBoxA(panel, "reference", "Reference", MB_OK | MB_TOPMOST);
  else if (chosen == 5)
    Farewell();
}

static void Clicked(int area) {
  switch (area) {
    case kCloseArea:
      Farewell();
      break;
    case kStartArea:
      SendLines(kIdleOn, 3);
      SetTimer(panel, REMINDER_TIMER, REMINDER_MS, NULL);
      break;
    case kStopArea:
      SendLines(kIdleOff, 2);
      KillTimer(panel, REMINDER_TIMER);
      break;
    case kAdvertArea:
      SendLines(kAdvert, 3);
      break;
    case kOptionsArea:
      Options();
      break;
  }
}

static LRESULT CALLBACK PanelProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      SetBkMode(dc, TRANSPARENT);
      for (int i = 0; i < kAreas; ++i) {
        RECT text = kArea[i];
        DrawTextA(dc, kAreaText[i], -1, &text, DT_SINGLELINE);
      }
      EndPaint(w, &ps);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        SetFocus(reason);
        return 0;
      }
      break;
    case WM_LBUTTONUP: {
      POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
      for (int i = 0; i < kAreas && !busy; ++i) {
        if (PtInRect(&kArea[i], at)) {
          busy = 1;
          Clicked(i);
          busy = 0;
        }
      }
      return 0;
    }
    case WM_TIMER:
      if (!busy) {
        busy = 1;
        SendLines(kIdleOn, 3);
        busy = 0;
      }
      return 0;
    case WM_CLOSE:
      if (!busy) {
        busy = 1;
        Farewell();
      }
      return 0;
  }
  return DefWindowProcA(w, message, wParam, lParam);
}

static HWND Popup(const char* cls, const char* title, int width, int height) {
  return CreateWindowExA(WS_EX_TOPMOST, cls, title, WS_POPUP, 0, 500, width, height, NULL, NULL,
                         instance, NULL);
}

static LRESULT CALLBACK SplashProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_LBUTTONUP || panel)
    return DefWindowProcA(w, message, wParam, lParam);
  ShowWindow(w, SW_HIDE);
  panel = Popup("ReferencePanel", "Reference", 145, 60);
  reason =
      CreateWindowExA(0, "Edit", "reference", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                      kReason.left, kReason.top, kReason.right - kReason.left,
                      kReason.bottom - kReason.top, panel, NULL, instance, NULL);
  ShowWindow(panel, SW_SHOW);
  busy = 1;
  SendLines(kGreeting, 2);
  busy = 0;
  return 0;
}

static DWORD WINAPI SleepOnly(void* unused) {
  (void)unused;
  Sleep(INFINITE);
  return 0;
}

int WINAPI WinMain(HINSTANCE self, HINSTANCE previous, LPSTR command, int show) {
  (void)previous;
  instance = self;
  if (lstrcmpA(command, "thread") == 0)
    CloseHandle(CreateThread(NULL, 0, SleepOnly, NULL, 0, NULL));
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.hInstance = self;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = SplashProc;
  wc.lpszClassName = "ReferenceSplash";
  RegisterClassA(&wc);
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = "ReferencePanel";
  RegisterClassA(&wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "ReferenceHolder";
  RegisterClassA(&wc);
  splash = Popup("ReferenceSplash", "Reference splash", 197, 147);
  ShowWindow(splash, show);
  MSG m;
  while (GetMessageA(&m, NULL, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return (int)m.wParam;
}
