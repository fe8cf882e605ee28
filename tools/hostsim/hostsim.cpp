// hostsim: a stand-in for the chat client zoble drives. It builds that
// client's window tree, acts on what it is sent as the client would, shows
// the result, and records every listed message that reaches its windows from
// outside its own thread (docs/hostsim.md).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "chat_html.h"
#include "options.h"
#include "record.h"

namespace hostsim {

namespace {

constexpr char kFrameClass[] = "AOL Frame25";
constexpr char kToolbarClass[] = "AOL Toolbar";
constexpr char kInnerToolbarClass[] = "_AOL_Toolbar";
constexpr char kComboClass[] = "_AOL_Combobox";
constexpr char kChildClass[] = "AOL Child";
constexpr char kRichClass[] = "RICHCNTL";
constexpr char kListClass[] = "_AOL_Listbox";
constexpr char kIconClass[] = "_AOL_Icon";
constexpr char kStaticClass[] = "_AOL_Static";
constexpr char kClientTitle[] = "America Online";
constexpr char kImTitle[] = "Send Instant Message";
constexpr std::string_view kImKeyword = "aol://9293:";
constexpr size_t kImSendIcon = 8;  // the ninth icon, counted from 0

// Posted by an IM window to itself when its send icon was clicked, so that
// what follows runs after the click's sender has got its answer.
constexpr UINT kImOutcomeMessage = WM_APP + 1;

enum class Kind {
  kFrame,
  kPanel,
  kKeyword,
  kRoom,
  kTranscript,
  kEntry,
  kList,
  kIcon,
  kStatic,
  kIm,
  kImEntry,
  kStray,
  kDialog,
  kDialogButton,
};

struct Room;
struct Im;

struct Node {
  std::string name;  // the window's name in records
  Kind kind = Kind::kPanel;
  Room* room = nullptr;
  Im* im = nullptr;
  size_t index = 0;        // icons: position among the window's icons
  WNDPROC base = nullptr;  // subclassed windows: the procedure underneath
  bool pressed = false;    // icons: a button-down arrived and no up yet
};

struct Room {
  std::string name;
  HWND window = nullptr;
  HWND transcript = nullptr;
  HWND entry = nullptr;
  HWND list = nullptr;
  HWND caption = nullptr;
  std::vector<HWND> icons;
};

struct Im {
  std::string screenName;
  HWND window = nullptr;
  HWND entry = nullptr;
  std::vector<HWND> icons;
};

struct App {
  Options options;
  Recorder log;
  HINSTANCE instance = nullptr;
  WNDPROC editProc = nullptr;  // the system EDIT procedure, under RICHCNTL
  HWND frame = nullptr;
  HWND toolbar = nullptr;
  HWND innerToolbar = nullptr;
  HWND combo = nullptr;
  HWND keyword = nullptr;
  HWND mdi = nullptr;
  std::map<HWND, Node> nodes;
  std::list<Room> rooms;
  std::list<Im> ims;
  std::map<UINT_PTR, std::string> pendingIms;  // timer id -> screen name
  int topLevels = 0;
  int imsOpened = 0;
  HFONT uiFont = nullptr;
  HFONT boldFont = nullptr;
  std::map<std::string, HFONT> chatFonts;
  // A listed message the WH_CALLWNDPROC hook saw come from another thread;
  // the window procedure it is about to reach records it, text included.
  HWND sentWindow = nullptr;
  UINT sentMessage = 0;
  bool dialogOpen = false;
  HWND dialog = nullptr;
  HWND dialogButton = nullptr;
  std::string dialogText;
};

App g;

const char* ListedName(UINT message) {
  switch (message) {
    case WM_SETTEXT:
      return "WM_SETTEXT";
    case WM_CHAR:
      return "WM_CHAR";
    case WM_KEYDOWN:
      return "WM_KEYDOWN";
    case WM_KEYUP:
      return "WM_KEYUP";
    case WM_LBUTTONDOWN:
      return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP:
      return "WM_LBUTTONUP";
    case WM_CLOSE:
      return "WM_CLOSE";
    case WM_SYSCOMMAND:
      return "WM_SYSCOMMAND";
    default:
      return nullptr;
  }
}

Node* Find(HWND hwnd) {
  const auto it = g.nodes.find(hwnd);
  return it == g.nodes.end() ? nullptr : &it->second;
}

// A window that records what reaches it; panels are painted but unnamed.
const Node* Named(HWND hwnd) {
  const Node* node = Find(hwnd);
  return node && !node->name.empty() ? node : nullptr;
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(size_t(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(size_t(std::max(got, 0)));
  return text;
}

// ---------------------------------------------------------------------------
// Recording. Sent messages are told apart by the WH_CALLWNDPROC hook, whose
// wParam says whether the sender is this thread: our own sends (clearing an
// entry, DefWindowProc turning SC_CLOSE into WM_CLOSE) are thus never
// recorded, however deeply they nest inside a send from outside. Queued
// messages are recorded by the WH_GETMESSAGE hook, which also sees the ones
// that modal loops (message box, move loop) take from the queue.

LRESULT CALLBACK CallWndHook(int code, WPARAM sameThread, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const bool wanted = !sameThread && ListedName(cwp->message) && Named(cwp->hwnd);
    g.sentWindow = wanted ? cwp->hwnd : nullptr;
    g.sentMessage = wanted ? cwp->message : 0;
  }
  return CallNextHookEx(nullptr, code, sameThread, lParam);
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM lParam) {
  if (code == HC_ACTION && removal == PM_REMOVE) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    const char* name = ListedName(msg->message);
    const Node* node = name ? Named(msg->hwnd) : nullptr;
    if (node) {
      // A posted WM_SETTEXT carries a pointer into its sender; it means nothing here.
      const LPARAM l = msg->message == WM_SETTEXT ? 0 : msg->lParam;
      g.log.write(node->name, "queued", name, msg->wParam, l, {});
    }
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

// Every procedure of ours calls this first.
void Arrive(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd != g.sentWindow || message != g.sentMessage)
    return;
  g.sentWindow = nullptr;
  g.sentMessage = 0;
  const Node* node = Named(hwnd);
  if (!node)
    return;
  std::string_view text;
  if (message == WM_SETTEXT) {
    if (lParam)
      text = reinterpret_cast<const char*>(lParam);
    lParam = 0;
  }
  g.log.write(node->name, "sent", ListedName(message), wParam, lParam, text);
}

// ---------------------------------------------------------------------------
// Painting.

HFONT ChatFont(const TextStyle& style) {
  std::string key = style.face;
  for (char& c : key)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  key += style.bold ? "+b" : "";
  key += style.italic ? "+i" : "";
  key += style.underline ? "+u" : "";
  HFONT& font = g.chatFonts[key];
  if (!font) {
    font = CreateFontA(-14, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, style.italic,
                       style.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       style.face.substr(0, LF_FACESIZE - 1).c_str());
  }
  return font;
}

// Lays the transcript's lines out with word wrap and draws the newest at the
// bottom, as a chat window scrolls.
void PaintTranscript(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, HBRUSH(GetStockObject(WHITE_BRUSH)));
  constexpr int kMargin = 4;
  const int width = client.right - 2 * kMargin;

  struct Piece {
    int x;
    int row;
    HFONT font;
    unsigned long color;
    std::string text;
  };
  std::vector<Piece> pieces;
  int row = 0;
  int rowHeight = 0;
  const std::string text = WindowText(hwnd);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos)
      end = text.size();
    int x = kMargin;
    for (const TextRun& run : ParseChatHtml(std::string_view(text).substr(start, end - start))) {
      const HFONT font = ChatFont(run.style);
      SelectObject(dc, font);
      TEXTMETRICA metrics;
      GetTextMetricsA(dc, &metrics);
      rowHeight = std::max(rowHeight, int(metrics.tmHeight + metrics.tmExternalLeading));
      size_t at = 0;
      while (at < run.text.size()) {
        // A word with the blanks that follow it.
        size_t next = run.text.find(' ', at);
        next = next == std::string::npos ? run.text.size() : run.text.find_first_not_of(' ', next);
        if (next == std::string::npos)
          next = run.text.size();
        std::string word = run.text.substr(at, next - at);
        SIZE size;
        GetTextExtentPoint32A(dc, word.data(), int(word.size()), &size);
        if (x + size.cx > kMargin + width && x > kMargin) {
          ++row;
          x = kMargin + 12;  // continued lines are indented
        }
        pieces.push_back({x, row, font, run.style.color, std::move(word)});
        x += size.cx;
        at = next;
      }
    }
    ++row;
    start = end + 2;
  }
  if (rowHeight == 0)
    return;
  const int overflow = row * rowHeight - (client.bottom - 2 * kMargin);
  const int top = kMargin - std::max(overflow, 0);
  SetBkMode(dc, TRANSPARENT);
  for (const Piece& p : pieces) {
    SelectObject(dc, p.font);
    SetTextColor(dc, p.color);
    TextOutA(dc, p.x, top + p.row * rowHeight, p.text.data(), int(p.text.size()));
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
}

void DrawLabel(HDC dc, HWND hwnd, RECT rect, HFONT font, COLORREF color, UINT format) {
  const std::string text = WindowText(hwnd);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  DrawTextA(dc, text.c_str(), int(text.size()), &rect, format | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintPart(const Node& node, HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  if (hwnd == g.toolbar) {
    HBRUSH brush = CreateSolidBrush(RGB(0x0B, 0x2F, 0x7A));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  } else if (hwnd == g.innerToolbar) {
    HBRUSH brush = CreateSolidBrush(RGB(0x1C, 0x4F, 0xB0));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    RECT logo = r;
    logo.left += 8;
    DrawLabel(dc, hwnd, logo, g.boldFont, RGB(0xFF, 0xFF, 0xFF), DT_LEFT | DT_VCENTER);
    RECT combo;
    GetWindowRect(g.combo, &combo);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&combo), 2);
    RECT label = {combo.left - 70, r.top, combo.left - 6, r.bottom};
    SelectObject(dc, g.uiFont);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    DrawTextA(dc, "Keyword:", -1, &label, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  } else if (hwnd == g.combo) {
    FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &r, HBRUSH(GetStockObject(GRAY_BRUSH)));
  } else if (node.kind == Kind::kList) {
    FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
    RECT head = {r.left + 4, r.top + 2, r.right - 4, r.top + 18};
    SelectObject(dc, g.boldFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x0B, 0x2F, 0x7A));
    DrawTextA(dc, "People here: 1", -1, &head, DT_LEFT | DT_SINGLELINE);
    RECT you = {r.left + 8, r.top + 20, r.right - 4, r.top + 36};
    SelectObject(dc, g.uiFont);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, "You", -1, &you, DT_LEFT | DT_SINGLELINE);
  } else if (node.kind == Kind::kIcon) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, node.pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const bool send = node.im && node.index == kImSendIcon;
    DrawLabel(dc, hwnd, r, send ? g.boldFont : g.uiFont,
              send ? RGB(0x0B, 0x2F, 0x7A) : RGB(0x30, 0x30, 0x30), DT_CENTER | DT_VCENTER);
  } else if (node.kind == Kind::kStatic) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawLabel(dc, hwnd, r, g.boldFont, RGB(0x0B, 0x2F, 0x7A), DT_LEFT | DT_VCENTER);
  }
}

