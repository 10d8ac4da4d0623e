#include "sim/machine/simulated_bus.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"

namespace sim {
namespace {

using nlohmann::json;
using platform::DataDirection;
using platform::ScsiAddress;
using platform::ScsiOutcome;
using Cdb = std::vector<std::uint8_t>;
using Kind = ScsiOutcome::Kind;

const Cdb kTestUnitReady = {0x00, 0, 0, 0, 0, 0};
const Cdb kInquiry = {0x12, 0, 0, 0, 96, 0};
const Cdb kEject = {0x1B, 0, 0, 0, 0x02, 0};
const Cdb kLoad = {0x1B, 0, 0, 0, 0x03, 0};
const Cdb kPrevent = {0x1E, 0, 0, 0, 0x01, 0};

const ScsiAddress kIdeMaster{0, 0, 0, 0};
const ScsiAddress kIdeSlave{0, 0, 1, 0};
const ScsiAddress kScsiDrive{1, 0, 4, 0};

MachineDescription machine(const json& slaveFaults = json::object()) {
  json document = json::parse(R"({
    "platform": 7, "administrator": true, "aspi": {"installed": true}, "cdrManager": {"installed": true},
    "adapters": [{"number": 0, "kind": "ide"}, {"number": 1, "kind": "scsi", "targets": 16}],
    "devices": [
      {"adapter": 0, "target": 0, "letter": "D", "vendor": "VORANTE", "product": "VR1204A", "revision": "2.00"},
      {"adapter": 0, "target": 1, "letter": "E", "vendor": "VORANTE", "product": "VR2410A", "revision": "3.00"},
      {"adapter": 1, "target": 4, "deviceType": 4, "vendor": "VORANTE", "product": "VD0804A", "revision": "1.05"}
    ]})");
  document["devices"][1]["faults"] = slaveFaults;
  return parseMachine(document);
}

std::vector<DriveState> powerOn(const MachineDescription& description) {
  std::vector<DriveState> states;
  for (const DeviceDescription& device : description.devices) states.push_back(powerOnState(device));
  return states;
}

// Status GOOD as 0, otherwise key/ASC/ASCQ packed, BUSY as 0x100 and a time-out as -1, so a
// sequence of outcomes compares in one line.
int code(const ScsiOutcome& outcome) {
  if (outcome.kind == Kind::Timeout) return -1;
  if (outcome.status == platform::kStatusBusy) return 0x100;
  if (outcome.status != platform::kStatusCheckCondition) return 0;
  return (outcome.sense[2] & 0x0F) << 16 | outcome.sense[12] << 8 | outcome.sense[13];
}

constexpr int kNoDisc = 0x023A01;
constexpr int kTrayOpen = 0x023A02;
constexpr int kBecomingReady = 0x020401;
constexpr int kMediumChanged = 0x062800;
constexpr int kRemovalPrevented = 0x055302;

class SimulatedBusTest : public ::testing::Test {
 protected:
  // A bus whose saved states are kept here, as the machine folder would keep them.
  SimulatedBus bus(const MachineDescription& description, const std::vector<DriveState>& states) {
    return SimulatedBus(description, states, [this](const std::vector<DriveState>& now) {
      saved_ = now;
      ++saves_;
    });
  }
  ScsiOutcome send(SimulatedBus& bus, const ScsiAddress& address, const Cdb& cdb,
                   std::vector<std::uint8_t>* data = nullptr) {
    platform::ScsiCommand command;
    command.cdb = cdb;
    if (data) {
      command.direction = DataDirection::In;
      command.data = *data;
    }
    return bus.execute(address, command);
  }
  std::string product(SimulatedBus& bus, const ScsiAddress& address) {
    std::vector<std::uint8_t> data(96);
    EXPECT_EQ(code(send(bus, address, kInquiry, &data)), 0);
    return std::string(data.begin() + 16, data.begin() + 23);
  }

