#include "sim/machine/machine_maker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/scratch_folder.h"
#include "quillon/firmware/firmware_image.h"
#include "sim/machine/machine_host.h"

namespace sim {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
  return platform::readWholeFile(path.native(), quillon::kMaxFirmwareFileSize).bytes;
}

std::string textOf(const fs::path& path) {
  std::vector<std::uint8_t> bytes = bytesOf(path);
  return {bytes.begin(), bytes.end()};
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::string faultOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const MachineError& error) {
    return error.what();
  }
  return "no fault found";
}

// A machine with its firmware set inline: one drive flashed from a file, one blank.
const char kInlineMachine[] = R"({
  "platform": 3, "administrator": false, "aspi": {"installed": false}, "cdrManager": {"installed": false},
  "adapters": [{"number": 0, "kind": "parallel"}, {"number": 1, "kind": "ide"}],
  "devices": [
    {"adapter": 0, "target": 0, "letter": "G", "vendor": "VORANTE", "product": "VR1204A", "revision": "2.00",
     "flash": "VR1204A-0200.CVT"},
    {"adapter": 1, "target": 0, "letter": "H", "vendor": "VORANTE", "product": "VR2410A", "revision": "3.00"}
  ],
  "firmware": [{"file": "VR1204A-0200.CVT", "model": "VR1204A", "revision": "2.00"}]
})";

class MachineMaker : public ::testing::Test {
 protected:
  fs::path describe(const std::string& text) {
    fs::path path = scratch_.path() / "source.json";
    writeText(path, text);
    return path;
  }

  platform::ScratchFolder scratch_{"machine_maker"};
  MachineFolder folder_{scratch_.path() / "pc"};
};

TEST_F(MachineMaker, MakesEveryPartOfTheDefaultMachine) {
  makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_);
  EXPECT_EQ(textOf(folder_.description()), textOf(DEFAULT_MACHINE_DESCRIPTION)) << "the description is copied as it is";
  EXPECT_TRUE(fs::is_regular_file(folder_.root() / "firmware.json"));
  MachineDescription machine = readDescription(folder_);
  EXPECT_NO_THROW(checkComplete(folder_, machine));
  EXPECT_TRUE(fs::is_regular_file(folder_.files() / "VR1204A-0210.CVT"));
  // The flash holds exactly the data of the file it was made from.
  std::vector<std::uint8_t> file = bytesOf(folder_.files() / "VR1204A-0200.CVT");
  std::uint64_t length = quillon::dataLength(quillon::readLe32(file, quillon::kHeaderSize));
  std::vector<std::uint8_t> data(file.begin() + quillon::kDataOffset,
                                 file.begin() + quillon::kDataOffset + static_cast<std::ptrdiff_t>(length));
  EXPECT_EQ(bytesOf(folder_.flashImage({0, 0, 0, 0})), data);
  for (const DriveState& state : readDriveStates(folder_, machine)) {
    EXPECT_FALSE(state.trayOpen);
    EXPECT_FALSE(state.medium) << "no disc in any drive of the default machine";
  }
}

TEST_F(MachineMaker, TheHiveHasTheSuitesKeyWithoutALanguage) {
  makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_);
  platform::Hive hive = platform::Hive::openFile(folder_.registry().native());
  platform::Hive::Key& software = hive.root(platform::HKEY_LOCAL_MACHINE).subkeys.at("software");
  const platform::Hive::Key& quillon = software.subkeys.at("vorante").subkeys.at("quillon");
  EXPECT_TRUE(quillon.values.empty());
}

TEST_F(MachineMaker, MakesAMachineWithItsFirmwareInline) {
  makeMachine(describe(kInlineMachine), folder_);
  EXPECT_TRUE(fs::is_regular_file(folder_.files() / "VR1204A-0200.CVT"));
  std::vector<std::uint8_t> blank = bytesOf(folder_.flashImage({1, 0, 0, 0}));
  EXPECT_EQ(blank.size(), 0x80000u) << "as long as the model's firmware";
  EXPECT_TRUE(std::all_of(blank.begin(), blank.end(), [](std::uint8_t byte) { return byte == 0xFF; }));
}

TEST_F(MachineMaker, RefusesAFolderInUseAndLeavesItAlone) {
  fs::create_directories(folder_.root());
  writeText(folder_.root() / "letter.txt", "mine");
  EXPECT_THAT(faultOf([&] { makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_); }), HasSubstr("exists and is not empty"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.root()), fs::directory_iterator()), 1);
}

