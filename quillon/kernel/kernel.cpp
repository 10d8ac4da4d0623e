#include "quillon/kernel/kernel.h"

#include "platform/files.h"
#include "quillon/drive/drive_results.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/matching.h"

namespace quillon {
namespace {

std::string currentFolderWithSeparator() {
  std::string folder = platform::currentFolder().value_or(".");
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

Kernel::Kernel(ScsiTransport& transport) : homeFolder_(currentFolderWithSeparator()), transport_(transport) {}

// The drive object goes first, so that a drive it locked is unlocked before the Kernel says
// goodbye; the image and the OEM list follow as members and base.
Kernel::~Kernel() {
  firmwareList_.clear();
  allowedRevisions_.clear();
  dri_.reset();
  LogInfo("KNL: Destructor called.");
}

ResultCode Kernel::GetLogoFile(std::string& name, std::size_t bufferSize) {
  FreeOemList();
  name.clear();
  ResultCode loaded = LoadOemFile(std::nullopt);
  if (loaded != kOemLoaded) return loaded;
  return logoFileName(*this, bufferSize, name);
}

ResultCode Kernel::GetDriveList(int& count, DriveRecord*& drives) {
  ResultCode result = kSuccess;
  if (!dri_) dri_ = std::make_unique<DriDrives>(transport_);
  if (!drives_) {
    if (list().empty()) result = LoadOemFile(std::nullopt);
    if (result == kOemLoaded || result == kSuccess) {
      dri_->GetDrives(driveCount_, drives_);
      ReadDriveSettings();
      result = MatchDrives();
    }
  }
  count = driveCount_;
  drives = drives_;
  return result;
}

ResultCode Kernel::MatchDrives() {
  allowedRevisions_.clear();
  ResultCode result = kSuccess;
  for (int drive = 0; drive < driveCount_ && result == kSuccess; ++drive) result = matchDrive(drive);
  return result;
}

// Every record overwrites the running result, so only the last one decides for the drive.
ResultCode Kernel::matchDrive(int drive) {
  DriveRecord& record = drives_[drive];
  record.supported = 0;
  ResultCode result = kSuccess;
  for (const OemRecord& oem : list()) {
    if (fieldText(record.vendor) != oem.vendor || fieldText(record.product) != oem.product) {
      result = kKnlNoMatch;
      continue;
    }
    record.driveType = static_cast<std::int32_t>(oem.driveType);
    result = CheckSkew(drive, oem);
    if (result != kSuccess) continue;
    record.supported = 1;
    appendAllowedRevision(drive, oem.revisionPattern);
  }
  return result == kKnlNoMatch ? kSuccess : result;
}

ResultCode Kernel::CheckSkew(int drive, const OemRecord& oem) {
  DriveRecord& record = drives_[drive];
  if (skewMatchesWithoutDrive(record.driveType, oem.skew)) return kSuccess;
  ResultCode read = dri_->ReadSkew(drive, record.skew);
  if (read != kSuccess) return read;
  return compareSkew(oem.skew, fieldText(record.skew));
}

void Kernel::appendAllowedRevision(int drive, const std::string& pattern) {
  if (allowedRevisions_.empty()) allowedRevisions_.resize(static_cast<std::size_t>(driveCount_));
  allowedRevisions_[static_cast<std::size_t>(drive)].push_back(pattern.substr(0, 4));
}

std::vector<std::string> Kernel::allowedRevisions(int drive) const {
  if (drive < 0 || static_cast<std::size_t>(drive) >= allowedRevisions_.size()) return {};
  return allowedRevisions_[static_cast<std::size_t>(drive)];
}

bool Kernel::knownDrive(int drive, const char* operation) const {
  if (drives_ && drive >= 0 && drive < driveCount_) return true;
  LogError("KNL: Illegal drive handle in '%s'", operation);
  return false;
}

ResultCode Kernel::OpenTray(int drive) { return dri_ ? dri_->OpenTray(drive) : kInvalidDriveHandle; }

ResultCode Kernel::TestMedia(int drive, bool& mediumPresent) {
  ResultCode status = dri_ ? dri_->TestMediaStatus(drive) : kInvalidDriveHandle;
  if (status == kNoMediumPresent) {
    mediumPresent = false;
    return kSuccess;
  }
  if (status == kSuccess) mediumPresent = true;
  return status;
}

void Kernel::SelectInterface(int drive) {
  if (dri_) dri_->SelectInterface(drive);
}

}  // namespace quillon
