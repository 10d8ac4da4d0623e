// The CD-recorder manager keeps the file system away from the drive being updated, so that
// Windows does not read from it while its firmware changes.

#include "quillon/drive/dri_drives.h"
#include "quillon/drive/drive_results.h"
#include "quillon/gui/logging.h"

namespace quillon {

ResultCode DriDrives::loadCdr() {
  cdrLibrary_.reset(platform::LoadLibrary(platform::kCdrLibraryName));
  if (!cdrLibrary_) {
    LogWarn("Error <%d> WHILE loading CDR manager CDR4DLL.DLL", static_cast<int>(platform::GetLastError()));
    return kCdrLibraryError;
  }
  auto bind = [this](const char* name) {
    return reinterpret_cast<platform::CdrBlockingFunction>(platform::GetProcAddress(cdrLibrary_.get(), name));
  };
  startBlocking_ = bind(platform::kCdrStartBlockingName);
  endBlocking_ = bind(platform::kCdrEndBlockingName);
  queryBlocking_ = bind(platform::kCdrQueryBlockingName);
  if (IsCdrManagerLoaded()) {
    LogInfo("CDR4DLL Library loaded");
    return kSuccess;
  }
  LogFatal("Error <%d> FROM GetProcAddress IN loadCdr", static_cast<int>(platform::GetLastError()));
  LogFatal("Error retrieving function pointers WHILE loading CDR manager CDR4DLL.DLL");
  return kCdrLibraryError;
}

bool DriDrives::IsCdrManagerLoaded() const { return startBlocking_ && endBlocking_ && queryBlocking_; }

ResultCode DriDrives::LockDrive(int index) {
  if (!validIndex(index, "LockDrive")) return kInvalidDriveHandle;
  if (!IsCdrManagerLoaded()) return kCdrLibraryError;
  const DriveRecord& r = records_[static_cast<std::size_t>(index)];
  platform::DWORD address = platform::cdrDriveAddress(r.hostAdapter, r.target, r.lun);
  if (queryBlocking_(address) != 0) LogWarn("Drive (%d,%d,%d) already locked.", r.hostAdapter, r.target, r.lun);
  startBlocking_(address);
  LogInfo("Drive (%d,%d,%d) locked.", r.hostAdapter, r.target, r.lun);
  lockedDrive_ = index;
  return kSuccess;
}

ResultCode DriDrives::UnlockDrive(int index) {
  if (!validIndex(index, "UnlockDrive")) return kInvalidDriveHandle;
  if (!IsCdrManagerLoaded()) return kCdrLibraryError;
  const DriveRecord& r = records_[static_cast<std::size_t>(index)];
  platform::DWORD address = platform::cdrDriveAddress(r.hostAdapter, r.target, r.lun);
  if (queryBlocking_(address) == 0) LogWarn("Drive (%d,%d,%d) NOT locked.", r.hostAdapter, r.target, r.lun);
  endBlocking_(address);
  LogInfo("Drive (%d,%d,%d) UnLocked.", r.hostAdapter, r.target, r.lun);
  return kSuccess;
}

}  // namespace quillon
