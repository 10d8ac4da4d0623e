#include "quillon/drive/dri_drives.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillon/drive/drive_results.h"
#include "quillon/drive/scsi_opcodes.h"
#include "quillon/drive/test_host.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

using platform::ScsiAddress;
using testing::TestMachine;


// Whether the CD-recorder manager blocks the file system on the drive at the address.
bool blocked(const DriveRecord& record) {
  platform::ScopedLibrary cdr(platform::LoadLibrary(platform::kCdrLibraryName));
  auto query = reinterpret_cast<platform::CdrBlockingFunction>(
      platform::GetProcAddress(cdr.get(), platform::kCdrQueryBlockingName));
  return query && query(platform::cdrDriveAddress(record.hostAdapter, record.target, record.lun)) != 0;
}

class DriDrivesTest : public ::testing::Test {
 protected:
  explicit DriDrivesTest(PlatformCode platform = kPlatformWindowsXp) : machine_(platform) {
    bus().addAdapter(0, "ESDI_506");
    bus().addAdapter(1, "ESDI_506");
  }
  testing::TestBus& bus() { return machine_.bus(); }
  void addDrive(ScsiAddress address, std::optional<char> letter, sim::Faults faults = {},
                sim::Identity identity = testing::cdromIdentity()) {
    bus().addDrive(address, letter, std::move(identity), faults);
  }
  DriDrives& start() {
    drives_.reset();
    transport_ = std::make_unique<ScsiTransport>();
    drives_ = std::make_unique<DriDrives>(*transport_);
    machine_.settle();
    bus().clearCalls();
    return *drives_;
  }
  std::vector<DriveRecord> records() {
    int count = 0;
    DriveRecord* list = nullptr;
    EXPECT_EQ(drives_->GetDrives(count, list), kSuccess);
    return {list, list + count};
  }
  int sent(ScsiAddress address, std::uint8_t operationCode) const { return machine_.bus().count(address, operationCode); }

  TestMachine machine_;
  LogCapture log_;
  std::unique_ptr<ScsiTransport> transport_;
  std::unique_ptr<DriDrives> drives_;
};

// The drive list.

TEST_F(DriDrivesTest, RecordsTakeTheAddressLetterAndTrimmedIdentity) {
  addDrive({1, 0, 0, 0}, 'D');
  addDrive({0, 0, 1, 0}, 'E', {}, {"", "PRODUCT", "", "V"});
  start();
  auto list = records();
  ASSERT_EQ(list.size(), 2u);
  const DriveRecord& first = list[0];
  EXPECT_EQ(first.driveIndex, 0);
  EXPECT_EQ(first.hostAdapter, 1);
  EXPECT_EQ(first.target, 0);
  EXPECT_EQ(first.lun, 0);
  EXPECT_EQ(first.driveLetter, 'D');
  EXPECT_EQ(fieldText(first.vendor), "QUILLON");
  EXPECT_EQ(fieldText(first.product), "CDRW 1204A");
  EXPECT_EQ(fieldText(first.revision), "1.00");
  EXPECT_EQ(fieldText(first.vendorSpecific), "Q042");
  // Fields of spaces keep one space.
  EXPECT_EQ(list[1].driveIndex, 1);
  EXPECT_EQ(fieldText(list[1].vendor), " ");
  EXPECT_EQ(fieldText(list[1].revision), " ");
  EXPECT_EQ(fieldText(list[1].vendorSpecific), "V");
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(1,0,0) => QUILLON CDRW 1204A 1.00."));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,1,0) =>   PRODUCT  ."));
}

TEST_F(DriDrivesTest, NtFamilyLeavesTheAdapterFieldsEmpty) {
  addDrive({0, 0, 0, 0}, 'D');
  for (PlatformCode platform : {kPlatformWindowsNt4, kPlatformWindows2000, kPlatformWindowsXp}) {
    machine_.setPlatform(platform);
    start();
    const DriveRecord record = records().at(0);
    EXPECT_EQ(fieldText(record.displayText), "") << platform;
    EXPECT_EQ(fieldText(record.adapterId), "");
    EXPECT_EQ(record.adapterClass, kAdapterUnclassified);
    EXPECT_EQ(record.channel, 0);
  }
}

