#include "quillon/kernel/drive_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "platform/scratch_folder.h"
#include "quillon/drive/test_host.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

using platform::HKEY_LOCAL_MACHINE;

constexpr const char* kPort0 = "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0]\n";
constexpr const char* kCdrom = "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n";
const std::string kPrimary =
    "SCSI\\VORANTE_VR2410A_________3\\MF&CHILD0000&PCI&VEN_8086&DEV_7111&BUS_00&DEV_07&FUNC_01";
const std::string kSecondary =
    "SCSI\\VORANTE_VR2410A_________3\\MF&CHILD0001&PCI&VEN_8086&DEV_7111&BUS_00&DEV_07&FUNC_01";
const std::string kOtherController =
    "SCSI\\VORANTE_VR2410A_________3\\MF&CHILD0000&PCI&VEN_8086&DEV_7111&BUS_00&DEV_08&FUNC_01";

// Backslashes doubled, as a REGEDIT4 string holds them.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out + "\"";
}

// A Config Manager entry naming `hardwareKey`.
std::string devnode(int number, const std::string& hardwareKey) {
  return "[HKEY_DYN_DATA\\Config Manager\\Enum\\C29A3B" + std::to_string(10 + number) +
         "]\n\"HardWareKey\"=" + quoted(hardwareKey) + "\n";
}

std::string deviceKey(const std::string& hardwareKey, const std::string& values) {
  return "[HKEY_LOCAL_MACHINE\\Enum\\" + hardwareKey + "]\n" + values;
}

std::string targetKey(const std::string& hardwareKey, int target) {
  return deviceKey(hardwareKey, "\"SCSITargetID\"=\"" + std::to_string(target) + "\"\n");
}

DriveRecord windows98Drive(int channel = 0, int target = 0) {
  DriveRecord drive;
  drive.target = target;
  drive.channel = channel;
  drive.adapterClass = kAdapterIde;
  drive.driveLetter = '?';
  setFieldText(drive.vendor, "VORANTE");
  setFieldText(drive.product, "VR2410A");
  setFieldText(drive.revision, "3.00");
  BuildDisplayText(drive);
  return drive;
}

// A registry hive in a scratch folder, made the active one.
class DriveSettings : public ::testing::Test {
 protected:
  void useHive(const std::string& body) {
    std::string path = scratch_.file("registry.reg");
    std::ofstream(path) << "REGEDIT4\n\n" << body;
    hive_ = platform::Hive::openFile(path);
  }

  testing::TestMachine machine_;
  LogCapture log_;
  platform::ScratchFolder scratch_{"drive_settings"};
  platform::Hive hive_;
  platform::ScopedHive use_{hive_};
};

struct NtCase {
  const char* what;
  std::string hive;
  int autoInsert;
  int dma;
  ResultCode result;
  LogLevel level;
  const char* line;
};

void PrintTo(const NtCase& c, std::ostream* out) { *out << c.what; }