TEST_F(MachineMaker, WritesNothingForAFaultyDescription) {
  std::string text = kInlineMachine;
  text.replace(text.find("\"flash\": \"VR1204A-0200.CVT\""), 27, "\"flash\": \"VR9999A.CVT\"");
  fs::path source = describe(text);
  EXPECT_EQ(faultOf([&] { makeMachine(source, folder_); }),
            source.native() + ": /devices/0/flash: no firmware file VR9999A.CVT in the machine's firmware set");
  text = kInlineMachine;
  text.replace(text.find("\"model\": \"VR1204A\""), 18, "\"model\": \"VR1204\"");
  EXPECT_THAT(faultOf([&] { makeMachine(describe(text), folder_); }), HasSubstr("VR1204A-0200.CVT: model must have seven characters"));
  EXPECT_THAT(faultOf([&] { makeMachine(describe("{\"platform\": 7}"), folder_); }), HasSubstr(": /administrator: missing"));
  EXPECT_FALSE(fs::exists(folder_.root()));
}

TEST_F(MachineMaker, ResetMakesThePartsAgainAndKeepsTheDescription) {
  makeMachine(describe(kInlineMachine), folder_);
  MachineDescription machine = readDescription(folder_);
  std::vector<DriveState> states = readDriveStates(folder_, machine);
  states[0].trayOpen = true;
  writeDriveStates(folder_, machine, states);
  recordRestart(folder_, 2);
  fs::remove(folder_.flashImage({0, 0, 0, 0}));
  writeText(folder_.files() / "Logging.Log", "a run");
  resetMachine(folder_);
  EXPECT_NO_THROW(checkComplete(folder_, machine));
  EXPECT_FALSE(readDriveStates(folder_, machine)[0].trayOpen);
  EXPECT_FALSE(recordedRestart(folder_));
  EXPECT_FALSE(fs::exists(folder_.files() / "Logging.Log"));
  EXPECT_EQ(textOf(folder_.description()), kInlineMachine);
}

TEST_F(MachineMaker, AHalfDeletedFolderIsRefusedByNameOfWhatIsMissing) {
  makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_);
  fs::remove(folder_.flashImage({0, 0, 1, 0}));
  fs::remove_all(folder_.files());
  std::string fault = faultOf([&] { MachineHost host(folder_.root()); });
  EXPECT_THAT(fault, StartsWith(folder_.root().native() + ": incomplete machine folder, missing files/, flash/0-1-0.bin"));
  EXPECT_THAT(fault, HasSubstr("simpc reset"));
  fs::remove(folder_.description());
  EXPECT_EQ(faultOf([&] { MachineHost host(folder_.root()); }),
            folder_.root().native() + ": not a machine folder, it has no machine.json");
}

