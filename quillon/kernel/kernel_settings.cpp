// The drive-settings guard: which of a drive's DMA and auto-insert settings must go before a
// flash, switching them off once their old values are safe in Quillon.Reg, and writing those
// values back on the next run. Between the two lies a restart of Windows.

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "quillon/gui/logging.h"
#include "quillon/kernel/drive_families.h"
#include "quillon/kernel/drive_settings.h"
#include "quillon/kernel/kernel.h"
#include "quillon/kernel/matching.h"
#include "quillon/kernel/registry_backup.h"

namespace quillon {
namespace {

using platform::HKEY_LOCAL_MACHINE;

constexpr const char* kDriverParameter = "DriverParameter";
constexpr std::string_view kDmaDetectionOff = "DmaDetectionLevel = 0x0;";
constexpr std::size_t kDriverParameterSize = 100;
constexpr const char* kAutorun = "Autorun";
constexpr const char* kAutoInsertNotification = "AutoInsertNotification";
constexpr const char* kDmaCurrentlyUsed = "DMACurrentlyUsed";
constexpr std::size_t kNumberSize = 4;
constexpr std::size_t kDmaCurrentlyUsedSize = 2;
constexpr std::size_t kByteSize = 1;
constexpr std::uint8_t kDefaultIdeDma = 1;

constexpr int kAutoInsertDriveTypes9x[] = {31, 32, 35};
constexpr int kFirstAutoInsertDriveTypeNt = 3;

bool listed(std::span<const int> types, int driveType) {
  return std::find(types.begin(), types.end(), driveType) != types.end();
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string ideDmaName(const DriveRecord& drive) { return "IDEDMADRIVE" + std::to_string(drive.target); }

// The first failure counts, but every step is still tried: what could be switched off is.
void keepFirst(ResultCode& first, ResultCode result) {
  if (first == kSuccess) first = result;
}

// A value that is there but could not be written back as it is refuses the save: the switch-off
// would overwrite what the restore could not give back.
void unsaved(const std::string& path, const char* name) {
  LogError("Registry value <%s\\%s> cannot be saved: of another type or larger than its record", path.c_str(), name);
}

// What a save keeps of a value: its unset form when it is missing, nothing when it cannot be kept.
std::optional<std::string> savedText(const RegistryKey& key, const std::string& path, const char* name,
                                     std::size_t size) {
  if (!hasValue(key, name)) return "";
  std::optional<std::string> value = readText(key, name, size);
  if (!value) unsaved(path, name);
  return value;
}

std::optional<std::uint32_t> savedNumber(const RegistryKey& key, const std::string& path, const char* name,
                                         std::size_t size) {
  if (!hasValue(key, name)) return 0;
  std::optional<std::uint32_t> value = readNumber(key, name, size);
  if (!value) unsaved(path, name);
  return value;
}

ResultCode saveNt(const DriveRecord& drive, bool dma, bool autoInsert, const std::string& file) {
  std::vector<RegistryRecord> records;
  if (dma) {
    std::string path = atapiDeviceKey(drive.hostAdapter);
    RegistryKey key;
    if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, path); opened != kSuccess) return opened;
    std::optional<std::string> parameter = savedText(key, path, kDriverParameter, kDriverParameterSize);
    if (!parameter) return kOsiBackupNotWritten;
    records.push_back(textRecord(path, kDriverParameter, *parameter));
    if (ResultCode closed = key.close(); closed != kSuccess) return closed;
  }
  if (autoInsert) {
    RegistryKey key;
    std::string path;
    if (ResultCode opened = OpenCdromServiceKey(key, path); opened != kSuccess) return opened;
    std::optional<std::uint32_t> autorun = savedNumber(key, path, kAutorun, kNumberSize);
    if (!autorun) return kOsiBackupNotWritten;
    records.push_back(numberRecord(path, kAutorun, *autorun));
    if (ResultCode closed = key.close(); closed != kSuccess) return closed;
  }
  return records.empty() ? kSuccess : SaveRegistryFile(file, records);
}

ResultCode switchOffNt(const DriveRecord& drive, bool dma, bool autoInsert) {
  ResultCode result = kSuccess;
  if (dma) {
    RegistryKey key;
    ResultCode step = key.open(HKEY_LOCAL_MACHINE, atapiDeviceKey(drive.hostAdapter));
    if (step == kSuccess) step = key.set(kDriverParameter, platform::REG_SZ, bytesOf(kDmaDetectionOff));
    keepFirst(result, step);
  }
  if (autoInsert) {
    RegistryKey key;
    std::string path;
    ResultCode step = OpenCdromServiceKey(key, path);
    const std::uint8_t off[kNumberSize] = {};
    if (step == kSuccess) step = key.set(kAutorun, platform::REG_DWORD, off);
    keepFirst(result, step);
  }
  return result;
}

// IDEDMADRIVEn of the channel's class key; Windows switches DMA on where it is missing.
ResultCode saveIdeDma(const DriveRecord& drive, std::vector<RegistryRecord>& records) {
  std::string classKey;
  if (ResultCode found = ChannelClassKey(drive, classKey); found != kSuccess) return found;
  RegistryKey key;
  if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, classKey); opened != kSuccess) return opened;
  std::string name = ideDmaName(drive);
  std::optional<std::uint32_t> value = kDefaultIdeDma;
  if (hasValue(key, name.c_str())) {
    value = readNumber(key, name.c_str(), kByteSize);
  } else {
    LogWarn("%s\\%s does not exist.", classKey.c_str(), name.c_str());
  }
  if (!value) {
    unsaved(classKey, name.c_str());
    return kOsiBackupNotWritten;
  }
  records.push_back(byteRecord(classKey, name, static_cast<std::uint8_t>(*value)));
  return key.close();
}

