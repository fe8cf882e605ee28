// The designs and handlers of the three windows.
#pragma once

#include "console/window_set.h"
#include "ui/form.h"

namespace console {

// The main window: a borderless panel that stays on top, with the reason box
// and text labels that act as buttons. Idle mode is on exactly while Timer1 is.
class Form1 : public ui::Form {
 public:
  explicit Form1(WindowSet& set);

  ui::TextBox Text1{*this, "Text1"};
  ui::Timer Timer1{*this, "Timer1"};

 private:
  void Form_Load() override;
  void Label2_Click();
  void Label3_Click();
  void Label4_Click();
  void Label5_Click();
  void Label6_Click();
  void Label7_Click();
  void Timer1_Timer();

  WindowSet& set_;
};

// The splash window: the title picture on top of everything until clicked.
class Form2 : public ui::Form {
 public:
  explicit Form2(WindowSet& set);

 private:
  void Form_Load() override;
  void Form_Click();

  WindowSet& set_;
};

// Holds the options menu; never shown.
class Form3 : public ui::Form {
 public:
  explicit Form3(WindowSet& set);

 private:
  void on_Click();
  void off_Click();
  void about_Click();
  void contact_Click();
  void exit_Click();

  WindowSet& set_;
};

}  // namespace console
