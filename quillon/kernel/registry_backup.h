#pragma once
// The registry backup file Quillon.Reg: the values the guard switched off, kept across the
// restart of Windows until the next flash run writes them back. Binary, little-endian: one
// block per save, a record count (32 bits) and that many records of 328 bytes:
//
//   offset  size  field
//        0   257  key path below HKEY_LOCAL_MACHINE, NUL-terminated
//      257    30  value name, NUL-terminated
//      287    33  value data: text (NUL-terminated) or raw bytes
//      320     4  value type: 1 text, 3 binary, 4 32-bit number
//      324     4  data size in bytes (a text's without its terminator)

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillon/result_code.h"

namespace quillon {

inline constexpr std::size_t kRegistryRecordSize = 328;
inline constexpr std::size_t kRecordKeySize = 257;
inline constexpr std::size_t kRecordNameSize = 30;
inline constexpr std::size_t kRecordDataSize = 33;
inline constexpr const char* kRegistryFileName = "Quillon.Reg";
inline constexpr std::uint32_t kMostRestoredRecords = 5;

struct RegistryRecord {
  std::string keyPath;
  std::string valueName;
  std::array<std::uint8_t, kRecordDataSize> data{};
  std::uint32_t type = 0;
  std::uint32_t size = 0;
};

// A text longer than the data field takes keeps its length, so that it is refused, not cut.
RegistryRecord textRecord(std::string keyPath, std::string valueName, std::string_view text);
RegistryRecord byteRecord(std::string keyPath, std::string valueName, std::uint8_t value);
RegistryRecord numberRecord(std::string keyPath, std::string valueName, std::uint32_t value);

// What keeps the record from being written back, or nothing when it can be.
std::optional<std::string> recordFault(const RegistryRecord& record);

std::array<std::uint8_t, kRegistryRecordSize> encodeRecord(const RegistryRecord& record);
// Nothing, with `fault` saying why, when the key path or value name lacks its terminator.
std::optional<RegistryRecord> decodeRecord(std::span<const std::uint8_t, kRegistryRecordSize> bytes,
                                           std::string& fault);

void LogRegistryRecord(const RegistryRecord& record);

// Appends one block to the file. The old content and the new block are written to a
// temporary file beside it, which then replaces it, so a crash leaves one or the other.
// Every record is checked first; none is saved when one could not be written back.
ResultCode SaveRegistryFile(const std::string& path, std::span<const RegistryRecord> records);
// The first block, handed out only when all of it is there and every record can be written back.
ResultCode LoadRegistryFile(const std::string& path, std::uint32_t maximum, std::vector<RegistryRecord>& records);

}  // namespace quillon