// One byte each, as Windows 9x keeps its device flags.
ResultCode saveFlag(const RegistryKey& key, const std::string& path, const char* name, std::size_t size,
                    std::vector<RegistryRecord>& records) {
  std::optional<std::uint32_t> value = savedNumber(key, path, name, size);
  if (!value) return kOsiBackupNotWritten;
  records.push_back(byteRecord(path, name, static_cast<std::uint8_t>(*value)));
  return kSuccess;
}

ResultCode save9x(const DriveRecord& drive, bool dma, bool autoInsert, const std::string& file) {
  std::vector<RegistryRecord> records;
  std::string path(fieldText(drive.registryKey));
  RegistryKey key;
  if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, path); opened != kSuccess) return opened;
  ResultCode result = kSuccess;
  if (dma) result = saveFlag(key, path, kDmaCurrentlyUsed, kDmaCurrentlyUsedSize, records);
  if (autoInsert && result == kSuccess) result = saveFlag(key, path, kAutoInsertNotification, kByteSize, records);
  if (result != kSuccess) return result;
  if (ResultCode closed = key.close(); closed != kSuccess) return closed;
  if (dma) {
    if (ResultCode saved = saveIdeDma(drive, records); saved != kSuccess) return saved;
  }
  return records.empty() ? kSuccess : SaveRegistryFile(file, records);
}

ResultCode switchOffIdeDma(const DriveRecord& drive) {
  std::string classKey;
  RegistryKey key;
  ResultCode result = ChannelClassKey(drive, classKey);
  if (result == kSuccess) result = key.open(HKEY_LOCAL_MACHINE, classKey);
  const std::uint8_t off[kByteSize] = {};
  std::string name = ideDmaName(drive);
  if (result == kSuccess) result = key.set(name.c_str(), platform::REG_BINARY, off);
  if (result != kSuccess) LogWarn("OSI: Unable to reset %s\\%s, key will be created.", classKey.c_str(), name.c_str());
  return result;
}

