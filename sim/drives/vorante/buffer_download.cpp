#include "sim/drives/vorante/buffer_download.h"

#include <algorithm>

#include "sim/drives/vorante/cdb_fields.h"
#include "sim/drives/vorante/sense_codes.h"

namespace sim::vorante {
namespace {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;
using BlockFate = FirmwareFaultPlan::BlockFate;

constexpr std::uint8_t kModeData = 0x01;
constexpr std::uint8_t kModeMicrocodeSave = 0x05;
constexpr std::uint8_t kModeMask = 0x1F;

struct BufferFields {
  std::uint8_t mode;
  std::uint8_t bufferId;
  std::uint32_t offset;
  std::uint32_t length;
};

BufferFields fieldsOf(const ScsiCommand& command) {
  return {static_cast<std::uint8_t>(command.cdb[1] & kModeMask), command.cdb[2], be24(command.cdb, 3),
          be24(command.cdb, 6)};
}

}  // namespace

BufferDownload::BufferDownload(const FlashPart& part, FirmwareFaultPlan& faults, FlashProgrammer& programmer)
    : part_(part), faults_(faults), programmer_(programmer), missing_(part.length) {}

bool BufferDownload::fits(std::uint64_t offset, std::uint64_t length) const { return offset + length <= part_.length; }

// Made at first use: drives that take their firmware otherwise never need it.
void BufferDownload::ensureBuffer() {
  if (!buffer_.empty()) return;
  buffer_.assign(part_.length, 0);
  arrived_.assign(part_.length, false);
}

ScsiOutcome BufferDownload::writeBuffer(EmulatedDrive& drive, const ScsiCommand& command) {
  BufferFields fields = fieldsOf(command);
  if (fields.bufferId != 0) return drive.checkCondition(kInvalidFieldInCdb);
  if (fields.mode == kModeData) return download(drive, command);
  if (fields.mode == kModeMicrocodeSave) return flash(drive, command);
  return drive.checkCondition(kInvalidFieldInCdb);
}

ScsiOutcome BufferDownload::download(EmulatedDrive& drive, const ScsiCommand& command) {
  BufferFields fields = fieldsOf(command);
  if (!directionFits(command, DataDirection::Out, fields.length) || !fits(fields.offset, fields.length))
    return drive.checkCondition(kInvalidFieldInCdb);
  if (command.data.size() < fields.length) return drive.checkCondition(kParameterListLengthError);
  if (fields.length == 0) return drive.good();
  switch (faults_.takeBlock(fields.offset / fields.length + 1)) {
    case BlockFate::Hung:
      return timedOut();
    case BlockFate::Failed:
      return drive.checkCondition(kDataPhaseError);
    case BlockFate::Received:
      break;
  }
  store(fields.offset, command.data.first(fields.length));
  return drive.good();
}

void BufferDownload::store(std::uint32_t offset, std::span<const std::uint8_t> bytes) {
  ensureBuffer();
  std::copy(bytes.begin(), bytes.end(), buffer_.begin() + offset);
  for (std::uint32_t at = offset; at < offset + bytes.size(); ++at) {
    if (arrived_[at]) continue;
    arrived_[at] = true;
    --missing_;
  }
}

// The microcode comes through mode 1 beforehand; the flash command itself carries none.
ScsiOutcome BufferDownload::flash(EmulatedDrive& drive, const ScsiCommand& command) {
  BufferFields fields = fieldsOf(command);
  if (fields.offset != 0 || fields.length != 0 || !directionFits(command, DataDirection::Out, 0))
    return drive.checkCondition(kInvalidFieldInCdb);
  if (missing_ != 0) return drive.checkCondition(kCommandSequenceError);
  FlashProgrammer::PartImage image{part_, buffer_};
  programmer_.program(drive, std::span(&image, 1));
  std::fill(arrived_.begin(), arrived_.end(), false);
  missing_ = part_.length;
  return drive.good();
}

ScsiOutcome BufferDownload::readBuffer(EmulatedDrive& drive, const ScsiCommand& command) {
  BufferFields fields = fieldsOf(command);
  if (fields.mode != kModeData || fields.bufferId != 0 || !directionFits(command, DataDirection::In, fields.length) ||
      !fits(fields.offset, fields.length))
    return drive.checkCondition(kInvalidFieldInCdb);
  ensureBuffer();
  std::size_t count = std::min<std::size_t>(fields.length, command.data.size());
  std::vector<std::uint8_t> answer(buffer_.begin() + fields.offset, buffer_.begin() + fields.offset + count);
  faults_.takeReadBack(fields.offset, answer);
  return drive.goodWithData(command, answer, count);
}

}  // namespace sim::vorante
