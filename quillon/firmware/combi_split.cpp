#include "quillon/firmware/combi_split.h"

#include <new>
#include <vector>

#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

constexpr std::size_t kCdDataOffset = 48;
constexpr std::size_t kDvdDataOffset = 524336;
constexpr std::size_t kCdLength = 524288;
constexpr std::size_t kDvdLength = 262144;

struct PartLayout {
  std::size_t sizeField;  // offset of the part's S in the combined file
  std::size_t checksums;  // offset of its two checksums
  std::size_t data;
  std::size_t length;
};

constexpr PartLayout kCdPartLayout{32, 36, kCdDataOffset, kCdLength};
constexpr PartLayout kDvdPartLayout{40, 44, kDvdDataOffset, kDvdLength};

void append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> from, std::size_t offset,
            std::size_t count) {
  auto part = from.subspan(offset, count);
  out.insert(out.end(), part.begin(), part.end());
}

// Header, size field, data, then the checksums that the combined file keeps up front.
std::vector<std::uint8_t> cutPart(std::span<const std::uint8_t> combined, const PartLayout& part) {
  std::vector<std::uint8_t> single;
  single.reserve(kDataOffset + part.length + 4);
  append(single, combined, 0, kHeaderSize);
  append(single, combined, part.sizeField, 4);
  append(single, combined, part.data, part.length);
  append(single, combined, part.checksums, 4);
  return single;
}

}  // namespace

ResultCode SplitCombiFile(FirmwareImage& image, int firmwarePart) {
  if (firmwarePart != kCdPart && firmwarePart != kDvdPart) {
    LogFatal("SplitCombiFile: Unknown firmware part <%d>", firmwarePart);
    return kUnknownFirmwarePart;
  }
  if (image.size() < kCombinedFileSize) {
    LogFatal("SplitCombiFile: Combined firmware file of %u bytes is shorter than %u bytes", image.size(),
             kCombinedFileSize);
    return kFwIllegalFile;
  }
  try {
    image.assign(cutPart(image.bytes(), firmwarePart == kCdPart ? kCdPartLayout : kDvdPartLayout));
  } catch (const std::bad_alloc&) {
    LogFatal("FWI: Error allocating memory");
    return kFwMemoryError;
  }
  return kSuccess;
}

ResultCode SelectDualHalf(FirmwareImage& image, const std::string& eftim) {
  if (image.size() != kDualFileSize) {
    LogFatal("SelectDualHalf: Dual firmware file of %u bytes is not %u bytes long", image.size(), kDualFileSize);
    return kFwIllegalFile;
  }
  bool second = !eftim.empty() && eftim[0] == 0x05;
  auto half = image.bytes().subspan(second ? kDualHalfSize : 0, kDualHalfSize);
  try {
    image.assign(std::vector<std::uint8_t>(half.begin(), half.end()));
  } catch (const std::bad_alloc&) {
    LogFatal("FWI: Error allocating memory");
    return kFwMemoryError;
  }
  return kSuccess;
}

}  // namespace quillon
