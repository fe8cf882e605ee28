// The text zoble sends in the system's code page, its clock, its box and
// its windows' sizes at this DPI.
#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "check/check.h"
#include "console/forms.h"
#include "ui/pointer.h"
#include "win32/handles.h"
#include "win32/system_rules.h"
#include "win32/text.h"
#include "win32/user32_window_access.h"
#include "win32/win32_platform.h"

namespace check {

namespace {

std::vector<UINT> codePages;

BOOL CALLBACK Installed(LPWSTR name) {
  codePages.push_back(UINT(wcstoul(name, nullptr, 10)));
  return TRUE;
}

// Whether WideCharToMultiByte converts "a" to the code page with these flags.
bool Converts(UINT codePage, DWORD flags) {
  char out[8];
  return WideCharToMultiByte(codePage, flags, L"a", 1, out, sizeof out, nullptr, nullptr) > 0;
}

}  // namespace

void CodePagesNoBestFit(Findings& f) {
  EnumSystemCodePagesW(&Installed, CP_INSTALLED);
  // And the system's own, UTF-7 and UTF-8, which Wine does not list.
  for (const UINT page : {GetACP(), UINT(CP_UTF7), UINT(CP_UTF8)}) {
    if (std::find(codePages.begin(), codePages.end(), page) == codePages.end())
      codePages.push_back(page);
  }
  std::string refused, lenient;
  int converted = 0;
  for (const UINT page : codePages) {
    if (!Converts(page, 0))
      continue;  // not a code page WideCharToMultiByte converts to
    ++converted;
    // zoble's lines would be given up where the flag it asks for is
    // refused; asking none where it would be taken costs nothing.
    SetLastError(0);
    const bool takes = Converts(page, WC_NO_BEST_FIT_CHARS);
    if (win32::TakesNoBestFit(page) && !takes)
      refused += Format(" %u (error %lu)", page, GetLastError());
    else if (!win32::TakesNoBestFit(page) && takes)
      lenient += Format(" %u", page);
  }
  f.expect(refused.empty(), "WC_NO_BEST_FIT_CHARS refused where zoble asks it:" + refused);
  f.note(Format("%d code pages converted", converted) +
         (lenient.empty() ? "" : "; taken where zoble does not ask it:" + lenient));
}

void NoBestFitGivesQuestionMarks(Findings& f) {
  // Look-alikes of markup, letters with best fits in many code pages, and
  // characters few code pages have.
  std::string bestFit;
  for (const char* sample : {"\uFF1C", "\uFF1E", "\u0141", "\u03A9", "\u221E", "\u00E9", "\u2019",
                             "\u4E2D", "\U0001F600"}) {
    const std::wstring wide = win32::Widen(sample);
    const std::optional<std::string> bytes = win32::ToAnsi(sample);
    if (!f.expect(bytes.has_value(), Format("U+%04X converted to nothing", unsigned(wide[0]))))
      continue;
    f.expect(win32::FromAnsi(*bytes) == sample || bytes->find_first_not_of('?') == bytes->npos,
             Format("U+%04X became \"%s\", a look-alike", unsigned(wide[0]), bytes->c_str()));
    // What the conversion gives without the flag, for the report.
    char plain[16];
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), plain, sizeof plain,
                                      nullptr, nullptr);
    const std::string without(plain, size_t(std::max(n, 0)));
    if (win32::FromAnsi(without) != sample && without.find_first_not_of('?') != without.npos)
      bestFit += Format(" U+%04X", unsigned(wide[0]));
  }
  f.note(Format("code page %u; best fits without the flag:", GetACP()) +
         (bestFit.empty() ? " none" : bestFit));
}

void Utf8RefusesNoBestFit(Findings& f) {
  SetLastError(0);
  const bool takes = Converts(CP_UTF8, WC_NO_BEST_FIT_CHARS);
  f.expect(!takes && GetLastError() == ERROR_INVALID_FLAGS,
           Format("WC_NO_BEST_FIT_CHARS for UTF-8: %s, error %lu", takes ? "taken" : "refused",
                  GetLastError()));
}

void Utf8SystemCodePage(Findings& f) {
  if (GetACP() != CP_UTF8)
    return f.skip(Format("the system code page is %u, not UTF-8", GetACP()));
  const std::string text = "caf\u00e9 \u0142\u00f3d\u017a \u4e2d \U0001F600 \uff1cb\uff1e";
  f.expect(win32::ToAnsi(text) == text, "a line does not go out as its UTF-8 bytes");
  f.expect(win32::FromAnsi(text) == text, "UTF-8 bytes do not come back as the text");
}