// ---------------------------------------------------------------------------
// Layout.

void Place(HWND hwnd, int x, int y, int w, int h) {
  if (hwnd)
    MoveWindow(hwnd, x, y, std::max(w, 0), std::max(h, 0), TRUE);
}

void LayoutFrame() {
  RECT r;
  GetClientRect(g.frame, &r);
  constexpr int kBar = 36;
  Place(g.toolbar, 0, 0, r.right, kBar);
  Place(g.innerToolbar, 2, 2, r.right - 4, kBar - 4);
  constexpr int kComboWidth = 240;
  Place(g.combo, r.right - 4 - kComboWidth - 8, 4, kComboWidth, kBar - 12);
  Place(g.keyword, 2, 2, kComboWidth - 4, kBar - 16);
  Place(g.mdi, 0, kBar, r.right, r.bottom - kBar);
}

void LayoutIcons(const std::vector<HWND>& icons, int left, int top, int width, int iconWidth) {
  const int step = iconWidth + 4;
  const int perRow = std::max(1, (width + 4) / step);
  for (size_t i = 0; i < icons.size(); ++i) {
    Place(icons[i], left + int(i % perRow) * step, top + int(i / perRow) * 28, iconWidth, 24);
  }
}

int IconRows(size_t count, int width, int iconWidth) {
  const int perRow = std::max(1, (width + 4) / (iconWidth + 4));
  return int((count + perRow - 1) / perRow);
}

