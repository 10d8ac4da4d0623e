#include "platform/forms_control.h"

#include <algorithm>
#include <stdexcept>

#include "platform/forms.h"

namespace platform::forms {

bool isContainer(ControlKind kind) { return kind == ControlKind::Panel || kind == ControlKind::GroupBox; }

Control::Control(Form& form, ControlKind kind, std::string name, Rect bounds, Control* parent)
    : form_(form), kind_(kind), name_(std::move(name)), bounds_(bounds), parent_(parent) {}

void Control::changed() { form_.notify(*this); }

void Control::setText(std::string text) {
  text_ = std::move(text);
  changed();
}

void Control::setEnabled(bool enabled) {
  enabled_ = enabled;
  changed();
}

void Control::setVisible(bool visible) {
  visible_ = visible;
  changed();
}

bool Control::showing() const { return visible_ && (!parent_ || parent_->showing()); }

bool Control::usable() const {
  for (const Control* control = this; control; control = control->parent_)
    if (!control->visible_ || !control->enabled_) return false;
  return true;
}

void Control::setDefault(bool isDefault) {
  default_ = isDefault;
  changed();
}

bool Control::click() {
  if (!usable()) return false;
  clicked();
  if (onClick_) onClick_();
  return true;
}

Edit::Edit(Form& form, std::string name, Rect bounds, Control* parent)
    : Control(form, kKind, std::move(name), bounds, parent) {}

void Edit::setReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  changed();
}

bool Edit::type(std::string text) {
  if (readOnly_ || !usable()) return false;
  setText(std::move(text));
  return true;
}

CheckBox::CheckBox(Form& form, std::string name, Rect bounds, Control* parent)
    : Control(form, kKind, std::move(name), bounds, parent) {}

void CheckBox::setChecked(bool checked) {
  checked_ = checked;
  changed();
}

void CheckBox::clicked() { setChecked(!checked_); }

ProgressBar::ProgressBar(Form& form, std::string name, Rect bounds, Control* parent)
    : Control(form, kKind, std::move(name), bounds, parent) {}

void ProgressBar::setRange(int min, int max) {
  if (min > max) throw std::invalid_argument(name() + ": progress minimum above its maximum");
  min_ = min;
  max_ = max;
  setPosition(position_);
}

void ProgressBar::setPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  changed();
}

Image::Image(Form& form, std::string name, Rect bounds, Control* parent)
    : Control(form, kKind, std::move(name), bounds, parent) {}

void Image::setPicture(std::string path) {
  picture_ = std::move(path);
  changed();
}

}  // namespace platform::forms
