#include "quillon/kernel/registry_backup.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "platform/files.h"
#include "platform/registry.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/drive_settings.h"

namespace quillon {
namespace {

constexpr std::size_t kNameOffset = 257;
constexpr std::size_t kValueDataOffset = 287;
constexpr std::size_t kTypeOffset = 320;
constexpr std::size_t kSizeOffset = 324;
constexpr std::size_t kCountSize = 4;
constexpr std::size_t kNumberSize = 4;
// Far more blocks than saves without a restore between them ever make.
constexpr std::uint64_t kMostFileBytes = 1u << 20;

void putLe32(std::span<std::uint8_t> at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void putText(std::span<std::uint8_t> field, std::string_view text) {
  std::copy_n(text.begin(), std::min(text.size(), field.size() - 1), field.begin());
}

std::optional<std::string> takeText(std::span<const std::uint8_t> field) {
  auto end = std::find(field.begin(), field.end(), 0);
  if (end == field.end()) return std::nullopt;
  return std::string(field.begin(), end);
}

std::string dataText(const RegistryRecord& record) {
  auto end = std::find(record.data.begin(), record.data.end(), 0);
  return std::string(record.data.begin(), end);
}

// An unreadable file that is there must not be replaced by one that lacks its blocks.
std::optional<std::vector<std::uint8_t>> existingContent(const std::string& path) {
  platform::FileBytes file = platform::readWholeFile(path, kMostFileBytes);
  if (file.error == platform::FileError::None) return std::move(file.bytes);
  std::error_code error;
  if (file.error == platform::FileError::NotFound && !std::filesystem::exists(path, error) && !error)
    return std::vector<std::uint8_t>{};
  return std::nullopt;
}

ResultCode refuseRecord(const std::string& path, std::uint32_t index, const std::string& fault) {
  LogError("Illegal registry record <%u> in registry file <%s>: %s", index, path.c_str(), fault.c_str());
  return kOsiBackupNotRead;
}

// The records of the block, none handed out unless all of them can be written back.
ResultCode decodeBlock(const std::string& path, std::span<const std::uint8_t> bytes, std::uint32_t count,
                       std::vector<RegistryRecord>& records) {
  std::vector<RegistryRecord> decoded;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string fault;
    auto at = bytes.subspan(kCountSize + i * kRegistryRecordSize).first<kRegistryRecordSize>();
    std::optional<RegistryRecord> record = decodeRecord(at, fault);
    if (!record) return refuseRecord(path, i, fault);
    LogRegistryRecord(*record);
    if (std::optional<std::string> invalid = recordFault(*record)) return refuseRecord(path, i, *invalid);
    decoded.push_back(std::move(*record));
  }
  records = std::move(decoded);
  return kSuccess;
}

}  // namespace

RegistryRecord textRecord(std::string keyPath, std::string valueName, std::string_view text) {
  RegistryRecord record{
      std::move(keyPath), std::move(valueName), {}, platform::REG_SZ, static_cast<std::uint32_t>(text.size())};
  putText(record.data, text);
  return record;
}

RegistryRecord byteRecord(std::string keyPath, std::string valueName, std::uint8_t value) {
  RegistryRecord record{std::move(keyPath), std::move(valueName), {}, platform::REG_BINARY, 1};
  record.data[0] = value;
  return record;
}

RegistryRecord numberRecord(std::string keyPath, std::string valueName, std::uint32_t value) {
  RegistryRecord record{std::move(keyPath), std::move(valueName), {}, platform::REG_DWORD, kNumberSize};
  putLe32(record.data, value);
  return record;
}

std::optional<std::string> recordFault(const RegistryRecord& record) {
  if (record.keyPath.empty()) return "no key path";
  if (record.keyPath.size() >= kRecordKeySize)
    return fmt::format("key path longer than {} characters", kRecordKeySize - 1);
  if (record.valueName.size() >= kRecordNameSize)
    return fmt::format("value name longer than {} characters", kRecordNameSize - 1);
  if (record.type != platform::REG_SZ && record.type != platform::REG_BINARY && record.type != platform::REG_DWORD)
    return fmt::format("value type {} is none of 1, 3 and 4", record.type);
  if (record.type == platform::REG_SZ && (record.size >= kRecordDataSize || record.data[record.size] != 0))
    return fmt::format("text of {} characters not terminated within its field", record.size);
  if (record.size > kRecordDataSize)
    return fmt::format("data size {} exceeds the {}-byte field", record.size, kRecordDataSize);
  if (record.type == platform::REG_DWORD && record.size != kNumberSize)
    return fmt::format("a number of {} bytes", record.size);
  return std::nullopt;
}

std::array<std::uint8_t, kRegistryRecordSize> encodeRecord(const RegistryRecord& record) {
  std::array<std::uint8_t, kRegistryRecordSize> bytes{};
  std::span<std::uint8_t> out(bytes);
  putText(out.first(kRecordKeySize), record.keyPath);
  putText(out.subspan(kNameOffset, kRecordNameSize), record.valueName);
  std::copy(record.data.begin(), record.data.end(), out.begin() + kValueDataOffset);
  putLe32(out.subspan(kTypeOffset), record.type);
  putLe32(out.subspan(kSizeOffset), record.size);
  return bytes;
}

std::optional<RegistryRecord> decodeRecord(std::span<const std::uint8_t, kRegistryRecordSize> bytes,
                                           std::string& fault) {
  std::optional<std::string> keyPath = takeText(bytes.first(kRecordKeySize));
  std::optional<std::string> valueName = takeText(bytes.subspan(kNameOffset, kRecordNameSize));
  if (!keyPath || !valueName) {
    fault = !keyPath ? "key path not terminated within its field" : "value name not terminated within its field";
    return std::nullopt;
  }
  RegistryRecord record{std::move(*keyPath),
                        std::move(*valueName),
                        {},
                        readLe32(bytes.subspan(kTypeOffset), 0),
                        readLe32(bytes.subspan(kSizeOffset), 0)};
  std::copy_n(bytes.begin() + kValueDataOffset, kRecordDataSize, record.data.begin());
  return record;
}

void LogRegistryRecord(const RegistryRecord& record) {
  const char* key = record.keyPath.c_str();
  const char* name = record.valueName.c_str();
  switch (record.type) {
    case platform::REG_SZ:
      LogInfo("  %s\\%s = %s", key, name, dataText(record).c_str());
      break;
    case platform::REG_BINARY:
      LogInfo("  %s\\%s = %d", key, name, record.data[0]);
      break;
    case platform::REG_DWORD:
      LogInfo("  %s\\%s = %d", key, name, static_cast<int>(readLe32(record.data, 0)));
      break;
    default:
      LogError("Illegal registry value type <%d>", static_cast<int>(record.type));
  }
}

ResultCode SaveRegistryFile(const std::string& path, std::span<const RegistryRecord> records) {
  LogInfo("Save Registry file.");
  for (const RegistryRecord& record : records) {
    if (std::optional<std::string> fault = recordFault(record)) {
      LogError("Registry value <%s\\%s> cannot be saved: %s", record.keyPath.c_str(), record.valueName.c_str(),
               fault->c_str());
      return kOsiBackupNotWritten;
    }
  }
  std::optional<std::vector<std::uint8_t>> content = existingContent(path);
  if (!content) {
    LogError("Unable to create registry file <%s>", path.c_str());
    return kOsiBackupNotCreated;
  }
  std::size_t start = content->size();
  content->resize(start + kCountSize);
  putLe32(std::span(*content).subspan(start), static_cast<std::uint32_t>(records.size()));
  for (const RegistryRecord& record : records) {
    std::array<std::uint8_t, kRegistryRecordSize> bytes = encodeRecord(record);
    content->insert(content->end(), bytes.begin(), bytes.end());
    LogRegistryRecord(record);
  }
  platform::FileError written = platform::writeWholeFile(path, *content);
  if (written == platform::FileError::None) return kSuccess;
  if (written == platform::FileError::PathTooLong) {
    LogError("Unable to create registry file <%s>", path.c_str());
    return kOsiBackupNotCreated;
  }
  LogError("Unable to write to registry file <%s>", path.c_str());
  return kOsiBackupNotWritten;
}

ResultCode LoadRegistryFile(const std::string& path, std::uint32_t maximum, std::vector<RegistryRecord>& records) {
  records.clear();
  platform::FileBytes file = platform::readPrefix(path, kCountSize + std::size_t{maximum} * kRegistryRecordSize);
  if (file.error == platform::FileError::NotFound || file.error == platform::FileError::PathTooLong) {
    LogInfo("Registry file <%s> not available, nothing to restore", path.c_str());
    return kOsiNoBackupFile;
  }
  LogInfo("Load Registry file.");
  std::span<const std::uint8_t> bytes(file.bytes);
  if (file.error != platform::FileError::None || bytes.size() < kCountSize) {
    LogError("Unable to read from registry file <%s>", path.c_str());
    return kOsiBackupNotRead;
  }
  std::uint32_t count = readLe32(bytes, 0);
  if (count > maximum) {
    LogError("Too many keys <%d> in registry file, max = <%d>", static_cast<int>(count), static_cast<int>(maximum));
    return kOsiTooManyKeys;
  }
  if (bytes.size() < kCountSize + std::size_t{count} * kRegistryRecordSize) {
    LogError("Unable to read from registry file <%s>", path.c_str());
    return kOsiBackupNotRead;
  }
  return decodeBlock(path, bytes, count, records);
}

}  // namespace quillon