void LayoutRoom(const Room& room) {
  RECT r;
  GetClientRect(room.window, &r);
  constexpr int kPad = 6;
  constexpr int kEntryHeight = 44;
  const int width = r.right - 2 * kPad;
  const int listWidth = room.list ? std::min(96, width / 3) : 0;
  const int top = 26;
  const int iconsTop = r.bottom - kPad - 24;
  const int entryTop = iconsTop - 6 - kEntryHeight;
  const int transcriptWidth = width - (room.list ? listWidth + kPad : 0);
  Place(room.caption, kPad, 4, width, 18);
  Place(room.transcript, kPad, top, transcriptWidth, entryTop - 6 - top);
  Place(room.list, kPad + transcriptWidth + kPad, top, listWidth, entryTop - 6 - top);
  Place(room.entry, kPad, entryTop, width, kEntryHeight);
  LayoutIcons(room.icons, kPad, iconsTop, width, 60);
}

void LayoutIm(const Im& im) {
  RECT r;
  GetClientRect(im.window, &r);
  constexpr int kPad = 6;
  constexpr int kIconWidth = 34;
  const int width = r.right - 2 * kPad;
  const int rows = IconRows(im.icons.size(), width, kIconWidth);
  const int iconsTop = r.bottom - kPad - rows * 28 + 4;
  Place(im.entry, kPad, 28, width, iconsTop - 6 - 28);
  LayoutIcons(im.icons, kPad, iconsTop, width, kIconWidth);
}