TEST_F(MachineMaker, AReadOnlyFolderIsRefusedBeforeAnythingRuns) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes to read-only folders anyway";
  makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_);
  fs::permissions(folder_.state(), fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(faultOf([&] { MachineHost host(folder_.root()); }),
            folder_.root().native() + ": read-only machine folder, state cannot be written");
  EXPECT_THAT(faultOf([&] { resetMachine(folder_); }), HasSubstr("read-only machine folder"));
  fs::permissions(folder_.state(), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(MachineMaker, ARebootReleasesTheLocksAndForgetsTheRestart) {
  makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_);
  MachineDescription machine = readDescription(folder_);
  std::vector<DriveState> states = readDriveStates(folder_, machine);
  states[2].removalPrevented = true;
  states[2].trayOpen = true;
  writeDriveStates(folder_, machine, states);
  recordRestart(folder_, 6);
  EXPECT_EQ(recordedRestart(folder_), 6u);
  rebootMachine(folder_);
  EXPECT_FALSE(recordedRestart(folder_));
  DriveState rebooted = readDriveStates(folder_, machine)[2];
  EXPECT_FALSE(rebooted.removalPrevented);
  EXPECT_TRUE(rebooted.trayOpen);
}

std::vector<std::uint8_t> text(const std::string& value) {
  std::vector<std::uint8_t> bytes(value.begin(), value.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<std::uint8_t> number(std::uint32_t value) { return {std::uint8_t(value), 0, 0, 0}; }

std::optional<std::vector<std::uint8_t>> valueIn(platform::Hive& hive, platform::HKEY root, const std::string& path,
                                                 const char* name) {
  const platform::RegValue* value = hiveValue(hive, root, path, name);
  return value ? std::optional(value->data) : std::nullopt;
}

TEST_F(MachineMaker, TheXpHiveHasEachChannelsDmaAndTheAutorunOfTheCdromDriver) {
  makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_);
  platform::Hive hive = openHive(folder_);
  using platform::HKEY_LOCAL_MACHINE;
  EXPECT_EQ(valueIn(hive, HKEY_LOCAL_MACHINE, kCdromServiceKey, "Autorun"), number(1));
  EXPECT_EQ(valueIn(hive, HKEY_LOCAL_MACHINE, scsiPortKey(0), "Driver"), text("atapi"));
  EXPECT_EQ(valueIn(hive, HKEY_LOCAL_MACHINE, scsiPortKey(0), "DMAEnabled"), number(1))
      << "the default machine has DMA on its IDE channel";
  EXPECT_EQ(valueIn(hive, HKEY_LOCAL_MACHINE, scsiPortKey(1), "Driver"), text("aic7880"));
  EXPECT_FALSE(valueIn(hive, HKEY_LOCAL_MACHINE, scsiPortKey(1), "DMAEnabled"));
  EXPECT_FALSE(hive.root(platform::HKEY_DYN_DATA).subkeys.contains("config manager"));
}

// Windows 98 with two IDE channels of one controller, DMA on the first, autorun off, and a
// SCSI adapter.
const char kWindows98[] = R"({
  "platform": 3, "administrator": true, "aspi": {"installed": true}, "cdrManager": {"installed": false},
  "autorun": false,
  "adapters": [{"number": 0, "kind": "ide", "dma": true}, {"number": 1, "kind": "ide"},
               {"number": 2, "kind": "scsi", "identifier": "AHA-2940"}],
  "devices": [
    {"adapter": 0, "target": 1, "letter": "D", "vendor": "VORANTE", "product": "VR1204A", "revision": "2.00"},
    {"adapter": 1, "target": 0, "letter": "E", "vendor": "Vorante", "product": "VR2410A", "revision": "3.00"},
    {"adapter": 2, "target": 3, "letter": null, "vendor": "VORANTE", "product": "VD0804A", "revision": "1.05"}
  ]
})";

// The hardware keys Config Manager lists, in the order a program finds them.
std::vector<std::string> hardwareKeysListed(platform::Hive& hive) {
  std::vector<std::string> keys;
  const auto& devnodes = hive.root(platform::HKEY_DYN_DATA).subkeys.at("config manager").subkeys.at("enum").subkeys;
  for (const auto& [name, devnode] : devnodes) {
    const platform::RegValue* value = hiveValue(hive, platform::HKEY_DYN_DATA, "Config Manager\\Enum\\" + name,
                                                "HardWareKey");
    keys.push_back(value ? std::string(value->data.begin(), value->data.end() - 1) : "none");
  }
  return keys;
}

TEST_F(MachineMaker, TheWindows98HiveNamesEachDriveWhereWindowsKeepsItsSettings) {
  makeMachine(describe(kWindows98), folder_);
  MachineDescription machine = readDescription(folder_);
  platform::Hive hive = openHive(folder_);
  auto value = [&](const std::string& path, const char* name) {
    return valueIn(hive, platform::HKEY_LOCAL_MACHINE, path, name);
  };
  const std::string pci = "PCI&VEN_8086&DEV_7111&BUS_00&DEV_07&FUNC_01";
  EXPECT_EQ(hardwareKey(machine, machine.devices[1]), "SCSI\\VORANTE_VR2410A_________3\\MF&CHILD0001&" + pci);
  std::vector<std::string> listed = hardwareKeysListed(hive);
  for (const DeviceDescription& device : machine.devices) {
    std::string key = "Enum\\" + hardwareKey(machine, device);
    EXPECT_EQ(value(key, "SCSITargetID"), text(std::to_string(device.address.target))) << key;
    EXPECT_EQ(value(key, "AutoInsertNotification"), std::vector<std::uint8_t>{0}) << key;
    EXPECT_NE(std::find(listed.begin(), listed.end(), hardwareKey(machine, device)), listed.end()) << key;
  }
  EXPECT_EQ(listed.size(), 2 + machine.devices.size()) << "the two channels are devices too";
  std::vector<std::string> keys;
  for (const DeviceDescription& device : machine.devices) keys.push_back("Enum\\" + hardwareKey(machine, device));
  EXPECT_EQ(value(keys[0], "CurrentDriveLetterAssignment"), text("D"));
  EXPECT_EQ(value(keys[0], "DMACurrentlyUsed"), std::vector<std::uint8_t>{1});
  EXPECT_EQ(value(keys[1], "DMACurrentlyUsed"), std::vector<std::uint8_t>{0});
  EXPECT_FALSE(value(keys[2], "DMACurrentlyUsed")) << "a SCSI drive has no DMA setting of its own";
  EXPECT_EQ(value("Enum\\MF\\CHILD0000\\" + pci, "Driver"), text("hdc\\0001"));
  EXPECT_EQ(value("System\\CurrentControlSet\\Services\\Class\\hdc\\0001", "IDEDMADRIVE1"),
            std::vector<std::uint8_t>{1});
  EXPECT_TRUE(disturbingSettingsOn(hive, machine, machine.devices[0]));
  EXPECT_FALSE(disturbingSettingsOn(hive, machine, machine.devices[1])) << "no DMA, no autorun";
}

