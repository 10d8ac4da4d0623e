#pragma once
// The maker's own drives (drive types 1 to 35 that Quillon flashes itself) over the common
// core: the firmware download of their drive type, the skew and EFTIM numbers, boot after
// flash, and the diagnostics mode with the factory setting.
//
// The core answers its standard commands without asking a personality, yet a drive that is
// programming its flash (or has hung) answers no command normally. So whoever sends the drive
// its commands asks `intercept` first, for every command.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sim/drives/emulated_drive.h"
#include "sim/drives/faults.h"
#include "sim/drives/personality.h"
#include "sim/drives/vorante/buffer_download.h"
#include "sim/drives/vorante/diagnostics.h"
#include "sim/drives/vorante/drive_profile.h"
#include "sim/drives/vorante/flash_programmer.h"
#include "sim/drives/vorante/flash_store.h"
#include "sim/drives/vorante/indicator.h"
#include "sim/drives/vorante/setup.h"
#include "sim/drives/vorante/vendor_download.h"

namespace sim::vorante {

class VorantePersonality final : public Personality {
 public:
  // `faults` holds the firmware download's faults and is used up as they strike. Throws
  // std::invalid_argument for a drive type that is not one of the maker's.
  VorantePersonality(const DriveSetup& setup, std::shared_ptr<FlashStore> flash, std::shared_ptr<Faults> faults);
  VorantePersonality(const VorantePersonality&) = delete;
  VorantePersonality& operator=(const VorantePersonality&) = delete;

  bool handles(std::uint8_t opcode) const override;
  platform::ScsiOutcome execute(EmulatedDrive& drive, const platform::ScsiCommand& command) override;

  // The answer while the drive cannot answer normally; nothing lets the drive go on.
  std::optional<platform::ScsiOutcome> intercept(EmulatedDrive& drive, const platform::ScsiCommand& command) override;

  const DriveProfile& profile() const { return profile_; }
  bool bootAfterFlash() const { return bootAfterFlash_; }
  bool inDiagnostics() const { return diagnostics_.active(); }
  std::uint8_t factorySetting() const { return diagnostics_.factoryByte(); }
  // Blinking while the flash is being programmed, whatever the last download left.
  Indicator indicator();
  // What it shows once the programming under way (if any) has ended: the drive goes on
  // without any further command, so this is what a machine keeps for later processes.
  Indicator settledIndicator() const { return indicator_; }
  void restoreIndicator(Indicator indicator) { indicator_ = indicator; }

 private:
  platform::ScsiOutcome dispatch(EmulatedDrive& drive, const platform::ScsiCommand& command);
  platform::ScsiOutcome enableFlashBoot(EmulatedDrive& drive, const platform::ScsiCommand& command);
  platform::ScsiOutcome readNumber(EmulatedDrive& drive, const platform::ScsiCommand& command);
  void noteDownload(const platform::ScsiOutcome& outcome);

  DriveProfile profile_;
  std::string skew_;
  std::string eftim_;
  FirmwareFaultPlan faults_;
  FlashProgrammer programmer_;
  BufferDownload buffer_;
  VendorDownload vendor_;
  Diagnostics diagnostics_;
  bool bootAfterFlash_ = false;
  Indicator indicator_ = Indicator::Off;
};

}  // namespace sim::vorante
