#include "quillon/kernel/drive_settings.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

using platform::DWORD;
using platform::ERROR_SUCCESS;
using platform::HKEY_DYN_DATA;
using platform::HKEY_LOCAL_MACHINE;
using platform::LONG;

constexpr const char* kConfigManagerEnum = "Config Manager\\Enum";
constexpr const char* kClassKeys = "System\\CurrentControlSet\\Services\\Class\\";
constexpr std::string_view kChildMarker = "MF&CHILD000";
constexpr std::size_t kSearchKeyLength = 25;
// Buffer sizes in bytes, terminator included.
constexpr std::size_t kHardwareKeySize = 256;
constexpr std::size_t kTargetIdSize = 8;
constexpr std::size_t kPortDriverSize = 40;
constexpr std::size_t kChannelDriverSize = 21;
constexpr std::size_t kWindows9xValueSize = 8;
constexpr std::size_t kNumberSize = 4;
constexpr std::size_t kSubkeyNameSize = 256;
// A Windows 9x device key is "Enum\SCSI\" and a device name of 25 characters; what follows
// it, from here on, is the instance, which names the channel the device hangs on.
constexpr std::size_t kChannelKeyOffset = 31;
constexpr std::string_view kEnumPrefix = "Enum\\";

std::optional<std::vector<std::uint8_t>> readValue(const RegistryKey& key, const char* name, std::size_t capacity,
                                                   std::initializer_list<DWORD> types) {
  DWORD type = platform::REG_NONE;
  std::vector<std::uint8_t> data(capacity);
  DWORD size = static_cast<DWORD>(capacity);
  LONG status = platform::RegQueryValueEx(key.handle(), name, &type, data.data(), &size);
  if (status != ERROR_SUCCESS) {
    LogWarn("OSI: Error <%d> querying registry value <%s>", status, name);
    return std::nullopt;
  }
  if (std::find(types.begin(), types.end(), type) == types.end()) {
    LogWarn("OSI: Registry value <%s> is of type <%u>, taken as not set", name, type);
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

std::optional<int> decimal(std::string_view text) {
  int number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return number;
}

// DMAEnabled of an atapi port; any other driver's port is no IDE channel.
ResultCode readPortDma(int port, std::uint32_t& dma) {
  RegistryKey key;
  if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, fmt::format("HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port {}", port));
      opened != kSuccess)
    return opened;
  std::string driver = readText(key, "Driver", kPortDriverSize).value_or("");
  if (!platform::sameIgnoringCase(driver, "atapi")) {
    LogWarn("NT Host adapter <%d,%s>. No IDE adapter, WHILE retrieving DMA", port, driver.c_str());
    return kOsiNoIdeHostAdapter;
  }
  dma = readNumber(key, "DMAEnabled", kNumberSize).value_or(0);
  LogInfo("NT Host adapter <%d,%s>, DMA(%d)", port, driver.c_str(), static_cast<int>(dma));
  return key.close();
}

// The first subkey from `index` on whose hardware key holds `searchKey`; `index` stops at it.
ResultCode scanHardwareKeys(const RegistryKey& enumKey, const std::string& searchKey, DWORD& index,
                            std::string& hardwareKey) {
  for (;; ++index) {
    std::string name;
    if (ResultCode listed = enumKey.subkey(index, name); listed != kSuccess) return listed;
    RegistryKey entry;
    if (ResultCode opened = entry.open(enumKey.handle(), name); opened != kSuccess) return opened;
    std::optional<std::string> value = readText(entry, "HardWareKey", kHardwareKeySize);
    if (value && value->find(searchKey) != std::string::npos) {
      hardwareKey = *value;
      LogInfo("OSI: Found hardware key <%s>", hardwareKey.c_str());
      return entry.close();
    }
  }
}

// A 9x flag: its first 16 bits, logged with the drive's address.
std::uint16_t read9xFlag(const RegistryKey& key, const DriveRecord& drive, const char* name) {
  auto value = static_cast<std::uint16_t>(readNumber(key, name, kWindows9xValueSize).value_or(0));
  LogInfo("(%d,%d,%d) %s: <%hd>", drive.hostAdapter, drive.target, drive.lun, name, static_cast<short>(value));
  return value;
}

}  // namespace

RegistryKey::~RegistryKey() { close(); }

ResultCode RegistryKey::open(platform::HKEY parent, const std::string& path) {
  close();
  LONG status = path.empty() ? platform::ERROR_FILE_NOT_FOUND
                             : platform::RegOpenKeyEx(parent, path.c_str(), 0, platform::KEY_ALL_ACCESS, &key_);
  if (status == ERROR_SUCCESS) return kSuccess;
  key_ = 0;
  LogError("OSI: Error <%d> opening registry key <%s>", status, path.c_str());
  return kOsiRegistryError;
}

ResultCode RegistryKey::close() {
  if (key_ == 0) return kSuccess;
  LONG status = platform::RegCloseKey(std::exchange(key_, 0));
  if (status == ERROR_SUCCESS) return kSuccess;
  LogError("OSI: Error <%d> closing registry key", status);
  return kOsiRegistryError;
}

