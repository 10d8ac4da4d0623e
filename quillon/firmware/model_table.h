#pragma once
// The maker's model identifiers and what each means to Quillon: drive type, checksum class
// and accepted firmware lengths. The one table the whole suite takes model names from
// (emulated drives, fixtures and OEM lists included).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::size_t kModelIdentifierLength = 7;
inline constexpr int kModelCount = 34;

// M1 to M34, in order of first appearance in the table below.
extern const std::array<std::string_view, kModelCount> kModelIdentifiers;

enum class ExtCondition { Any, ExtOff, ExtOn };

struct ModelRow {
  int row;    // 1-based position; rows are compared in this order
  int model;  // 1-based index into kModelIdentifiers
  ExtCondition condition;
  int driveType;
};

extern const std::array<ModelRow, 36> kModelTable;

std::string_view modelIdentifier(const ModelRow& row);

// Drive type of the first row whose identifier equals `identifier` exactly and whose
// condition holds; 0 when none does. Logs the unknown identifier.
int ModelToDriveType(std::string_view identifier, bool ext);

// Same as ModelToDriveType, without the log line.
int lookupDriveType(std::string_view identifier, bool ext);

enum class ChecksumClass { Unknown, One, Two, NotFlashable };
ChecksumClass checksumClass(int driveType);
int checksumCount(ChecksumClass checksums);  // stored checksums in a file of this class

// Firmware part passed to CheckFW: a plain file, or one half of a combined file.
inline constexpr int kPlainFirmware = 0;
inline constexpr int kCdPart = 100;
inline constexpr int kDvdPart = 101;

// The drives with a CD-R/RW and a DVD firmware behind one identity, flashed from combined
// files in two parts.
bool IsCombinedDrive(int driveType);

// Whether the data length is accepted for the drive type and firmware part.
bool lengthAccepted(int driveType, int firmwarePart, std::uint64_t length);

// The one length a plain firmware of this drive type must have, if there is one.
std::optional<std::uint32_t> requiredLength(int driveType);

// The accepted lengths in words, for people: "262144", "524288 (part 100), ...", "any".
std::string describeAcceptedLengths(int driveType);

}  // namespace quillon
