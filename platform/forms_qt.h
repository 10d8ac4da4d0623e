#pragma once
// The Qt Widgets front end: each form becomes a QDialog, each control a widget whose
// objectName is the control's name, message boxes are QMessageBox. A modal form runs a
// nested event loop, as it does on Windows. Needs a QApplication to exist.

#include <map>
#include <memory>
#include <string>

#include "platform/forms.h"

class QDialog;
class QImage;
class QTimer;
class QWidget;

namespace platform::forms {

class QtFrontEnd final : public FrontEnd, private FormObserver {
 public:
  QtFrontEnd();
  ~QtFrontEnd() override;

  int showModal(Form& form) override;
  void hide(Form& form) override;
  int messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  void forget(Form& form) override;

  // Pictures of a form and of a message box as they would appear, without showing them.
  QImage render(Form& form);
  static QImage renderMessageBox(const std::string& text, const std::string& caption, unsigned flags);

 private:
  struct Window;
  Window& windowFor(Form& form);
  void controlChanged(const Control& control) override;
  void timerChanged(const Timer& timer) override;
  void formChanged(const Form& form) override;

  std::map<const Form*, std::unique_ptr<Window>> windows_;
};

}  // namespace platform::forms
