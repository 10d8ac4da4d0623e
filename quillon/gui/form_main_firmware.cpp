// The firmware page of TFormMain: the fitting files of the current folder, the folder
// dialog that changes that folder, and the success page with its read-me button.

#include <fmt/format.h>

#include <filesystem>
#include <sstream>

#include "platform/files.h"
#include "platform/forms.h"
#include "quillon/gui/form_main.h"

namespace quillon {
namespace {

using platform::forms::ListBox;

constexpr int kGuiSelectFirmware = 20;
constexpr int kGuiSuccessful = 47;
constexpr int kGuiYour = 48;
constexpr int kGuiUpdatedToVersion = 49;

constexpr const char* kBrowseTitle = "Please select folder where the cvt-files are kept : ";
constexpr std::uint64_t kMostReadMeBytes = 1 << 20;

int CountCvtFiles(const std::string& path) { return static_cast<int>(platform::findFiles(path, "*.cvt").size()); }

platform::forms::FolderStatus cvtStatus(const std::string& folder) {
  int count = CountCvtFiles(folder);
  if (count == 0) return {"No cvt-files (*.cvt) found in selected folder", false};
  if (count == 1) return {fmt::format("{} cvt-file (*.cvt) found in selected folder", count), true};
  return {fmt::format("{} cvt-files (*.cvt) found in selected folder", count), true};
}

// The file's lines, whatever line ends it was written with.
std::string linesOf(const std::vector<std::uint8_t>& bytes) {
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::string lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines += line + '\n';
  }
  return lines;
}

}  // namespace

std::string CurrentFolder() { return platform::currentFolder().value_or(""); }

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

const FirmwareEntry* TFormMain::selectedFirmware() const {
  if (selectedFirmware_ < 0 || selectedFirmware_ >= static_cast<int>(firmwareTable_.size())) return nullptr;
  return &firmwareTable_[static_cast<std::size_t>(selectedFirmware_)];
}

std::string TFormMain::FirmwareText(const FirmwareEntry& entry) const {
  return fmt::format("{}   V{}    {}", fieldText(entry.fileName), fieldText(entry.revision), fieldText(entry.date));
}

void TFormMain::FillFirmwareList() {
  showButtons(true, true, true);
  form_.setCaption(text(kGuiSelectFirmware));
  if (selectedFirmware_ != -1) {
    control("ButNext").setEnabled(true);
    return;
  }
  control("ButNext").setEnabled(false);
  control("EdtCurLoc").setText(CurrentFolder());
  ListBox& list = form_.get<ListBox>("P3SelList");
  list.clear();
  for (int entry = 0; entry < firmwareCount_; ++entry)
    list.addLine(FirmwareText(firmwareTable_[static_cast<std::size_t>(entry)]));
  if (firmwareCount_ == 1) {
    list.setSelected(0);
    selectedFirmware_ = 0;
    control("ButNext").setEnabled(true);
  }
}

void TFormMain::SelectFwFile() {
  int line = form_.get<ListBox>("P3SelList").selected();
  if (line < 0) return;
  selectedFirmware_ = line;
  control("ButNext").setEnabled(true);
}

ResultCode TFormMain::ReadFirmwareTable() {
  const DriveRecord* drive = selectedDrive();
  if (!drive) return kNoDriveForTable;
  ResultCode result = kernel_->GetFWTable(selectedNode_->data() - 1, CurrentFolder(), firmwareCount_, firmwareTable_);
  selectedFirmware_ = -1;
  control("ButNext").setEnabled(false);
  return result;
}

std::string TFormMain::BrowseFolder() {
  std::string start = CurrentFolder();
  if (start.size() > 1 && start.back() == '/') start.pop_back();
  return platform::BrowseForFolder(kBrowseTitle, start, cvtStatus).value_or("");
}

void TFormMain::P3ButBrowseClick() {
  std::string old = CurrentFolder();
  std::string chosen = BrowseFolder();
  if (chosen.empty()) {
    platform::setCurrentFolder(old);
    return;
  }
  if (chosen == old) return;
  platform::setCurrentFolder(chosen);
  control("EdtCurLoc").setText(chosen);
  if (ResultCode result = ReadFirmwareTable(); result != kSuccess) ShowResult(dialogs_.popUp, result);
  else FillFirmwareList();
}

void TFormMain::ShowSuccess() {
  showEndPage(kGuiSuccessful);
  const DriveRecord* drive = selectedDrive();
  if (!drive) return;
  const FirmwareEntry* entry = selectedFirmware();
  control("P9L1").setText(fmt::format("{}{} {}{}{}.", text(kGuiYour), fieldText(drive->vendor),
                                      fieldText(drive->product), text(kGuiUpdatedToVersion),
                                      entry ? fieldText(entry->revision) : std::string_view()));
}

void TFormMain::P9ButReadMeClick() {
  const FirmwareEntry* entry = selectedFirmware();
  std::string base = entry ? std::filesystem::path(std::string(fieldText(entry->fileName))).stem().native() : "";
  std::string file = WithSeparator(control("EdtCurLoc").text()) + base + ".Txt";
  platform::FileBytes notes = platform::readWholeFile(file, kMostReadMeBytes);
  if (notes.error != platform::FileError::None) {
    if (ShowMessageText(dialogs_.popUp, texts_, kFileNotFound, {file}) == AfterMessage::Quit) Quit();
    return;
  }
  dialogs_.readMe.setText(linesOf(notes.bytes));
  dialogs_.readMe.ShowModal();
  dialogs_.readMe.form().hide();
}

}  // namespace quillon
