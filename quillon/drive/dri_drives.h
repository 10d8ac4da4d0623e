#pragma once
// Quillon's list of optical drives and the per-drive operations that move no firmware:
// keeping the file system away from a drive through the CD-recorder manager, testing for a
// medium, opening the tray, and choosing the transport interface before a flash. A drive is
// named by its index in the list. Commands go through the program-wide transport, which
// outlives this object.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/cdrmgr.h"
#include "platform/dynlib.h"
#include "quillon/drive/drive_record.h"
#include "quillon/drive/scsi_transport.h"
#include "quillon/result_code.h"

namespace quillon {

class DriDrives {
 public:
  // Lists the transport's devices and loads the CD-recorder manager; never fails.
  explicit DriDrives(ScsiTransport& transport);
  ~DriDrives();
  DriDrives(const DriDrives&) = delete;
  DriDrives& operator=(const DriDrives&) = delete;

  // The kernel keeps the pointer and writes its own fields into the records.
  ResultCode GetDrives(int& count, DriveRecord*& records);
  bool IsCdrManagerLoaded() const;
  ResultCode LockDrive(int index);
  ResultCode UnlockDrive(int index);
  ResultCode TestMediaStatus(int index);  // 0 with a medium ready, kNoMediumPresent otherwise
  ResultCode OpenTray(int index);
  void SelectInterface(int index);

 private:
  void BuildDriveList();
  void fillRecord(std::size_t i, bool windows95Family);
  ResultCode loadCdr();
  bool validIndex(int index, const char* operation) const;
  // Selects the transport's device of the drive, wherever a rescan has put it.
  bool selectDrive(int index);
  int deviceOf(const DriveRecord& record) const;
  // A 12-byte command without data to the selected device; true when it completed.
  bool sendCommand(std::initializer_list<std::uint8_t> bytes);
  void LogInterface() const;

  int driveCount_ = 0;
  std::vector<DriveRecord> records_;
  int lockedDrive_ = -1;
  platform::ScopedLibrary cdrLibrary_;
  platform::CdrBlockingFunction startBlocking_ = nullptr;
  platform::CdrBlockingFunction endBlocking_ = nullptr;
  platform::CdrBlockingFunction queryBlocking_ = nullptr;
  ScsiTransport& transport_;
};

}  // namespace quillon