// ---------------------------------------------------------------------------
// Behaviour.

HWND MakeChild(const char* cls, const char* title, DWORD style, HWND parent, std::string name,
               Kind kind) {
  HWND hwnd = CreateWindowExA(0, cls, title, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                              nullptr, g.instance, nullptr);
  Node& node = g.nodes[hwnd];
  node.name = std::move(name);
  node.kind = kind;
  return hwnd;
}

HWND MakeRich(HWND parent, std::string name, Kind kind, DWORD style) {
  HWND hwnd = MakeChild(kRichClass, "", style, parent, std::move(name), kind);
  SendMessageA(hwnd, WM_SETFONT, WPARAM(g.uiFont), FALSE);
  SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);
  return hwnd;
}

// A new MDI child becomes the active one and so the front-most.
HWND MakeMdiChild(const char* title, int x, int y, int width, int height) {
  MDICREATESTRUCTA create = {};
  create.szClass = kChildClass;
  create.szTitle = title;
  create.hOwner = g.instance;
  create.x = x;
  create.y = y;
  create.cx = width;
  create.cy = height;
  return HWND(SendMessageA(g.mdi, WM_MDICREATE, 0, LPARAM(&create)));
}

void EnterLine(Room& room) {
  const std::string line = WindowText(room.entry);
  if (line.empty())
    return;
  const HWND target = room.transcript ? room.transcript : room.entry;
  g.log.event(Find(target)->name, "LINE", line);
  if (room.transcript) {
    std::string all = WindowText(room.transcript);
    all += all.empty() ? "" : "\r\n";
    all += line;
    SetWindowTextA(room.transcript, all.c_str());
  }
  SetWindowTextA(room.entry, "");
}

void OpenIm(const std::string& screenName) {
  if (!g.mdi)
    return;
  const int step = 24 * (g.imsOpened++ % 6);
  HWND window = MakeMdiChild(kImTitle, 40 + step, 20 + step, 404, 250);
  if (!window)
    return;
  Im& im = g.ims.emplace_back();
  im.screenName = screenName;
  im.window = window;
  Node& node = g.nodes[window];
  node.name = "im";
  node.kind = Kind::kIm;
  node.im = &im;
  im.entry = MakeRich(window, "im/entry", Kind::kImEntry,
                      WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN);
  for (unsigned i = 0; i < g.options.imIcons; ++i) {
    const std::string label = i == kImSendIcon ? "Send" : std::to_string(i + 1);
    HWND icon = MakeChild(kIconClass, label.c_str(), 0, window, "im/icon" + std::to_string(i + 1),
                          Kind::kIcon);
    g.nodes[icon].im = &im;
    g.nodes[icon].index = i;
    im.icons.push_back(icon);
  }
  g.nodes[im.entry].im = &im;
  LayoutIm(im);
  InvalidateRect(window, nullptr, TRUE);
  SetFocus(im.entry);
  g.log.event("im", "IM_OPEN", screenName);
}

