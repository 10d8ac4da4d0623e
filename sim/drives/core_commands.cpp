// The standard commands every emulated drive answers, whatever its personality.

#include <optional>
#include <utility>

#include "sim/drives/emulated_drive.h"
#include "sim/drives/scsi_opcodes.h"

namespace sim {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;

namespace {


// The group code in the top three bits fixes the CDB length of the standard groups.
std::size_t standardCdbLength(std::uint8_t opcode) {
  switch (opcode >> 5) {
    case 0:
      return 6;
    case 1:
    case 2:
      return 10;
    case 4:
      return 16;
    case 5:
      return 12;
    default:  // reserved and vendor-specific groups: only the personality knows
      return 1;
  }
}

std::optional<Sense> notReadySense(Readiness readiness) {
  switch (readiness) {
    case Readiness::BecomingReady:
      return kBecomingReady;
    case Readiness::NoMedium:
      return kNoMediumTrayClosed;
    case Readiness::TrayOpen:
      return kNoMediumTrayOpen;
    case Readiness::Ready:
      break;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Sense> EmulatedDrive::takeCondition(std::uint8_t opcode) {
  // A host must be able to identify the drive and fetch its sense whatever state it is in.
  if (opcode == kInquiry || opcode == kRequestSense) return std::nullopt;
  if (auto injected = faults_.takeUnitAttention()) return injected;
  if (unitAttention_) return std::exchange(unitAttention_, std::nullopt);
  return faults_.takeNotReady();
}

EmulatedDrive::Handler EmulatedDrive::coreHandler(std::uint8_t opcode) {
  switch (opcode) {
    case kTestUnitReady:
      return &EmulatedDrive::testUnitReady;
    case kRequestSense:
      return &EmulatedDrive::requestSense;
    case kInquiry:
      return &EmulatedDrive::inquiry;
    case kStartStopUnit:
      return &EmulatedDrive::startStopUnit;
    case kPreventAllowRemoval:
      return &EmulatedDrive::preventAllowRemoval;
    default:
      return nullptr;
  }
}

ScsiOutcome EmulatedDrive::dispatch(const ScsiCommand& command) {
  std::uint8_t opcode = command.cdb[0];
  Handler handler = coreHandler(opcode);
  bool personal = !handler && personality_ && personality_->handles(opcode);
  if (!handler && !personal) return checkCondition(kInvalidOperationCode);
  if (command.cdb.size() < standardCdbLength(opcode)) return checkCondition(kInvalidFieldInCdb);
  return handler ? (this->*handler)(command) : personality_->execute(*this, command);
}

ScsiOutcome EmulatedDrive::inquiry(const ScsiCommand& command) {
  constexpr std::uint8_t kEvpd = 0x01;
  auto cdb = command.cdb;
  std::size_t allocation = static_cast<std::size_t>(cdb[3]) << 8 | cdb[4];
  if (!directionFits(command, DataDirection::In, allocation) || (cdb[1] & kEvpd) || cdb[2] != 0)
    return checkCondition(kInvalidFieldInCdb);
  return goodWithData(command, inquiryData(identity_), allocation);
}

ScsiOutcome EmulatedDrive::testUnitReady(const ScsiCommand& command) {
  if (!directionFits(command, DataDirection::None, 0)) return checkCondition(kInvalidFieldInCdb);
  auto notReady = notReadySense(mechanism_.readiness());
  return notReady ? checkCondition(*notReady) : good();
}

ScsiOutcome EmulatedDrive::startStopUnit(const ScsiCommand& command) {
  if (!directionFits(command, DataDirection::None, 0)) return checkCondition(kInvalidFieldInCdb);
  std::uint8_t flags = command.cdb[4];
  // A power condition overrides Start and LoEj; the drive has no power states to change to.
  if ((flags & kPowerCondition) || !(flags & kLoadEject)) return good();
  if (flags & kStart) {
    mechanism_.load();
    return good();
  }
  return mechanism_.eject() ? good() : checkCondition(kRemovalPrevented);
}

ScsiOutcome EmulatedDrive::preventAllowRemoval(const ScsiCommand& command) {
  if (!directionFits(command, DataDirection::None, 0)) return checkCondition(kInvalidFieldInCdb);
  mechanism_.preventRemoval(command.cdb[4] & kPrevent);
  return good();
}

ScsiOutcome EmulatedDrive::requestSense(const ScsiCommand& command) {
  constexpr std::uint8_t kDescriptorFormat = 0x01;
  std::size_t allocation = command.cdb[4];
  if (!directionFits(command, DataDirection::In, allocation) || (command.cdb[1] & kDescriptorFormat))
    return checkCondition(kInvalidFieldInCdb);
  // Sense still pending is reported first and the attention kept for later; otherwise the
  // attention itself is reported, which clears it.
  Sense sense = lastSense_ ? *lastSense_ : std::exchange(unitAttention_, std::nullopt).value_or(kNoSense);
  return goodWithData(command, fixedSense(sense), allocation);
}

}  // namespace sim
