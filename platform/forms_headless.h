#pragma once
// The headless front end: forms are shown to a script instead of a person. A test (or the
// automatic run) queues what to do with the next modal form and how to answer the next
// message boxes; time passes on the virtual clock and fires the timers of shown forms.

#include <deque>
#include <functional>
#include <map>
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

  void whenModal(ModalStep step) { steps_.push_back(std::move(step)); }
  void answerNextMessageBox(int result) { answers_.push_back(result); }
  const std::vector<ShownBox>& messageBoxes() const { return boxes_; }
  const std::vector<std::string>& modalForms() const { return modalForms_; }

  // Advances the active (virtual) clock by `milliseconds`, firing each enabled timer of
  // each shown form every time its interval elapses, in time order.
  void advance(std::uint32_t milliseconds);

  int showModal(Form& form) override;
  void hide(Form& form) override;
  int messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  void forget(Form& form) override;

 private:
  // The enabled timers of shown forms with the time each fires next; a timer that is
  // disabled drops out, and starts its interval afresh when enabled again.
  void refreshTimers();
  Timer* nextDue(std::uint64_t until);

  std::deque<ModalStep> steps_;
  std::deque<int> answers_;
  std::vector<ShownBox> boxes_;
  std::vector<std::string> modalForms_;
  std::vector<Form*> shown_;
  std::uint64_t now_ = 0;
  std::map<Timer*, std::uint64_t> due_;
};

}  // namespace platform::forms
