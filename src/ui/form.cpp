#include "ui/form.h"

namespace ui {

Form::Form(Runtime& runtime, FormDesign design) : runtime_(runtime), design_(std::move(design)) {}

Form::~Form() = default;

void Form::load() {
  if (peer_)
    return;
  // A handler that outlived the program must not bring a window back.
  runtime_.checkAlive();
  peer_ = runtime_.platform().createPeer(*this);
  runtime_.formLoaded();
  Form_Load();
}

void Form::show() {
  load();
  // Form_Load may have unloaded the window again.
  if (peer_)
    peer_->setVisible(true);
}

void Form::hide() {
  load();
  if (peer_)
    peer_->setVisible(false);
}

void Form::unload() {
  if (!peer_)
    return;
  // The peer may be running this form's handler right now; it no longer
  // touches itself once the window is destroyed.
  std::unique_ptr<FormPeer> peer = std::move(peer_);
  peer.reset();
  runtime_.formUnloaded();
}

FormPeer& Form::peer() {
  load();
  if (!peer_)
    throw ProgramEnded{};  // unloaded by its own Form_Load
  return *peer_;
}

zoble::Hwnd Form::hWnd() {
  return peer().handle();
}

std::string Form::text(std::string_view textBox) {
  return peer().text(textBox);
}

void Form::setTimerEnabled(std::string_view timer, bool enabled) {
  peer().setTimerEnabled(timer, enabled);
}

bool Form::timerEnabled(std::string_view timer) {
  return peer().timerEnabled(timer);
}

void Form::popupMenu(std::string_view menu) {
  const std::string chosen = peer().popupMenu(menu);
  runtime_.checkAlive();
  if (!chosen.empty())
    raise(Event::kClick, chosen);
}

void Form::raise(Event event, std::string_view control) {
  for (const Binding& b : bindings_) {
    if (b.event == event && b.control == control) {
      runtime_.invoke(b.handler);
      return;
    }
  }
}

void Form::on(std::string control, Event event, std::function<void()> handler) {
  bindings_.push_back({std::move(control), event, std::move(handler)});
}

}  // namespace ui
