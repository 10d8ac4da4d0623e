#pragma once
// What quillon-fw finds in one firmware file: the results of the four operations that the
// Kernel runs on it, the numbers they read and computed, and the log lines they wrote.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "quillon/result_code.h"

namespace quillon {

struct FileReport {
  std::string file;
  std::string header;
  int driveType = 0;        // from CheckFW
  int listedDriveType = 0;  // from GetFWDriveType
  std::string revision;
  ResultCode revisionResult = kSuccess;
  std::optional<std::uint32_t> size;    // S
  std::optional<std::uint64_t> length;  // L
  std::optional<std::uint16_t> linear, rotated;
  std::optional<std::uint16_t> storedLinear, storedRotated;
  ResultCode result = kSuccess;
  std::string message;  // the catalogue's text for the result
  std::string reason;   // the log line that explains the failure, if any
  std::vector<std::string> log;

  bool valid() const { return result == kSuccess; }
};

FileReport examineFile(const std::string& path, std::uint32_t blockSize, int firmwarePart);

nlohmann::json toJson(const FileReport& report);

}  // namespace quillon