ResultCode RegistryKey::subkey(DWORD index, std::string& name) const {
  std::array<char, kSubkeyNameSize> buffer{};
  DWORD size = static_cast<DWORD>(buffer.size());
  LONG status = platform::RegEnumKeyEx(key_, index, buffer.data(), &size);
  if (status == platform::ERROR_NO_MORE_ITEMS) return kOsiNoNextSubkey;
  if (status != ERROR_SUCCESS) {
    LogError("OSI: Error <%d> enumerating registry key", status);
    return kOsiRegistryError;
  }
  name.assign(buffer.data(), size);
  return kSuccess;
}

ResultCode RegistryKey::set(const char* name, DWORD type, std::span<const std::uint8_t> data) const {
  std::vector<std::uint8_t> bytes(data.begin(), data.end());
  if (type == platform::REG_SZ) bytes.push_back(0);
  LONG status = platform::RegSetValueEx(key_, name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  if (status == ERROR_SUCCESS) return kSuccess;
  LogError("OSI: Error <%d> setting registry value <%s>", status, name);
  return kOsiRegistryError;
}

bool hasValue(const RegistryKey& key, const char* name) {
  DWORD size = 0;
  LONG status = platform::RegQueryValueEx(key.handle(), name, nullptr, nullptr, &size);
  if (status != ERROR_SUCCESS) LogWarn("OSI: Error <%d> querying registry value <%s>", status, name);
  return status == ERROR_SUCCESS;
}

std::optional<std::string> readText(const RegistryKey& key, const char* name, std::size_t capacity) {
  std::optional<std::vector<std::uint8_t>> data = readValue(key, name, capacity, {platform::REG_SZ});
  if (!data) return std::nullopt;
  auto end = std::find(data->begin(), data->end(), 0);
  return std::string(data->begin(), end);
}

std::optional<std::uint32_t> readNumber(const RegistryKey& key, const char* name, std::size_t capacity) {
  std::optional<std::vector<std::uint8_t>> data =
      readValue(key, name, capacity, {platform::REG_DWORD, platform::REG_BINARY});
  if (!data) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = std::min<std::size_t>(data->size(), 4); i-- > 0;) value = value << 8 | (*data)[i];
  return value;
}

ResultCode OpenCdromServiceKey(RegistryKey& key, std::string& path) {
  path = kCdromServiceKey;
  if (key.open(HKEY_LOCAL_MACHINE, path) == kSuccess) return kSuccess;
  path = kCdbCdromServiceKey;
  return key.open(HKEY_LOCAL_MACHINE, path);
}

std::string atapiDeviceKey(int hostAdapter) {
  return fmt::format("SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\Device{}", hostAdapter);
}

ResultCode ReadDriveSettings(std::span<DriveRecord> drives, PlatformCode platform) {
  ResultCode result = kSuccess;
  for (DriveRecord& drive : drives) {
    if (isNtFamily(platform)) {
      result = ReadNtSettings(drive);
      continue;
    }
    std::string hardwareKey;
    result = FindHardwareKey(drive, hardwareKey);
    if (result == kSuccess) result = Read9xSettings(drive, hardwareKey);
  }
  return result;
}

// A value that is missing or of another type is taken as off and the reading goes on: one
// odd value must not keep the other settings from being seen.
ResultCode ReadNtSettings(DriveRecord& drive) {
  RegistryKey service;
  std::string path;
  if (ResultCode opened = OpenCdromServiceKey(service, path); opened != kSuccess) return opened;
  std::uint32_t autorun = readNumber(service, "Autorun", kNumberSize).value_or(0);
  drive.autoInsert = autorun != 0;
  LogInfo("(%d,%d,%d) Autorun   : <%d>", drive.hostAdapter, drive.target, drive.lun, static_cast<int>(autorun));
  ResultCode closed = service.close();
  std::uint32_t dma = 0;
  ResultCode port = readPortDma(drive.hostAdapter, dma);
  drive.dmaInUse = dma != 0;
  LogInfo("(%d,%d,%d) DMAEnabled: <%d>", drive.hostAdapter, drive.target, drive.lun, static_cast<int>(dma));
  return port != kSuccess ? port : closed;
}

std::string registrySearchKey(const DriveRecord& drive) {
  std::string key(fieldText(drive.displayText).substr(0, kSearchKeyLength));
  for (char& c : key) c = c == ' ' ? '_' : platform::upperAscii(c);
  return key;
}

