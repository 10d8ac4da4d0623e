#include "quillon/kernel/oem_file.h"

#include <algorithm>

#include "platform/files.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

// No OEM file comes near this; a larger one is not an OEM file.
constexpr std::uint64_t kMaxOemFileSize = 1 << 20;

std::uint8_t rotateRight(std::uint8_t value, unsigned bits) {
  bits %= 8;
  return bits == 0 ? value : static_cast<std::uint8_t>(value >> bits | value << (8 - bits));
}

// Up to the terminator, or the whole field when a writer left none.
std::string text(const OemBlock& block, OemField field) {
  auto begin = block.begin() + static_cast<std::ptrdiff_t>(field.offset);
  auto end = begin + static_cast<std::ptrdiff_t>(field.size);
  return std::string(begin, std::find(begin, end, std::uint8_t{0}));
}

std::optional<std::string> oemPath(const std::optional<std::string>& folder) {
  if (!folder) {
    auto here = platform::currentFolder();
    return here ? platform::joinPath(*here, kOemFileName) : std::nullopt;
  }
  std::string base = *folder;
  if (!base.empty() && base.back() == '\\') base.back() = '/';
  return platform::joinPath(base, kOemFileName);
}

OemBlock blockAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  OemBlock block{};
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(index * kOemRecordSize), kOemRecordSize, block.begin());
  return block;
}

ResultCode appendRecord(std::vector<OemRecord>& list, const OemBlock& stored, const OemBlock& key) {
  OemRecord record = unscramble(stored, key);
  if (record.revision != 1 || record.length != kOemRecordSize) {
    LogFatal("CIM: Corrupt OEM file: Rev <%d>, Len <%d>", static_cast<int>(record.revision),
             static_cast<int>(record.length));
    return kOemCorrupt;
  }
  LogInfo("%s, %s, %s, %s, %s, %d", record.text.c_str(), record.vendor.c_str(), record.product.c_str(),
          record.skew.c_str(), record.revisionPattern.c_str(), static_cast<int>(record.driveType));
  list.push_back(std::move(record));
  return kOemLoaded;
}

}  // namespace

OemRecord unscramble(const OemBlock& stored, const OemBlock& key) {
  OemBlock plain{};
  for (std::size_t i = 0; i < kOemRecordSize; ++i) plain[i] = rotateRight(stored[i], key[i] % 8);
  OemRecord record;
  record.revision = readLe32(plain, 0);
  record.length = readLe32(plain, 4);
  record.text = text(plain, kOemText);
  record.vendor = text(plain, kOemVendor);
  record.product = text(plain, kOemProduct);
  record.skew = text(plain, kOemSkew);
  record.revisionPattern = text(plain, kOemRevisionPattern);
  record.driveType = readLe32(plain, kOemDriveTypeOffset);
  return record;
}

OemReader::~OemReader() {
  FreeOemList();
  LogInfo("CIM: Destructor called");
}

ResultCode OemReader::LoadOemFile(const std::optional<std::string>& folder) {
  auto path = oemPath(folder);
  if (!path) {
    FreeOemList();
    LogInfo("Loading OEM Customising file");
    LogError("CIM: File <%s> not found", kOemFileName);
    return kOemNotFound;
  }
  return LoadOemFrom(*path);
}

ResultCode OemReader::LoadOemFrom(const std::string& path) {
  FreeOemList();
  LogInfo("Loading OEM Customising file");
  platform::FileBytes file = platform::readWholeFile(path, kMaxOemFileSize);
  if (file.error == platform::FileError::NotFound || file.error == platform::FileError::PathTooLong) {
    LogError("CIM: File <%s> not found", path.c_str());
    return kOemNotFound;
  }
  if (file.error != platform::FileError::None) {
    LogFatal("CIM: OEM file <%s> cannot be read whole", path.c_str());
    return kOemCorrupt;
  }
  std::size_t blocks = file.bytes.size() / kOemRecordSize;  // a trailing partial block is not a record
  if (blocks == 0) return kOemLoaded;
  OemBlock key = blockAt(file.bytes, 0);
  for (std::size_t i = 1; i < blocks; ++i)
    if (ResultCode result = appendRecord(list_, blockAt(file.bytes, i), key); result != kOemLoaded) return result;
  return kOemLoaded;
}

}  // namespace quillon