  platform::VirtualClock clock_;
  platform::ScopedClock scope_{clock_};
  std::vector<DriveState> saved_;
  int saves_ = 0;
};

TEST_F(SimulatedBusTest, RoutesEachCommandToTheDriveAtItsAddress) {
  MachineDescription description = machine();
  SimulatedBus drives = bus(description, powerOn(description));
  EXPECT_EQ(product(drives, kIdeMaster), "VR1204A");
  EXPECT_EQ(product(drives, kIdeSlave), "VR2410A");
  EXPECT_EQ(product(drives, kScsiDrive), "VD0804A");
  for (ScsiAddress empty : {ScsiAddress{0, 0, 0, 1}, ScsiAddress{0, 1, 0, 0}, ScsiAddress{1, 0, 5, 0},
                            ScsiAddress{2, 0, 0, 0}})
    EXPECT_EQ(send(drives, empty, kTestUnitReady).kind, Kind::NoDevice);
}

TEST_F(SimulatedBusTest, DescribesItsAdaptersDeviceTypesAndLetters) {
  MachineDescription description = machine();
  SimulatedBus drives = bus(description, powerOn(description));
  std::vector<platform::HostAdapter> adapters = drives.adapters();
  ASSERT_EQ(adapters.size(), 2u);
  EXPECT_EQ(adapters[0].identifier, "atapi");
  EXPECT_EQ(adapters[0].maxTargets, 8) << "an IDE channel reports the narrow width";
  EXPECT_EQ(adapters[1].maxTargets, 16);
  EXPECT_EQ(drives.deviceType(kIdeMaster), 5);
  EXPECT_EQ(drives.deviceType(kScsiDrive), 4);
  EXPECT_EQ(drives.deviceType({1, 0, 5, 0}), std::nullopt);
  EXPECT_EQ(drives.driveLetter(kIdeSlave), 'E');
  EXPECT_EQ(drives.driveLetter(kScsiDrive), std::nullopt);
  EXPECT_EQ(drives.addressOfLetter('E'), kIdeSlave);
  EXPECT_EQ(drives.addressOfLetter('d'), kIdeMaster) << "drive letters know no case";
  EXPECT_EQ(drives.addressOfLetter('F'), std::nullopt);
}

TEST_F(SimulatedBusTest, TheFirstCommandFindsASettledDrive) {
  MachineDescription description = machine();
  SimulatedBus drives = bus(description, powerOn(description));
  EXPECT_EQ(code(send(drives, kIdeMaster, kTestUnitReady)), kNoDisc) << "the power-on attention was taken at boot";
}

TEST_F(SimulatedBusTest, AppliesTheInjectedFaultsInTheDrivesOrder) {
  MachineDescription description =
      machine({{"busyCommands", 1}, {"unitAttentionCommands", 1}, {"notReadyCommands", 1}, {"timeoutCommands", 1}});
  SimulatedBus drives = bus(description, powerOn(description));
  std::vector<int> codes;
  for (int i = 0; i < 3; ++i) codes.push_back(code(send(drives, kIdeSlave, kTestUnitReady)));
  std::vector<std::uint8_t> data(96);
  codes.push_back(code(send(drives, kIdeSlave, kInquiry, &data)));  // conditions spare INQUIRY
  for (int i = 0; i < 3; ++i) codes.push_back(code(send(drives, kIdeSlave, kTestUnitReady)));
  EXPECT_EQ(codes, (std::vector<int>{-1, 0x100, kMediumChanged, 0, kBecomingReady, kNoDisc, kNoDisc}));
}

TEST_F(SimulatedBusTest, SavesTheStateOnlyWhenACommandChangesIt) {
  MachineDescription description = machine();
  SimulatedBus drives = bus(description, powerOn(description));
  send(drives, kIdeMaster, kTestUnitReady);
  product(drives, kIdeMaster);
  EXPECT_EQ(saves_, 0);
  send(drives, kIdeMaster, kEject);
  EXPECT_EQ(saves_, 1);
  ASSERT_EQ(saved_.size(), 3u);
  EXPECT_TRUE(saved_[0].trayOpen);
  EXPECT_FALSE(saved_[1].trayOpen);
}

// Each process builds its bus from the states the last one saved.
TEST_F(SimulatedBusTest, TrayLockAndFaultsOutliveTheProcess) {
  MachineDescription description = machine({{"busyCommands", 2}, {"timeoutFromCommand", 4}});
  {
    SimulatedBus first = bus(description, powerOn(description));
    send(first, kIdeMaster, kEject);
    send(first, kIdeMaster, kPrevent);
    EXPECT_EQ(code(send(first, kIdeSlave, kTestUnitReady)), 0x100);
  }
  SimulatedBus second = bus(description, saved_);
  EXPECT_EQ(code(send(second, kIdeMaster, kTestUnitReady)), kTrayOpen);
  EXPECT_EQ(code(send(second, kIdeMaster, kLoad)), 0);
  EXPECT_EQ(code(send(second, kIdeMaster, kEject)), kRemovalPrevented);
  std::vector<int> slave;
  for (int i = 0; i < 4; ++i) slave.push_back(code(send(second, kIdeSlave, kTestUnitReady)));
  EXPECT_EQ(slave, (std::vector<int>{0x100, kNoDisc, -1, -1})) << "one BUSY left; the fourth command times out";
}

TEST_F(SimulatedBusTest, ADiscInTheTraySpinsUpBeforeItIsReady) {
  MachineDescription description = machine({{"mediumPresent", true}});
  SimulatedBus drives = bus(description, powerOn(description));
  EXPECT_EQ(code(send(drives, kIdeSlave, kTestUnitReady)), kBecomingReady);
  clock_.advance(kBecomingReadyMs);
  EXPECT_EQ(code(send(drives, kIdeSlave, kTestUnitReady)), kMediumChanged);
  EXPECT_EQ(code(send(drives, kIdeSlave, kTestUnitReady)), 0);
}

TEST(DriveState, ARestartReleasesTheLockAndArmsTheFaultsAgain) {
  DeviceDescription device = machine({{"busyCommands", 3}}).devices[1];
  DriveState state = powerOnState(device);
  state.trayOpen = true;
  state.removalPrevented = true;
  state.faultsLeft.busyCommands = 0;
  state.identity.revision = "3.10";
  DriveState restarted = restartedState(state, device);
  EXPECT_TRUE(restarted.trayOpen);
  EXPECT_FALSE(restarted.removalPrevented);
  EXPECT_EQ(restarted.faultsLeft.busyCommands, 3u);
  EXPECT_EQ(restarted.identity.revision, "3.10") << "the new firmware stays";
}

TEST(DriveState, ReadsBackWhatItWrites) {
  MachineDescription description =
      machine({{"notReadyCommands", 2}, {"timeoutFromCommand", 7}, {"stoppedAnswering", true}, {"failingBlock", 3},
               {"failingBlockAlways", true}, {"corruptReadBackAt", 16383}, {"timeoutFromBlock", 9}});
  std::vector<DriveState> states = powerOn(description);
  states[0].trayOpen = true;
  states[2].removalPrevented = true;
  std::vector<DriveState> back = parseDrives(json::parse(drivesJson(description.devices, states).dump()), description.devices);
  ASSERT_EQ(back.size(), states.size());
  for (std::size_t i = 0; i < states.size(); ++i) EXPECT_TRUE(sameState(back[i], states[i])) << i;
}

TEST(DriveState, RefusesStatesThatDoNotFitTheMachine) {
  MachineDescription description = machine();
  json saved = drivesJson(description.devices, powerOn(description));
  auto faultOf = [&](const json& document) -> std::string {
    try {
      parseDrives(document, description.devices);
    } catch (const DescriptionError& error) {
      return error.what();
    }
    return "no fault found";
  };
  json shorter = saved;
  shorter.erase(2);
  EXPECT_EQ(faultOf(shorter), "/: 2 drives, but the machine has 3");
  json moved = saved;
  moved[1]["target"] = 3;
  EXPECT_EQ(faultOf(moved), "/1/target: expected 1 for the drive described here");
  json broken = saved;
  broken[0].erase("trayOpen");
  EXPECT_EQ(faultOf(broken), "/0/trayOpen: missing");
}

}  // namespace
}  // namespace sim
