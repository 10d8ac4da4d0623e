#include "quillon/gui/automatic_run.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <algorithm>

#include "platform/forms_lists.h"

namespace quillon {
namespace {

using platform::forms::Control;
using platform::forms::Form;
using platform::forms::TreeNode;
using platform::forms::TreeView;

constexpr int kProgressPage = 6;
constexpr int kOutcomePage = 7;
constexpr std::uint32_t kLookEveryMs = 1000;
constexpr std::size_t kBarWidth = 40;
// A page that does not change after this many presses has stopped the user: nothing the
// script knows moves it on. The progress page gets its steps of kLookEveryMs, well past the
// longest bar of 80 s.
constexpr int kMostStepsOnAPage = 20;
constexpr int kMostProgressSteps = 200;

std::string afterLast(const std::string& text, const std::string& mark) {
  std::size_t at = text.rfind(mark);
  return at == std::string::npos ? std::string() : text.substr(at + mark.size());
}

// "(D:) VORANTE VR1204A, V2.00, 0:0:0": the revision and the address, as the tree shows them.
std::string revisionOfNode(const std::string& text) {
  std::string from = afterLast(text.substr(0, text.rfind(',')), ", V");
  return from.substr(0, from.find_first_of("/,"));
}

std::string bar(int position, int max) {
  if (max <= 0) return {};
  auto filled = static_cast<std::size_t>(position * kBarWidth / max);
  std::string shown = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
  return fmt::format("[{}] {:3}%", shown, position * 100 / max);
}

}  // namespace

std::string RevisionOfLine(const std::string& line) {
  std::size_t at = line.find("   V");
  if (at == std::string::npos) return {};
  std::string rest = line.substr(at + 4);
  return rest.substr(0, rest.find(' '));
}

int NewestLine(const std::vector<std::string>& lines) {
  auto newest = std::max_element(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return RevisionOfLine(a) < RevisionOfLine(b);
  });
  return newest == lines.end() ? -1 : static_cast<int>(newest - lines.begin());
}

AutomaticRun::AutomaticRun(std::ostream& out, DriveEyes eyes, std::string address)
    : out_(out), eyes_(std::move(eyes)), clock_(platform::RealClock().localTime()), wanted_(std::move(address)) {}

int AutomaticRun::run(TFormMain& wizard) {
  wizard_ = &wizard;
  return wizard.ShowModal();
}

int AutomaticRun::showModal(Form& form) {
  headless_.whenModal([this](Form& shown) { stepOn(shown); });
  return headless_.showModal(form);
}

// One action per step; the step queues itself again while the form stays, after whatever
// nested form the action opened has taken its own step.
void AutomaticRun::stepOn(Form& form) {
  if (form.name() == "FormMain" && wizard_) actOnWizard();
  else closeDialog(form);
  if (form.modalResult() == platform::mrNone) headless_.whenModal([this](Form& shown) { stepOn(shown); });
}

void AutomaticRun::closeDialog(Form& form) {
  if (form.name() == "FormPopUp") {
    fmt::print(out_, "Message: {}: {}\n", form.caption(), form.control("LabTxt").text());
    form.control("ButOk").click();
  } else if (form.name() == "FormExit") {
    form.control("ButExit").click();
  } else if (Control* ok = form.find("ButOk")) {
    ok->click();
  } else {
    form.setModalResult(platform::mrCancel);
  }
}

int AutomaticRun::messageBox(const std::string& text, const std::string& caption, unsigned flags) {
  bool question = (flags & platform::MB_BUTTON_MASK) == platform::MB_YESNO;
  fmt::print(out_, "Message: {}: {}\n  {}\n", caption, text, question ? "Yes" : "OK");
  headless_.answerNextMessageBox(question ? platform::IDYES : platform::IDOK);
  return headless_.messageBox(text, caption, flags);
}

std::optional<std::string> AutomaticRun::browseForFolder(const platform::forms::FolderBrowse& browse) {
  headless_.cancelNextBrowse();
  return headless_.browseForFolder(browse);
}

