#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/registry.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/drive_settings.h"
#include "quillon/kernel/kernel.h"
#include "quillon/kernel/kernel_test_support.h"
#include "quillon/kernel/matching.h"
#include "quillon/kernel/registry_backup.h"
#include "sim/machine/description.h"
#include "sim/machine/machine_parts.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using platform::HKEY_LOCAL_MACHINE;
using testing::KernelBench;
using testing::oemEntry;
using Bytes = std::vector<std::uint8_t>;

const std::string kAtapiDevice0 = "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\Device0";
const std::string kTestKey = "Software\\Test";

// Windows XP with DMA on the IDE channel, autorun on, and an atapi parameter of its own.
const std::string kXpHive =
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n\"Autorun\"=dword:00000001\n"
    "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0]\n"
    "\"Driver\"=\"atapi\"\n\"DMAEnabled\"=dword:00000001\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\Device0]\n"
    "\"DriverParameter\"=\"DmaDetectionLevel = 0x1;\"\n";

Bytes text(const std::string& value) {
  Bytes bytes(value.begin(), value.end());
  bytes.push_back(0);
  return bytes;
}

Bytes number(std::uint32_t value) {
  return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
}

// A value as a program reads it, nothing when it or its key is missing.
std::optional<Bytes> valueOf(const std::string& path, const char* name) {
  platform::ScopedKey key;
  if (platform::RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, platform::KEY_READ, key.out()) != 0)
    return std::nullopt;
  platform::DWORD size = 0;
  if (platform::RegQueryValueEx(key.get(), name, nullptr, nullptr, &size) != 0) return std::nullopt;
  Bytes data(size);
  platform::RegQueryValueEx(key.get(), name, nullptr, data.data(), &size);
  return data;
}

// A PC for the guard: the Kernel's bench, with a registry hive in its folder made the active one.
class Guard : public ::testing::Test {
 protected:
  void useHive(const std::string& body) {
    std::string path = (bench_.folder() / "registry.reg").native();
    std::ofstream(path) << "REGEDIT4\n\n" << body;
    hive_ = platform::Hive::openFile(path);
  }
  // One drive of the given type at 0:0:0, listed with its settings read from the hive.
  Kernel& startWithDrive(int driveType = 16) {
    bench_.machine.bus().addDrive({0, 0, 0, 0}, 'D', {"VORANTE", "VR2410A", "3.00", ""});
    bench_.writeOem({oemEntry("VR2410A", static_cast<std::uint32_t>(driveType))});
    return bench_.start();
  }
  std::string backup(Kernel& kernel) const { return kernel.homeFolder() + kRegistryFileName; }
  std::uintmax_t backupSize(Kernel& kernel) const { return fs::file_size(backup(kernel)); }

  LogCapture log_;
  KernelBench bench_;
  platform::Hive hive_;
  platform::ScopedHive use_{hive_};
};

TEST_F(Guard, TheDriveListReadsEveryDrivesSettings) {
  useHive(kXpHive);
  startWithDrive();
  EXPECT_EQ(bench_.drive(0).dmaInUse, 1);
  EXPECT_EQ(bench_.drive(0).autoInsert, 1);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,0,0) Autorun   : <1>"));
}

