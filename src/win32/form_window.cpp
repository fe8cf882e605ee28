#include "win32/form_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "console/resources.h"
#include "win32/handles.h"
#include "win32/message_rules.h"
#include "win32/text.h"

namespace win32 {

namespace {

constexpr UINT_PTR kFirstTextBoxId = 100;

// The system's EDIT procedure, under ours.
WNDPROC editProcedure = nullptr;

// A text box's own menu (Undo, Cut, Paste: right click, Shift+F10 or the
// menu key) is a system loop like the panel's menu. A system command (a
// move another program sends it, say) would run the system's loops on a
// child that has no use for them, and a close would destroy the reason box:
// neither comes from the user.
LRESULT CALLBACK TextBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND || message == WM_CLOSE)
    return 0;
  if (message != WM_CONTEXTMENU)
    return CallWindowProcW(editProcedure, box, message, wParam, lParam);
  MessageRules::SystemLoop loop;
  return CallWindowProcW(editProcedure, box, message, wParam, lParam);
}

}  // namespace

void FormWindow::RegisterClassOnce(HINSTANCE instance) {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  // No CS_DBLCLKS: every click is a click, however quickly it follows the last.
  wc.lpfnWndProc = &FormWindow::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = HICON(LoadImageW(instance, MAKEINTRESOURCEW(ZOBLE_ICON), IMAGE_ICON, 32, 32, 0));
  wc.hIconSm = HICON(LoadImageW(instance, MAKEINTRESOURCEW(ZOBLE_ICON), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = FormWindow::kClassName;
  RegisterClassExW(&wc);
  registered = true;
}

namespace {

HFONT UiFont() {
  return HFONT(GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF ToColorRef(ui::Rgb c) {
  return RGB(c.r, c.g, c.b);
}

int Luminance(COLORREF c) {
  return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
}

// The window-text colour, unless the colour scheme makes it vanish on the
// box's background (black caption text on Windows 10 and under Wine, say):
// then black or white, whichever reads.
COLORREF ReadableTextOn(COLORREF back) {
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  if (std::abs(Luminance(text) - Luminance(back)) >= 96)
    return text;
  return Luminance(back) < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

}  // namespace

FormWindow::FormWindow(HINSTANCE instance, ui::Form& form)
    : instance_(instance), form_(form), design_(form.design()) {
  RegisterClassOnce(instance);
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);

  const bool framed = design_.frame == ui::Frame::kSizable;
  const DWORD style = (framed ? WS_OVERLAPPEDWINDOW : WS_POPUP) | WS_CLIPCHILDREN;
  // A borderless window gets a taskbar button only when its design asks for
  // one. A framed window keeps the system's default frame and styles; the
  // only one, the menu holder, is never shown, so it never shows a button.
  const DWORD exStyle = framed ? 0 : design_.taskbarButton ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
  RECT r{0, 0, toPixels(design_.clientWidth), toPixels(design_.clientHeight)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;

  // The window system only chooses a position for overlapped windows: a
  // borderless one is created overlapped and loses its frame afterwards.
  const DWORD createStyle = framed ? style : (WS_OVERLAPPED | WS_CLIPCHILDREN);
  hwnd_ = CreateWindowExW(exStyle, kClassName, Widen(design_.caption).c_str(), createStyle,
                          CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, nullptr, instance_,
                          nullptr);
  // Messages of the creation itself take the default way; from here on the
  // window speaks to this object.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, LONG_PTR(this));
  if (!framed) {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, LONG_PTR(style));
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

  if (design_.picture) {
    picture_ = HBITMAP(LoadImageW(instance_, MAKEINTRESOURCEW(design_.picture), IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION));
  }
  createControls();
  buildMenus();
}

FormWindow::~FormWindow() {
  // No message of the dying window may reach this object any more.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  MessageRules::Forget(hwnd_);
  DestroyWindow(hwnd_);
  for (HMENU m : menus_)
    DestroyMenu(m);
  if (picture_)
    DeleteObject(picture_);
}

int FormWindow::toPixels(int twips) const {
  return ui::TwipsToPixels(twips, dpi_);
}

RECT FormWindow::labelRect(const ui::LabelDesign& label) const {
  const ui::PixelRect r = ui::ToPixels(label.rect, dpi_);
  return RECT{r.left, r.top, r.right, r.bottom};
}

void FormWindow::createControls() {
  for (size_t i = 0; i < design_.textBoxes.size(); ++i) {
    const ui::TextBoxDesign& box = design_.textBoxes[i];
    HWND edit = CreateWindowExW(
        0, L"EDIT", Widen(box.text).c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL,
        toPixels(box.rect.left), toPixels(box.rect.top), toPixels(box.rect.width),
        toPixels(box.rect.height), hwnd_, HMENU(kFirstTextBoxId + i), instance_, nullptr);
    SendMessageW(edit, WM_SETFONT, WPARAM(UiFont()), FALSE);
    editProcedure = WNDPROC(SetWindowLongPtrW(edit, GWLP_WNDPROC, LONG_PTR(&TextBoxProc)));
    textBoxes_.push_back(edit);
  }
  timersOn_.assign(design_.timers.size(), false);
  for (size_t i = 0; i < design_.timers.size(); ++i) {
    if (design_.timers[i].enabled)
      setTimerEnabled(design_.timers[i].name, true);
  }
}

void FormWindow::buildMenus() {
  UINT_PTR id = 0;  // the items' command ids count from 1 across the menus
  for (const ui::MenuDesign& top : design_.menus) {
    HMENU popup = CreatePopupMenu();
    for (const ui::MenuDesign& item : top.items)
      AppendMenuW(popup, MF_STRING, ++id, Widen(item.caption).c_str());
    menus_.push_back(popup);
  }
}

zoble::Hwnd FormWindow::handle() const {
  return FromNative(hwnd_);
}

void FormWindow::setVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool FormWindow::visible() const {
  return IsWindowVisible(hwnd_) != FALSE;
}

std::string FormWindow::text(std::string_view textBox) const {
  for (size_t i = 0; i < design_.textBoxes.size(); ++i) {
    if (design_.textBoxes[i].name != textBox)
      continue;
    const int length = GetWindowTextLengthW(textBoxes_[i]);
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(textBoxes_[i], text.data(), length + 1)));
    return Narrow(text);
  }
  return {};
}

void FormWindow::setTimerEnabled(std::string_view timer, bool enabled) {
  for (size_t i = 0; i < design_.timers.size(); ++i) {
    if (design_.timers[i].name != timer)
      continue;
    timersOn_[i] = enabled;
    // Setting a running timer again starts its period afresh.
    if (enabled) {
      SetTimer(hwnd_, i + 1, design_.timers[i].intervalMs, nullptr);
    } else {
      KillTimer(hwnd_, i + 1);
    }
  }
}

bool FormWindow::timerEnabled(std::string_view timer) const {
  for (size_t i = 0; i < design_.timers.size(); ++i) {
    if (design_.timers[i].name == timer)
      return timersOn_[i];
  }
  return false;
}

std::string FormWindow::popupMenu(std::string_view menu) {
  for (size_t i = 0; i < design_.menus.size(); ++i) {
    if (design_.menus[i].name != menu)
      continue;
    POINT at;
    GetCursorPos(&at);
    // A close inside the menu may destroy this window: what the choice
    // means is read from the form's design, which outlives it.
    const ui::MenuDesign& items = design_.menus[i];
    size_t first = 1;  // the menu's first command id
    for (size_t m = 0; m < i; ++m)
      first += design_.menus[m].items.size();
    // The choice comes back here rather than as a posted command, so the
    // item's handler runs before the request returns.
    MessageRules::SystemLoop loop;
    const UINT chosen = UINT(TrackPopupMenu(
        menus_[i], TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
        at.x, at.y, 0, hwnd_, nullptr));
    return chosen >= first && chosen < first + items.items.size() ? items.items[chosen - first].name
                                                                  : std::string();
  }
  return {};
}

FormWindow* FormWindow::Of(HWND window) {
  wchar_t cls[16];
  if (!GetClassNameW(window, cls, 16) || lstrcmpW(cls, kClassName) != 0)
    return nullptr;
  return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void FormWindow::stopTimers() {
  for (size_t i = 0; i < design_.timers.size(); ++i)
    setTimerEnabled(design_.timers[i].name, false);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  // A handler run from here may unload the form and so destroy `self`: the
  // result is all that is used afterwards.
  return self->onMessage(message, wParam, lParam);
}

LRESULT FormWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (MessageRules::Intercepts(hwnd_, message, wParam, lParam))
    return 0;  // kept for after the line in flight, or what was kept has run
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT, without flicker
    case WM_PAINT:
      onPaint();
      return 0;
    case WM_CTLCOLOREDIT: {
      const auto box = std::find(textBoxes_.begin(), textBoxes_.end(), HWND(lParam));
      if (box == textBoxes_.end())
        break;
      const int back = design_.textBoxes[size_t(box - textBoxes_.begin())].backSystemColor;
      HDC dc = HDC(wParam);
      SetTextColor(dc, ReadableTextOn(GetSysColor(back)));
      SetBkColor(dc, GetSysColor(back));
      return LRESULT(GetSysColorBrush(back));
    }
    case WM_ACTIVATE:
      // The first text box has the focus whenever the window is active.
      if (LOWORD(wParam) != WA_INACTIVE && !textBoxes_.empty()) {
        SetFocus(textBoxes_.front());
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      return onLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_LBUTTONUP:
      return onLButtonUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE) {
        // The drag's move, or one another program asks for, or any other
        // command the system runs a loop of its own for; a close is ours.
        MessageRules::SystemLoop loop;
        return DefWindowProcW(hwnd_, message, wParam, lParam);
      }
      break;
    case WM_CAPTURECHANGED:
      clicks_.cancel();
      return 0;
    case WM_TIMER:
      if (wParam >= 1 && wParam <= timersOn_.size() && timersOn_[wParam - 1]) {
        ui::Form& form = form_;
        form.raise(ui::Event::kTimer, design_.timers[wParam - 1].name);
      }
      return 0;
    case WM_CLOSE: {
      // Only the form decides whether it closes.
      ui::Form& form = form_;
      form.raise(ui::Event::kClose, "");
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT FormWindow::onLButtonDown(POINT at) {
  clicks_.press(ui::ControlAt(design_, dpi_, at.x, at.y));
  SetCapture(hwnd_);
  return 0;
}

LRESULT FormWindow::onLButtonUp(POINT at) {
  const std::optional<std::string> clicked =
      clicks_.release(ui::ControlAt(design_, dpi_, at.x, at.y));
  if (GetCapture() == hwnd_)
    ReleaseCapture();
  if (!clicked)
    return 0;
  ui::Form& form = form_;
  form.raise(ui::Event::kClick, *clicked);  // may destroy this window
  return 0;
}

void FormWindow::onPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP canvas = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ oldCanvas = SelectObject(memory, canvas);

  FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (picture_) {
    // Drawn unscaled from the top-left corner; what lies outside is cut off.
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture_);
    BITMAP bm;
    GetObjectW(picture_, sizeof bm, &bm);
    BitBlt(memory, 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  HGDIOBJ oldFont = SelectObject(memory, UiFont());
  SetBkMode(memory, TRANSPARENT);
  for (const ui::LabelDesign& label : design_.labels) {
    if (!label.foreColor || label.caption.empty())
      continue;
    RECT r = labelRect(label);
    SetTextColor(memory, ToColorRef(*label.foreColor));
    DrawTextW(memory, Widen(label.caption).c_str(), -1, &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(memory, oldFont);

  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldCanvas);
  DeleteObject(canvas);
  DeleteDC(memory);
  EndPaint(hwnd_, &ps);
}

}  // namespace win32
