#pragma once
// The OEM customisation file Quillon.oem: which drives Quillon may update, as which drive
// type, with which firmware revisions, and the logo to show. A key record of 84 bytes, then
// OEM records of 84 bytes, each byte rotated left by (key byte mod 8) bits.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "quillon/result_code.h"

namespace quillon {

inline constexpr ResultCode kOemLoaded = 0x030000C8;
inline constexpr ResultCode kOemNotFound = 0x030000C9;
inline constexpr ResultCode kOemCorrupt = 0x030000CE;

inline constexpr std::size_t kOemRecordSize = 84;
inline constexpr const char* kOemFileName = "Quillon.oem";

using OemBlock = std::array<std::uint8_t, kOemRecordSize>;

struct OemRecord {
  std::uint32_t revision = 0;  // 1
  std::uint32_t length = 0;    // 84
  std::string text;            // in the first record: the logo picture's file name
  std::string vendor;
  std::string product;
  std::string skew;            // two characters; '*' matches any
  std::string revisionPattern; // up to four characters; '*' matches any
  std::uint32_t driveType = 0;
};

// Field offsets and sizes of a plain record, shared with the tools that write OEM files.
struct OemField {
  std::size_t offset;
  std::size_t size;
};
inline constexpr OemField kOemText{12, 22};
inline constexpr OemField kOemVendor{34, 18};
inline constexpr OemField kOemProduct{52, 18};
inline constexpr OemField kOemSkew{70, 4};
inline constexpr OemField kOemRevisionPattern{74, 6};
inline constexpr std::size_t kOemDriveTypeOffset = 80;

OemRecord unscramble(const OemBlock& stored, const OemBlock& key);

class OemReader {
 public:
  OemReader() = default;
  ~OemReader();
  OemReader(const OemReader&) = delete;
  OemReader& operator=(const OemReader&) = delete;

  // Reads Quillon.oem from `folder`, or from the current folder without one. kOemLoaded on
  // success (the records of a corrupt file up to the corrupt one are kept).
  ResultCode LoadOemFile(const std::optional<std::string>& folder);
  // The same for an OEM file of any name (the tools that check OEM files).
  ResultCode LoadOemFrom(const std::string& path);
  void FreeOemList() { list_.clear(); }
  const std::vector<OemRecord>& list() const { return list_; }

 private:
  std::vector<OemRecord> list_;
};

}  // namespace quillon
