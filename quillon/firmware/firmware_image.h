#pragma once
// Quillon's in-memory copy of one firmware file and the operations that read, identify
// and validate it. Layout of a file (little-endian):
//   0   32 bytes  header text naming the model ("IMS" form or "Vorante" form, "EXT" at 29)
//   32  4 bytes   S, the firmware size
//   36  L bytes   data, L being S rounded up to even
//   36+L          linear checksum, then (all drive types but 1) the rotated checksum

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "quillon/result_code.h"

namespace quillon {

inline constexpr ResultCode kFwFileNotFound = 0x03000064;
inline constexpr ResultCode kFwReadError = 0x03000065;
inline constexpr ResultCode kFwMemoryError = 0x04000066;
inline constexpr ResultCode kFwIllegalFile = 0x02000067;

inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kDataOffset = 36;
inline constexpr std::size_t kRevisionWindow = 32768;
// No firmware file comes near this; larger files are refused before anything is allocated.
inline constexpr std::uint64_t kMaxFirmwareFileSize = 64ull * 1024 * 1024;

class FirmwareImage {
 public:
  FirmwareImage() = default;
  ~FirmwareImage();
  FirmwareImage(const FirmwareImage&) = delete;
  FirmwareImage& operator=(const FirmwareImage&) = delete;

  std::span<const std::uint8_t> bytes() const { return bytes_; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  bool empty() const { return bytes_.empty(); }
  // Replaces the content (loading, or cutting a combined file down to one part).
  void assign(std::vector<std::uint8_t> bytes) { bytes_ = std::move(bytes); }
  void clear();

 private:
  std::vector<std::uint8_t> bytes_;
};

ResultCode LoadFW(FirmwareImage& image, const std::string& path, std::uint32_t& fileSize);
ResultCode GetFWDriveType(const std::string& path, int& driveType);
ResultCode GetFWRevision(const std::string& path, std::string& revision);

struct FirmwareCheck {
  int driveType = 0;
  std::uint64_t length = 0;            // L, computed without wrap-around
  const std::uint8_t* data = nullptr;  // into the image, valid while it holds this file
  std::uint16_t linear = 0;            // as computed
  std::uint16_t rotated = 0;
};

ResultCode CheckFW(const FirmwareImage& image, std::uint32_t blockSize, int firmwarePart, FirmwareCheck& check);

// `stored` holds the L data bytes followed by the checksums the file stores after them.
ResultCode CheckFWchecksum(int driveType, std::span<const std::uint8_t> stored, std::uint64_t length,
                           std::uint16_t& linear, std::uint16_t& rotated);

void Release(FirmwareImage& image);

// Helpers shared with tools that describe files.
struct HeaderFields {
  std::string text;        // the 32 header bytes as a string, up to any zero byte
  std::string identifier;  // the seven model characters at the form's offset
  bool ext = false;        // "EXT" at bytes 29-31
  bool formA = false;      // starts with "IMS"
  bool formB = false;      // starts with "Vorante"
};
HeaderFields readHeader(std::span<const std::uint8_t> header);  // needs kHeaderSize bytes

std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t offset);

// L for a given S: rounded up to even, in 64 bits so that S = 0xFFFFFFFF does not wrap to 0.
constexpr std::uint64_t dataLength(std::uint32_t size) { return (std::uint64_t{size} + 1) & ~std::uint64_t{1}; }

}  // namespace quillon
