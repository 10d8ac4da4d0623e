// The part of TFormMain that acts on the chosen drive: the checks on leaving the drive page
// (no disc, the hand-off to another flasher, the system settings that must go), the tray on
// leaving the summary, the flash inside the first progress tick, the outcome question, and
// the restart of Windows after the message loop.

#include <fmt/format.h>

#include <string>

#include "platform/process.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/form_main.h"
#include "quillon/gui/gui_texts.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/medium_wait.h"
#include "quillon/kernel/drive_families.h"

namespace quillon {
namespace {

using platform::forms::ProgressBar;

constexpr std::uint32_t kDriveCheckWaitMs = 5000;
constexpr std::uint32_t kTrayWaitMs = 2000;
constexpr std::size_t kMostFolderCharacters = 255;
constexpr int kIconCount = 5;

std::string flasherPath(std::string_view format) {
  std::string folder = CurrentFolder().substr(0, kMostFolderCharacters);
  std::string path(format);
  return path.replace(path.find("%s"), 2, folder);
}

}  // namespace

ResultCode TFormMain::CheckSelectedDrive() {
  const DriveRecord* drive = selectedDrive();
  if (!drive) return kNoDriveSelected;
  int index = selectedIndex();
  kernel_->SelectInterface(index);
  if (ResultCode empty = WaitNoMedium(*kernel_, index, kDriveCheckWaitMs); empty != kSuccess) return empty;
  if (handOver(*drive)) return kSuccess;
  bool dma = false, autoInsert = false;
  if (ResultCode checked = kernel_->CheckDriveProperties(index, dma, autoInsert); checked != kSuccess) return checked;
  if (!dma && !autoInsert) return kSuccess;
  return askForSettings(index, dma, autoInsert);
}

// The flasher finds the drive by itself; nothing is passed to it, and Quillon ends.
bool TFormMain::handOver(const DriveRecord& drive) {
  std::optional<HandOff> handOff = handOffFor(drive.driveType, fieldText(drive.product));
  if (!handOff) return false;
  LogInfo("%.*s", static_cast<int>(handOff->logLine.size()), handOff->logLine.data());
  std::string path = flasherPath(handOff->pathFormat);
  if (!platform::CreateProcess(path)) LogError("Unable to start <%s>", path.c_str());
  Quit();
  return true;
}

ResultCode TFormMain::askForSettings(int drive, bool dma, bool autoInsert) {
  std::string settings = dma ? "- DMA\n" : "- AutoInsertNotification\n";
  if (dma && DmaOnlyByHand(drives_[drive].driveType, platform_)) {
    ShowResult(dialogs_.popUp, kDmaByHand);
    ShowResult(dialogs_.popUp, kDmaSteps);
    return kPropertiesNotCorrect;
  }
  if (AskYesNo(dialogs_.popUp, kSettingsQuestion, {settings}) != platform::IDYES) return kPropertiesNotCorrect;
  ResultCode disabled = kernel_->DisableDriveProperties(drive, dma, autoInsert);
  return disabled != kSuccess ? disabled : kSettingsSwitchedOff;
}

ResultCode TFormMain::TrayStep() {
  if (!selectedDrive()) return kNoDriveSelected;
  int index = selectedIndex();
  if (ResultCode empty = WaitNoMedium(*kernel_, index, kTrayWaitMs); empty != kSuccess) return empty;
  return kernel_->OpenTray(index);
}

ResultCode TFormMain::FlashSelected() {
  const DriveRecord* drive = selectedDrive();
  const FirmwareEntry* entry = selectedFirmware();
  if (!drive || !entry) return kNoDriveSelected;
  std::string path = WithSeparator(control("EdtCurLoc").text()) + std::string(fieldText(entry->fileName));
  if (testMode_) return kSuccess;
  if (ResultCode restored = kernel_->RestoreDriveProperties(); restored != kSuccess)
    ShowResult(dialogs_.popUp, restored);
  if (IsCombinedDrive(drive->driveType)) return kernel_->FlashCombiFirmware(selectedIndex(), path, false);
  return kernel_->FlashFirmware(selectedIndex(), path, false);
}

// The flash runs inside the first tick and blocks the message loop until it returns.
void TFormMain::IncProgBar() {
  platform::forms::Timer& timer = *form_.timers().front();
  const DriveRecord* drive = selectedDrive();
  timer.setInterval(static_cast<std::uint32_t>(progressIntervalMs(drive ? drive->driveType : 0)));
  ProgressBar& bar = form_.get<ProgressBar>("P6ProgBar");
  if (bar.position() == 0) {
    bar.setPosition(1);  // a tick delivered while the flash runs only advances the bar
    ResultCode result = FlashSelected();
    LogInfo("Start progressbar");
    flashFailed_ = result != kSuccess;
    if (flashFailed_) {
      timer.setEnabled(false);
      ShowResult(dialogs_.popUp, result);
      bar.setPosition(bar.max());
    }
  }
  RotateIcons();
  control("P6LCompl").setText(fmt::format("{}", bar.position() * 100 / bar.max()) + text(gui::kPercentCompleted));
  int next = bar.position() + 1;
  bar.setPosition(next);
  if (next >= bar.max()) {
    timer.setEnabled(false);
    NextPage();
  }
}

void TFormMain::RotateIcons() {
  for (int icon = 1; icon <= kIconCount; ++icon) control(fmt::format("Icon{}", icon).c_str()).setVisible(false);
  control(fmt::format("Icon{}", iconCounter_).c_str()).setVisible(true);
  iconCounter_ = iconCounter_ % kIconCount + 1;
}

}  // namespace quillon