void AutomaticRun::actOnWizard() {
  int page = wizard_->currentPage();
  tellPage(page);
  if (++stepsOnPage_ > (page == kProgressPage ? kMostProgressSteps : kMostStepsOnAPage))
    return giveUp("nothing moves the wizard on");
  Form& form = wizard_->form();
  switch (page) {
    case 2: chooseDrive(); break;
    case 3: chooseFirmware(); break;
    case kProgressPage: return letTimePass();
    case kOutcomePage: return judgeOutcome();
    default: break;
  }
  if (form.modalResult() == platform::mrNone && wizard_->currentPage() == page) form.control("ButNext").click();
}

void AutomaticRun::tellPage(int page) {
  if (page == toldPage_) return;
  if (barShown_) fmt::print(out_, "\n");
  barShown_ = false;
  toldPage_ = page;
  stepsOnPage_ = 0;
  Form& form = wizard_->form();
  std::string label = form.control(fmt::format("P{}L1", page)).text();
  fmt::print(out_, "Page {}: {}\n", page, form.caption());
  if (!label.empty()) fmt::print(out_, "  {}\n", label);
}

void AutomaticRun::chooseDrive() {
  // Still here after Next: the wizard has refused the drive and told why.
  if (stepsOnPage_ > 1) return giveUp("the wizard does not go on with this drive");
  TreeView& tree = wizard_->form().get<TreeView>("DrvTree");
  TreeNode* drive = supportedDrive(tree);
  if (!wanted_.empty() && !drive) return giveUp("no supported drive at " + wanted_);
  // Without an address the user keeps what the wizard chose for them.
  if (drive && (!tree.selected() || !wanted_.empty())) tree.select(*drive);
  if (!tree.selected() || !wizard_->form().control("ButNext").enabled()) return giveUp("no supported drive");
  const std::string& text = tree.selected()->text();
  address_ = afterLast(text, ", ");
  fmt::print(out_, "  Drive: {}\n", text);
  std::optional<SeenDrive> seen = eyes_ ? eyes_(address_) : std::nullopt;
  fmt::print(out_, "Revision before: {}\n", seen ? seen->revision : revisionOfNode(text));
}

// The supported drives are the first group of the tree; a node's text ends with its address.
TreeNode* AutomaticRun::supportedDrive(const TreeView& tree) const {
  if (tree.topLevel().empty()) return nullptr;
  for (TreeNode* drive : tree.topLevel().front()->children())
    if (wanted_.empty() || afterLast(drive->text(), ", ") == wanted_) return drive;
  return nullptr;
}

void AutomaticRun::chooseFirmware() {
  auto& list = wizard_->form().get<platform::forms::ListBox>("P3SelList");
  int newest = NewestLine(list.lines());
  if (newest < 0) return giveUp("no firmware file fits the drive");
  if (list.selected() != newest) list.clickLine(newest);
  fmt::print(out_, "  Firmware: {}\n", list.lines()[static_cast<std::size_t>(newest)]);
}

void AutomaticRun::letTimePass() {
  headless_.advance(kLookEveryMs);
  if (wizard_->currentPage() != kProgressPage) return;
  auto& progress = wizard_->form().get<platform::forms::ProgressBar>("P6ProgBar");
  fmt::print(out_, "\r  {}", bar(progress.position(), progress.max()));
  out_.flush();
  barShown_ = true;
}

void AutomaticRun::judgeOutcome() {
  std::optional<SeenDrive> seen = eyes_ ? eyes_(address_) : std::nullopt;
  fmt::print(out_, "  DISC IN indicator: {}\n", seen ? seen->indicator : "cannot be seen");
  bool success = seen && seen->indicator == kIndicatorSuccess;
  Form& form = wizard_->form();
  if (success && form.control("P7ButNext").enabled()) {
    fmt::print(out_, "  The indicator shows success: Next\n");
    form.control("P7ButNext").click();
  } else {
    fmt::print(out_, "  The indicator does not show success: Failed\n");
    form.control("P7ButFail").click();
  }
}

void AutomaticRun::finish() {
  if (address_.empty()) return;
  std::optional<SeenDrive> seen = eyes_ ? eyes_(address_) : std::nullopt;
  fmt::print(out_, "Revision after: {}\n", seen ? seen->revision : "cannot be seen");
}

void AutomaticRun::giveUp(const std::string& why) {
  fmt::print(out_, "Automatic run: {}; it cancels the wizard\n", why);
  // Where Cancel is not offered (the progress page) the run ends the program as a user ends
  // a program that hangs.
  if (!wizard_->form().control("ButCancel").click()) wizard_->Quit();
}

}  // namespace quillon
