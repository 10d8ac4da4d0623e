#pragma once
// The controls of the form model that hold no more than a value or two: the common base
// (name, place, caption, enabled, visible, click) and edits, check boxes, progress bars and
// images. Panels and group boxes are plain controls that other controls name as their
// parent; a control shows only while every control it sits in is visible.

#include <functional>
#include <string>

namespace platform::forms {

enum class ControlKind {
  Button,
  Label,
  Memo,
  Bevel,
  Edit,
  CheckBox,
  ListBox,
  TreeView,
  ProgressBar,
  Image,
  Panel,
  GroupBox,
};

// Panels and group boxes hold other controls.
bool isContainer(ControlKind kind);

// Left and top count from the parent control, or from the form for a top-level control.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class Form;

class Control {
 public:
  Control(Form& form, ControlKind kind, std::string name, Rect bounds, Control* parent = nullptr);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  ControlKind kind() const { return kind_; }
  Rect bounds() const { return bounds_; }
  Form& form() const { return form_; }
  // The panel or group box this control sits in; null for a top-level control.
  Control* parent() const { return parent_; }

  // The caption of a button, label, check box or group box, the text of a memo or edit.
  const std::string& text() const { return text_; }
  void setText(std::string text);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  // The control's own flag; `showing` also asks every parent.
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  bool showing() const;
  // Showing, and enabled together with every parent: what a user can reach.
  bool usable() const;
  bool isDefault() const { return default_; }
  void setDefault(bool isDefault);

  void onClick(std::function<void()> handler) { onClick_ = std::move(handler); }
  // A user's click: reaches the handler only when the control is usable.
  bool click();

 protected:
  void changed();
  // What a click does to the control itself before its handler runs.
  virtual void clicked() {}

 private:
  Form& form_;
  ControlKind kind_;
  std::string name_;
  Rect bounds_;
  Control* parent_;
  std::string text_;
  bool enabled_ = true;
  bool visible_ = true;
  bool default_ = false;
  std::function<void()> onClick_;
};

class Edit final : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::Edit;
  Edit(Form& form, std::string name, Rect bounds, Control* parent);

  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly);
  // A user's typing: refused when the edit is read-only or not usable.
  bool type(std::string text);

 private:
  bool readOnly_ = false;
};

class CheckBox final : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::CheckBox;
  CheckBox(Form& form, std::string name, Rect bounds, Control* parent);

  bool checked() const { return checked_; }
  void setChecked(bool checked);

 private:
  void clicked() override;
  bool checked_ = false;
};

class ProgressBar final : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::ProgressBar;
  ProgressBar(Form& form, std::string name, Rect bounds, Control* parent);

  int min() const { return min_; }
  int max() const { return max_; }
  int position() const { return position_; }
  // Throws std::invalid_argument when min exceeds max; the position is kept inside.
  void setRange(int min, int max);
  // Clamped to the range, as the bar itself does.
  void setPosition(int position);

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

class Image final : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::Image;
  Image(Form& form, std::string name, Rect bounds, Control* parent);

  // The picture file shown; empty for none. A file that cannot be read shows nothing.
  const std::string& picture() const { return picture_; }
  void setPicture(std::string path);

 private:
  std::string picture_;
};

}  // namespace platform::forms
