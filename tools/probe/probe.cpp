// probe: looks at zoble's main window from another process, as the system
// and other programs see it, for the end-to-end tests.
//
//   probe settext HEX     sets the reason box to the UTF-8 text HEX, as a
//                         message (for texts too long or too foreign to type)
//   probe panel STEP...   what another program does to the main window, in
//                         order. What it sends reaches zoble in that order;
//                         each send but a tick's and a move's waits up to
//                         60 s for its answer:
//                           tick  sends a tick of Timer1 (WM_TIMER 1)
//                           move  sends WM_SYSCOMMAND SC_MOVE (the keyboard
//                                 move runs until a key ends it)
//                           boxmove the same, to the reason box
//                           X,Y   sends a click: WM_LBUTTONDOWN and
//                                 WM_LBUTTONUP at that point of the window
//                           close sends WM_CLOSE, as the taskbar's Close
//                                 comes to a window
//                           escape posts the Escape key that ends a move
//                           quit  posts WM_QUIT to the window's thread
//                           cue   waits for a line on standard input
//                           post-tick posts a tick of Timer1, which waits
//                                 in the queue as the timer's own would
//                           lineN waits up to 120 s for the stand-in
//                                 client's word that its Nth line is in
//   probe strays [end]    posts what no program should to each thread of
//                         zoble's but the main window's: WM_APP+1 with
//                         lParam 1, then WM_QUIT; with "end", ends those
//                         threads instead; prints "threads=N"
//   probe front           prints the class and the title of the foreground
//                         window: "CLASS<TAB>TITLE"
//   probe flicker COUNT   moves the focus COUNT times between two windows of
//                         its own, and makes and destroys a third each time:
//                         events of another program than the client
//   probe watch SECONDS   asks the main window for an answer every 100 ms
//                         (WM_NULL, given up after 1 s), has it repaint, and
//                         reads its reason box; prints "worst_ms=N hung=K
//                         unanswered=U unpainted=P samples=M changed_at=T":
//                         the slowest answer, how often the system called the
//                         window hung, how many asks went unanswered, how
//                         often it had not repainted by the next ask, and
//                         when the box's text first differed from what it
//                         held at the start (-1: never), as the local time of
//                         day in ms since midnight: the clock of hostsim's
//                         LINE and SEND_WAITS
//   probe quiet SECONDS   has the main window repaint every 300 ms without
//                         asking it anything (what a send serves would
//                         paint it too); prints "hung=K unpainted=P
//                         samples=M": how often the system called it hung,
//                         and how often it had not repainted 300 ms after
//   probe window CLASS TITLE
//                         the top-level window of that class and title: a
//                         line "style=0xS exstyle=0xE visible=V", then a line
//                         "CLASS<TAB>TEXT<TAB>visible=V icon=I left=L
//                         top=T width=W height=H" for each direct child in
//                         Z order (I: whether it shows an icon; its place on
//                         the screen), such as a message box's buttons
//   probe paint           has every shown window of zoble's paint itself
//                         afresh (its menu and boxes too), and returns once
//                         they have: the display then shows what they draw
//   probe ink FONT WIDTH HEIGHT TEXT
//                         TEXT drawn by the system as zoble's windows and
//                         the system's own draw it, in a WIDTH by HEIGHT
//                         rectangle: FONT "label" (the GUI font, one line,
//                         as a label), "menu" (the menu font, one line) or
//                         "box" (the message font, words wrapped, as a
//                         message box); a line of "#" (ink) and "." a row
//   probe usage TITLE     figures of the process owning the top-level window
//                         TITLE, on one line of NAME=VALUE: peak_private
//                         (bytes), gdi and user (object counts, -1 where the
//                         system keeps none), windows (its top-level and
//                         child windows)
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>

namespace {

HWND MainWindow() {
  return FindWindowW(L"ZobleForm", L"Form1");
}

std::wstring FromHexUtf8(const wchar_t* hex) {
  std::string bytes;
  for (const wchar_t* p = hex; p[0] && p[1]; p += 2) {
    const wchar_t pair[3] = {p[0], p[1], 0};
    bytes += char(std::wcstoul(pair, nullptr, 16));
  }
  std::wstring text(bytes.size(), L'\0');
  text.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), text.data(),
                                         int(text.size()))));
  return text;
}

