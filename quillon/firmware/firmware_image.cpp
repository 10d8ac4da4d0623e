#include "quillon/firmware/firmware_image.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/files.h"
#include "quillon/firmware/checksum.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

constexpr std::string_view kFormA = "IMS";
constexpr std::string_view kFormB = "Vorante";
constexpr std::string_view kExt = "EXT";
constexpr std::size_t kExtOffset = 29;
constexpr std::size_t kRevisionOffset = 24;
constexpr std::size_t kRevisionLength = 4;

bool startsWith(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view word) {
  return bytes.size() >= offset + word.size() && std::memcmp(bytes.data() + offset, word.data(), word.size()) == 0;
}

std::string textUpToZero(std::span<const std::uint8_t> bytes) {
  auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return std::string(bytes.begin(), end);
}

// First occurrence of `word` whose revision bytes still lie inside `window`.
std::optional<std::string> revisionAfter(std::span<const std::uint8_t> window, std::string_view word) {
  if (window.size() < kRevisionOffset + kRevisionLength) return std::nullopt;
  auto searchable = window.first(window.size() - kRevisionOffset - kRevisionLength + word.size());
  auto found = std::search(searchable.begin(), searchable.end(), word.begin(), word.end());
  if (found == searchable.end()) return std::nullopt;
  auto start = static_cast<std::size_t>(found - window.begin()) + kRevisionOffset;
  return textUpToZero(window.subspan(start, kRevisionLength));
}

// The one line a failed check logs besides the file's header line.
ResultCode refuse(const char* reason) {
  LogFatal("%s", reason);
  return kFwIllegalFile;
}

ResultCode checkLength(int driveType, int firmwarePart, std::uint64_t length, std::uint32_t blockSize,
                       std::uint64_t fileSize, int checksums) {
  if (length == 0) return refuse("CheckFW: Invalid FW: empty firmware");
  if (!lengthAccepted(driveType, firmwarePart, length)) return refuse("CheckFW: Invalid FW: invalid size");
  if (fileSize != length + kDataOffset + 2u * checksums) return refuse("CheckFW: Invalid FW: invalid FW file size");
  if (blockSize == 0) return refuse("CheckFW: Invalid FW: block size 0");
  if (length % blockSize != 0) return refuse("CheckFW: Invalid FW: size is not an even number of blocks");
  return kSuccess;
}

// A prefix read that could not open the file, or got fewer bytes than it needs.
ResultCode checkPrefix(const platform::FileBytes& file, std::size_t needed, const std::string& path, LogLevel level) {
  auto log = [&](const char* format) {
    char text[kLogLineSize];
    std::snprintf(text, sizeof text, format, path.c_str());
    programLog().write(level, text);
  };
  if (file.error == platform::FileError::PathTooLong || file.error == platform::FileError::NotFound) {
    log("FWI: Error opening firmware file <%s>");
    return kFwFileNotFound;
  }
  if (file.error != platform::FileError::None || file.bytes.size() < needed) {
    log("FWI: Error reading firmware file <%s>");
    return kFwReadError;
  }
  return kSuccess;
}

}  // namespace

FirmwareImage::~FirmwareImage() {
  clear();
  LogInfo("FWI: Destructor called");
}

void FirmwareImage::clear() { std::vector<std::uint8_t>().swap(bytes_); }

void Release(FirmwareImage& image) { image.clear(); }

std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 | std::uint32_t{bytes[offset + 2]} << 16 |
         std::uint32_t{bytes[offset + 3]} << 24;
}

std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

HeaderFields readHeader(std::span<const std::uint8_t> header) {
  HeaderFields fields;
  header = header.first(kHeaderSize);
  fields.text = textUpToZero(header);
  fields.formA = startsWith(header, 0, kFormA);
  fields.formB = startsWith(header, 0, kFormB);
  fields.ext = startsWith(header, kExtOffset, kExt);
  auto model = header.subspan(fields.formB ? 8 : 4, kModelIdentifierLength);
  fields.identifier.assign(model.begin(), model.end());
  return fields;
}

ResultCode LoadFW(FirmwareImage& image, const std::string& path, std::uint32_t& fileSize) {
  fileSize = 0;
  image.clear();
  platform::FileBytes file;
  try {
    file = platform::readWholeFile(path, kMaxFirmwareFileSize);
  } catch (const std::bad_alloc&) {
    LogFatal("FWI: Error allocating memory");
    return kFwMemoryError;
  }
  fileSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(file.fileSize, UINT32_MAX));
  switch (file.error) {
    case platform::FileError::None: break;
    case platform::FileError::TooLarge:
      LogError("FWI: Firmware file <%s> of %llu bytes is too large", path.c_str(),
               static_cast<unsigned long long>(file.fileSize));
      return kFwIllegalFile;
    case platform::FileError::ReadError:
      LogError("FWI: Error reading firmware file <%s>", path.c_str());
      return kFwReadError;
    default: LogError("Unable to locate file : %s", path.c_str()); return kFwFileNotFound;
  }
  image.assign(std::move(file.bytes));
  return kSuccess;
}