TEST_F(DriDrivesTest, FailedInquiryGivesEmptyTexts) {
  // Three busy answers for the scan's INQUIRY under SPTI, three under ASPI, three for the list's.
  addDrive({0, 0, 0, 0}, 'D', {.busyCommands = 9});
  start();
  auto list = records();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(fieldText(list[0].vendor), "");
  EXPECT_EQ(fieldText(list[0].product), "");
  EXPECT_EQ(fieldText(list[0].revision), "");
  EXPECT_EQ(list[0].driveLetter, 'D');
}

TEST_F(DriDrivesTest, NoDeviceGivesAnEmptyListAndInvalidHandles) {
  start();
  auto list = records();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(drives_->TestMediaStatus(0), kInvalidDriveHandle);
  EXPECT_EQ(drives_->OpenTray(0), kInvalidDriveHandle);
  EXPECT_TRUE(bus().calls().empty());
}

class Windows98Drives : public DriDrivesTest {
 protected:
  Windows98Drives() : DriDrivesTest(kPlatformWindows98) {}
};

TEST_F(Windows98Drives, RecordsGetDisplayTextAdapterClassAndChannels) {
  bus().addAdapter(2, "EPATAPI");
  bus().addAdapter(3, "AHA-2940");
  addDrive({0, 0, 0, 0}, 'D');
  addDrive({1, 0, 0, 0}, 'E');
  addDrive({2, 0, 0, 0}, 'F');
  addDrive({3, 0, 4, 0}, std::nullopt);
  start();
  auto list = records();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(fieldText(list[0].displayText), "QUILLON CDRW 1204A      1.00");
  EXPECT_EQ(fieldText(list[0].adapterId), "ESDI_506");
  const int classes[] = {kAdapterIde, kAdapterIde, kAdapterParallelPort, kAdapterScsi};
  const int channels[] = {0, 1, 0, 0};
  const char letters[] = {'D', 'E', 'F', '?'};
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].adapterClass, classes[i]) << i;
    EXPECT_EQ(list[i].channel, channels[i]) << i;
    EXPECT_EQ(list[i].driveLetter, letters[i]) << i;
  }
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Adapter <AHA-2940> assumed to be a SCSI adapter"));
}

// The CD-recorder manager and the lock.

TEST_F(DriDrivesTest, LockAndUnlockGoThroughTheCdrManager) {
  addDrive({1, 0, 0, 0}, 'D');
  start();
  EXPECT_TRUE(drives_->IsCdrManagerLoaded());
  EXPECT_TRUE(log_.contains(LogLevel::Info, "CDR4DLL Library loaded"));
  const DriveRecord record = records()[0];
  EXPECT_EQ(drives_->LockDrive(0), kSuccess);
  EXPECT_TRUE(blocked(record));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Drive (1,0,0) locked."));
  EXPECT_EQ(drives_->LockDrive(0), kSuccess);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "Drive (1,0,0) already locked."));
  EXPECT_EQ(drives_->UnlockDrive(0), kSuccess);
  EXPECT_FALSE(blocked(record));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Drive (1,0,0) UnLocked."));
  EXPECT_EQ(drives_->UnlockDrive(0), kSuccess);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "Drive (1,0,0) NOT locked."));
}

TEST_F(DriDrivesTest, DestructionUnlocksTheLockedDriveAndFreesTheManager) {
  addDrive({0, 0, 1, 0}, 'D');
  start();
  const DriveRecord record = records()[0];
  drives_->LockDrive(0);
  log_.clear();
  drives_.reset();
  EXPECT_FALSE(blocked(record));
  std::vector<std::string> texts;
  for (const auto& entry : log_.entries()) texts.push_back(entry.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Drive (0,1,0) UnLocked.", "DriDrives: CDR Library freed",
                                             "DRI: Destructor Called"}));
}

TEST_F(DriDrivesTest, WithoutTheCdrManagerLockingFailsButTheTrayStillOpens) {
  machine_.host.installed.erase("CDR4DLL");
  addDrive({0, 0, 0, 0}, 'D', {.mediumPresent = true});
  start();
  EXPECT_FALSE(drives_->IsCdrManagerLoaded());
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "Error <126> WHILE loading CDR manager CDR4DLL.DLL"));
  EXPECT_EQ(drives_->LockDrive(0), kCdrLibraryError);
  EXPECT_EQ(drives_->UnlockDrive(0), kCdrLibraryError);
  EXPECT_EQ(drives_->OpenTray(0), kSuccess);
  EXPECT_EQ(drives_->TestMediaStatus(0), kNoMediumPresent);
  log_.clear();
  drives_.reset();
  ASSERT_EQ(log_.entries().size(), 1u);
  EXPECT_EQ(log_.entries()[0].text, "DRI: Destructor Called");
}

