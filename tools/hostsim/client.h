// The stand-in client's shared state: its window names, the window tree as
// records name it, and what each file offers the others.
#pragma once

#include <windows.h>

#include <list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "options.h"
#include "record.h"

namespace hostsim {

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
// Posted by an entry to the frame with the line's number, so that the line's
// sender has its answer before the line is told to other programs and before
// a hang that follows it (--hang-after-line).
constexpr UINT kLineEnteredMessage = WM_APP + 2;

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
  unsigned linesEntered = 0;
  std::vector<HANDLE> linesTold;  // kept open, so that a program that asks late finds each set
  HANDLE cue = nullptr;           // --hang-until-cue: set by a line on standard input
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

// The one client this process plays.
extern App g;

// main.cpp
void Hang();
void LineEntered(unsigned number);

// tree.cpp
Node* Find(HWND hwnd);
const Node* Named(HWND hwnd);
std::string WindowText(HWND hwnd);
HWND MakeChild(const char* cls, const char* title, DWORD style, HWND parent, std::string name,
               Kind kind);
HWND MakeRich(HWND parent, std::string name, Kind kind, DWORD style);
HWND MakeMdiChild(const char* title, int x, int y, int width, int height);
void TopLevelGone();

// recording.cpp
LRESULT CALLBACK CallWndHook(int code, WPARAM sameThread, LPARAM lParam);
LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM lParam);
void Arrive(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// paint.cpp
void PaintTranscript(HWND hwnd, HDC dc);
void PaintPart(const Node& node, HWND hwnd, HDC dc);

// layout.cpp
void LayoutFrame();
void LayoutRoom(const Room& room);
void LayoutIm(const Im& im);

// room.cpp
LRESULT CALLBACK RichProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// instant_message.cpp
void CALLBACK ImTimer(HWND, UINT, UINT_PTR id, DWORD);
void SendIm(Im& im);
void FinishIm(Im& im);

// keyword.cpp
LRESULT CALLBACK KeywordProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// answer_dialog.cpp
void ShowAnswerDialog(const std::string& screenName);

// procedures.cpp
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// build.cpp
bool RegisterClasses();
void BuildClient();
void BuildStrays();

}  // namespace hostsim
