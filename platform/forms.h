#pragma once
// A toolkit-neutral model of the windows the programs show: forms with named controls,
// modal runs, timers, message boxes and the folder browse dialog. Program code builds and
// drives only this model; a front end (Qt widgets for people, headless for tests and
// automatic runs) shows it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms_control.h"
#include "platform/forms_lists.h"

namespace platform {

// Message box flags and the buttons' results, with their Win32 values.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_BUTTON_MASK = 0x0F;
inline constexpr unsigned MB_ICON_MASK = 0xF0;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Modal results of forms, with the values the form library gives them.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrIgnore = 5;

namespace forms {

class Timer {
 public:
  Timer(Form& form, std::string name, std::uint32_t interval);
  const std::string& name() const { return name_; }
  Form& form() const { return form_; }
  std::uint32_t interval() const { return interval_; }
  void setInterval(std::uint32_t interval);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  void onTimer(std::function<void()> handler) { onTimer_ = std::move(handler); }
  void fire();

 private:
  Form& form_;
  std::string name_;
  std::uint32_t interval_;
  bool enabled_ = false;
  std::function<void()> onTimer_;
};

// What a front end needs to hear of a form it shows.
class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void controlChanged(const Control& control) = 0;
  virtual void timerChanged(const Timer& timer) = 0;
  virtual void formChanged(const Form& form) = 0;  // caption, modal result, visibility
};

class Form {
 public:
  Form(std::string name, std::string caption, int width, int height);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  ~Form();

  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  int width() const { return width_; }
  int height() const { return height_; }

  // `parent` names a panel or group box added before; empty for the form itself. Throws
  // std::invalid_argument for a name already used or a parent that holds no controls,
  // std::out_of_range for a parent that does not exist.
  Control& add(ControlKind kind, std::string name, Rect bounds, std::string_view parent = {});
  template <class Kind>
  Kind& add(std::string name, Rect bounds, std::string_view parent = {}) {
    return static_cast<Kind&>(add(Kind::kKind, std::move(name), bounds, parent));
  }
  Timer& addTimer(std::string name, std::uint32_t interval);
  // Throws std::out_of_range naming the form and the control when there is none.
  Control& control(std::string_view name) const;
  Control* find(std::string_view name) const;
  // The control as its kind's class; throws std::invalid_argument when it is of another kind.
  template <class Kind>
  Kind& get(std::string_view name) const {
    Control& found = control(name);
    if (found.kind() != Kind::kKind) throw std::invalid_argument(name_ + "." + found.name() + " is of another kind");
    return static_cast<Kind&>(found);
  }
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  const std::vector<std::unique_ptr<Timer>>& timers() const { return timers_; }

  // Shows the form modally through the active front end until a modal result is set.
  int showModal();
  void hide();
  bool visible() const { return visible_; }
  int modalResult() const { return modalResult_; }
  void setModalResult(int result);

  // Front end side.
  void setObserver(FormObserver* observer) { observer_ = observer; }
  void markShown();
  void notify(const Control& control) const;
  void notify(const Timer& timer) const;

 private:
  void notifyForm() const;

  std::string name_;
  std::string caption_;
  int width_;
  int height_;
  bool visible_ = false;
  int modalResult_ = mrNone;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<Timer>> timers_;
  FormObserver* observer_ = nullptr;
};

// What the folder browse dialog shows below the folders for a selection, and whether its
// OK button may be pressed.
struct FolderStatus {
  std::string text;
  bool okEnabled = true;
};
using FolderStatusOf = std::function<FolderStatus(const std::string& folder)>;

struct FolderBrowse {
  std::string title;        // the words above the folders
  std::string startFolder;  // selected when the dialog opens; empty for none
  FolderStatusOf statusOf;  // asked on every change of the selection; may be empty
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Runs a nested loop until the form's modal result is set; returns it.
  virtual int showModal(Form& form) = 0;
  virtual void hide(Form& form) = 0;
  virtual int messageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
  // The chosen folder, nothing when the user cancelled.
  virtual std::optional<std::string> browseForFolder(const FolderBrowse& browse) = 0;
  // The form is going away; forget everything kept for it.
  virtual void forget(Form& form) = 0;
};

FrontEnd& frontEnd();

class ScopedFrontEnd {
 public:
  explicit ScopedFrontEnd(FrontEnd& frontEnd);
  ~ScopedFrontEnd();
  ScopedFrontEnd(const ScopedFrontEnd&) = delete;
  ScopedFrontEnd& operator=(const ScopedFrontEnd&) = delete;

 private:
  FrontEnd* previous_;
};

}  // namespace forms

// The application message box (Win32 MessageBox on the active front end).
int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

// The folder browse dialog on the active front end: the chosen folder, nothing when cancelled.
std::optional<std::string> BrowseForFolder(const std::string& title, const std::string& startFolder,
                                           forms::FolderStatusOf statusOf);

}  // namespace platform
