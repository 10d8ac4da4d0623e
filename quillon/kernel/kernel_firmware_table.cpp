// The firmware page's list: the files of a folder whose drive type and revision fit a drive.

#include "platform/files.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel.h"
#include "quillon/kernel/matching.h"

namespace quillon {
namespace {

std::string withSeparator(const std::string& folder) {
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) return folder;
  return folder + '/';
}

FirmwareEntry makeEntry(const platform::FoundFile& file, const std::string& revision) {
  FirmwareEntry entry;
  setFieldText(entry.fileName, file.name);
  setFieldText(entry.revision, revision);
  setFieldText(entry.date, firmwareDateText(file.dosDate, file.dosTime));
  return entry;
}

}  // namespace

ResultCode Kernel::GetFWTable(int drive, const std::string& folder, int& count, std::vector<FirmwareEntry>& table) {
  count = 0;
  table.clear();
  if (!knownDrive(drive, "GetFWTable")) return kKnlIllegalDriveHandle;
  firmwareList_.clear();
  std::string folderText = withSeparator(folder);
  ResultCode result = kSuccess;
  for (const platform::FoundFile& file : platform::findFiles(folderText, "*.CVT")) {
    std::string revision;
    result = examineFile(drive, folderText + file.name, revision);
    if (result == kSuccess) firmwareList_.push_back(makeEntry(file, revision));
  }
  if (result == kKnlNoMatch) result = kSuccess;
  table = firmwareList_;
  count = static_cast<int>(table.size());
  return result;
}

ResultCode Kernel::examineFile(int drive, const std::string& path, std::string& revision) {
  if (ResultCode type = CheckFWDriveType(drive, path); type != kSuccess) return type;
  if (ResultCode read = GetFWRevision(path, revision); read != kSuccess) return read;
  return CheckFWRevision(drive, revision);
}

ResultCode Kernel::CheckFWDriveType(int drive, const std::string& path) {
  int fileType = 0;
  if (ResultCode read = GetFWDriveType(path, fileType); read != kSuccess) return read;
  int driveType = drives_[drive].driveType;
  if (fileType == driveType) {
    LogInfo("%s,    Match, Drive:%d, Fw:%d", path.c_str(), driveType, fileType);
    return kSuccess;
  }
  LogInfo("%s, No Match, Drive:%d, Fw:%d", path.c_str(), driveType, fileType);
  return kKnlNoMatch;
}

ResultCode Kernel::CheckFWRevision(int drive, const std::string& revision) {
  if (allowedRevisions_.empty()) return kKnlNoMatch;
  const DriveRecord& record = drives_[drive];
  ResultCode result = kKnlNoMatch;
  for (const std::string& pattern : allowedRevisions_[static_cast<std::size_t>(drive)]) {
    if (result != kKnlNoMatch) break;
    result = MatchFWPattern(pattern, revision);
    std::string vendor(fieldText(record.vendor)), product(fieldText(record.product));
    std::string driveRevision(fieldText(record.revision));
    LogInfo("%s %s %s %s %c:\\, %s", result == kSuccess ? "FW    Match" : "FW No Match", vendor.c_str(), product.c_str(),
            driveRevision.c_str(), record.driveLetter, revision.c_str());
  }
  return result;
}

}  // namespace quillon
