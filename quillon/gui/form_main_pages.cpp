// The page flow of TFormMain: which page shows, what entering and leaving each page does,
// and the three buttons below the pages.

#include <fmt/format.h>

#include <algorithm>

#include "platform/forms.h"
#include "quillon/drive/os_info.h"
#include "quillon/gui/form_main.h"
#include "quillon/gui/gui_texts.h"

namespace quillon {
namespace {

constexpr int kGuiSelectedSettings = 25;
constexpr int kGuiStarting = 31;
constexpr int kGuiDriveUpdating = 35;
constexpr int kGuiCompleted = 40;
constexpr int kGuiFailed = 44;

enum Page { P1, P2, P3, P4, P5, P6, P7, P8, P9 };

}  // namespace

void TFormMain::ShowCurrentPage() {
  for (std::size_t page = 0; page < pages_.size(); ++page)
    pages_[page]->setVisible(static_cast<int>(page) == current_);
}

void TFormMain::NextPage() {
  if (current_ < kPageCount - 1) ++current_;
  ShowCurrentPage();
  EnterPage();
}

void TFormMain::PrevPage() {
  if (current_ > 0) --current_;
  ShowCurrentPage();
  EnterPage();
}

void TFormMain::showButtons(bool back, bool next, bool cancel) {
  control("ButBack").setVisible(back);
  control("ButNext").setVisible(next);
  control("ButCancel").setVisible(cancel);
}

void TFormMain::EnterPage() {
  switch (current_) {
    case P1:
      showButtons(false, true, true);
      form_.setCaption(fmt::format("Quillon  {}", kQuillonVersion));
      break;
    case P2: BuildDriveTree(); break;
    case P3: FillFirmwareList(); break;
    case P4: ShowSettings(); break;
    case P5:
      showButtons(true, true, true);
      form_.setCaption(text(kGuiStarting));
      break;
    case P6: enterProgress(); break;
    case P7:
      showButtons(false, false, false);
      form_.setCaption(text(kGuiCompleted));
      control("P7ButNext").setEnabled(!flashFailed_);
      break;
    case P8: enterFailure(); break;
    case P9: ShowSuccess(); break;
  }
}

void TFormMain::ShowSettings() {
  showButtons(true, true, true);
  form_.setCaption(text(kGuiSelectedSettings));
  if (const DriveRecord* drive = selectedDrive()) control("EdtDrive").setText(DriveText(*drive));
  else ShowResult(dialogs_.popUp, kNoDriveSelected);
  if (const FirmwareEntry* entry = selectedFirmware()) control("EdtFw").setText(FirmwareText(*entry));
  control("EdtDir").setText(CurrentFolder());
}

void TFormMain::enterProgress() {
  showButtons(false, false, false);
  form_.get<platform::forms::ProgressBar>("P6ProgBar").setPosition(0);
  form_.timers().front()->setEnabled(true);
  form_.setCaption(text(kGuiDriveUpdating));
  control("P6LCompl").setText("0" + text(gui::kPercentCompleted));
}

void TFormMain::enterFailure() { showEndPage(kGuiFailed); }

// The outcome pages offer only Exit, in the Next button's place.
void TFormMain::showEndPage(int caption) {
  showButtons(false, true, false);
  control("ButNext").setText(text(gui::kExitCaption));
  form_.setCaption(text(caption));
}

ResultCode TFormMain::CheckRights() {
  if (ntFamily_ && !OsInfo().IsAdministrator()) return kNoAdministratorRights;
  return kernel_->GetDriveList(driveCount_, drives_);
}

ResultCode TFormMain::LeavePage() {
  switch (current_) {
    case P1: return CheckRights();
    case P2: {
      ResultCode result = CheckSelectedDrive();
      if (result != kSuccess || firmwareTableRead_ || !kernel_) return result;
      result = ReadFirmwareTable();
      firmwareTableRead_ = true;
      return result;
    }
    case P4: return TrayStep();
    default: return kSuccess;
  }
}

void TFormMain::advancePages(int count) {
  current_ = std::min(current_ + count, kPageCount - 1);
  ShowCurrentPage();
  EnterPage();
}

void TFormMain::ButNextClick() {
  if (!kernel_) return;  // Quit has run: the application is ending
  ResultCode result = LeavePage();
  if (result != kSuccess) {
    ShowResult(dialogs_.popUp, result);
    if (result == kSettingsSwitchedOff) {
      rebootRequested_ = true;
      Quit();
    } else if (result == kNoAdministratorRights) {
      Quit();
    }
    return;
  }
  if (!kernel_) return;  // handed over to another flasher
  if (current_ == P8 || current_ == P9) Quit();
  else if (current_ == P7) P7ButNextClick();
  else NextPage();
}

void TFormMain::ButBackClick() { PrevPage(); }

void TFormMain::ButCancelClick() {
  int answer = dialogs_.exit.ShowModal();
  dialogs_.exit.Hide();
  if (answer == kExitQuit) Quit();
}

void TFormMain::P7ButNextClick() {
  if (flashFailed_) return;
  advancePages(2);
}

void TFormMain::P7ButFailClick() { NextPage(); }

}  // namespace quillon
