#include "sim/drives/vorante/diagnostics.h"

#include <algorithm>

#include "quillon/drive/diagnostics_code.h"
#include "sim/drives/vorante/cdb_fields.h"
#include "sim/drives/vorante/sense_codes.h"

namespace sim::vorante {
namespace {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;

constexpr std::uint8_t kSessionEnd = 0xAA;
constexpr std::uint8_t kRead = 0x00;
constexpr std::uint8_t kWrite = 0x01;
constexpr std::size_t kSettingLength = 4;
// FF <read or write> 00 00 00 38 00 04 00 00 00 AA: the setting's address and length.
constexpr std::array<std::uint8_t, 10> kSettingFields = {0x00, 0x00, 0x00, 0x38, 0x00,
                                                         0x04, 0x00, 0x00, 0x00, kSessionEnd};

bool codeGiven(std::span<const std::uint8_t> cdb) {
  auto code = cdb.subspan(1, quillon::kDiagnosticsAccessCode.size());
  return std::equal(code.begin(), code.end(), quillon::kDiagnosticsAccessCode.begin());
}

}  // namespace

Diagnostics::Diagnostics(std::uint8_t factorySetting) : setting_{0x00, factorySetting, 0x00, 0x00} {}

ScsiOutcome Diagnostics::enter(EmulatedDrive& drive, const ScsiCommand& command) {
  if (!directionFits(command, DataDirection::None, 0) || command.cdb[11] != kSessionEnd || !codeGiven(command.cdb))
    return drive.checkCondition(kInvalidFieldInCdb);
  active_ = true;
  return drive.good();
}

ScsiOutcome Diagnostics::leave(EmulatedDrive& drive, const ScsiCommand& command) {
  if (!directionFits(command, DataDirection::None, 0) || command.cdb[11] != kSessionEnd ||
      !allZero(command.cdb.subspan(1, 10)))
    return drive.checkCondition(kInvalidFieldInCdb);
  active_ = false;
  return drive.good();
}

// Outside the diagnostics mode the command is not there at all.
ScsiOutcome Diagnostics::factorySetting(EmulatedDrive& drive, const ScsiCommand& command) {
  if (!active_) return drive.checkCondition(kInvalidOperationCode);
  auto fields = command.cdb.subspan(2, kSettingFields.size());
  if (!std::equal(fields.begin(), fields.end(), kSettingFields.begin()))
    return drive.checkCondition(kInvalidFieldInCdb);
  if (command.cdb[1] == kRead) return readSetting(drive, command);
  if (command.cdb[1] == kWrite) return writeSetting(drive, command);
  return drive.checkCondition(kInvalidFieldInCdb);
}

ScsiOutcome Diagnostics::readSetting(EmulatedDrive& drive, const ScsiCommand& command) {
  if (!directionFits(command, DataDirection::In, kSettingLength)) return drive.checkCondition(kInvalidFieldInCdb);
  return drive.goodWithData(command, setting_, kSettingLength);
}

ScsiOutcome Diagnostics::writeSetting(EmulatedDrive& drive, const ScsiCommand& command) {
  if (!directionFits(command, DataDirection::Out, kSettingLength)) return drive.checkCondition(kInvalidFieldInCdb);
  if (command.data.size() < kSettingLength) return drive.checkCondition(kParameterListLengthError);
  std::copy_n(command.data.begin(), kSettingLength, setting_.begin());
  return drive.good();
}

}  // namespace sim::vorante