void Clock(Findings& f) {
  LARGE_INTEGER frequency{};
  if (!f.expect(QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0,
                "no performance counter: zoble's pauses would not end"))
    return;
  // zoble's own clock, read on each processor in turn.
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  DWORD_PTR mine = 0, all = 0;
  GetProcessAffinityMask(GetCurrentProcess(), &mine, &all);
  const double first = platform.monotonic();
  double last = first;
  int backwards = 0, readings = 0;
  for (int round = 0; round < 50; ++round, Sleep(2)) {
    for (DWORD_PTR one = 1; one && one <= mine; one <<= 1) {
      if (mine & one) {
        SetThreadAffinityMask(GetCurrentThread(), one);
        const double now = platform.monotonic();
        backwards += now < last;
        last = now;
        ++readings;
      }
    }
  }
  SetThreadAffinityMask(GetCurrentThread(), mine);
  f.expect(backwards == 0 && last > first, Format("went back %d times", backwards));
  f.note(Format("%.0f Hz; %d readings on %d processors over %.0f ms", double(frequency.QuadPart),
                readings, readings / 50, (last - first) * 1000));
}

namespace {

struct {
  HWND panel, holder, box;
  bool panelEnabled, holderEnabled, topmost, above;
} underBox;

constexpr wchar_t kBoxTitle[] = L"zoble-check box";

LRESULT CALLBACK Panel(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_TIMER)
    return DefWindowProcW(window, message, w, l);
  const HWND box = FindWindowW(L"#32770", kBoxTitle);
  if (!box || !IsWindowVisible(box))
    return 0;
  underBox.box = box;
  underBox.panelEnabled = IsWindowEnabled(underBox.panel);
  underBox.holderEnabled = IsWindowEnabled(underBox.holder);
  underBox.topmost = GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST;
  for (HWND below = box; below; below = GetWindow(below, GW_HWNDNEXT))
    underBox.above = underBox.above || below == underBox.panel;
  KillTimer(window, 1);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

// zoble's box over windows as zoble's: the always-on-top panel, and the
// hidden menu holder.
bool ShowZoblesBox() {
  underBox.panel = MakeWindow(Panel, true);
  underBox.holder = MakeWindow(nullptr, false);
  SetTimer(underBox.panel, 1, 100, nullptr);
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  platform.messageBox("zoble-check: a box as zoble shows it", "zoble-check box");
  return underBox.box != nullptr;
}

}  // namespace

void TaskModalBox(Findings& f) {
  if (!f.expect(ShowZoblesBox(), "no box seen"))
    return;
  f.expect(!underBox.panelEnabled, "the panel took input under the box");
  f.expect(IsWindowEnabled(underBox.panel) && IsWindowEnabled(underBox.holder),
           "a window stayed disabled after the box");
  f.note(underBox.holderEnabled ? "the hidden window left enabled" : "the hidden window too");
}

void BoxOnTop(Findings& f) {
  if (!f.expect(ShowZoblesBox(), "no box seen"))
    return;
  f.expect(underBox.topmost, "the box is not always on top");
  f.expect(underBox.above, "the box is under the always-on-top panel");
}

void TwipsAtThisDpi(Findings& f) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  ui::Runtime runtime(platform, "zoble-check");
  win32::User32WindowAccess access;
  console::WindowSet set(access, runtime);
  std::string sizes = Format("at %d dpi:", dpi);
  // The three windows' designs, built as plain forms: their own loads would
  // look for the client. All three stay loaded: the last unloaded ends it.
  std::vector<std::unique_ptr<ui::Form>> forms;
  for (const ui::FormDesign* d :
       {&set.form1().design(), &set.form2().design(), &set.form3().design()}) {
    // ui::TwipsToPixels rounds as MulDiv does.
    std::vector<int> twips{d->clientWidth, d->clientHeight};
    for (const ui::LabelDesign& label : d->labels)
      twips.push_back(label.rect.left);
    for (const int t : twips)
      f.expect(ui::TwipsToPixels(t, dpi) == MulDiv(t, dpi, ui::kTwipsPerInch),
               Format("%d twips: %d pixels, MulDiv %d", t, ui::TwipsToPixels(t, dpi),
                      MulDiv(t, dpi, ui::kTwipsPerInch)));
    forms.push_back(std::make_unique<ui::Form>(runtime, *d));
    const HWND window = win32::ToNative(forms.back()->hWnd());
    RECT client, box{};
    GetClientRect(window, &client);
    f.expect(client.right == ui::TwipsToPixels(d->clientWidth, dpi) &&
                 client.bottom == ui::TwipsToPixels(d->clientHeight, dpi),
             Format("%s: %ldx%ld pixels", d->name.c_str(), client.right, client.bottom));
    sizes += Format(" %s %ldx%ld", d->name.c_str(), client.right, client.bottom);
    if (d->textBoxes.empty())
      continue;
    GetWindowRect(FindWindowExW(window, nullptr, L"Edit", nullptr), &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    const ui::PixelRect want = ui::ToPixels(d->textBoxes[0].rect, dpi);
    f.expect(box.left == want.left && box.top == want.top && box.right == want.right &&
                 box.bottom == want.bottom,
             Format("%s's reason box at %ld,%ld-%ld,%ld", d->name.c_str(), box.left, box.top,
                    box.right, box.bottom));
  }
  f.note(sizes);
}

}  // namespace check