TEST_F(Guard, DecidesWhatMustGoByPlatformDriveTypeAndCdrManager) {
  struct Case {
    PlatformCode platform;
    int driveType;
    bool cdrManager;
    bool dmaMustGo;
    bool autoInsertMustGo;
  };
  const Case cases[] = {
      {kPlatformWindowsXp, 2, true, true, false},    {kPlatformWindowsXp, 11, false, true, true},
      {kPlatformWindowsXp, 16, false, false, true},  {kPlatformWindows2000, 3, false, false, true},
      {kPlatformWindows2000, 3, true, false, false}, {kPlatformWindowsNt4, 2, false, true, false},
      {kPlatformWindows98, 31, false, false, true},  {kPlatformWindows95, 35, false, false, true},
      {kPlatformWindows98, 31, true, false, false},  {kPlatformWindowsMe, 32, false, false, false},
      {kPlatformWindows98, 16, false, false, false}, {kPlatformWindows98, 2, false, true, false},
  };
  bench_.machine.bus().addDrive({0, 0, 0, 0}, 'D', {"VORANTE", "VR2410A", "3.00", ""});
  bench_.writeOem({oemEntry("VR2410A", 16)});
  for (const Case& c : cases) {
    bench_.machine.setPlatform(c.platform);
    if (c.cdrManager) {
      bench_.machine.host.installed.insert("CDR4DLL");
    } else {
      bench_.machine.host.installed.erase("CDR4DLL");
    }
    Kernel& kernel = bench_.start();
    DriveRecord& drive = bench_.drive(0);
    drive.driveType = c.driveType;
    drive.dmaInUse = 1;
    drive.autoInsert = 1;
    bool dma = !c.dmaMustGo;
    bool autoInsert = !c.autoInsertMustGo;
    EXPECT_EQ(kernel.CheckDriveProperties(0, dma, autoInsert), kSuccess);
    EXPECT_EQ(dma, c.dmaMustGo) << "platform " << c.platform << ", type " << c.driveType;
    EXPECT_EQ(autoInsert, c.autoInsertMustGo) << "platform " << c.platform << ", type " << c.driveType;
    drive.dmaInUse = 0;
    drive.autoInsert = 0;
    kernel.CheckDriveProperties(0, dma, autoInsert);
    EXPECT_FALSE(dma || autoInsert) << "settings that are off never must go";
  }
}

TEST_F(Guard, ABadDriveIndexIsRefusedByEveryOperation) {
  Kernel& kernel = startWithDrive();
  bool dma = true;
  bool autoInsert = true;
  EXPECT_EQ(kernel.CheckDriveProperties(1, dma, autoInsert), kKnlIllegalDriveHandle);
  EXPECT_FALSE(dma || autoInsert);
  EXPECT_EQ(kernel.DisableDriveProperties(-1, true, true), kKnlIllegalDriveHandle);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "KNL: Illegal drive handle in 'CheckDriveProperties'"));
  EXPECT_TRUE(log_.contains(LogLevel::Error, "KNL: Illegal drive handle in 'DisableDriveProperties'"));
}

TEST_F(Guard, OnNtTheValuesAreSavedThenSwitchedOffAndRestoredOnTheNextRun) {
  useHive(kXpHive);
  Kernel& kernel = startWithDrive();
  ASSERT_EQ(kernel.DisableDriveProperties(0, true, true), kSuccess);
  EXPECT_EQ(valueOf(kAtapiDevice0, "DriverParameter"), text("DmaDetectionLevel = 0x0;"));
  EXPECT_EQ(valueOf(kCdromServiceKey, "Autorun"), number(0));
  EXPECT_EQ(backupSize(kernel), 4 + 2 * kRegistryRecordSize);

  Kernel& next = bench_.start();
  ASSERT_EQ(next.RestoreDriveProperties(), kSuccess);
  EXPECT_EQ(valueOf(kAtapiDevice0, "DriverParameter"), text("DmaDetectionLevel = 0x1;"));
  EXPECT_EQ(valueOf(kCdromServiceKey, "Autorun"), number(1));
  EXPECT_FALSE(fs::exists(backup(next)));
}

TEST_F(Guard, AMissingDriverParameterComesBackAsAnEmptyOne) {
  useHive("[HKEY_LOCAL_MACHINE\\" + kAtapiDevice0 + "]\n");
  Kernel& kernel = startWithDrive();
  ASSERT_EQ(kernel.DisableDriveProperties(0, true, false), kSuccess);
  EXPECT_EQ(valueOf(kAtapiDevice0, "DriverParameter"), text("DmaDetectionLevel = 0x0;"));
  ASSERT_EQ(kernel.RestoreDriveProperties(), kSuccess);
  EXPECT_EQ(valueOf(kAtapiDevice0, "DriverParameter"), text(""));
}

