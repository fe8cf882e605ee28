#include "console/window_set.h"

#include "console/forms.h"

namespace console {

namespace {

// On Vista and later a program that runs as administrator takes no message
// from one that does not: every line would vanish while the panel looks fine.
constexpr std::string_view kRefusedText =
    "The chat client runs with higher rights than zoble (as administrator), so it ignores "
    "everything zoble sends it, and nothing reaches the chat room. Close zoble and start it the "
    "same way: right-click zoble.exe and choose \"Run as administrator\".";

}  // namespace

WindowSet::WindowSet(quil32::WindowAccess& windows, ui::Runtime& runtime) : host{windows, runtime} {
  // Told after the handler, never inside a pause or a send: the box waits
  // for the user, who is away.
  runtime.afterHandlers([this] {
    if (host.windows.takeRefusalNotice())
      host.runtime.messageBox(kRefusedText);
  });
}

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
