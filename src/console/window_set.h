// The three windows of the program, each a single instance that the whole
// program reaches by name: the main window, the splash window and the holder
// of the options menu.
#pragma once

#include <memory>

#include "console/announcements.h"

namespace console {

class Form1;
class Form2;
class Form3;

class WindowSet {
 public:
  WindowSet(quil32::WindowAccess& windows, ui::Runtime& runtime);
  ~WindowSet();

  // Referring to a window creates its instance; that neither loads nor shows it.
  Form1& form1();
  Form2& form2();
  Form3& form3();

  Host host;

 private:
  std::unique_ptr<Form1> form1_;
  std::unique_ptr<Form2> form2_;
  std::unique_ptr<Form3> form3_;
};

// Unloads the three windows in turn; the program ends with the last.
void CloseAll(WindowSet& set);
// The farewell banner, then every window closed.
void Shutdown(WindowSet& set);

}  // namespace console