TEST_F(Guard, AFailedSaveLeavesTheRegistryAsItWas) {
  const std::pair<std::string, ResultCode> hives[] = {
      {"[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n\"Autorun\"=dword:00000001\n",
       kOsiRegistryError},
      {kXpHive + "\"DriverParameter\"=\"DmaDetectionLevel = 0x1; CdromDetection = 0x1;\"\n", kOsiBackupNotWritten},
      {kXpHive + "\"DriverParameter\"=hex(2):44,00\n", kOsiBackupNotWritten},
      {kXpHive + "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n\"Autorun\"=\"1\"\n",
       kOsiBackupNotWritten},
  };
  startWithDrive();
  std::string registry = (bench_.folder() / "registry.reg").native();
  for (const auto& [hive, result] : hives) {
    useHive(hive);
    Kernel& kernel = bench_.start();
    std::vector<std::uint8_t> before = platform::readWholeFile(registry, 1 << 20).bytes;
    EXPECT_EQ(kernel.DisableDriveProperties(0, true, true), result) << hive;
    EXPECT_EQ(platform::readWholeFile(registry, 1 << 20).bytes, before) << hive;
    EXPECT_FALSE(fs::exists(backup(kernel)));
  }
  EXPECT_TRUE(log_.contains(LogLevel::Error,
                            "Registry value <System\\CurrentControlSet\\Services\\Cdrom\\Autorun> "
                            "cannot be saved: of another type or larger than its record"));
}

TEST_F(Guard, TwoSavesWithoutARestoreGiveBackTheFirst) {
  useHive(kXpHive);
  Kernel& kernel = startWithDrive();
  ASSERT_EQ(kernel.DisableDriveProperties(0, false, true), kSuccess);
  ASSERT_EQ(kernel.DisableDriveProperties(0, false, true), kSuccess);
  EXPECT_EQ(backupSize(kernel), 2 * (4 + kRegistryRecordSize));
  ASSERT_EQ(kernel.RestoreDriveProperties(), kSuccess);
  EXPECT_EQ(valueOf(kCdromServiceKey, "Autorun"), number(1)) << "the value from before the first switch-off";
  EXPECT_FALSE(fs::exists(backup(kernel)));
}

TEST_F(Guard, NoBackupFileIsNothingToRestore) {
  EXPECT_EQ(bench_.start(kOemNotFound).RestoreDriveProperties(), kSuccess);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "No saved registry file found, nothing to restore."));
}

TEST_F(Guard, ARecordWhoseKeyIsGoneKeepsTheFile) {
  useHive("[HKEY_LOCAL_MACHINE\\" + kTestKey + "]\n");
  Kernel& kernel = bench_.start(kOemNotFound);
  std::vector<RegistryRecord> records = {numberRecord("Software\\Gone", "Value", 9)};
  ASSERT_EQ(SaveRegistryFile(backup(kernel), records), kSuccess);
  EXPECT_EQ(kernel.RestoreDriveProperties(), kOsiRegistryError);
  EXPECT_TRUE(fs::exists(backup(kernel)));
}

// A Windows 98 PC as the simulated PC's maker writes its registry: a drive with DMA on the
// first channel of an IDE controller, one without on the second.
const char kWindows98[] = R"({
  "platform": 3, "administrator": true, "aspi": {"installed": true}, "cdrManager": {"installed": false},
  "adapters": [{"number": 0, "kind": "scsi", "identifier": "atapi"},
               {"number": 1, "kind": "ide", "dma": true}, {"number": 2, "kind": "ide"}],
  "devices": [
    {"adapter": 1, "target": 0, "letter": "G", "vendor": "VORANTE", "product": "VR2410A", "revision": "3.00"},
    {"adapter": 2, "target": 1, "letter": "H", "vendor": "VORANTE", "product": "VR1204A", "revision": "2.00"}
  ]
})";