const NtCase kNtCases[] = {
    {"an atapi port",
     std::string(kCdrom) + "\"Autorun\"=dword:00000001\n" + kPort0 +
         "\"Driver\"=\"atapi\"\n\"DMAEnabled\"=dword:00000001\n",
     1, 1, kSuccess, LogLevel::Info, "NT Host adapter <0,atapi>, DMA(1)"},
    {"the driver named in capitals",
     std::string(kCdrom) + "\"Autorun\"=dword:00000000\n" + kPort0 +
         "\"Driver\"=\"ATAPI\"\n\"DMAEnabled\"=dword:00000001\n",
     0, 1, kSuccess, LogLevel::Info, "NT Host adapter <0,ATAPI>, DMA(1)"},
    {"a SCSI port",
     std::string(kCdrom) + "\"Autorun\"=dword:00000001\n" + kPort0 +
         "\"Driver\"=\"aic78xx\"\n\"DMAEnabled\"=dword:00000001\n",
     1, 0, kOsiNoIdeHostAdapter, LogLevel::Warn, "NT Host adapter <0,aic78xx>. No IDE adapter, WHILE retrieving DMA"},
    {"a port without a driver",
     std::string(kCdrom) + "\"Autorun\"=dword:00000001\n" + kPort0 + "\"DMAEnabled\"=dword:00000001\n", 1, 0,
     kOsiNoIdeHostAdapter, LogLevel::Warn, "NT Host adapter <0,>. No IDE adapter, WHILE retrieving DMA"},
    {"the Cdbcdrom class driver",
     "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdbcdrom]\n\"Autorun\"=dword:00000001\n" +
         std::string(kPort0) + "\"Driver\"=\"atapi\"\n\"DMAEnabled\"=dword:00000000\n",
     1, 0, kSuccess, LogLevel::Error,
     "OSI: Error <2> opening registry key <System\\CurrentControlSet\\Services\\Cdrom>"},
    {"no CD-ROM service", std::string(kPort0) + "\"Driver\"=\"atapi\"\n\"DMAEnabled\"=dword:00000001\n", 0, 0,
     kOsiRegistryError, LogLevel::Error,
     "OSI: Error <2> opening registry key <System\\CurrentControlSet\\Services\\Cdbcdrom>"},
    {"no Autorun, DMA still read",
     std::string(kCdrom) + kPort0 + "\"Driver\"=\"atapi\"\n\"DMAEnabled\"=dword:00000001\n", 0, 1, kSuccess,
     LogLevel::Warn, "OSI: Error <2> querying registry value <Autorun>"},
    {"Autorun as text",
     std::string(kCdrom) + "\"Autorun\"=\"1\"\n" + kPort0 + "\"Driver\"=\"atapi\"\n\"DMAEnabled\"=dword:00000001\n", 0,
     1, kSuccess, LogLevel::Warn, "OSI: Registry value <Autorun> is of type <1>, taken as not set"},
    {"DMAEnabled longer than a number",
     std::string(kCdrom) + "\"Autorun\"=dword:00000001\n" + kPort0 +
         "\"Driver\"=\"atapi\"\n\"DMAEnabled\"=hex:01,00,00,00,00\n",
     1, 0, kSuccess, LogLevel::Warn, "OSI: Error <234> querying registry value <DMAEnabled>"},
    {"no port key", std::string(kCdrom) + "\"Autorun\"=dword:00000001\n", 1, 0, kOsiRegistryError, LogLevel::Error,
     "OSI: Error <2> opening registry key <HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0>"},
};

class NtReading : public DriveSettings, public ::testing::WithParamInterface<NtCase> {};

TEST_P(NtReading, TakesOddValuesAsOffAndGoesOn) {
  const NtCase& c = GetParam();
  useHive(c.hive);
  DriveRecord drive;
  drive.target = 1;
  EXPECT_EQ(ReadNtSettings(drive), c.result);
  EXPECT_EQ(drive.autoInsert, c.autoInsert);
  EXPECT_EQ(drive.dmaInUse, c.dma);
  EXPECT_TRUE(log_.contains(c.level, c.line));
}

INSTANTIATE_TEST_SUITE_P(Table, NtReading, ::testing::ValuesIn(kNtCases));

TEST_F(DriveSettings, TheNtReadingLogsBothValuesWithTheDriveAddress) {
  useHive(kNtCases[0].hive);
  DriveRecord drive;
  drive.hostAdapter = 0;
  drive.target = 1;
  ASSERT_EQ(ReadNtSettings(drive), kSuccess);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,1,0) Autorun   : <1>"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,1,0) DMAEnabled: <1>"));
}

struct SearchCase {
  const char* what;
  std::string hive;
  int channel;
  ResultCode result;
  std::string found;
};

void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.what; }