ResultCode switchOff9x(const DriveRecord& drive, bool dma, bool autoInsert) {
  std::string path(fieldText(drive.registryKey));
  RegistryKey key;
  if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, path); opened != kSuccess) return opened;
  const std::uint8_t off[kByteSize] = {};
  ResultCode result = kSuccess;
  if (autoInsert) {
    ResultCode step = key.set(kAutoInsertNotification, platform::REG_BINARY, off);
    if (step != kSuccess) LogError("OSI: Unable to set %sautoInsertNotification: <%hd>", path.c_str(), short{0});
    keepFirst(result, step);
  }
  if (dma) {
    ResultCode step = key.set(kDmaCurrentlyUsed, platform::REG_BINARY, off);
    if (step != kSuccess) LogError("OSI: Unable to set %sDMACurrentlyUsed: <%hd>", path.c_str(), short{0});
    if (step == kSuccess) step = switchOffIdeDma(drive);
    keepFirst(result, step);
  }
  keepFirst(result, key.close());
  return result;
}

// The whole block was checked when it was loaded, so no value is written from a file that
// turns out to be bad halfway through.
ResultCode writeBack(const std::vector<RegistryRecord>& records) {
  for (const RegistryRecord& record : records) {
    RegistryKey key;
    ResultCode result = key.open(HKEY_LOCAL_MACHINE, record.keyPath);
    std::span<const std::uint8_t> data(record.data.data(), record.size);
    if (result == kSuccess) result = key.set(record.valueName.c_str(), record.type, data);
    if (result == kSuccess) result = key.close();
    if (result != kSuccess) return result;
  }
  return kSuccess;
}

}  // namespace

ResultCode Kernel::ReadDriveSettings() {
  return quillon::ReadDriveSettings(std::span(drives_, static_cast<std::size_t>(driveCount_)), OsInfo().GetPlatform(0));
}

ResultCode Kernel::CheckDriveProperties(int drive, bool& dmaMustGo, bool& autoInsertMustGo) {
  dmaMustGo = false;
  autoInsertMustGo = false;
  if (!knownDrive(drive, "CheckDriveProperties")) return kKnlIllegalDriveHandle;
  const DriveRecord& record = drives_[drive];
  if (DmaDisturbs(record.driveType)) dmaMustGo = record.dmaInUse != 0;
  // The CD-recorder manager blocks the file system during the update, which covers the rest.
  if (dri_->IsCdrManagerLoaded()) return kSuccess;
  PlatformCode platform = OsInfo().GetPlatform(0);
  bool windows95Or98 = platform == kPlatformWindows95 || platform == kPlatformWindows98;
  if ((listed(kAutoInsertDriveTypes9x, record.driveType) && windows95Or98) ||
      (record.driveType >= kFirstAutoInsertDriveTypeNt && isNtFamily(platform)))
    autoInsertMustGo = record.autoInsert != 0;
  return kSuccess;
}

ResultCode Kernel::DisableDriveProperties(int drive, bool dma, bool autoInsert) {
  if (!knownDrive(drive, "DisableDriveProperties")) return kKnlIllegalDriveHandle;
  const DriveRecord& record = drives_[drive];
  std::string file = homeFolder_ + kRegistryFileName;
  if (isNtFamily(OsInfo().GetPlatform(0))) {
    ResultCode saved = saveNt(record, dma, autoInsert, file);
    return saved == kSuccess ? switchOffNt(record, dma, autoInsert) : saved;
  }
  ResultCode saved = save9x(record, dma, autoInsert, file);
  return saved == kSuccess ? switchOff9x(record, dma, autoInsert) : saved;
}

// The file goes only once every value is back, so a failure leaves it for the next run.
ResultCode Kernel::RestoreDriveProperties() {
  std::string file = homeFolder_ + kRegistryFileName;
  std::vector<RegistryRecord> records;
  ResultCode result = LoadRegistryFile(file, kMostRestoredRecords, records);
  if (result == kOsiNoBackupFile) {
    LogInfo("No saved registry file found, nothing to restore.");
    return kSuccess;
  }
  if (result == kSuccess) result = writeBack(records);
  if (result != kSuccess) return result;
  if (std::remove(file.c_str()) != 0) {
    LogError("Unable to delete registry file <%s>", file.c_str());
    return kOsiBackupNotWritten;
  }
  return kSuccess;
}

}  // namespace quillon
