#include "sim/machine/machine_drive.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/files.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/scratch_folder.h"
#include "sim/drives/vorante/vorante_test_support.h"
#include "sim/machine/machine_host.h"
#include "sim/machine/machine_maker.h"

namespace sim {
namespace {

namespace fs = std::filesystem;
using namespace vorante::testing_support;
using Kind = platform::ScsiOutcome::Kind;

// Two drives of type 16 with the same firmware; the second hangs at its fifth block.
const char kMachine[] = R"({
  "platform": 7, "administrator": true, "aspi": {"installed": true}, "cdrManager": {"installed": false},
  "adapters": [{"number": 0, "kind": "ide"}],
  "devices": [
    {"adapter": 0, "target": 0, "letter": "D", "model": "vorante", "vendor": "VORANTE", "product": "VR2410A",
     "revision": "3.00", "flash": "VR2410A-0300.CVT"},
    {"adapter": 0, "target": 1, "letter": "E", "model": "vorante", "vendor": "VORANTE", "product": "VR2410A",
     "revision": "3.00", "flash": "VR2410A-0300.CVT", "faults": {"timeoutFromBlock": 5}}
  ],
  "firmware": [{"file": "VR2410A-0300.CVT", "model": "VR2410A", "revision": "3.00"},
               {"file": "VR2410A-0310.CVT", "model": "VR2410A", "revision": "3.10"}]
})";

const platform::ScsiAddress kSound{0, 0, 0, 0};
const platform::ScsiAddress kHanging{0, 0, 1, 0};

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
  return platform::readWholeFile(path.native(), 1 << 24).bytes;
}

// A machine folder as `simpc new` makes it, run by one program after another.
class MachineDriveUpdate : public ::testing::Test {
 protected:
  explicit MachineDriveUpdate(const char* machine = kMachine) {
    fs::path description = scratch_.path() / "machine.json";
    std::ofstream(description) << machine;
    makeMachine(description, folder_);
  }

  // One program's run: its own host and bus over the folder, as a new process has.
  struct Program {
    explicit Program(const MachineFolder& folder) : host(folder.root()) {}
    MachineHost host;
    platform::ScopedHost scope{host};
  };

  platform::ScsiOutcome send(Program& program, const platform::ScsiAddress& address, const Cdb& cdb,
                             DataDirection direction = DataDirection::None, std::span<std::uint8_t> data = {}) {
    return program.host.bus()->execute(address, {cdb, direction, data});
  }
  // The vendor download as the host sends it on Windows XP; every block's outcome, a
  // CHECK CONDITION counted as refused.
  std::vector<Kind> download(Program& program, const platform::ScsiAddress& address, const Firmware& firmware) {
    std::vector<Kind> kinds;
    for (std::uint32_t n = 0; n < firmware.data.size() / vorante::kVendorBlockSize; ++n) {
      auto block = std::span(firmware.data).subspan(n * vorante::kVendorBlockSize, vorante::kVendorBlockSize);
      std::vector<std::uint8_t> data(block.begin(), block.end());
      platform::ScsiOutcome outcome = send(
          program, address, vendorCdb(firmware.sums, static_cast<std::uint8_t>(n), true), DataDirection::Out, data);
      bool refused = outcome.kind == Kind::Done && outcome.status != platform::kStatusGood;
      kinds.push_back(refused ? Kind::Refused : outcome.kind);
    }
    return kinds;
  }
  std::string revision(Program& program, const platform::ScsiAddress& address) {
    std::vector<std::uint8_t> data(36);
    EXPECT_EQ(send(program, address, sim::testing_support::inquiryCdb(36), DataDirection::In, data).status,
              platform::kStatusGood);
    return std::string(data.begin() + 32, data.end());
  }
  std::string keptRevision(int drive) {
    return readDriveStates(folder_, readDescription(folder_))[std::size_t(drive)].identity.revision;
  }
  Firmware newFirmware() const { return firmwareOf(bytesOf(folder_.files() / "VR2410A-0310.CVT")); }

  platform::VirtualClock clock_;
  platform::ScopedClock clockScope_{clock_};
  platform::ScratchFolder scratch_{"machine_drive"};
  MachineFolder folder_{scratch_.path() / "pc"};
};

TEST_F(MachineDriveUpdate, KeepsTheNewFirmwareForTheNextProgram) {
  Firmware firmware = newFirmware();
  {
    Program flasher(folder_);
    EXPECT_EQ(download(flasher, kSound, firmware), std::vector<Kind>(32, Kind::Done));
    EXPECT_EQ(bytesOf(folder_.flashImage(kSound)), firmware.data);
    EXPECT_EQ(keptRevision(0), "3.10");
    clock_.advance(vorante::programmingMs(firmware.data.size()));
    EXPECT_EQ(revision(flasher, kSound), "3.10");
  }
  Program next(folder_);
  EXPECT_EQ(revision(next, kSound), "3.10");
}

