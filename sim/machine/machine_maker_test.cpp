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

}  // namespace
}  // namespace sim