const SearchCase kSearches[] = {
    {"the key of the drive's channel, past others",
     devnode(0, "MF\\CHILD0000\\PCI&VEN_8086") + devnode(1, "SCSI\\VORANTE_VR1204A_________2\\MF&CHILD0000") +
         devnode(2, kPrimary) + targetKey(kPrimary, 0),
     0, kSuccess, kPrimary},
    {"a candidate on the secondary channel, when nothing better follows",
     devnode(0, kSecondary) + targetKey(kSecondary, 0), 0, kSuccess, kSecondary},
    {"the primary channel over an earlier candidate",
     devnode(0, kSecondary) + devnode(1, kPrimary) + targetKey(kSecondary, 0) + targetKey(kPrimary, 0), 0, kSuccess,
     kPrimary},
    {"the key whose target matches, past one that does not",
     devnode(0, kPrimary) + devnode(1, kOtherController) + targetKey(kPrimary, 1) + targetKey(kOtherController, 0), 0,
     kSuccess, kOtherController},
    {"the second channel's key for a drive on it",
     devnode(0, kPrimary) + devnode(1, kSecondary) + targetKey(kPrimary, 0) + targetKey(kSecondary, 0), 1, kSuccess,
     kSecondary},
    {"an entry without a hardware key is passed over",
     "[HKEY_DYN_DATA\\Config Manager\\Enum\\C0000000]\n\"Status\"=dword:00000000\n" + devnode(1, kPrimary) +
         targetKey(kPrimary, 0),
     0, kSuccess, kPrimary},
    {"only another target", devnode(0, kPrimary) + targetKey(kPrimary, 1), 0, kOsiHardwareKeyNotFound, ""},
    {"no target id: no match, not target 0", devnode(0, kPrimary) + deviceKey(kPrimary, ""), 0, kOsiHardwareKeyNotFound,
     ""},
    {"only the primary channel for a drive on the secondary", devnode(0, kPrimary) + targetKey(kPrimary, 0), 1,
     kOsiHardwareKeyNotFound, ""},
    {"no entry names the drive", devnode(0, "SCSI\\VORANTE_VR1204A_________2\\MF&CHILD0000"), 0,
     kOsiHardwareKeyNotFound, ""},
    {"a device key that is missing", devnode(0, kPrimary), 0, kOsiRegistryError, ""},
    {"no Config Manager", targetKey(kPrimary, 0), 0, kOsiRegistryError, ""},
};

class HardwareKeySearch : public DriveSettings, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(HardwareKeySearch, FindsTheDrivesKey) {
  const SearchCase& c = GetParam();
  useHive(c.hive);
  std::string found = "stale";
  EXPECT_EQ(FindHardwareKey(windows98Drive(c.channel), found), c.result);
  EXPECT_EQ(found, c.found);
  EXPECT_EQ(c.result == kOsiHardwareKeyNotFound,
            log_.contains(LogLevel::Error, "OSI: HardwareKey not found for driveId <VORANTE VR2410A         3.00>"));
}

INSTANTIATE_TEST_SUITE_P(Table, HardwareKeySearch, ::testing::ValuesIn(kSearches));

TEST_F(DriveSettings, TheSearchKeyIsTheDisplayTextAsWindows9xWritesIt) {
  DriveRecord drive = windows98Drive();
  setFieldText(drive.vendor, "Vorante");
  BuildDisplayText(drive);
  EXPECT_EQ(registrySearchKey(drive), "VORANTE_VR2410A_________3");
  useHive(devnode(0, kPrimary) + targetKey(kPrimary, 1));
  std::string found;
  FindHardwareKey(drive, found);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "OSI: Registry search key <VORANTE_VR2410A_________3>"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "OSI: Found hardware key <" + kPrimary + ">"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "OSI: HardwKey's targetId <1> does not match drive's targetId <0>"));
}

TEST(IdeChannel, TheChildNumberAgainstTheDrivesChannel) {
  struct Case {
    int adapterClass;
    int channel;
    std::string key;
    ResultCode result;
  };
  const std::string prefix = "SCSI\\VORANTE_VR2410A_________3\\";
  const Case cases[] = {
      {kAdapterIde, 0, prefix + "MF&CHILD0000&PCI", kSuccess},
      {kAdapterIde, 0, prefix + "MF&CHILD0001&PCI", kOsiCandidateOnSecondaryPort},
      {kAdapterIde, 0, prefix + "MF&CHILD0002&PCI", kOsiTargetIdMismatch},
      {kAdapterIde, 0, prefix + "MF&CHILD000", kOsiTargetIdMismatch},
      {kAdapterIde, 1, prefix + "MF&CHILD0000&PCI", kOsiTargetIdMismatch},
      {kAdapterIde, 1, prefix + "MF&CHILD0001&PCI", kSuccess},
      {kAdapterIde, 1, prefix + "MF&CHILD0003&PCI", kOsiTargetIdMismatch},
      {kAdapterIde, 2, prefix + "MF&CHILD0001&PCI", kSuccess},
      {kAdapterIde, 2, prefix + "PCI&VEN_9004", kOsiTargetIdMismatch},
      {kAdapterScsi, 0, prefix + "PCI&VEN_9004", kSuccess},
      {kAdapterParallelPort, 0, prefix + "MF&CHILD0001&PCI", kSuccess},
  };
  for (const Case& c : cases) {
    LogCapture log;
    DriveRecord drive = windows98Drive(c.channel);
    drive.adapterClass = c.adapterClass;
    EXPECT_EQ(CheckIdeChannel(c.key, drive), c.result) << c.key << " channel " << c.channel;
    bool noMarker = c.key.find("MF&") == std::string::npos && c.adapterClass == kAdapterIde;
    EXPECT_EQ(log.contains(LogLevel::Warn, "No 'MF&CHILD000' found in hardwKey -> no IDE device"), noMarker);
  }
}

