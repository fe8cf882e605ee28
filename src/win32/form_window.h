// A form's native window: built from its design, painting its picture and
// labels itself (labels are not windows: they are drawn and hit-tested by the
// form, stacked in design order), with real EDIT boxes and Win32 timers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/form.h"
#include "ui/pointer.h"

namespace win32 {

class FormWindow final : public ui::FormPeer {
 public:
  FormWindow(HINSTANCE instance, ui::Form& form);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  zoble::Hwnd handle() const override;
  void setVisible(bool visible) override;
  bool visible() const override;
  std::string text(std::string_view textBox) const override;
  void setTimerEnabled(std::string_view timer, bool enabled) override;
  bool timerEnabled(std::string_view timer) const override;
  std::string popupMenu(std::string_view menu) override;

  // The form behind a window of this thread, or none.
  static FormWindow* Of(HWND window);
  void stopTimers();

  static constexpr const wchar_t* kClassName = L"ZobleForm";

 private:
  static void RegisterClassOnce(HINSTANCE instance);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void onPaint();
  LRESULT onLButtonDown(POINT at);
  LRESULT onLButtonUp(POINT at);

  int toPixels(int twips) const;
  RECT labelRect(const ui::LabelDesign& label) const;
  void createControls();
  void buildMenus();

  HINSTANCE instance_;
  ui::Form& form_;
  const ui::FormDesign& design_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HBITMAP picture_ = nullptr;
  std::vector<HWND> textBoxes_;  // in design order
  std::vector<bool> timersOn_;   // in design order
  std::vector<HMENU> menus_;     // top-level menus, in design order
  ui::ClickTracker clicks_;
};

}  // namespace win32