// The medium and the tray.

TEST_F(DriDrivesTest, TestMediaStatusTellsAReadyMediumFromNone) {
  addDrive({0, 0, 0, 0}, 'D', {.mediumPresent = true});
  addDrive({0, 0, 1, 0}, 'E');
  start();
  EXPECT_EQ(drives_->TestMediaStatus(0), kSuccess);
  EXPECT_EQ(drives_->TestMediaStatus(1), kNoMediumPresent);
  EXPECT_EQ(bus().calls().at(0).cdb, (std::vector<std::uint8_t>{0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(transport_->Device(1)->traceLevel, kTraceDump);
  EXPECT_EQ(transport_->Device(1)->traceCondition, kTraceAll);
}

TEST_F(DriDrivesTest, DriveBusyBeyondTheRetriesReadsAsNoMedium) {
  addDrive({0, 0, 0, 0}, 'D', {.mediumPresent = true, .notReadyCommands = 1});
  start();
  EXPECT_EQ(drives_->TestMediaStatus(0), kNoMediumPresent);
  EXPECT_EQ(drives_->TestMediaStatus(0), kSuccess);
}

TEST_F(DriDrivesTest, OpenTrayLocksAllowsRemovalAndEjects) {
  addDrive({0, 0, 0, 0}, 'D', {.mediumPresent = true});
  start();
  log_.clear();
  EXPECT_EQ(drives_->OpenTray(0), kSuccess);
  ASSERT_EQ(bus().calls().size(), 2u);
  EXPECT_EQ(bus().calls()[0].cdb, (std::vector<std::uint8_t>{0x1E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bus().calls()[1].cdb, (std::vector<std::uint8_t>{0x1B, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0}));
  std::vector<std::string> texts;
  for (const auto& entry : log_.entries()) texts.push_back(entry.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Drive (0,0,0) locked.", "Allowing media removal ...",
                                             "Stopping unit & opening tray ..."}));
  EXPECT_TRUE(blocked(records()[0]));
  EXPECT_EQ(drives_->TestMediaStatus(0), kNoMediumPresent);  // the tray is out

  EXPECT_EQ(drives_->OpenTray(0), kSuccess);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "Drive (0,0,0) already locked."));
}

TEST_F(DriDrivesTest, OpenTrayReportsTheCommandThatFailed) {
  struct Case {
    sim::Faults faults;
    int startStopSent;
  };
  // The drive numbers its commands: the scan's INQUIRY, the list's, the settling REQUEST SENSE,
  // PREVENT ALLOW MEDIUM REMOVAL and START STOP UNIT.
  const Case cases[] = {
      {{.notReadyCommands = 1}, 0},
      {{.timeoutFromCommand = 5}, 1},
  };
  for (const auto& c : cases) {
    TestMachine machine;
    machine.bus().addAdapter(0, "ESDI_506");
    machine.bus().addDrive({0, 0, 0, 0}, std::nullopt, testing::cdromIdentity(), c.faults);
    ScsiTransport transport;
    DriDrives drives(transport);
    machine.settle();
    EXPECT_EQ(drives.OpenTray(0), kAspiSendError);
    EXPECT_EQ(machine.bus().count({0, 0, 0, 0}, kPreventAllowRemoval), 1);
    EXPECT_EQ(machine.bus().count({0, 0, 0, 0}, kStartStopUnit), c.startStopSent);
  }
}

struct InvalidCase {
  const char* operation;
  ResultCode (*call)(DriDrives&, int);
};

TEST_F(DriDrivesTest, DriveIndexOutsideTheListIsRefused) {
  addDrive({0, 0, 0, 0}, 'D');
  start();
  const InvalidCase cases[] = {
      {"TestMediaStatus", [](DriDrives& d, int i) { return d.TestMediaStatus(i); }},
      {"OpenTray", [](DriDrives& d, int i) { return d.OpenTray(i); }},
      {"LockDrive", [](DriDrives& d, int i) { return d.LockDrive(i); }},
      {"UnlockDrive", [](DriDrives& d, int i) { return d.UnlockDrive(i); }},
  };
  for (const auto& c : cases) {
    for (int index : {1, -1}) {
      log_.clear();
      EXPECT_EQ(c.call(*drives_, index), kInvalidDriveHandle) << c.operation << " " << index;
      EXPECT_TRUE(log_.contains(LogLevel::Error, std::string("Invalid drive handle WHILE calling ") + c.operation));
    }
  }
  drives_->SelectInterface(1);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "Invalid drive handle WHILE calling SelectInterface"));
  EXPECT_TRUE(bus().calls().empty());
  EXPECT_FALSE(blocked(records()[0]));
}

