#include "quillon/firmware/file_report.h"

#include <fmt/format.h>

#include <algorithm>

#include "parlex/Lngstring.h"
#include "quillon/firmware/checksum.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

// Reads what the file holds, whatever CheckFW thinks of it, and never past its end.
void describeBytes(std::span<const std::uint8_t> bytes, bool twoChecksums, FileReport& report) {
  if (bytes.size() < kDataOffset) return;
  report.header = readHeader(bytes).text;
  report.size = readLe32(bytes, kHeaderSize);
  report.length = dataLength(*report.size);
  std::uint64_t end = kDataOffset + *report.length;
  auto present = bytes.subspan(kDataOffset, static_cast<std::size_t>(std::min<std::uint64_t>(end, bytes.size()) - kDataOffset));
  Checksums sums = computeChecksums(present);
  report.linear = sums.linear;
  report.rotated = sums.rotated;
  if (bytes.size() >= end + 2) report.storedLinear = readLe16(bytes, end);
  if (twoChecksums && bytes.size() >= end + 4) report.storedRotated = readLe16(bytes, end + 2);
}

std::string firstExplanation(const std::vector<LogCapture::Entry>& entries, std::size_t from) {
  for (std::size_t i = from; i < entries.size(); ++i)
    if (entries[i].level == LogLevel::Error || entries[i].level == LogLevel::Fatal) return entries[i].text;
  return {};
}

template <typename T>
nlohmann::json orNull(const std::optional<T>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

}  // namespace

FileReport examineFile(const std::string& path, std::uint32_t blockSize, int firmwarePart) {
  FileReport report;
  report.file = path;
  LogCapture log;
  GetFWDriveType(path, report.listedDriveType);
  report.revisionResult = GetFWRevision(path, report.revision);
  std::size_t loadStart = log.entries().size();
  {
    FirmwareImage image;
    std::uint32_t fileSize = 0;
    report.result = LoadFW(image, path, fileSize);
    if (report.result == kSuccess) {
      FirmwareCheck check;
      report.result = CheckFW(image, blockSize, firmwarePart, check);
      report.driveType = check.driveType;
      describeBytes(image.bytes(), checksumClass(check.driveType) != ChecksumClass::One, report);
    }
  }
  report.reason = firstExplanation(log.entries(), loadStart);
  report.message = report.valid() ? "OK" : TlngString().String(static_cast<std::int32_t>(report.result));
  for (const auto& entry : log.entries()) report.log.push_back(std::string(levelLabel(entry.level)) + entry.text);
  return report;
}

nlohmann::json toJson(const FileReport& report) {
  return {
      {"file", report.file},
      {"header", report.header},
      {"driveType", report.driveType},
      {"listedDriveType", report.listedDriveType},
      {"revision", report.revision},
      {"revisionResult", fmt::format("0x{:08X}", report.revisionResult)},
      {"size", orNull(report.size)},
      {"length", orNull(report.length)},
      {"linear", orNull(report.linear)},
      {"rotated", orNull(report.rotated)},
      {"storedLinear", orNull(report.storedLinear)},
      {"storedRotated", orNull(report.storedRotated)},
      {"result", fmt::format("0x{:08X}", report.result)},
      {"valid", report.valid()},
      {"message", report.message},
      {"reason", report.reason},
      {"log", report.log},
  };
}

}  // namespace quillon
