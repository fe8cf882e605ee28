// An in-memory desktop: foreign windows with a class, a title and Z-ordered
// children, the two searches with user32's semantics, and a journal of every
// message and window operation the program hands out, in order.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver/window_access.h"

namespace fake {

using quil32::Hwnd;

// One operation the program performed through WindowAccess.
struct Call {
  enum class Kind { kSend, kPost, kSetWindowPos, kReleaseCapture };
  Kind kind = Kind::kSend;
  Hwnd window;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::string text;  // the ANSI bytes of a WM_SETTEXT
  Hwnd insertAfter;  // SetWindowPos only
  int x = 0, y = 0, cx = 0, cy = 0;
  unsigned flags = 0;
  double at = 0;  // the desktop's clock when the call was made

  // Instants are sums of pauses and delays: equal within a nanosecond.
  friend bool operator==(const Call& a, const Call& b);
};

// Builders for the rows of expected tables.
Call SetText(Hwnd w, std::string ansi, double at = 0);
Call Sent(Hwnd w, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam = 0,
          double at = 0);
Call Posted(Hwnd w, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam = 0,
            double at = 0);
Call SetWindowPosCall(Hwnd w, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags,
                      double at = 0);
Call ReleaseCaptureCall(double at = 0);

// Prints a call readably, so a failed table comparison shows what differs.
void PrintTo(const Call& call, std::ostream* os);

// The system ANSI code page: UTF-8 to ANSI bytes and back.
struct CodePage {
  std::function<std::string(std::string_view)> toAnsi;
  std::function<std::string(std::string_view)> fromAnsi;
};

class FakeDesktop final : public quil32::WindowAccess {
 public:
  FakeDesktop();  // code page 1252

  // Creates a window behind its existing siblings (as child windows are
  // created); parent 0 makes a top-level window.
  Hwnd add(Hwnd parent, std::string cls, std::string title = {});
  // Destroys a window and everything under it.
  void remove(Hwnd window);
  void bringToFront(Hwnd window);
  // A hung window's thread answers no sends; they fail after the bound.
  void setHung(Hwnd window, bool hung);
  // Runs when a window receives a message, sent or posted, after the journal
  // has it; this is how a test makes a window act (a dialog appearing, say).
  void onReceive(Hwnd window, std::function<void(const Call&)> action);
  void setClock(std::function<double()> clock) { clock_ = std::move(clock); }
  void setCodePage(CodePage codePage) { codePage_ = std::move(codePage); }

  bool exists(Hwnd window) const { return windows_.count(window.value) != 0; }
  const std::string& textOf(Hwnd window) const { return windows_.at(window.value).text; }
  const std::vector<Call>& journal() const { return journal_; }
  std::vector<Call> journalOf(Hwnd window) const;
  void clearJournal() { journal_.clear(); }

  // WindowAccess
  Hwnd findWindow(std::string_view cls, std::optional<std::string_view> title) override;
  Hwnd findWindowEx(Hwnd parent, Hwnd after, std::string_view cls,
                    std::optional<std::string_view> title) override;
  quil32::Delivery send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) override;
  quil32::Delivery sendSetText(Hwnd window, std::string& text) override;
  void postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  void setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    unsigned flags) override;
  void releaseCapture() override;

 private:
  struct Window {
    std::string cls;
    std::string title;
    std::string text;
    Hwnd parent;
    std::vector<Hwnd> children;  // front first
    bool hung = false;
    std::function<void(const Call&)> action;
  };

  std::vector<Hwnd>& siblingsOf(Hwnd parent);
  bool deliver(const Call& call);

  std::map<std::uint32_t, Window> windows_;
  std::vector<Hwnd> topLevel_;  // front first
  std::vector<Call> journal_;
  std::function<double()> clock_;
  CodePage codePage_;
  std::uint32_t next_ = 0x10010;
};

}  // namespace fake