// Config Manager may list a drive more than once; a key that names the second channel for a
// drive on the first is kept as a candidate, in case no key names the first channel.
ResultCode FindHardwareKey(const DriveRecord& drive, std::string& hardwareKey) {
  hardwareKey.clear();
  std::string searchKey = registrySearchKey(drive);
  LogInfo("OSI: Registry search key <%s>", searchKey.c_str());
  RegistryKey enumKey;
  if (ResultCode opened = enumKey.open(HKEY_DYN_DATA, kConfigManagerEnum); opened != kSuccess) return opened;
  std::optional<std::string> candidate;
  ResultCode result = kSuccess;
  DWORD index = 0;
  do {
    result = scanHardwareKeys(enumKey, searchKey, index, hardwareKey);
    if (result == kSuccess) result = CheckTargetId(hardwareKey, drive);
    if (result == kSuccess) result = CheckIdeChannel(hardwareKey, drive);
    if (result == kOsiCandidateOnSecondaryPort) candidate = hardwareKey;
    ++index;
  } while (result == kOsiTargetIdMismatch || result == kOsiCandidateOnSecondaryPort);
  if (result == kSuccess) return kSuccess;
  hardwareKey.clear();
  if (result != kOsiNoNextSubkey) return result;
  if (candidate) {
    hardwareKey = *candidate;
    return kSuccess;
  }
  LogError("OSI: HardwareKey not found for driveId <%s>", fieldString(drive.displayText).c_str());
  return kOsiHardwareKeyNotFound;
}

// A missing target id matches no drive, not the drive at target 0.
ResultCode CheckTargetId(const std::string& hardwareKey, const DriveRecord& drive) {
  RegistryKey key;
  if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, std::string(kEnumPrefix) + hardwareKey); opened != kSuccess)
    return opened;
  std::string targetId = readText(key, "SCSITargetID", kTargetIdSize).value_or("");
  ResultCode result = kSuccess;
  if (decimal(targetId) == drive.target) {
    LogInfo("OSI: TargetIds match");
  } else {
    LogInfo("OSI: HardwKey's targetId <%s> does not match drive's targetId <%d>", targetId.c_str(), drive.target);
    result = kOsiTargetIdMismatch;
  }
  ResultCode closed = key.close();
  return result != kSuccess ? result : closed;
}

ResultCode CheckIdeChannel(const std::string& hardwareKey, const DriveRecord& drive) {
  if (drive.adapterClass != kAdapterIde) return kSuccess;
  std::size_t at = hardwareKey.find(kChildMarker);
  if (at == std::string::npos) {
    LogWarn("No 'MF&CHILD000' found in hardwKey -> no IDE device");
    return kOsiTargetIdMismatch;
  }
  if (drive.channel != 0 && drive.channel != 1) return kSuccess;
  std::size_t next = at + kChildMarker.size();
  char named = next < hardwareKey.size() ? hardwareKey[next] : '\0';
  char own = drive.channel == 0 ? '0' : '1';
  char other = drive.channel == 0 ? '1' : '0';
  if (named == own) return kSuccess;
  if (named == other) return drive.channel == 0 ? kOsiCandidateOnSecondaryPort : kOsiTargetIdMismatch;
  LogWarn("Unknown 'MF&CHILD000' found in hardwKey -> no match");
  return kOsiTargetIdMismatch;
}

ResultCode Read9xSettings(DriveRecord& drive, const std::string& hardwareKey) {
  std::string path = std::string(kEnumPrefix) + hardwareKey;
  if (path.size() >= drive.registryKey.size()) {
    LogError("OSI: Registry key path <%s> does not fit the drive record", path.c_str());
    return kOsiRegistryError;
  }
  setFieldText(drive.registryKey, path);
  RegistryKey key;
  if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, path); opened != kSuccess) return opened;
  std::optional<std::string> letter = readText(key, "CurrentDriveLetterAssignment", kWindows9xValueSize);
  if (letter && !letter->empty()) drive.driveLetter = letter->front();
  LogInfo("(%d,%d,%d) DriveLetter: <%c>", drive.hostAdapter, drive.target, drive.lun, drive.driveLetter);
  drive.autoInsert = read9xFlag(key, drive, "AutoInsertNotification") != 0;
  if (drive.adapterClass != kAdapterParallelPort) drive.dmaInUse = read9xFlag(key, drive, "DMACurrentlyUsed") != 0;
  return key.close();
}

ResultCode ChannelClassKey(const DriveRecord& drive, std::string& classKey) {
  std::string_view path = fieldText(drive.registryKey);
  if (path.size() < kChannelKeyOffset + kEnumPrefix.size()) {
    LogError("OSI: No IDE channel in registry key path <%s>", std::string(path).c_str());
    return kOsiRegistryError;
  }
  std::string channel = std::string(kEnumPrefix) + std::string(path.substr(kChannelKeyOffset + kEnumPrefix.size()));
  int replaced = 0;
  for (std::size_t i = 0; i + 2 < channel.size() && replaced < 2; ++i) {
    if (channel[i] != '&') continue;
    channel[i] = '\\';
    ++replaced;
  }
  RegistryKey key;
  if (ResultCode opened = key.open(HKEY_LOCAL_MACHINE, channel); opened != kSuccess) return opened;
  std::string driver = readText(key, "Driver", kChannelDriverSize).value_or("");
  // Without it the class key would be the class root, whose values are no channel's.
  if (driver.empty()) {
    LogError("OSI: No class driver for IDE channel <%s>", channel.c_str());
    return kOsiRegistryError;
  }
  classKey = kClassKeys + driver;
  return key.close();
}

}  // namespace quillon