void CALLBACK ImTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const auto it = g.pendingIms.find(id);
  if (it == g.pendingIms.end())
    return;
  const std::string name = it->second;
  g.pendingIms.erase(it);
  OpenIm(name);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size())
    return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, s.data(), int(prefix.size()),
                        prefix.data(), int(prefix.size())) == CSTR_EQUAL;
}

void EnterKeyword() {
  std::string keyword = WindowText(g.keyword);
  const size_t first = keyword.find_first_not_of(" \t\r\n");
  const size_t last = keyword.find_last_not_of(" \t\r\n");
  keyword = first == std::string::npos ? "" : keyword.substr(first, last - first + 1);
  g.log.event("keyword", "KEYWORD", keyword);
  if (StartsWithNoCase(keyword, kImKeyword)) {
    const UINT_PTR id = SetTimer(nullptr, 0, g.options.imDelayMs, ImTimer);
    g.pendingIms[id] = keyword.substr(kImKeyword.size());
  }
  SetWindowTextA(g.keyword, "");
}

void Adopt(HWND hwnd, const char* name, Kind kind);

LRESULT CALLBACK DialogPartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  Node* node = Find(hwnd);
  if (!node)
    return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC base = node->base;
  const Kind kind = node->kind;
  if (message == WM_NCDESTROY) {
    g.nodes.erase(hwnd);
    (kind == Kind::kDialog ? g.dialog : g.dialogButton) = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(base));
  }
  const LRESULT result = CallWindowProcA(base, hwnd, message, wParam, lParam);
  if (kind == Kind::kDialog && message == WM_INITDIALOG && !g.dialogButton) {
    g.dialogButton = FindWindowExA(hwnd, nullptr, "Button", nullptr);
    if (g.dialogButton)
      Adopt(g.dialogButton, "dialog/button", Kind::kDialogButton);
  }
  if (kind == Kind::kDialog && message == WM_WINDOWPOSCHANGED &&
      (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
    g.log.event("dialog", "DIALOG", g.dialogText);
  }
  return result;
}

void Adopt(HWND hwnd, const char* name, Kind kind) {
  Node& node = g.nodes[hwnd];
  node.name = name;
  node.kind = kind;
  node.base = WNDPROC(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(DialogPartProc)));
}

