#include "console/window_set.h"

#include "console/forms.h"

namespace console {

WindowSet::WindowSet(quil32::WindowAccess& windows, ui::Runtime& runtime)
    : host{windows, runtime} {}

WindowSet::~WindowSet() = default;

Form1& WindowSet::form1() {
  if (!form1_)
    form1_ = std::make_unique<Form1>(*this);
  return *form1_;
}

Form2& WindowSet::form2() {
  if (!form2_)
    form2_ = std::make_unique<Form2>(*this);
  return *form2_;
}

Form3& WindowSet::form3() {
  if (!form3_)
    form3_ = std::make_unique<Form3>(*this);
  return *form3_;
}

void CloseAll(WindowSet& set) {
  // Unloading the window whose handler runs this does not stop the rest.
  set.form1().unload();
  set.form2().unload();
  set.form3().unload();
}

void Shutdown(WindowSet& set) {
  PostBanner(set.host);
  CloseAll(set);
}

}  // namespace console
