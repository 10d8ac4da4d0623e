#include "platform/forms.h"

#include <stdexcept>

#include "platform/forms_headless.h"

namespace platform {
namespace forms {
namespace {

FrontEnd*& activeFrontEnd() {
  static HeadlessFrontEnd fallback;
  static FrontEnd* active = &fallback;
  return active;
}

std::unique_ptr<Control> makeControl(Form& form, ControlKind kind, std::string name, Rect bounds, Control* parent) {
  switch (kind) {
    case ControlKind::Edit: return std::make_unique<Edit>(form, std::move(name), bounds, parent);
    case ControlKind::CheckBox: return std::make_unique<CheckBox>(form, std::move(name), bounds, parent);
    case ControlKind::ListBox: return std::make_unique<ListBox>(form, std::move(name), bounds, parent);
    case ControlKind::TreeView: return std::make_unique<TreeView>(form, std::move(name), bounds, parent);
    case ControlKind::ProgressBar: return std::make_unique<ProgressBar>(form, std::move(name), bounds, parent);
    case ControlKind::Image: return std::make_unique<Image>(form, std::move(name), bounds, parent);
    default: return std::make_unique<Control>(form, kind, std::move(name), bounds, parent);
  }
}

}  // namespace

Timer::Timer(Form& form, std::string name, std::uint32_t interval)
    : form_(form), name_(std::move(name)), interval_(interval) {}

void Timer::setInterval(std::uint32_t interval) {
  interval_ = interval;
  form_.notify(*this);
}

void Timer::setEnabled(bool enabled) {
  enabled_ = enabled;
  form_.notify(*this);
}

void Timer::fire() {
  if (enabled_ && onTimer_) onTimer_();
}

Form::Form(std::string name, std::string caption, int width, int height)
    : name_(std::move(name)), caption_(std::move(caption)), width_(width), height_(height) {}

Form::~Form() { frontEnd().forget(*this); }

void Form::setCaption(std::string caption) {
  caption_ = std::move(caption);
  notifyForm();
}

Control& Form::add(ControlKind kind, std::string name, Rect bounds, std::string_view parent) {
  if (find(name)) throw std::invalid_argument("form " + name_ + " has a control " + name + " already");
  Control* container = parent.empty() ? nullptr : &control(parent);
  if (container && !isContainer(container->kind()))
    throw std::invalid_argument("control " + container->name() + " of form " + name_ + " holds no controls");
  controls_.push_back(makeControl(*this, kind, std::move(name), bounds, container));
  return *controls_.back();
}

Timer& Form::addTimer(std::string name, std::uint32_t interval) {
  timers_.push_back(std::make_unique<Timer>(*this, std::move(name), interval));
  return *timers_.back();
}

Control* Form::find(std::string_view name) const {
  for (const auto& control : controls_)
    if (control->name() == name) return control.get();
  return nullptr;
}

Control& Form::control(std::string_view name) const {
  Control* found = find(name);
  if (!found) throw std::out_of_range("form " + name_ + " has no control " + std::string(name));
  return *found;
}

int Form::showModal() {
  modalResult_ = mrNone;
  return frontEnd().showModal(*this);
}

void Form::hide() {
  visible_ = false;
  frontEnd().hide(*this);
  notifyForm();
}

void Form::markShown() {
  visible_ = true;
  notifyForm();
}

void Form::setModalResult(int result) {
  modalResult_ = result;
  notifyForm();
}

void Form::notify(const Control& control) const {
  if (observer_) observer_->controlChanged(control);
}

void Form::notify(const Timer& timer) const {
  if (observer_) observer_->timerChanged(timer);
}

void Form::notifyForm() const {
  if (observer_) observer_->formChanged(*this);
}

FrontEnd& frontEnd() { return *activeFrontEnd(); }

ScopedFrontEnd::ScopedFrontEnd(FrontEnd& frontEnd) : previous_(activeFrontEnd()) { activeFrontEnd() = &frontEnd; }

ScopedFrontEnd::~ScopedFrontEnd() { activeFrontEnd() = previous_; }

}  // namespace forms

int MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return forms::frontEnd().messageBox(text, caption, flags);
}

std::optional<std::string> BrowseForFolder(const std::string& title, const std::string& startFolder,
                                           forms::FolderStatusOf statusOf) {
  return forms::frontEnd().browseForFolder({title, startFolder, std::move(statusOf)});
}

}  // namespace platform
