#pragma once
// What the drive tests share: a virtual clock, CDBs as the programs build them, and sense
// read back from an outcome.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <span>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "sim/drives/emulated_drive.h"

namespace sim {

inline void PrintTo(const Sense& sense, std::ostream* out) {
  *out << std::hex << int(sense.key) << '/' << int(sense.asc) << '/' << int(sense.ascq);
}

namespace testing_support {

using Cdb = std::vector<std::uint8_t>;

inline Cdb inquiryCdb(std::uint16_t allocation) {
  return {0x12, 0x00, 0x00, std::uint8_t(allocation >> 8), std::uint8_t(allocation), 0x00};
}
inline Cdb requestSenseCdb(std::uint8_t allocation) { return {0x03, 0x00, 0x00, 0x00, allocation, 0x00}; }
inline Cdb testUnitReadyCdb() { return {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}; }
inline Cdb startStopCdb(std::uint8_t flags) { return {0x1B, 0x00, 0x00, 0x00, flags, 0x00}; }
inline Cdb preventCdb(bool prevent) { return {0x1E, 0x00, 0x00, 0x00, std::uint8_t(prevent), 0x00}; }

inline constexpr std::uint8_t kEject = 0x02;
inline constexpr std::uint8_t kLoad = 0x03;

inline Sense senseOf(const platform::ScsiOutcome& outcome) {
  return {std::uint8_t(outcome.sense[2] & 0x0F), outcome.sense[12], outcome.sense[13]};
}

inline Identity testIdentity() { return {"QUILLON", "CDRW 1204A", "1.00", "Q042"}; }

class DriveTest : public ::testing::Test {
 protected:
  platform::ScsiOutcome send(EmulatedDrive& drive, const Cdb& cdb,
                             platform::DataDirection direction = platform::DataDirection::None,
                             std::span<std::uint8_t> data = {}) {
    return drive.execute({cdb, direction, data});
  }
  platform::ScsiOutcome send(const Cdb& cdb, platform::DataDirection direction = platform::DataDirection::None,
                             std::span<std::uint8_t> data = {}) {
    return send(drive_, cdb, direction, data);
  }
  // Status GOOD reads as NO SENSE, so that a sequence of outcomes compares in one line.
  Sense tur() {
    auto outcome = send(testUnitReadyCdb());
    return outcome.status == platform::kStatusGood ? kNoSense : senseOf(outcome);
  }
  // Lets a disc spin up and takes the power-on attention, as a host does before its work.
  void makeReady(EmulatedDrive& drive) {
    clock_.advance(kBecomingReadyMs);
    std::vector<std::uint8_t> sense(platform::kSenseSize);
    send(drive, requestSenseCdb(platform::kSenseSize), platform::DataDirection::In, sense);
  }

  platform::VirtualClock clock_;
  platform::ScopedClock scope_{clock_};
  EmulatedDrive drive_{testIdentity(), Faults{.mediumPresent = true}};
};

}  // namespace testing_support
}  // namespace sim
