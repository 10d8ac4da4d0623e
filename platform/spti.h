#pragma once
// The SCSI pass-through interface as its callers see it: DeviceIoControl on a device handle
// from CreateFile("\\.\X:") with IOCTL_SCSI_PASS_THROUGH, IOCTL_SCSI_PASS_THROUGH_DIRECT
// and IOCTL_SCSI_GET_ADDRESS, with the records in their natural layout on this platform.

#include "platform/handles.h"
#include "platform/win32.h"

namespace platform {

inline constexpr DWORD IOCTL_SCSI_PASS_THROUGH = 0x0004D004;
inline constexpr DWORD IOCTL_SCSI_PASS_THROUGH_DIRECT = 0x0004D014;
inline constexpr DWORD IOCTL_SCSI_GET_ADDRESS = 0x00041018;

inline constexpr UCHAR SCSI_IOCTL_DATA_OUT = 0;
inline constexpr UCHAR SCSI_IOCTL_DATA_IN = 1;
inline constexpr UCHAR SCSI_IOCTL_DATA_UNSPECIFIED = 2;

// The largest transfer one pass-through request may carry.
inline constexpr ULONG kSptiMaxTransfer = 65536;

struct SCSI_PASS_THROUGH {
  USHORT Length;
  UCHAR ScsiStatus;
  UCHAR PathId;
  UCHAR TargetId;
  UCHAR Lun;
  UCHAR CdbLength;
  UCHAR SenseInfoLength;
  UCHAR DataIn;
  ULONG DataTransferLength;
  ULONG TimeOutValue;
  ULONG_PTR DataBufferOffset;  // from the start of this record, inside the same buffer
  ULONG SenseInfoOffset;       // likewise
  UCHAR Cdb[16];
};

struct SCSI_PASS_THROUGH_DIRECT {
  USHORT Length;
  UCHAR ScsiStatus;
  UCHAR PathId;
  UCHAR TargetId;
  UCHAR Lun;
  UCHAR CdbLength;
  UCHAR SenseInfoLength;
  UCHAR DataIn;
  ULONG DataTransferLength;
  ULONG TimeOutValue;
  void* DataBuffer;
  ULONG SenseInfoOffset;  // from the start of this record, inside the in/out buffer
  UCHAR Cdb[16];
};

struct SCSI_ADDRESS {
  ULONG Length;
  UCHAR PortNumber;
  UCHAR PathId;
  UCHAR TargetId;
  UCHAR Lun;
};

// Fails with ERROR_INVALID_PARAMETER for a record whose Length, buffer sizes, offsets, CDB
// length or transfer length do not fit, so nothing outside the caller's buffers is touched;
// ERROR_INVALID_HANDLE for a handle that is not a device; ERROR_ACCESS_DENIED for a pass-
// through on a handle opened without read and write access; ERROR_SEM_TIMEOUT when the
// device does not answer in time.
BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                     void* overlapped);

}  // namespace platform