TEST_F(DriveSettings, TheWindows9xReadingKeepsTheKeyAndReadsLetterAndFlags) {
  useHive(deviceKey(kPrimary,
                    "\"CurrentDriveLetterAssignment\"=\"G\"\n\"AutoInsertNotification\"=hex:01\n"
                    "\"DMACurrentlyUsed\"=hex:00,01\n"));
  DriveRecord drive = windows98Drive();
  ASSERT_EQ(Read9xSettings(drive, kPrimary), kSuccess);
  EXPECT_EQ(fieldText(drive.registryKey), "Enum\\" + kPrimary);
  EXPECT_EQ(drive.driveLetter, 'G');
  EXPECT_EQ(drive.autoInsert, 1);
  EXPECT_EQ(drive.dmaInUse, 1) << "the first 16 bits count";
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,0,0) DriveLetter: <G>"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,0,0) AutoInsertNotification: <1>"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,0,0) DMACurrentlyUsed: <256>"));
}

TEST_F(DriveSettings, TheWindows9xReadingTakesMissingValuesAsNotSet) {
  useHive(deviceKey(kPrimary, "\"DMACurrentlyUsed\"=hex:01\n\"AutoInsertNotification\"=\"1\"\n"));
  DriveRecord drive = windows98Drive();
  ASSERT_EQ(Read9xSettings(drive, kPrimary), kSuccess);
  EXPECT_EQ(drive.driveLetter, '?');
  EXPECT_EQ(drive.autoInsert, 0);
  EXPECT_EQ(drive.dmaInUse, 1);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "OSI: Error <2> querying registry value <CurrentDriveLetterAssignment>"));
  DriveRecord parallel = windows98Drive();
  parallel.adapterClass = kAdapterParallelPort;
  ASSERT_EQ(Read9xSettings(parallel, kPrimary), kSuccess);
  EXPECT_EQ(parallel.dmaInUse, 0) << "a parallel port has no DMA to read";
  std::string missing = "SCSI\\GONE";
  EXPECT_EQ(Read9xSettings(parallel, missing), kOsiRegistryError);
}

TEST_F(DriveSettings, TheChannelClassKeyComesFromTheChannelsEnumKey) {
  const std::string channel =
      "[HKEY_LOCAL_MACHINE\\Enum\\MF\\CHILD0000\\PCI&VEN_8086&DEV_7111&BUS_00&DEV_07&FUNC_01]\n";
  useHive(channel + "\"Driver\"=\"hdc\\\\0001\"\n");
  DriveRecord drive = windows98Drive();
  setFieldText(drive.registryKey, "Enum\\" + kPrimary);
  std::string classKey;
  ASSERT_EQ(ChannelClassKey(drive, classKey), kSuccess);
  EXPECT_EQ(classKey, "System\\CurrentControlSet\\Services\\Class\\hdc\\0001");
  useHive(channel);
  EXPECT_EQ(ChannelClassKey(drive, classKey), kOsiRegistryError) << "no Driver: no class key";
  setFieldText(drive.registryKey, "Enum\\SCSI\\SHORT");
  EXPECT_EQ(ChannelClassKey(drive, classKey), kOsiRegistryError);
}

TEST_F(DriveSettings, KeysAreRefusedAnEmptyPathAndSetTextWithItsTerminator) {
  useHive("[HKEY_LOCAL_MACHINE\\Software\\Test]\n");
  RegistryKey key;
  EXPECT_EQ(key.open(HKEY_LOCAL_MACHINE, ""), kOsiRegistryError);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "OSI: Error <2> opening registry key <>"));
  ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE, "Software\\Test"), kSuccess);
  const std::uint8_t text[] = {'a', 'b'};
  ASSERT_EQ(key.set("Name", platform::REG_SZ, text), kSuccess);
  EXPECT_EQ(readText(key, "Name", 3), "ab");
  EXPECT_EQ(readText(key, "Name", 2), std::nullopt) << "three bytes stored";
  std::string name;
  EXPECT_EQ(key.subkey(0, name), kOsiNoNextSubkey);
  EXPECT_EQ(key.close(), kSuccess);
}

}  // namespace
}  // namespace quillon
