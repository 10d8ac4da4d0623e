#pragma once
// The Qt Widgets front end: each form becomes a QDialog, each control a widget whose
// objectName is the control's name (a panel's or group box's controls are its child
// widgets), message boxes are QMessageBox, the folder browse dialog a QDialog over the
// file system. A modal form runs a nested event loop, as it does on Windows. Needs a
// QApplication to exist.

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/forms.h"

class QApplication;

namespace platform::forms {

// The Qt application a Qt front end needs; `offscreen` renders without a display.
class QtApplication {
 public:
  explicit QtApplication(bool offscreen);
  ~QtApplication();
  QtApplication(const QtApplication&) = delete;
  QtApplication& operator=(const QtApplication&) = delete;
  static bool displayAvailable();

 private:
  std::unique_ptr<QApplication> app_;
};

class QtFrontEnd final : public FrontEnd, private FormObserver {
 public:
  QtFrontEnd();
  ~QtFrontEnd() override;

  int showModal(Form& form) override;
  void hide(Form& form) override;
  int messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  std::optional<std::string> browseForFolder(const FolderBrowse& browse) override;
  void forget(Form& form) override;

  // Pictures of a form and of a message box as they would appear, written as PNG files
  // without showing anything; false when the file cannot be written.
  bool renderPng(Form& form, const std::string& path);
  static bool renderMessageBoxPng(const std::string& text, const std::string& caption, unsigned flags,
                                  const std::string& path);

 private:
  struct Window;
  Window& windowFor(Form& form);
  void controlChanged(const Control& control) override;
  void timerChanged(const Timer& timer) override;
  void formChanged(const Form& form) override;

  std::map<const Form*, std::unique_ptr<Window>> windows_;
};

}  // namespace platform::forms
