// The drive operations that talk to the drive itself: the medium test and opening the tray.

#include "quillon/drive/dri_drives.h"
#include "quillon/drive/drive_results.h"
#include "quillon/drive/scsi_opcodes.h"
#include "quillon/drive/scsi_trace.h"
#include "quillon/gui/logging.h"

namespace quillon {

ResultCode DriDrives::TestMediaStatus(int index) {
  if (!validIndex(index, "TestMediaStatus")) return kInvalidDriveHandle;
  if (!selectDrive(index)) return kNoMediumPresent;
  transport_.SetTrace(kTraceDump, kTraceAll);
  // TEST UNIT READY in the 12-byte form of ATAPI packets.
  return sendCommand({kTestUnitReady, 0x01}) ? kSuccess : kNoMediumPresent;
}

ResultCode DriDrives::OpenTray(int index) {
  if (!validIndex(index, "OpenTray")) return kInvalidDriveHandle;
  // Without the CD-recorder manager the tray opens all the same.
  LockDrive(index);
  LogInfo("Allowing media removal ...");
  if (!selectDrive(index)) return kAspiSendError;
  if (!sendCommand({kPreventAllowRemoval})) return kAspiSendError;  // allow
  LogInfo("Stopping unit & opening tray ...");
  if (!sendCommand({kStartStopUnit, 0x00, 0x00, 0x00, 0x02})) return kAspiSendError;  // eject
  return kSuccess;
}

}  // namespace quillon