int SetReason(const wchar_t* hex) {
  const HWND box = FindWindowExW(MainWindow(), nullptr, L"Edit", nullptr);
  if (!box)
    return 1;
  const std::wstring text = FromHexUtf8(hex);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(box, WM_SETTEXT, 0, LPARAM(text.c_str()), SMTO_NORMAL, 5000, &result)
             ? 0
             : 1;
}

// The reason box's text as the box itself gives it, asked as other programs ask.
std::wstring BoxText(HWND box, bool& answered) {
  wchar_t text[512] = L"";
  DWORD_PTR copied = 0;
  answered = SendMessageTimeoutW(box, WM_GETTEXT, 512, LPARAM(text), SMTO_NORMAL, 1000, &copied);
  return text;
}

// A send that failed because the window went as the program ended is no
// missing answer; one that ran out its time is.
int Unanswered(bool answered) {
  return !answered && GetLastError() == ERROR_TIMEOUT ? 1 : 0;
}

int Watch(double seconds) {
  const HWND main = MainWindow();
  const HWND box = FindWindowExW(main, nullptr, L"Edit", nullptr);
  if (!main || !box)
    return 1;
  const ULONGLONG start = GetTickCount64();
  const ULONGLONG end = start + ULONGLONG(seconds * 1000);
  bool answered = false;
  const std::wstring initial = BoxText(box, answered);
  ULONGLONG worst = 0;
  long long changed = -1;
  int hung = 0, unanswered = Unanswered(answered), unpainted = 0, samples = 0;
  while (GetTickCount64() < end && IsWindow(main)) {
    unpainted += GetUpdateRect(main, nullptr, FALSE) ? 1 : 0;
    InvalidateRect(main, nullptr, FALSE);
    const ULONGLONG asked = GetTickCount64();
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result);
    unanswered += Unanswered(answered);
    const ULONGLONG took = GetTickCount64() - asked;
    worst = took > worst ? took : worst;
    hung += IsHungAppWindow(main) ? 1 : 0;
    const std::wstring text = BoxText(box, answered);
    unanswered += Unanswered(answered);
    if (answered && changed < 0 && text != initial) {
      SYSTEMTIME t;
      GetLocalTime(&t);
      changed = ((t.wHour * 60LL + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
    }
    ++samples;
    Sleep(100);
  }
  wprintf(L"worst_ms=%llu hung=%d unanswered=%d unpainted=%d samples=%d changed_at=%lld\n", worst,
          hung, unanswered, unpainted, samples, changed);
  return 0;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result) != 0;
}

// The stand-in client sets this event once its Nth line is in and the
// line's sender has had its answer.
bool AwaitLine(int number) {
  const std::wstring name = L"hostsim line " + std::to_wstring(number);
  const HANDLE told = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  const bool set = told && WaitForSingleObject(told, 120000) == WAIT_OBJECT_0;
  if (told)
    CloseHandle(told);
  return set;
}

bool AwaitCue() {
  char line[64];
  DWORD read = 0;
  return ReadFile(GetStdHandle(STD_INPUT_HANDLE), line, sizeof line, &read, nullptr) && read > 0;
}

int Panel(int count, wchar_t** steps) {
  const HWND main = MainWindow();
  bool ok = main != nullptr;
  for (int i = 0; i < count && ok; ++i) {
    const std::wstring step = steps[i];
    int x = 0, y = 0, line = 0;
    // A tick and a move are sent without waiting (the move runs until its
    // Escape, the tick's reminder for seconds): what is sent next comes in
    // behind them all the same.
    if (step == L"tick") {
      ok = SendNotifyMessageW(main, WM_TIMER, 1, 0);
    } else if (step == L"move" || step == L"boxmove") {
      const HWND to = step == L"move" ? main : FindWindowExW(main, nullptr, L"Edit", nullptr);
      ok = to && SendNotifyMessageW(to, WM_SYSCOMMAND, SC_MOVE, 0);
    } else if (step == L"post-tick") {
      ok = PostMessageW(main, WM_TIMER, 1, 0);
    } else if (std::swscanf(step.c_str(), L"line%d", &line) == 1) {
      ok = AwaitLine(line);
    } else if (std::swscanf(step.c_str(), L"%d,%d", &x, &y) == 2) {
      ok = Send(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)) &&
           Send(main, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    } else if (step == L"close") {
      ok = Send(main, WM_CLOSE, 0, 0);
    } else if (step == L"escape") {
      ok = PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (step == L"quit") {
      ok = PostThreadMessageW(GetWindowThreadProcessId(main, nullptr), WM_QUIT, 0, 0);
    } else {
      ok = step == L"cue" && AwaitCue();
    }
  }
  return ok ? 0 : 1;
}

int Strays(bool end) {
  DWORD process = 0;
  const DWORD panel = GetWindowThreadProcessId(MainWindow(), &process);
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (!panel || snapshot == INVALID_HANDLE_VALUE)
    return 1;
  THREADENTRY32 thread{};
  thread.dwSize = sizeof thread;
  int posted = 0;
  for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread)) {
    if (thread.th32OwnerProcessID != process || thread.th32ThreadID == panel)
      continue;
    if (end) {
      const HANDLE handle = OpenThread(THREAD_TERMINATE, FALSE, thread.th32ThreadID);
      posted += handle && TerminateThread(handle, 0) ? 1 : 0;
      if (handle)
        CloseHandle(handle);
      continue;
    }
    // A thread without a message queue takes no post; zoble's second
    // thread has one once it has kept the panel painting through a stall.
    if (PostThreadMessageW(thread.th32ThreadID, WM_APP + 1, 0, 1) &&
        PostThreadMessageW(thread.th32ThreadID, WM_QUIT, 0, 0))
      ++posted;
  }
  CloseHandle(snapshot);
  wprintf(L"threads=%d\n", posted);
  return 0;
}