// Names the message box as it is created (and, once it has its controls, its
// OK button), so that what reaches them is recorded like the client's windows.
LRESULT CALLBACK DialogCbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const HWND hwnd = HWND(wParam);
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (!g.dialog && std::strcmp(cls, "#32770") == 0) {
      g.dialog = hwnd;
      Adopt(hwnd, "dialog", Kind::kDialog);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ShowAnswerDialog(const std::string& screenName) {
  if (g.dialogOpen)
    return;  // one box at a time, as the client does
  g.dialogOpen = true;
  g.dialogText = screenName + " is not currently signed on.";
  const HHOOK hook = SetWindowsHookExA(WH_CBT, DialogCbtHook, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxA(g.frame, g.dialogText.c_str(), kClientTitle, MB_OK);
  UnhookWindowsHookEx(hook);
  g.dialogOpen = false;
  g.log.event("dialog", "DIALOG_CLOSED", {}, unsigned(answer));
}

void SendIm(Im& im) {
  g.log.event("im", "IM_SENT", im.screenName + ":" + WindowText(im.entry));
  if (g.options.imOutcome != ImOutcome::kStay)
    PostMessageA(im.window, kImOutcomeMessage, 0, 0);
}

void FinishIm(Im& im) {
  if (g.options.imOutcome == ImOutcome::kClose) {
    SendMessageA(g.mdi, WM_MDIDESTROY, WPARAM(im.window), 0);
  } else if (g.options.imOutcome == ImOutcome::kDialog) {
    ShowAnswerDialog(im.screenName);  // the window may be gone when this returns
  }
}

void TopLevelGone() {
  if (--g.topLevels == 0)
    PostQuitMessage(0);
}

// ---------------------------------------------------------------------------
// Window procedures.

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      // Not passed on: DefFrameProc would stretch the MDI area over the toolbar.
      LayoutFrame();
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

LRESULT CALLBACK KeywordProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  Node* node = Find(hwnd);
  if (!node)
    return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC base = node->base;
  if (message == WM_CHAR && wParam == '\r') {
    EnterKeyword();
    return 0;
  }
  if (message == WM_NCDESTROY) {
    g.nodes.erase(hwnd);
    g.keyword = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(base));
  }
  return CallWindowProcA(base, hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Building.

bool RegisterClasses() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = g.instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  auto add = [&](const char* name, WNDPROC proc, int background) {
    wc.lpszClassName = name;
    wc.lpfnWndProc = proc;
    wc.hbrBackground = HBRUSH(INT_PTR(background + 1));
    return RegisterClassExA(&wc) != 0;
  };
  bool ok = add(kFrameClass, FrameProc, COLOR_APPWORKSPACE) &&
            add(kToolbarClass, PartProc, COLOR_BTNFACE) &&
            add(kInnerToolbarClass, PartProc, COLOR_BTNFACE) &&
            add(kComboClass, PartProc, COLOR_WINDOW) &&
            add(kChildClass, ChildProc, COLOR_BTNFACE) && add(kListClass, PartProc, COLOR_WINDOW) &&
            add(kIconClass, PartProc, COLOR_BTNFACE) && add(kStaticClass, PartProc, COLOR_BTNFACE);
  // RICHCNTL is an edit box underneath: typing, WM_SETTEXT and WM_GETTEXT
  // behave as the client's entries do.
  WNDCLASSEXA edit = {};
  edit.cbSize = sizeof edit;
  ok = ok && GetClassInfoExA(nullptr, "EDIT", &edit);
  g.editProc = edit.lpfnWndProc;
  edit.lpfnWndProc = RichProc;
  edit.hInstance = g.instance;
  edit.lpszClassName = kRichClass;
  edit.style &= ~CS_GLOBALCLASS;
  return ok && RegisterClassExA(&edit) != 0;
}

Room& MakeRoom(const std::string& name, RECT place, bool decoy) {
  Room& room = g.rooms.emplace_back();
  room.name = name;
  room.window = MakeMdiChild(name.c_str(), place.left, place.top, place.right - place.left,
                             place.bottom - place.top);
  Node& node = g.nodes[room.window];
  node.name = name;
  node.kind = Kind::kRoom;
  node.room = &room;
  // Creation order is Z order, front first: transcript, entry, list, icons, caption.
  if (!g.options.singleRichcntl || decoy) {
    room.transcript = MakeRich(room.window, name + "/transcript", Kind::kTranscript,
                               WS_BORDER | ES_MULTILINE | ES_READONLY);
  }
  room.entry = MakeRich(room.window, name + "/entry", Kind::kEntry,
                        WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL);
  if (!decoy)
    room.list = MakeChild(kListClass, "", WS_BORDER, room.window, name + "/list", Kind::kList);
  static const char* const kIconLabels[] = {"Who", "Notify", "Prefs"};
  for (int i = 0; i < (decoy ? 1 : 3); ++i) {
    room.icons.push_back(MakeChild(kIconClass, kIconLabels[i], 0, room.window,
                                   name + "/icon" + std::to_string(i + 1), Kind::kIcon));
  }
  room.caption =
      MakeChild(kStaticClass, name.c_str(), 0, room.window, name + "/static", Kind::kStatic);
  for (HWND part : {room.transcript, room.entry, room.list, room.caption}) {
    if (part)
      g.nodes[part].room = &room;
  }
  for (HWND icon : room.icons)
    g.nodes[icon].room = &room;
  LayoutRoom(room);
  return room;
}

void BuildClient() {
  g.frame =
      CreateWindowExA(0, kFrameClass, kClientTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      g.options.x, g.options.y, 640, 420, nullptr, nullptr, g.instance, nullptr);
  g.nodes[g.frame] = {"frame", Kind::kFrame};
  ++g.topLevels;
  // Children are created front to back: toolbar first, then the MDI area.
  g.toolbar = MakeChild(kToolbarClass, "", WS_CLIPCHILDREN, g.frame, "", Kind::kPanel);
  g.innerToolbar =
      MakeChild(kInnerToolbarClass, kClientTitle, WS_CLIPCHILDREN, g.toolbar, "", Kind::kPanel);
  g.combo = MakeChild(kComboClass, "", WS_CLIPCHILDREN, g.innerToolbar, "", Kind::kPanel);
  g.keyword = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 10, 10,
                              g.combo, nullptr, g.instance, nullptr);
  SendMessageA(g.keyword, WM_SETFONT, WPARAM(g.uiFont), FALSE);
  Node& keyword = g.nodes[g.keyword];
  keyword.name = "keyword";
  keyword.kind = Kind::kKeyword;
  keyword.base = WNDPROC(SetWindowLongPtrA(g.keyword, GWLP_WNDPROC, LONG_PTR(KeywordProc)));
  CLIENTCREATESTRUCT mdi = {nullptr, 50000};
  g.mdi = CreateWindowExA(WS_EX_CLIENTEDGE, "MDIClient", nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10, g.frame, nullptr,
                          g.instance, &mdi);
  LayoutFrame();

  // Rooms side by side while they fit, cascaded beyond that; the decoy,
  // created last, sits in front of them.
  RECT area;
  GetClientRect(g.mdi, &area);
  const int count = int(g.options.rooms.size());
  const bool tile = count > 0 && area.right / count >= 200;
  for (int i = 0; i < count; ++i) {
    RECT place;
    if (tile) {
      place = {i * area.right / count, 0, (i + 1) * area.right / count, area.bottom};
    } else {
      const int offset = 24 * (i % 6);
      place = {offset, offset, offset + 320, offset + std::min(280, int(area.bottom))};
    }
    MakeRoom(g.options.rooms[size_t(i)], place, false);
  }
  if (g.options.decoy) {
    MakeRoom("Decoy", {area.right / 4, area.bottom / 6, area.right * 3 / 4, area.bottom * 5 / 6},
             true);
  }
  ShowWindow(g.frame, SW_SHOWNORMAL);
  UpdateWindow(g.frame);
}

