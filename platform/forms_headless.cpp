#include "platform/forms_headless.h"

#include <algorithm>

#include "platform/clock.h"

namespace platform::forms {

int HeadlessFrontEnd::showModal(Form& form) {
  modalForms_.push_back(form.name());
  if (std::find(shown_.begin(), shown_.end(), &form) == shown_.end()) shown_.push_back(&form);
  form.markShown();
  while (form.modalResult() == mrNone) {
    if (steps_.empty()) throw HeadlessError("modal form " + form.name() + " shown with nothing queued to close it");
    ModalStep step = std::move(steps_.front());
    steps_.pop_front();
    step(form);
  }
  return form.modalResult();
}

void HeadlessFrontEnd::hide(Form& form) { std::erase(shown_, &form); }

void HeadlessFrontEnd::forget(Form& form) {
  hide(form);
  std::erase_if(due_, [&](const auto& entry) { return &entry.first->form() == &form; });
}

int HeadlessFrontEnd::messageBox(const std::string& text, const std::string& caption, unsigned flags) {
  boxes_.push_back({text, caption, flags});
  if (answers_.empty()) throw HeadlessError("message box \"" + caption + "\" shown with no answer queued: " + text);
  int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> HeadlessFrontEnd::browseForFolder(const FolderBrowse& browse) {
  browses_.push_back({browse.title, browse.startFolder, {}});
  auto select = [&](const std::string& folder) {
    FolderStatus status = browse.statusOf ? browse.statusOf(folder) : FolderStatus{};
    browses_.back().statuses.push_back({folder, status.text, status.okEnabled});
    return status.okEnabled;
  };
  if (!browse.startFolder.empty()) select(browse.startFolder);
  if (browseAnswers_.empty()) throw HeadlessError("folder dialog \"" + browse.title + "\" shown with no answer queued");
  std::optional<std::string> answer = std::move(browseAnswers_.front());
  browseAnswers_.pop_front();
  if (!answer || !select(*answer)) return std::nullopt;
  return answer;
}

void HeadlessFrontEnd::refreshTimers() {
  for (Form* form : shown_)
    for (const auto& timer : form->timers()) {
      if (!timer->enabled()) due_.erase(timer.get());
      else if (!due_.count(timer.get())) due_[timer.get()] = now_ + std::max<std::uint32_t>(timer->interval(), 1);
    }
  std::erase_if(due_, [&](const auto& entry) {
    return !entry.first->enabled() || std::find(shown_.begin(), shown_.end(), &entry.first->form()) == shown_.end();
  });
}

Timer* HeadlessFrontEnd::nextDue(std::uint64_t until) {
  refreshTimers();
  auto earliest = std::min_element(due_.begin(), due_.end(),
                                   [](const auto& a, const auto& b) { return a.second < b.second; });
  if (earliest == due_.end() || earliest->second > until) return nullptr;
  return earliest->first;
}

void HeadlessFrontEnd::advance(std::uint32_t milliseconds) {
  std::uint64_t until = now_ + milliseconds;
  while (Timer* timer = nextDue(until)) {
    std::uint64_t due = due_[timer];
    clock().sleep(static_cast<std::uint32_t>(due - now_));
    now_ = due;
    due_[timer] = due + std::max<std::uint32_t>(timer->interval(), 1);
    timer->fire();
  }
  clock().sleep(static_cast<std::uint32_t>(until - now_));
  now_ = until;
}

}  // namespace platform::forms