ResultCode GetFWDriveType(const std::string& path, int& driveType) {
  driveType = 0;
  platform::FileBytes file = platform::readPrefix(path, kHeaderSize);
  if (ResultCode failed = checkPrefix(file, kHeaderSize, path, LogLevel::Error); failed != kSuccess) return failed;
  HeaderFields header = readHeader(file.bytes);
  if (!header.formA && !header.formB) {
    LogError("Illegal firmware file <%s>, header : %s", path.c_str(), header.text.c_str());
    return kSuccess;
  }
  driveType = ModelToDriveType(header.identifier, header.formB && header.ext);
  return kSuccess;
}

ResultCode GetFWRevision(const std::string& path, std::string& revision) {
  revision = "????";
  platform::FileBytes file;
  try {
    file = platform::readPrefix(path, kRevisionWindow);
  } catch (const std::bad_alloc&) {
    LogFatal("FWI: Error allocating memory");
    return kFwMemoryError;
  }
  if (ResultCode failed = checkPrefix(file, kRevisionWindow, path, LogLevel::Warn); failed != kSuccess) return failed;
  auto found = revisionAfter(file.bytes, "VORANTE");
  if (!found) found = revisionAfter(file.bytes, "IDE-CD");
  if (!found) {
    LogWarn("FWI: Illegal Firmware file <%s>, cannot find 'VORANTE'.", path.c_str());
    return kSuccess;
  }
  revision = *found;
  return kSuccess;
}

ResultCode CheckFW(const FirmwareImage& image, std::uint32_t blockSize, int firmwarePart, FirmwareCheck& check) {
  check = {};
  std::span<const std::uint8_t> bytes = image.bytes();
  if (bytes.size() < kDataOffset) {
    LogFatal("CheckFW: Invalid FW: file of %u bytes cannot hold a header and a size", image.size());
    return kFwIllegalFile;
  }
  HeaderFields header = readHeader(bytes);
  std::uint32_t size = readLe32(bytes, kHeaderSize);
  LogInfo("Checking FW: FW file <%s> of size <%u>", header.text.c_str(), size);
  check.driveType = ModelToDriveType(header.identifier, header.ext);
  ChecksumClass checksums = checksumClass(check.driveType);
  if (checksums == ChecksumClass::Unknown) {
    LogFatal("CheckFW: Invalid FW: unknown drive type <%s>", header.identifier.c_str());
    return kFwIllegalFile;
  }
  if (checksums == ChecksumClass::NotFlashable) {
    LogFatal("CheckFW: SW not up to date for drive type <%s>", header.identifier.c_str());
    return kFwIllegalFile;
  }
  check.length = dataLength(size);
  ResultCode sized = checkLength(check.driveType, firmwarePart, check.length, blockSize, bytes.size(),
                                 checksumCount(checksums));
  if (sized != kSuccess) return sized;
  check.data = bytes.data() + kDataOffset;
  return CheckFWchecksum(check.driveType, bytes.subspan(kDataOffset), check.length, check.linear, check.rotated);
}

ResultCode CheckFWchecksum(int driveType, std::span<const std::uint8_t> stored, std::uint64_t length,
                           std::uint16_t& linear, std::uint16_t& rotated) {
  bool withRotated = driveType != 1;
  if (stored.size() < length + (withRotated ? 4 : 2)) {
    LogFatal("CheckFWchecksum: %zu bytes cannot hold %llu data bytes and their checksums", stored.size(),
             static_cast<unsigned long long>(length));
    return kFwIllegalFile;
  }
  Checksums computed = computeChecksums(stored.first(static_cast<std::size_t>(length)));
  linear = computed.linear;
  rotated = computed.rotated;
  bool failed = false;
  std::uint16_t storedLinear = readLe16(stored, length);
  if (linear != storedLinear) {
    LogFatal("CheckFWchecksum: Calculated linear checksum <%hx> does not match file checksum <%hx>", linear,
             storedLinear);
    failed = true;
  }
  if (withRotated) {
    std::uint16_t storedRotated = readLe16(stored, length + 2);
    if (rotated != storedRotated) {
      LogFatal("CheckFWchecksum: Calculated rotated checksum <%hx> does not match file checksum <%hx>", rotated,
               storedRotated);
      failed = true;
    }
  }
  return failed ? kFwIllegalFile : kSuccess;
}

}  // namespace quillon