int Quiet(double seconds) {
  const HWND main = MainWindow();
  if (!main)
    return 1;
  const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds * 1000);
  int hung = 0, unpainted = 0, samples = 0;
  while (GetTickCount64() < end && IsWindow(main)) {
    InvalidateRect(main, nullptr, FALSE);
    Sleep(300);
    unpainted += GetUpdateRect(main, nullptr, FALSE) ? 1 : 0;
    hung += IsHungAppWindow(main) ? 1 : 0;
    ++samples;
  }
  wprintf(L"hung=%d unpainted=%d samples=%d\n", hung, unpainted, samples);
  return 0;
}

int Front() {
  wchar_t cls[64] = L"", title[64] = L"";
  const HWND front = GetForegroundWindow();
  GetClassNameW(front, cls, 64);
  GetWindowTextW(front, title, 64);
  wprintf(L"%ls\t%ls\n", cls, title);
  return front ? 0 : 1;
}

int Flicker(long count) {
  const HWND window = CreateWindowW(L"Edit", L"probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500,
                                    200, 100, nullptr, nullptr, nullptr, nullptr);
  const HWND other = CreateWindowW(L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window,
                                   nullptr, nullptr, nullptr);
  SetForegroundWindow(window);
  for (long i = 0; i < count; ++i) {
    SetFocus(i % 2 ? window : other);
    DestroyWindow(
        CreateWindowW(L"Static", L"", WS_CHILD, 0, 0, 1, 1, window, nullptr, nullptr, nullptr));
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&m);
  }
  DestroyWindow(window);
  return 0;
}

int Describe(const wchar_t* cls, const wchar_t* title) {
  const HWND window = FindWindowW(cls, title);
  if (!window)
    return 1;
  wprintf(L"style=0x%08lx exstyle=0x%08lx visible=%d\n", GetWindowLongW(window, GWL_STYLE),
          GetWindowLongW(window, GWL_EXSTYLE), IsWindowVisible(window) ? 1 : 0);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t childClass[64] = L"", text[1024] = L"";
    GetClassNameW(child, childClass, 64);
    GetWindowTextW(child, text, 1024);
    DWORD_PTR icon = 0;  // what a picture control shows; 0 for any other child
    SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_NORMAL, 1000, &icon);
    RECT r{};
    GetWindowRect(child, &r);
    wprintf(L"%ls\t%ls\tvisible=%d icon=%d left=%ld top=%ld width=%ld height=%ld\n", childClass,
            text, IsWindowVisible(child) ? 1 : 0, icon ? 1 : 0, r.left, r.top, r.right - r.left,
            r.bottom - r.top);
  }
  return 0;
}

struct Owned {
  DWORD pid;
  long windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
  reinterpret_cast<Owned*>(data)->windows++;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND w, LPARAM data) {
  auto* owned = reinterpret_cast<Owned*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == owned->pid) {
    owned->windows++;
    EnumChildWindows(w, CountChild, data);
  }
  return TRUE;
}

long GuiCount(HANDLE process, DWORD which) {
  SetLastError(0);
  const DWORD n = GetGuiResources(process, which);
  return n == 0 && GetLastError() != 0 ? -1 : long(n);
}

