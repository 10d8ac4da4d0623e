#include "sim/drives/emulated_drive.h"

#include <algorithm>
#include <utility>

namespace sim {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;

EmulatedDrive::EmulatedDrive(Identity identity, Faults faults, std::unique_ptr<Personality> personality)
    : identity_(std::move(identity)),
      faults_(faults),
      mechanism_(faults.mediumPresent),
      personality_(std::move(personality)) {
  validate(identity_);
  powerOn();
}

ScsiOutcome EmulatedDrive::execute(const ScsiCommand& command) {
  if (auto intercepted = faults_.intercept(++commandNumber_)) return *intercepted;
  if (personality_)
    if (auto answer = personality_->intercept(*this, command)) return *answer;
  // A reset's attention already tells the host to look at the medium again.
  if (mechanism_.settle() && !unitAttention_) unitAttention_ = kMediumMayHaveChanged;
  if (command.cdb.empty()) return checkCondition(kInvalidFieldInCdb);
  if (auto condition = takeCondition(command.cdb[0])) return checkCondition(*condition);
  return dispatch(command);
}

void EmulatedDrive::powerOn() {
  mechanism_.powerOn();
  reset();
}

void EmulatedDrive::reset() {
  mechanism_.preventRemoval(false);
  lastSense_.reset();
  unitAttention_ = kPowerOnOrReset;
}

const Identity& EmulatedDrive::identity() const { return identity_; }

void EmulatedDrive::setIdentity(Identity identity) {
  validate(identity);
  identity_ = std::move(identity);
}

ScsiOutcome EmulatedDrive::good() {
  lastSense_.reset();
  return {};
}

ScsiOutcome EmulatedDrive::goodWithData(const ScsiCommand& command, std::span<const std::uint8_t> data,
                                        std::size_t allocationLength) {
  ScsiOutcome outcome = good();
  if (command.direction != DataDirection::In) return outcome;
  std::size_t count = std::min({allocationLength, data.size(), command.data.size()});
  std::copy_n(data.begin(), count, command.data.begin());
  outcome.transferred = count;
  return outcome;
}

ScsiOutcome EmulatedDrive::checkCondition(const Sense& sense) {
  lastSense_ = sense;
  ScsiOutcome outcome;
  outcome.status = platform::kStatusCheckCondition;
  outcome.sense = fixedSense(sense);
  return outcome;
}

bool directionFits(const ScsiCommand& command, DataDirection direction, std::size_t transferLength) {
  if (command.direction == direction) return true;
  // Transports name no direction, or offer an empty buffer either way, for commands that move
  // nothing; only a buffer the command would use the other way round is at odds with it.
  if (command.direction == DataDirection::None) return transferLength == 0;
  return transferLength == 0 && command.data.empty();
}

}  // namespace sim
