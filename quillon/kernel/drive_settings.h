#pragma once
// The Windows settings that disturb a flash, as the registry holds them for each drive:
// bus-master DMA on an IDE channel, and the reaction to an inserted disc (Autorun of the
// CD-ROM class driver on Windows NT, 2000 and XP, AutoInsertNotification on Windows 9x).
// Also the registry calls the guard makes, each failure logged and mapped to its code. All
// key paths are below HKEY_LOCAL_MACHINE unless a root is named.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/registry.h"
#include "quillon/drive/drive_record.h"
#include "quillon/drive/os_info.h"
#include "quillon/result_code.h"

namespace quillon {

inline constexpr ResultCode kOsiRegistryError = 0x030001F4;
inline constexpr ResultCode kOsiCandidateOnSecondaryPort = 0x030001F5;
inline constexpr ResultCode kOsiTargetIdMismatch = 0x030001F6;
inline constexpr ResultCode kOsiNoNextSubkey = 0x030001F7;
inline constexpr ResultCode kOsiHardwareKeyNotFound = 0x030001F8;
inline constexpr ResultCode kOsiBackupNotCreated = 0x030001F9;
inline constexpr ResultCode kOsiBackupNotWritten = 0x030001FA;
inline constexpr ResultCode kOsiBackupNotRead = 0x030001FB;
inline constexpr ResultCode kOsiNoBackupFile = 0x030001FC;
inline constexpr ResultCode kOsiTooManyKeys = 0x030001FD;
inline constexpr ResultCode kOsiNoIdeHostAdapter = 0x020001FE;

inline constexpr const char* kCdromServiceKey = "System\\CurrentControlSet\\Services\\Cdrom";
inline constexpr const char* kCdbCdromServiceKey = "System\\CurrentControlSet\\Services\\Cdbcdrom";

// A key opened with full access, closed when it goes.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // An empty path is refused: it would name the root itself.
  ResultCode open(platform::HKEY parent, const std::string& path);
  ResultCode close();
  // The name of subkey `index`; kOsiNoNextSubkey past the last one.
  ResultCode subkey(platform::DWORD index, std::string& name) const;
  // Text (REG_SZ) is written with its terminator, as Windows expects it.
  ResultCode set(const char* name, platform::DWORD type, std::span<const std::uint8_t> data) const;
  platform::HKEY handle() const { return key_; }

 private:
  platform::HKEY key_ = 0;
};

// Whether the value is there, of whatever type and size; a failed query is logged.
bool hasValue(const RegistryKey& key, const char* name);
// Values as the guard reads them. Nothing when the value is missing, of another type, or
// larger than `capacity` bytes: each such value is logged and taken as not set.
std::optional<std::string> readText(const RegistryKey& key, const char* name, std::size_t capacity);
// A REG_DWORD or REG_BINARY value; its first four bytes (fewer when shorter), little-endian.
std::optional<std::uint32_t> readNumber(const RegistryKey& key, const char* name, std::size_t capacity);

// The CD-ROM service key (Cdrom, or Cdbcdrom where that is the class driver); `path` names it.
ResultCode OpenCdromServiceKey(RegistryKey& key, std::string& path);
// The atapi driver's parameters of the channel that is host adapter `hostAdapter`.
std::string atapiDeviceKey(int hostAdapter);

// Every drive in order: the NT reading on Windows NT, 2000 and XP, else FindHardwareKey and
// the Windows 9x reading. The result is that of the last drive.
ResultCode ReadDriveSettings(std::span<DriveRecord> drives, PlatformCode platform);
// Autorun of the CD-ROM service and DMAEnabled of the drive's SCSI port.
ResultCode ReadNtSettings(DriveRecord& drive);

// Windows 9x: the hardware key under HKEY_DYN_DATA "Config Manager\Enum" that names the drive.
ResultCode FindHardwareKey(const DriveRecord& drive, std::string& hardwareKey);
// The drive's display text as Windows 9x puts it into its hardware keys.
std::string registrySearchKey(const DriveRecord& drive);
ResultCode CheckTargetId(const std::string& hardwareKey, const DriveRecord& drive);
// kOsiCandidateOnSecondaryPort: the key names the second channel for a drive on the first.
ResultCode CheckIdeChannel(const std::string& hardwareKey, const DriveRecord& drive);
// Stores the registry key path and reads the letter, auto-insert and DMA flags from it.
ResultCode Read9xSettings(DriveRecord& drive, const std::string& hardwareKey);
// The class key of the IDE channel the drive hangs on, found from its registry key path.
ResultCode ChannelClassKey(const DriveRecord& drive, std::string& classKey);

}  // namespace quillon
