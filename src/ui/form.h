// One window of the window set: a single instance, loaded from its stored
// design when first shown or first asked for a control or its handle, and
// unloaded back to a bare instance that a later use loads afresh.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/design.h"
#include "ui/runtime.h"

namespace ui {

// A click on a control, a menu item or the form itself (control ""); a tick of
// a timer; a request to close the window by other means than its own controls.
enum class Event { kClick, kTimer, kClose };

class Form {
 public:
  Form(Runtime& runtime, FormDesign design);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormDesign& design() const { return design_; }
  Runtime& runtime() { return runtime_; }
  bool loaded() const { return peer_ != nullptr; }
  bool visible() const { return peer_ && peer_->visible(); }

  // Builds the native window and runs Form_Load; nothing when loaded.
  void load();
  // Loads first if needed; the window becomes visible only after Form_Load.
  void show();
  void hide();
  // Destroys the native window with its controls and timers.
  void unload();
  zoble::Hwnd hWnd();

  std::string text(std::string_view textBox);
  void setTimerEnabled(std::string_view timer, bool enabled);
  bool timerEnabled(std::string_view timer);
  // Pops a menu up at the mouse pointer; the chosen item's handler has run
  // when this returns.
  void popupMenu(std::string_view menu);

  // The peer reports an event of one of the form's controls or menu items.
  void raise(Event event, std::string_view control);

 protected:
  virtual void Form_Load() {}
  void on(std::string control, Event event, std::function<void()> handler);

 private:
  FormPeer& peer();

  struct Binding {
    std::string control;
    Event event;
    std::function<void()> handler;
  };

  Runtime& runtime_;
  const FormDesign design_;
  std::unique_ptr<FormPeer> peer_;
  std::vector<Binding> bindings_;
};

// A form's one-line text box, reached by name as the handlers reach it.
class TextBox {
 public:
  TextBox(Form& form, std::string name) : form_(form), name_(std::move(name)) {}
  std::string text() const { return form_.text(name_); }

 private:
  Form& form_;
  std::string name_;
};

class Timer {
 public:
  Timer(Form& form, std::string name) : form_(form), name_(std::move(name)) {}
  void setEnabled(bool enabled) { form_.setTimerEnabled(name_, enabled); }
  bool enabled() const { return form_.timerEnabled(name_); }

 private:
  Form& form_;
  std::string name_;
};

}  // namespace ui
