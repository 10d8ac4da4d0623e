#pragma once
// The diagnostics mode: 0xF0 with the access code in bytes 1-10 and 0xAA in byte 11 opens
// it, 0xF1 with bytes 1-10 zero and 0xAA closes it. Only inside it does the drive know 0xFF,
// which reads (byte 1 = 0x00) or writes (0x01) the four bytes of its factory setting at
// 0x38; byte 1 of them is the factory-setting byte.

#include <array>
#include <cstdint>

#include "sim/drives/emulated_drive.h"

namespace sim::vorante {

class Diagnostics {
 public:
  explicit Diagnostics(std::uint8_t factorySetting);

  platform::ScsiOutcome enter(EmulatedDrive& drive, const platform::ScsiCommand& command);
  platform::ScsiOutcome leave(EmulatedDrive& drive, const platform::ScsiCommand& command);
  platform::ScsiOutcome factorySetting(EmulatedDrive& drive, const platform::ScsiCommand& command);

  bool active() const { return active_; }
  std::uint8_t factoryByte() const { return setting_[1]; }

 private:
  platform::ScsiOutcome readSetting(EmulatedDrive& drive, const platform::ScsiCommand& command);
  platform::ScsiOutcome writeSetting(EmulatedDrive& drive, const platform::ScsiCommand& command);

  bool active_ = false;
  std::array<std::uint8_t, 4> setting_;
};

}  // namespace sim::vorante
