#include "sim/drives/vorante/vendor_download.h"

#include <algorithm>
#include <utility>

#include "sim/drives/vorante/cdb_fields.h"
#include "sim/drives/vorante/sense_codes.h"

namespace sim::vorante {
namespace {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;
using BlockFate = FirmwareFaultPlan::BlockFate;

constexpr std::size_t kBlockByte = 5;
constexpr std::size_t kFormByte = 6;
constexpr std::uint8_t kFormDownload = 0x01;

quillon::Checksums namedChecksums(std::span<const std::uint8_t> cdb) { return {be16(cdb, 1), be16(cdb, 3)}; }

bool sameChecksums(const quillon::Checksums& a, const quillon::Checksums& b) {
  return a.linear == b.linear && a.rotated == b.rotated;
}

}  // namespace

VendorDownload::VendorDownload(const DriveProfile& profile, FirmwareFaultPlan& faults, FlashProgrammer& programmer)
    : longForm_(profile.longForm), faults_(faults), programmer_(programmer) {
  for (const FlashPart& part : profile.parts) parts_.push_back({part, {}, 0, {}});
}

bool VendorDownload::formTaken(std::span<const std::uint8_t> cdb) const {
  if (cdb[kFormByte] != kFormDownload || cdb[11] != 0) return false;
  auto repeated = cdb.subspan(7, 4);
  if (allZero(repeated)) return true;
  return longForm_ && std::equal(repeated.begin(), repeated.end(), cdb.begin() + 1);
}

VendorDownload::PartDownload* VendorDownload::partOf(std::uint32_t block) {
  auto found = std::find_if(parts_.begin(), parts_.end(),
                            [block](const PartDownload& download) { return download.part.holdsBlock(block); });
  return found == parts_.end() ? nullptr : &*found;
}

ScsiOutcome VendorDownload::execute(EmulatedDrive& drive, const ScsiCommand& command) {
  if (!formTaken(command.cdb)) return drive.checkCondition(kInvalidFieldInCdb);
  if (command.direction != DataDirection::Out || command.data.size() != kVendorBlockSize)
    return drive.checkCondition(kParameterListLengthError);
  std::uint32_t block = command.cdb[kBlockByte];
  PartDownload* download = partOf(block);
  if (!download) return drive.checkCondition(kInvalidFieldInCdb);
  quillon::Checksums named = namedChecksums(command.cdb);
  if (auto fault = sequenceFault(*download, block, named)) return drive.checkCondition(*fault);
  if (block == download->part.firstBlock) {
    download->data.assign(download->part.length, 0);
    download->received = 0;
    download->named = named;
    download->complete = false;
  }
  return receive(drive, *download, block, command.data);
}

// The part's first block starts its download afresh; any other must be the next one, naming
// the checksums the download began with.
std::optional<Sense> VendorDownload::sequenceFault(const PartDownload& download, std::uint32_t block,
                                                   const quillon::Checksums& named) const {
  if (block == download.part.firstBlock) return std::nullopt;
  if (download.received == 0 || block != download.part.firstBlock + download.received) return kCommandSequenceError;
  if (!sameChecksums(named, download.named)) return kInvalidFieldInCdb;
  return std::nullopt;
}

ScsiOutcome VendorDownload::receive(EmulatedDrive& drive, PartDownload& download, std::uint32_t block,
                                    std::span<const std::uint8_t> data) {
  switch (faults_.takeBlock(block + 1)) {
    case BlockFate::Hung:
      return timedOut();
    case BlockFate::Failed:
      return drive.checkCondition(kDataPhaseError);
    case BlockFate::Received:
      break;
  }
  std::copy(data.begin(), data.end(), download.data.begin() + std::ptrdiff_t{download.received} * kVendorBlockSize);
  ++download.received;
  return download.received == download.part.blocks() ? finish(drive, download) : drive.good();
}

ScsiOutcome VendorDownload::finish(EmulatedDrive& drive, PartDownload& download) {
  download.received = 0;
  if (!sameChecksums(quillon::computeChecksums(download.data), download.named)) {
    download.data.clear();
    return drive.checkCondition(kInvalidFieldInParameterList);
  }
  download.complete = true;
  if (std::all_of(parts_.begin(), parts_.end(), [](const PartDownload& part) { return part.complete; })) {
    std::vector<FlashProgrammer::PartImage> images;
    for (const PartDownload& part : parts_) images.push_back({part.part, part.data});
    programmer_.program(drive, images);
    for (PartDownload& part : parts_) {
      part.complete = false;
      part.data.clear();
    }
  }
  return drive.good();
}

}  // namespace sim::vorante