// A program's change to the registry, made as the program makes it: inside the machine.
void setValue(const MachineFolder& folder, platform::HKEY root, const std::string& path, const char* name,
              platform::DWORD type, const std::vector<std::uint8_t>& data) {
  MachineHost host(folder.root());
  platform::ScopedHost scope(host);
  platform::Hive hive = openHive(folder);
  platform::ScopedHive use(hive);
  platform::ScopedKey key;
  ASSERT_EQ(platform::RegCreateKeyEx(root, path.c_str(), platform::KEY_ALL_ACCESS, key.out(), nullptr), 0);
  ASSERT_EQ(platform::RegSetValueEx(key.get(), name, type, data.data(), platform::DWORD(data.size())), 0);
}

TEST_F(MachineMaker, ARestartMakesTheDeviceMapAgainFromTheAtapiParameters) {
  makeMachine(DEFAULT_MACHINE_DESCRIPTION, folder_);
  setValue(folder_, platform::HKEY_LOCAL_MACHINE, atapiDeviceKey(0), "DriverParameter", platform::REG_SZ,
           text("DmaDetectionLevel = 0x0;"));
  recordRestart(folder_, 6);
  {
    platform::Hive hive = openHive(folder_);
    EXPECT_EQ(valueIn(hive, platform::HKEY_LOCAL_MACHINE, scsiPortKey(0), "DMAEnabled"), number(1))
        << "until Windows restarts";
  }
  restartMachine(folder_);
  EXPECT_FALSE(recordedRestart(folder_));
  platform::Hive hive = openHive(folder_);
  EXPECT_EQ(valueIn(hive, platform::HKEY_LOCAL_MACHINE, scsiPortKey(0), "DMAEnabled"), number(0));
  EXPECT_EQ(valueIn(hive, platform::HKEY_LOCAL_MACHINE, scsiPortKey(1), "Driver"), text("aic7880"));
  setValue(folder_, platform::HKEY_LOCAL_MACHINE, atapiDeviceKey(0), "DriverParameter", platform::REG_SZ, text(""));
  restartMachine(folder_);
  hive = openHive(folder_);
  EXPECT_EQ(valueIn(hive, platform::HKEY_LOCAL_MACHINE, scsiPortKey(0), "DMAEnabled"), number(1));
}

TEST_F(MachineMaker, ARestartListsTheWindows98DevicesAfresh) {
  makeMachine(describe(kWindows98), folder_);
  platform::Hive fresh = openHive(folder_);
  std::vector<std::string> made = hardwareKeysListed(fresh);
  setValue(folder_, platform::HKEY_DYN_DATA, "Config Manager\\Enum\\C29A3B20", "HardWareKey", platform::REG_SZ,
           text("SCSI\\STALE"));
  setValue(folder_, platform::HKEY_DYN_DATA, "Config Manager\\Enum\\DEADBEEF", "HardWareKey", platform::REG_SZ,
           text("SCSI\\GONE"));
  restartMachine(folder_);
  platform::Hive hive = openHive(folder_);
  EXPECT_EQ(hardwareKeysListed(hive), made);
}

}  // namespace
}  // namespace sim