const std::string kPrimaryDrive =
    "Enum\\SCSI\\VORANTE_VR2410A_________3\\MF&CHILD0000&PCI&VEN_8086&DEV_7111&BUS_00&DEV_07&FUNC_01";
const std::string kPrimaryClass = "System\\CurrentControlSet\\Services\\Class\\hdc\\0001";

class Windows98Guard : public Guard {
 protected:
  Kernel& start() {
    bench_.machine.setPlatform(kPlatformWindows98);
    bench_.machine.host.installed.erase("CDR4DLL");
    bench_.machine.bus().addAdapter(1, "ESDI_506", 2);
    bench_.machine.bus().addAdapter(2, "ESDI_506", 2);
    bench_.machine.bus().addDrive({1, 0, 0, 0}, 'D', {"VORANTE", "VR2410A", "3.00", ""});
    bench_.machine.bus().addDrive({2, 0, 1, 0}, 'E', {"VORANTE", "VR1204A", "2.00", ""});
    bench_.writeOem({oemEntry("VR2410A", 16), oemEntry("VR1204A", 6)});
    return bench_.start();
  }

  Windows98Guard() {
    std::string hive = sim::freshRegistryText(sim::parseMachine(nlohmann::json::parse(kWindows98)));
    useHive(hive.substr(hive.find('\n') + 1));
  }
};

TEST_F(Windows98Guard, FindsEachDrivesKeysInTheMachinesRegistry) {
  start();
  const DriveRecord& first = bench_.drive(0);
  EXPECT_EQ(fieldText(first.registryKey), kPrimaryDrive);
  EXPECT_EQ(first.driveLetter, 'G') << "Windows 9x has its own letters";
  EXPECT_EQ(first.dmaInUse, 1);
  EXPECT_EQ(first.autoInsert, 1);
  const DriveRecord& second = bench_.drive(1);
  EXPECT_EQ(second.channel, 1);
  EXPECT_EQ(fieldText(second.registryKey),
            "Enum\\SCSI\\VORANTE_VR1204A_________2\\MF&CHILD0001&PCI&VEN_8086&DEV_7111&BUS_00&DEV_07&FUNC_01");
  EXPECT_EQ(second.dmaInUse, 0);
}

TEST_F(Windows98Guard, SwitchesOffTheDriveAndTheChannelAndRestoresBoth) {
  Kernel& kernel = start();
  ASSERT_EQ(kernel.DisableDriveProperties(0, true, true), kSuccess);
  EXPECT_EQ(valueOf(kPrimaryDrive, "DMACurrentlyUsed"), Bytes{0});
  EXPECT_EQ(valueOf(kPrimaryDrive, "AutoInsertNotification"), Bytes{0});
  EXPECT_EQ(valueOf(kPrimaryClass, "IDEDMADRIVE0"), Bytes{0});
  EXPECT_EQ(backupSize(kernel), 4 + 3 * kRegistryRecordSize);
  ASSERT_EQ(kernel.RestoreDriveProperties(), kSuccess);
  EXPECT_EQ(valueOf(kPrimaryDrive, "DMACurrentlyUsed"), Bytes{1});
  EXPECT_EQ(valueOf(kPrimaryDrive, "AutoInsertNotification"), Bytes{1});
  EXPECT_EQ(valueOf(kPrimaryClass, "IDEDMADRIVE0"), Bytes{1});
}

TEST_F(Windows98Guard, AChannelWithoutItsDmaValueIsSavedAsOn) {
  Kernel& kernel = start();
  platform::ScopedKey key;
  ASSERT_EQ(platform::RegOpenKeyEx(HKEY_LOCAL_MACHINE, kPrimaryClass.c_str(), 0, platform::KEY_ALL_ACCESS, key.out()),
            0);
  ASSERT_EQ(platform::RegDeleteValue(key.get(), "IDEDMADRIVE0"), 0);
  ASSERT_EQ(kernel.DisableDriveProperties(0, true, false), kSuccess);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, kPrimaryClass + "\\IDEDMADRIVE0 does not exist."));
  ASSERT_EQ(kernel.RestoreDriveProperties(), kSuccess);
  EXPECT_EQ(valueOf(kPrimaryClass, "IDEDMADRIVE0"), Bytes{1});
}

