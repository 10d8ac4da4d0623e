#pragma once
// TFormMain, Quillon's wizard: nine pages in one frame, from the welcome page through the
// choice of a drive and a firmware file to the flashing run and its outcome. The form owns
// the Kernel and turns every non-zero result code into a message; a few codes decide
// whether it stays, quits or has Windows restarted.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "parlex/Lngstring.h"
#include "platform/forms.h"
#include "quillon/drive/os_info.h"
#include "quillon/drive/scsi_transport.h"
#include "quillon/gui/dialogs.h"
#include "quillon/kernel/medium_wait.h"
#include "quillon/kernel/kernel.h"
#include "quillon/kernel/windows_restart.h"
#include "quillon/result_code.h"

namespace quillon {

inline constexpr const char* kQuillonVersion = "V3.7.2.4";
inline constexpr int kPageCount = 9;
inline constexpr int kProgressMax = 400;

// Codes with which the wizard steers itself.
inline constexpr ResultCode kNoDriveSelected = 0x03000038;
inline constexpr ResultCode kFileNotFound = 0x0300003D;
inline constexpr ResultCode kPropertiesNotCorrect = 0x0300003E;
inline constexpr ResultCode kSettingsQuestion = 0x0100003F;
inline constexpr ResultCode kSettingsSwitchedOff = 0x01000040;
inline constexpr ResultCode kNoAdministratorRights = 0x02000041;
inline constexpr ResultCode kNoDriveForTable = 0x04000190;

// The three auxiliary forms, created after the wizard and kept for the whole run.
struct WizardDialogs {
  TFormExit& exit;
  TFormReadMe& readMe;
  TFormPopUp& popUp;
};

class TFormMain {
 public:
  TFormMain(bool testMode, WizardDialogs dialogs);
  ~TFormMain();
  TFormMain(const TFormMain&) = delete;
  TFormMain& operator=(const TFormMain&) = delete;

  // The message loop: runs until Quit.
  int ShowModal() { return form_.showModal(); }
  platform::forms::Form& form() { return form_; }
  bool RebootRequested() const { return rebootRequested_; }
  bool NtFamily() const { return ntFamily_; }
  bool TestMode() const { return testMode_; }
  // Null once Quit has run.
  Kernel* kernel() const { return kernel_.get(); }
  // 1 for P1 up to 9 for P9.
  int currentPage() const { return current_ + 1; }

  void ButNextClick();
  void ButBackClick();
  void ButCancelClick();
  void P3ButBrowseClick();
  void P7ButNextClick();
  void P7ButFailClick();
  void P9ButReadMeClick();
  void TreeSelect(platform::forms::TreeNode* node);
  void SelectFwFile();
  void IncProgBar();
  // Destroys the Kernel and ends the message loop after the current event.
  void Quit();

 private:
  // form_main.cpp
  void buildControls();
  void buildPagesOneToFive();
  void buildPagesSixToNine();
  void bindHandlers();
  void LoadLogo();
  void SetCaptions();
  std::string text(int number) const;
  platform::forms::Control& control(const char* name) const { return form_.control(name); }
  void setText(const char* name, int number) { control(name).setText(text(number)); }

  // form_main_pages.cpp
  void ShowCurrentPage();
  void NextPage();
  void PrevPage();
  void EnterPage();
  ResultCode LeavePage();
  ResultCode CheckRights();
  void showButtons(bool back, bool next, bool cancel);
  void showEndPage(int caption);
  void ShowSettings();
  void enterProgress();
  void enterFailure();
  void advancePages(int count);

  // form_main_drives.cpp
  void BuildDriveTree();
  void addDriveNodes(platform::forms::TreeNode& group, bool supported, int count);
  std::string DriveText(const DriveRecord& drive) const;
  DriveRecord* driveOf(const platform::forms::TreeNode* node) const;
  DriveRecord* selectedDrive() const { return driveOf(selectedNode_); }

  // form_main_firmware.cpp
  void FillFirmwareList();
  ResultCode ReadFirmwareTable();
  std::string FirmwareText(const FirmwareEntry& entry) const;
  std::string BrowseFolder();
  void ShowSuccess();
  const FirmwareEntry* selectedFirmware() const;

  // form_main_flash.cpp
  ResultCode CheckSelectedDrive();
  ResultCode askForSettings(int drive, bool dma, bool autoInsert);
  bool handOver(const DriveRecord& drive);
  int selectedIndex() const { return selectedNode_ ? selectedNode_->data() - 1 : -1; }
  ResultCode TrayStep();
  ResultCode FlashSelected();
  void RotateIcons();

  bool testMode_;
  WizardDialogs dialogs_;
  platform::forms::Form form_;
  std::vector<platform::forms::Control*> pages_;
  int current_ = 0;
  TlngString texts_;
  ScsiTransport transport_;  // before the Kernel, which sends through it
  std::unique_ptr<Kernel> kernel_;
  int driveCount_ = 0;
  DriveRecord* drives_ = nullptr;
  platform::forms::TreeNode* selectedNode_ = nullptr;
  bool treeBuilt_ = false;
  int firmwareCount_ = 0;
  std::vector<FirmwareEntry> firmwareTable_;
  bool firmwareTableRead_ = false;
  int selectedFirmware_ = -1;
  bool rebootRequested_ = false;
  bool ntFamily_ = false;
  PlatformCode platform_ = 0;
  int iconCounter_ = 1;
  bool flashFailed_ = false;  // the outcome page then offers only the failure answer
};

// The process's current folder; empty when it cannot be read.
std::string CurrentFolder();
// The folder with one '/' at its end, so that a file name can follow.
std::string WithSeparator(std::string folder);

}  // namespace quillon