TEST_F(MachineDriveUpdate, AFailedUpdateLeavesTheFlashAsItWas) {
  std::vector<std::uint8_t> before = bytesOf(folder_.flashImage(kSound));
  Firmware wrongSums = newFirmware();
  wrongSums.sums.linear ^= 0x0001;
  Program flasher(folder_);
  EXPECT_EQ(download(flasher, kSound, wrongSums).back(), Kind::Refused);
  EXPECT_EQ(bytesOf(folder_.flashImage(kSound)), before);
  EXPECT_EQ(revision(flasher, kSound), "3.00");
  EXPECT_EQ(keptRevision(0), "3.00");
}

TEST_F(MachineDriveUpdate, ADriveThatHungStaysSilentForTheNextProgram) {
  std::vector<std::uint8_t> before = bytesOf(folder_.flashImage(kHanging));
  {
    Program flasher(folder_);
    std::vector<Kind> kinds = download(flasher, kHanging, newFirmware());
    EXPECT_EQ(kinds[3], Kind::Done);
    EXPECT_EQ(kinds[4], Kind::Timeout);
    EXPECT_EQ(kinds.back(), Kind::Timeout);
  }
  EXPECT_EQ(bytesOf(folder_.flashImage(kHanging)), before);
  Program next(folder_);
  std::vector<std::uint8_t> data(36);
  EXPECT_EQ(send(next, kHanging, sim::testing_support::inquiryCdb(36), DataDirection::In, data).kind, Kind::Timeout);
  EXPECT_EQ(revision(next, kSound), "3.00") << "the other drive answers";
}

// DMA on the IDE channel, autorun off; the first drive is disturbed by DMA, the second not.
const char kDisturbingMachine[] = R"({
  "platform": 5, "administrator": true, "aspi": {"installed": true}, "cdrManager": {"installed": false},
  "autorun": false,
  "adapters": [{"number": 0, "kind": "ide", "dma": true}],
  "devices": [
    {"adapter": 0, "target": 0, "letter": "D", "model": "vorante", "vendor": "VORANTE", "product": "VR2410A",
     "revision": "3.00", "flash": "VR2410A-0300.CVT", "disturbedBySettings": true},
    {"adapter": 0, "target": 1, "letter": "E", "model": "vorante", "vendor": "VORANTE", "product": "VR2410A",
     "revision": "3.00", "flash": "VR2410A-0300.CVT"}
  ],
  "firmware": [{"file": "VR2410A-0300.CVT", "model": "VR2410A", "revision": "3.00"},
               {"file": "VR2410A-0310.CVT", "model": "VR2410A", "revision": "3.10"}]
})";

const platform::ScsiAddress kDisturbed{0, 0, 0, 0};
const platform::ScsiAddress kUndisturbed{0, 0, 1, 0};

class DisturbedDrive : public MachineDriveUpdate {
 protected:
  DisturbedDrive() : MachineDriveUpdate(kDisturbingMachine) {}

  // As the guard switches DMA off on Windows NT: through the atapi driver's parameters.
  void switchOffDma() {
    Program program(folder_);
    platform::Hive hive = openHive(folder_);
    platform::ScopedHive use(hive);
    platform::ScopedKey key;
    ASSERT_EQ(platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, atapiDeviceKey(0).c_str(), 0,
                                     platform::KEY_ALL_ACCESS, key.out()),
              0);
    const std::string off = "DmaDetectionLevel = 0x0;";
    ASSERT_EQ(platform::RegSetValueEx(key.get(), "DriverParameter", platform::REG_SZ,
                                      reinterpret_cast<const std::uint8_t*>(off.c_str()),
                                      platform::DWORD(off.size() + 1)),
              0);
  }
};

TEST_F(DisturbedDrive, FailsEveryBlockWhileDmaIsInEffectUntilARestartSwitchesItOff) {
  Firmware firmware = newFirmware();
  std::vector<Kind> refused(32, Kind::Refused);
  {
    Program flasher(folder_);
    EXPECT_EQ(download(flasher, kDisturbed, firmware), refused);
    EXPECT_EQ(download(flasher, kUndisturbed, firmware), std::vector<Kind>(32, Kind::Done))
        << "a drive they do not disturb";
  }
  switchOffDma();
  {
    Program flasher(folder_);
    EXPECT_EQ(download(flasher, kDisturbed, firmware), refused) << "a setting changes with the next start of Windows";
  }
  restartMachine(folder_);
  Program flasher(folder_);
  EXPECT_EQ(download(flasher, kDisturbed, firmware), std::vector<Kind>(32, Kind::Done));
  EXPECT_EQ(bytesOf(folder_.flashImage(kDisturbed)), firmware.data);
}

}  // namespace
}  // namespace sim
