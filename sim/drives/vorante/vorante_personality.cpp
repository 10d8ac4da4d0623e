#include "sim/drives/scsi_opcodes.h"
#include "sim/drives/vorante/vorante_personality.h"

#include <array>
#include <utility>

#include "sim/drives/vorante/cdb_fields.h"
#include "sim/drives/vorante/vendor_opcodes.h"

namespace sim::vorante {
namespace {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;


constexpr std::uint8_t kFlashBootCode = 0x4E;
constexpr std::size_t kFlashBootAnswer = 32;
constexpr std::size_t kNumberLength = 4;
// F8 00 60 00 00 00 00 00 04 A1 <number> 00 reads four bytes of the drive's memory at A1xx.
constexpr std::array<std::uint8_t, 9> kNumberFields = {0x00, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xA1};

std::array<std::uint8_t, kNumberLength> numberBytes(const std::string& text) {
  std::array<std::uint8_t, kNumberLength> bytes{};
  std::copy_n(text.begin(), std::min(text.size(), kNumberLength), bytes.begin());
  return bytes;
}

// A drive programming its flash has no firmware running to build INQUIRY data with.
ScsiOutcome programmingAnswer(EmulatedDrive& drive, const ScsiCommand& command) {
  if (command.cdb.empty()) return drive.checkCondition(kBecomingReady);
  if (command.cdb[0] == kInquiry) {
    ScsiOutcome busy;
    busy.status = platform::kStatusBusy;
    return busy;
  }
  if (command.cdb[0] == kRequestSense && command.cdb.size() > 4 &&
      directionFits(command, DataDirection::In, command.cdb[4]))
    return drive.goodWithData(command, fixedSense(kBecomingReady), command.cdb[4]);
  return drive.checkCondition(kBecomingReady);
}

}  // namespace

VorantePersonality::VorantePersonality(const DriveSetup& setup, std::shared_ptr<FlashStore> flash,
                                       std::shared_ptr<Faults> faults)
    : profile_(profileOf(setup.driveType)),
      skew_(setup.skew),
      eftim_(setup.eftim),
      faults_(std::move(faults)),
      programmer_(std::move(flash), profile_.flashSize()),
      buffer_(profile_.parts.front(), faults_, programmer_),
      vendor_(profile_, faults_, programmer_),
      diagnostics_(setup.factorySetting) {}

bool VorantePersonality::handles(std::uint8_t opcode) const {
  switch (opcode) {
    case kWriteBuffer:
    case kReadBuffer:
      return profile_.bufferCommands;
    case kVendorDownload:
      return !profile_.bufferCommands;
    case kEnableFlashBoot:
      return profile_.flashBoot;
    case kEnterDiagnostics:
    case kLeaveDiagnostics:
    case kReadNumber:
    case kFactorySetting:
      return true;
    default:
      return false;
  }
}

std::optional<ScsiOutcome> VorantePersonality::intercept(EmulatedDrive& drive, const ScsiCommand& command) {
  if (faults_.stoppedAnswering()) return timedOut();
  if (programmer_.busy()) return programmingAnswer(drive, command);
  return std::nullopt;
}

ScsiOutcome VorantePersonality::execute(EmulatedDrive& drive, const ScsiCommand& command) {
  // The core has checked the length of the buffer commands; the maker's own are ATAPI packets.
  std::uint8_t opcode = command.cdb[0];
  if (opcode != kWriteBuffer && opcode != kReadBuffer && command.cdb.size() < kVendorCdbLength)
    return drive.checkCondition(kInvalidFieldInCdb);
  return dispatch(drive, command);
}

ScsiOutcome VorantePersonality::dispatch(EmulatedDrive& drive, const ScsiCommand& command) {
  switch (command.cdb[0]) {
    case kWriteBuffer: {
      ScsiOutcome outcome = buffer_.writeBuffer(drive, command);
      noteDownload(outcome);
      return outcome;
    }
    case kReadBuffer:
      return buffer_.readBuffer(drive, command);
    case kVendorDownload: {
      ScsiOutcome outcome = vendor_.execute(drive, command);
      noteDownload(outcome);
      return outcome;
    }
    case kEnableFlashBoot:
      return enableFlashBoot(drive, command);
    case kReadNumber:
      return readNumber(drive, command);
    case kEnterDiagnostics:
      return diagnostics_.enter(drive, command);
    case kLeaveDiagnostics:
      return diagnostics_.leave(drive, command);
    default:
      return diagnostics_.factorySetting(drive, command);
  }
}

Indicator VorantePersonality::indicator() {
  return programmer_.busy() ? Indicator::Blinking : indicator_;
}

// A refused or failed block shows the error pattern until a later download programs the
// flash; a block that started programming leaves the new firmware running once it is done.
void VorantePersonality::noteDownload(const ScsiOutcome& outcome) {
  if (outcome.kind != ScsiOutcome::Kind::Done || outcome.status != platform::kStatusGood)
    indicator_ = Indicator::ErrorBlink;
  else if (programmer_.busy())
    indicator_ = Indicator::SteadyOk;
}

// Asked for before a type-2 drive gets its firmware, and recorded; this drive boots a new
// firmware after programming whether asked or not.
ScsiOutcome VorantePersonality::enableFlashBoot(EmulatedDrive& drive, const ScsiCommand& command) {
  if (command.cdb[1] != kFlashBootCode || !allZero(command.cdb.subspan(2, 10)) ||
      !directionFits(command, DataDirection::In, kFlashBootAnswer))
    return drive.checkCondition(kInvalidFieldInCdb);
  bootAfterFlash_ = true;
  std::array<std::uint8_t, kFlashBootAnswer> answer{kFlashBootCode, 0x01};
  return drive.goodWithData(command, answer, kFlashBootAnswer);
}

ScsiOutcome VorantePersonality::readNumber(EmulatedDrive& drive, const ScsiCommand& command) {
  auto fields = command.cdb.subspan(1, kNumberFields.size());
  std::uint8_t number = command.cdb[10];
  bool known = number == kSkewNumber || number == kEftimNumber;
  if (!std::equal(fields.begin(), fields.end(), kNumberFields.begin()) || !known || command.cdb[11] != 0 ||
      !directionFits(command, DataDirection::In, kNumberLength))
    return drive.checkCondition(kInvalidFieldInCdb);
  return drive.goodWithData(command, numberBytes(number == kSkewNumber ? skew_ : eftim_), kNumberLength);
}

}  // namespace sim::vorante