int Usage(const wchar_t* title) {
  const HWND window = FindWindowW(nullptr, title);
  Owned owned{0, 0};
  if (!window || !GetWindowThreadProcessId(window, &owned.pid))
    return 1;
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, owned.pid);
  if (!process)
    return 1;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(process, &memory, sizeof memory))
    memory.PeakPagefileUsage = 0;
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&owned));
  wprintf(L"peak_private=%llu gdi=%ld user=%ld windows=%ld\n", ULONGLONG(memory.PeakPagefileUsage),
          GuiCount(process, GR_GDIOBJECTS), GuiCount(process, GR_USEROBJECTS), owned.windows);
  CloseHandle(process);
  return 0;
}

BOOL CALLBACK PaintIfOf(HWND window, LPARAM process) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  // Painted now, each WM_PAINT sent to its thread and answered.
  if (owner == DWORD(process) && IsWindowVisible(window))
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return TRUE;
}

int Paint() {
  DWORD process = 0;
  if (!GetWindowThreadProcessId(FindWindowW(L"ZobleForm", nullptr), &process))
    return 1;
  EnumWindows(PaintIfOf, LPARAM(process));
  return 0;
}

// The font and the way of drawing that FONT names (see the usage above).
bool InkFont(const wchar_t* font, HFONT& made, UINT& format) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  format = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_SINGLELINE;
  if (std::wcscmp(font, L"label") == 0) {
    made = nullptr;
    return true;
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return false;
  if (std::wcscmp(font, L"menu") == 0) {
    made = CreateFontIndirectW(&metrics.lfMenuFont);
  } else if (std::wcscmp(font, L"box") == 0) {
    made = CreateFontIndirectW(&metrics.lfMessageFont);
    format = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK | DT_EXPANDTABS;
  }
  return made != nullptr;
}

int Ink(const wchar_t* font, int width, int height, const wchar_t* text) {
  HFONT made = nullptr;
  UINT format = 0;
  if (width <= 0 || height <= 0 || width > 2048 || height > 2048 || !InkFont(font, made, format))
    return 1;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, made ? made : GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, width, height};
  FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawTextW(dc, text, -1, &r, format);
  GdiFlush();
  const auto* pixel = static_cast<const DWORD*>(bits);
  std::wstring row(size_t(width), L'.');
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      row[size_t(x)] = (pixel[y * width + x] & 0xFFFFFF) == 0xFFFFFF ? L'.' : L'#';
    wprintf(L"%ls\n", row.c_str());
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  DeleteObject(bitmap);
  if (made)
    DeleteObject(made);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"settext") == 0)
    return SetReason(argv[2]);
  if (argc >= 3 && std::wcscmp(argv[1], L"panel") == 0)
    return Panel(argc - 2, argv + 2);
  if (argc == 2 && std::wcscmp(argv[1], L"front") == 0)
    return Front();
  if ((argc == 2 || argc == 3) && std::wcscmp(argv[1], L"strays") == 0)
    return Strays(argc == 3 && std::wcscmp(argv[2], L"end") == 0);
  if (argc == 3 && std::wcscmp(argv[1], L"flicker") == 0)
    return Flicker(std::wcstol(argv[2], nullptr, 10));
  if (argc == 3 && std::wcscmp(argv[1], L"watch") == 0)
    return Watch(std::wcstod(argv[2], nullptr));
  if (argc == 3 && std::wcscmp(argv[1], L"quiet") == 0)
    return Quiet(std::wcstod(argv[2], nullptr));
  if (argc == 4 && std::wcscmp(argv[1], L"window") == 0)
    return Describe(argv[2], argv[3]);
  if (argc == 3 && std::wcscmp(argv[1], L"usage") == 0)
    return Usage(argv[2]);
  if (argc == 2 && std::wcscmp(argv[1], L"paint") == 0)
    return Paint();
  if (argc == 6 && std::wcscmp(argv[1], L"ink") == 0)
    return Ink(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), argv[5]);
  fwprintf(stderr,
           L"usage: probe settext HEX | probe panel STEP... | probe strays [end] | "
           L"probe front | probe flicker COUNT | probe watch SECONDS | "
           L"probe window CLASS TITLE | probe usage TITLE | probe paint | "
           L"probe ink FONT WIDTH HEIGHT TEXT\n");
  return 2;
}