// The interface for flashing.

TEST_F(DriDrivesTest, SelectInterfaceMovesAspiDriveTypesToAspiOnWindows2000AndXp) {
  addDrive({0, 0, 0, 0}, 'D');
  start();
  for (int type = 0; type <= 12; ++type) {
    bool aspi = type < 7 || type == 8 || type == 11;
    transport_->SetInterface(SPTI_INTERFACE);
    int count = 0;
    DriveRecord* list = nullptr;
    drives_->GetDrives(count, list);
    list[0].driveType = type;
    log_.clear();
    drives_->SelectInterface(0);
    EXPECT_EQ(transport_->GetInterface(), aspi ? ASPI_INTERFACE : SPTI_INTERFACE) << type;
    EXPECT_TRUE(log_.contains(LogLevel::Info, aspi ? "Used interface = ASPI_INTERFACE" : "Used interface = SPTI_INTERFACE"));
  }
}

TEST_F(DriDrivesTest, SelectInterfaceFallsBackToSptiWithoutAspi) {
  machine_.host.installed.erase("WNASPI32");
  addDrive({0, 0, 0, 0}, 'D');
  start();
  drives_->SelectInterface(0);
  EXPECT_EQ(transport_->GetInterface(), SPTI_INTERFACE);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "There is no ASPI layer present."));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Used interface = SPTI_INTERFACE"));
}

TEST_F(DriDrivesTest, SelectInterfaceLeavesOtherPlatformsAlone) {
  addDrive({0, 0, 0, 0}, 'D');
  for (PlatformCode platform : {kPlatformWindowsNt4, kPlatformWindows98}) {
    machine_.setPlatform(platform);
    start();
    Interface before = transport_->GetInterface();
    drives_->SelectInterface(0);
    EXPECT_EQ(transport_->GetInterface(), before) << platform;
  }
}

TEST_F(DriDrivesTest, AfterTheRescanEachIndexStillReachesItsOwnDrive) {
  // SPTI lists by letter (D first), ASPI by address (adapter 0 first).
  addDrive({1, 0, 0, 0}, 'D', {.mediumPresent = true});
  addDrive({0, 0, 0, 0}, 'E');
  start();
  drives_->SelectInterface(0);
  ASSERT_EQ(transport_->GetInterface(), ASPI_INTERFACE);
  ASSERT_EQ(transport_->Device(1)->address.adapter, 0);
  bus().clearCalls();
  EXPECT_EQ(drives_->TestMediaStatus(0), kSuccess);
  EXPECT_EQ(sent({1, 0, 0, 0}, kTestUnitReady), 1);
  EXPECT_EQ(drives_->TestMediaStatus(1), kNoMediumPresent);
  EXPECT_EQ(sent({0, 0, 0, 0}, kTestUnitReady), 1);
}

TEST_F(DriDrivesTest, DriveTheRescanNoLongerSeesIsNotAddressed) {
  addDrive({0, 0, 0, 0}, 'D');
  addDrive({5, 0, 0, 0}, 'E', {.mediumPresent = true});  // its adapter is unknown to ASPI
  start();
  drives_->SelectInterface(1);
  ASSERT_EQ(transport_->GetInterface(), ASPI_INTERFACE);
  bus().clearCalls();
  EXPECT_EQ(drives_->TestMediaStatus(1), kNoMediumPresent);
  EXPECT_EQ(drives_->OpenTray(1), kAspiSendError);
  EXPECT_TRUE(bus().calls().empty());
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "Drive (5,0,0) not found on the current interface"));
}

}  // namespace
}  // namespace quillon
