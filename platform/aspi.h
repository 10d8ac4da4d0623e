#pragma once
// ASPI for Win32 as its callers see it: GetASPI32SupportInfo and SendASPI32Command with the
// published request blocks (byte-packed, as the ASPI headers declare them; pointers take
// this platform's width). The stand-in library libwnaspi32.so exports both functions and
// carries each request to the host's SCSI bus.

#include <cstddef>

#include "platform/win32.h"

namespace platform {

// Commands.
inline constexpr BYTE SC_HA_INQUIRY = 0x00;
inline constexpr BYTE SC_GET_DEV_TYPE = 0x01;
inline constexpr BYTE SC_EXEC_SCSI_CMD = 0x02;
inline constexpr BYTE SC_GET_DISK_INFO = 0x06;

// Request status.
inline constexpr BYTE SS_PENDING = 0x00;
inline constexpr BYTE SS_COMP = 0x01;
inline constexpr BYTE SS_ABORTED = 0x02;
inline constexpr BYTE SS_ERR = 0x04;
inline constexpr BYTE SS_INVALID_CMD = 0x80;
inline constexpr BYTE SS_INVALID_HA = 0x81;
inline constexpr BYTE SS_NO_DEVICE = 0x82;
inline constexpr BYTE SS_INVALID_SRB = 0xE0;
inline constexpr BYTE SS_BUFFER_TO_BIG = 0xE6;
inline constexpr BYTE SS_NO_ADAPTERS = 0xE8;

// Request flags.
inline constexpr BYTE SRB_POSTING = 0x01;
inline constexpr BYTE SRB_DIR_IN = 0x08;
inline constexpr BYTE SRB_DIR_OUT = 0x10;
inline constexpr BYTE SRB_EVENT_NOTIFY = 0x40;

// Host adapter status.
inline constexpr BYTE HASTAT_OK = 0x00;
inline constexpr BYTE HASTAT_TIMEOUT = 0x09;
inline constexpr BYTE HASTAT_COMMAND_TIMEOUT = 0x0B;
inline constexpr BYTE HASTAT_SEL_TO = 0x11;

inline constexpr std::size_t SENSE_LEN = 14;
// The largest transfer the stand-in accepts in one request.
inline constexpr DWORD kAspiMaxTransfer = 65536;

#pragma pack(push, 1)

struct SRB_Header {
  BYTE SRB_Cmd;
  BYTE SRB_Status;
  BYTE SRB_HaId;
  BYTE SRB_Flags;
  DWORD SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
  BYTE SRB_Cmd;
  BYTE SRB_Status;
  BYTE SRB_HaId;
  BYTE SRB_Flags;
  DWORD SRB_Hdr_Rsvd;
  BYTE HA_Count;
  BYTE HA_SCSI_ID;
  BYTE HA_ManagerId[16];
  BYTE HA_Identifier[16];
  BYTE HA_Unique[16];  // byte 3: maximum number of targets
  WORD HA_Rsvd1;
};

struct SRB_GDEVBlock {
  BYTE SRB_Cmd;
  BYTE SRB_Status;
  BYTE SRB_HaId;
  BYTE SRB_Flags;
  DWORD SRB_Hdr_Rsvd;
  BYTE SRB_Target;
  BYTE SRB_Lun;
  BYTE SRB_DeviceType;
  BYTE SRB_Rsvd1;
};

struct SRB_ExecSCSICmd {
  BYTE SRB_Cmd;
  BYTE SRB_Status;
  BYTE SRB_HaId;
  BYTE SRB_Flags;
  DWORD SRB_Hdr_Rsvd;
  BYTE SRB_Target;
  BYTE SRB_Lun;
  WORD SRB_Rsvd1;
  DWORD SRB_BufLen;
  BYTE* SRB_BufPointer;
  BYTE SRB_SenseLen;
  BYTE SRB_CDBLen;
  BYTE SRB_HaStat;
  BYTE SRB_TargStat;
  void* SRB_PostProc;  // the event to signal with SRB_EVENT_NOTIFY (a HANDLE)
  void* SRB_Rsvd2;
  BYTE SRB_Rsvd3[16];
  BYTE CDBByte[16];
  BYTE SenseArea[SENSE_LEN + 2];
};

struct SRB_GetDiskInfo {
  BYTE SRB_Cmd;
  BYTE SRB_Status;
  BYTE SRB_HaId;
  BYTE SRB_Flags;
  DWORD SRB_Hdr_Rsvd;
  BYTE SRB_Target;
  BYTE SRB_Lun;
  BYTE SRB_DriveFlags;
  BYTE SRB_Int13HDriveInfo;  // the drive number: 0 is A:
  BYTE SRB_Heads;
  BYTE SRB_Sectors;
  BYTE SRB_Rsvd1[10];
};

#pragma pack(pop)

static_assert(sizeof(SRB_HAInquiry) == 60);
static_assert(offsetof(SRB_GetDiskInfo, SRB_Int13HDriveInfo) == 11);

using GetASPI32SupportInfoFunction = DWORD (*)();
using SendASPI32CommandFunction = DWORD (*)(void* request);

}  // namespace platform