void BuildStrays() {
  for (int i = 1; i <= 2; ++i) {
    const std::string name = "stray" + std::to_string(i);
    HWND stray = CreateWindowExA(
        0, kRichClass, name.c_str(), WS_POPUP | WS_BORDER | WS_VISIBLE | ES_AUTOHSCROLL, 20,
        440 + 50 * (i - 1), 280, 28, nullptr, nullptr, g.instance, nullptr);
    SendMessageA(stray, WM_SETFONT, WPARAM(g.uiFont), TRUE);
    g.nodes[stray] = {name, Kind::kStray};
    ++g.topLevels;
  }
}

// Runs once the message loop has drained what building queued: timers come
// after paints, so by now every window has been drawn.
void CALLBACK ReadyTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g.log.event("-", "READY");
  if (g.options.hangMs) {
    g.log.event("-", "HANG", {}, g.options.hangMs);
    Sleep(g.options.hangMs);
    g.log.event("-", "AWAKE");
  }
  if (g.topLevels == 0)
    PostQuitMessage(0);
}

void Complain(const std::string& text) {
  const std::string line = "hostsim: " + text + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), DWORD(line.size()), &written, nullptr);
}

}  // namespace

int Run(HINSTANCE instance, int argc, char** argv) {
  std::string error;
  const auto options = ParseOptions(argc, argv, error);
  if (!options) {
    Complain(error);
    return 2;
  }
  g.options = *options;
  g.instance = instance;
  if (!g.options.logPath.empty() && !g.log.open(g.options.logPath)) {
    Complain("cannot open the log " + g.options.logPath);
    return 2;
  }
  if (!RegisterClasses()) {
    Complain("cannot register the window classes");
    return 1;
  }
  g.uiFont =
      CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  g.boldFont =
      CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  const DWORD thread = GetCurrentThreadId();
  const HHOOK callHook = SetWindowsHookExA(WH_CALLWNDPROC, CallWndHook, nullptr, thread);
  const HHOOK getHook = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, thread);

  if (!g.options.noClient)
    BuildClient();
  if (g.options.strayRichcntl)
    BuildStrays();
  SetTimer(nullptr, 0, 1, ReadyTimer);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (g.mdi && TranslateMDISysAccel(g.mdi, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  UnhookWindowsHookEx(getHook);
  UnhookWindowsHookEx(callHook);
  for (const auto& [key, font] : g.chatFonts)
    DeleteObject(font);
  DeleteObject(g.uiFont);
  DeleteObject(g.boldFont);
  return int(msg.wParam);
}

}  // namespace hostsim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return hostsim::Run(instance, __argc, __argv);
}