Bytes block(std::uint32_t count, const std::vector<std::array<std::uint8_t, kRegistryRecordSize>>& records) {
  Bytes bytes = number(count);
  for (const auto& record : records) bytes.insert(bytes.end(), record.begin(), record.end());
  return bytes;
}

std::array<std::uint8_t, kRegistryRecordSize> goodRecord() { return encodeRecord(numberRecord(kTestKey, "Value", 9)); }

std::array<std::uint8_t, kRegistryRecordSize> patched(std::size_t offset, std::size_t length, std::uint8_t fill) {
  std::array<std::uint8_t, kRegistryRecordSize> record = goodRecord();
  std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(offset), length, fill);
  return record;
}

struct BadFile {
  const char* what;
  Bytes bytes;
  ResultCode result;
  std::string line;  // after the file's path where it names it
};

void PrintTo(const BadFile& file, std::ostream* out) { *out << file.what; }

class RestoreRefuses : public Guard, public ::testing::WithParamInterface<BadFile> {};

TEST_P(RestoreRefuses, AndLeavesTheRegistryAndTheFile) {
  const BadFile& bad = GetParam();
  useHive("[HKEY_LOCAL_MACHINE\\" + kTestKey + "]\n\"Value\"=dword:00000007\n");
  Kernel& kernel = bench_.start(kOemNotFound);
  ASSERT_EQ(platform::writeWholeFile(backup(kernel), bad.bytes), platform::FileError::None);
  EXPECT_EQ(kernel.RestoreDriveProperties(), bad.result);
  EXPECT_EQ(valueOf(kTestKey, "Value"), number(7)) << "nothing is written from a bad file";
  EXPECT_TRUE(fs::exists(backup(kernel)));
  std::string line = bad.line;
  if (auto at = line.find("%s"); at != std::string::npos) line.replace(at, 2, backup(kernel));
  EXPECT_TRUE(log_.contains(LogLevel::Error, line)) << line;
}

const BadFile kBadFiles[] = {
    {"a truncated count", {1, 0}, kOsiBackupNotRead, "Unable to read from registry file <%s>"},
    {"a truncated record",
     [] {
       Bytes bytes = block(1, {goodRecord()});
       bytes.resize(4 + 100);
       return bytes;
     }(),
     kOsiBackupNotRead, "Unable to read from registry file <%s>"},
    {"six records", block(6, std::vector(6, goodRecord())), kOsiTooManyKeys,
     "Too many keys <6> in registry file, max = <5>"},
    {"a foreign file", text("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n"), kOsiTooManyKeys,
     "Too many keys <1162298706> in registry file, max = <5>"},
    {"a key path without its terminator", block(1, {patched(0, 257, 'k')}), kOsiBackupNotRead,
     "Illegal registry record <0> in registry file <%s>: key path not terminated within its field"},
    {"a value name without its terminator", block(1, {patched(257, 30, 'n')}), kOsiBackupNotRead,
     "Illegal registry record <0> in registry file <%s>: value name not terminated within its field"},
    {"data larger than its field", block(1, {patched(324, 1, 40)}), kOsiBackupNotRead,
     "Illegal registry record <0> in registry file <%s>: data size 40 exceeds the 33-byte field"},
    {"an unknown type", block(1, {patched(320, 1, 2)}), kOsiBackupNotRead,
     "Illegal registry record <0> in registry file <%s>: value type 2 is none of 1, 3 and 4"},
    {"a bad record after a good one", block(2, {goodRecord(), patched(320, 1, 9)}), kOsiBackupNotRead,
     "Illegal registry record <1> in registry file <%s>: value type 9 is none of 1, 3 and 4"},
};

INSTANTIATE_TEST_SUITE_P(Table, RestoreRefuses, ::testing::ValuesIn(kBadFiles));

}  // namespace
}  // namespace quillon
