#pragma once
// The headless front end: forms are shown to a script instead of a person. A test (or the
// automatic run) queues what to do with the next modal form and how to answer the next
// message boxes and folder dialogs; time passes on the virtual clock and fires the timers
// of shown forms.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace platform::forms {

// A form or message box came up with nothing queued to handle it.
class HeadlessError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class HeadlessFrontEnd final : public FrontEnd {
 public:
  // Called repeatedly while `form` is modal, until it sets a modal result.
  using ModalStep = std::function<void(Form& form)>;

  struct ShownBox {
    std::string text;
    std::string caption;
    unsigned flags;
  };

  struct ShownStatus {
    std::string folder;
    std::string text;
    bool okEnabled;
  };
  struct ShownBrowse {
    std::string title;
    std::string startFolder;
    std::vector<ShownStatus> statuses;  // for the start folder, then for the answer
  };

  void whenModal(ModalStep step) { steps_.push_back(std::move(step)); }
  void answerNextMessageBox(int result) { answers_.push_back(result); }
  const std::vector<ShownBox>& messageBoxes() const { return boxes_; }
  // The next folder dialog selects `folder` and presses OK; when the folder's status leaves
  // OK disabled the dialog can only be cancelled, and it is.
  void answerNextBrowse(std::string folder) { browseAnswers_.emplace_back(std::move(folder)); }
  void cancelNextBrowse() { browseAnswers_.emplace_back(std::nullopt); }
  const std::vector<ShownBrowse>& browses() const { return browses_; }
  const std::vector<std::string>& modalForms() const { return modalForms_; }

  // Advances the active (virtual) clock by `milliseconds`, firing each enabled timer of
  // each shown form every time its interval elapses, in time order.
  void advance(std::uint32_t milliseconds);

  int showModal(Form& form) override;
  void hide(Form& form) override;
  int messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  std::optional<std::string> browseForFolder(const FolderBrowse& browse) override;
  void forget(Form& form) override;

 private:
  // The enabled timers of shown forms with the time each fires next; a timer that is
  // disabled drops out, and starts its interval afresh when enabled again.
  void refreshTimers();
  Timer* nextDue(std::uint64_t until);

  std::deque<ModalStep> steps_;
  std::deque<int> answers_;
  std::vector<ShownBox> boxes_;
  std::deque<std::optional<std::string>> browseAnswers_;
  std::vector<ShownBrowse> browses_;
  std::vector<std::string> modalForms_;
  std::vector<Form*> shown_;
  std::uint64_t now_ = 0;
  std::map<Timer*, std::uint64_t> due_;
};

}  // namespace platform::forms
