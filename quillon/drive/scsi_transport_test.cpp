#include "quillon/drive/scsi_opcodes.h"
#include "quillon/drive/scsi_transport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quillon/drive/test_host.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

using platform::ScsiAddress;
using testing::ObservedTransport;
using testing::TestMachine;


std::uint8_t testUnitReady(ScsiTransport& transport) {
  transport.BuildCdb(6, {kTestUnitReady});
  return transport.Execute();
}

class TransportTest : public ::testing::Test {
 protected:
  TransportTest() { bus().addAdapter(0, "ESDI_506"); }
  testing::TestBus& bus() { return machine_.bus(); }
  sim::EmulatedDrive& addDrive(ScsiAddress address, std::optional<char> letter, sim::Faults faults = {}) {
    return bus().addDrive(address, letter, testing::cdromIdentity(), faults);
  }
  std::unique_ptr<ObservedTransport> transport() { return std::make_unique<ObservedTransport>(); }

  TestMachine machine_;
  LogCapture log_;
};

// The scans.

TEST_F(TransportTest, SptiListsTheCdRomLettersAndSkipsOtherDevices) {
  bus().addDisk({0, 0, 0, 0}, 'C');
  addDrive({0, 0, 1, 0}, 'E');
  addDrive({1, 0, 0, 0}, 'D');
  auto scsi = transport();
  EXPECT_EQ(scsi->GetInterface(), SPTI_INTERFACE);
  ASSERT_EQ(scsi->GetDeviceCount(), 2);
  EXPECT_EQ(scsi->CurrentDevice(), 1);
  const ScsiDevice& first = *scsi->Device(1);
  EXPECT_STREQ(first.letter.data(), "D:");
  EXPECT_EQ(first.address, (DeviceAddress{1, 0, 0, 0}));
  EXPECT_EQ(first.vendor, "QUILLON ");
  EXPECT_EQ(first.product, "CDRW 1204A      ");
  EXPECT_STREQ(scsi->Device(2)->letter.data(), "E:");
  EXPECT_EQ(scsi->Device(2)->address, (DeviceAddress{0, 0, 1, 0}));
  EXPECT_EQ(scsi->Device(3), nullptr);
  EXPECT_TRUE(log_.entries().empty());
}

TEST_F(TransportTest, DefaultFallsBackToAspiWhenNoLetterAnswers) {
  addDrive({0, 0, 1, 0}, std::nullopt);
  auto scsi = transport();
  EXPECT_EQ(scsi->GetInterface(), ASPI_INTERFACE);
  ASSERT_EQ(scsi->GetDeviceCount(), 1);
  EXPECT_STREQ(scsi->Device(1)->letter.data(), "?:");
  EXPECT_EQ(scsi->Device(1)->address, (DeviceAddress{0, 0, 1, 0}));
}

TEST_F(TransportTest, AspiOnNtTakesTheLettersFromTheLetterDevices) {
  bus().addAdapter(1, "ESDI_506");
  addDrive({0, 0, 0, 0}, 'E');
  addDrive({1, 0, 1, 0}, 'D');
  auto scsi = transport();
  scsi->SetInterface(ASPI_INTERFACE);
  EXPECT_EQ(scsi->GetInterface(), ASPI_INTERFACE);
  ASSERT_EQ(scsi->GetDeviceCount(), 2);
  EXPECT_STREQ(scsi->Device(1)->letter.data(), "E:");
  EXPECT_STREQ(scsi->Device(2)->letter.data(), "D:");
  EXPECT_EQ(scsi->Device(2)->address, (DeviceAddress{1, 0, 1, 0}));
}

TEST_F(TransportTest, Windows95FamilyAlwaysScansAspiAndAsksForDiskInfo) {
  addDrive({0, 0, 1, 0}, 'F');
  for (PlatformCode platform : {kPlatformWindows95, kPlatformWindows98, kPlatformWindowsMe}) {
    machine_.setPlatform(platform);
    auto scsi = transport();
    for (Interface requested : {SPTI_INTERFACE, DEFAULT_INTERFACE, ASPI_INTERFACE}) {
      scsi->SetInterface(requested);
      EXPECT_EQ(scsi->GetInterface(), ASPI_INTERFACE) << platform << " " << requested;
      ASSERT_EQ(scsi->GetDeviceCount(), 1);
      EXPECT_STREQ(scsi->Device(1)->letter.data(), "F:");
    }
  }
}

TEST_F(TransportTest, NoAspiAndNoSptiDeviceMeansNoInterface) {
  machine_.host.installed.erase("WNASPI32");
  addDrive({0, 0, 1, 0}, std::nullopt);
  auto scsi = transport();
  EXPECT_EQ(scsi->GetDeviceCount(), 0);
  EXPECT_EQ(scsi->GetInterface(), NO_INTERFACE);
  EXPECT_EQ(scsi->CurrentDevice(), 0);
  EXPECT_FALSE(scsi->SelectDevice(1));
  EXPECT_EQ(testUnitReady(*scsi), platform::SS_ERR);
  EXPECT_EQ(scsi->GetLastStatus()[0], platform::SS_ERR);
  EXPECT_TRUE(bus().calls().empty());
}

TEST_F(TransportTest, AspiInquiryFailureStillListsTheDeviceButSptiDropsIt) {
  addDrive({0, 0, 1, 0}, 'D', {.busyCommands = 6});
  auto scsi = transport();
  EXPECT_EQ(bus().count({0, 0, 1, 0}, kInquiry), 6);  // three tries under SPTI, three under ASPI
  EXPECT_EQ(scsi->GetInterface(), ASPI_INTERFACE);
  ASSERT_EQ(scsi->GetDeviceCount(), 1);
  EXPECT_EQ(scsi->Device(1)->vendor, "INQ failed");
  EXPECT_EQ(scsi->Device(1)->product, "INQ failed");
  EXPECT_STREQ(scsi->Device(1)->letter.data(), "D:");
}

TEST_F(TransportTest, AspiStopsAtTheFirstAdapterThatDoesNotAnswer) {
  bus().addAdapter(2, "ESDI_506");  // the adapter count says 2, but adapter 1 is missing
  addDrive({0, 0, 0, 0}, std::nullopt);
  addDrive({2, 0, 0, 0}, std::nullopt);
  auto scsi = transport();
  ASSERT_EQ(scsi->GetDeviceCount(), 1);
  EXPECT_EQ(scsi->Device(1)->address.adapter, 0);
}

TEST_F(TransportTest, AspiScansAsManyTargetsAsTheAdapterHas) {
  bus().addAdapter(1, "AHA-2940UW", 16);
  addDrive({0, 0, 12, 0}, std::nullopt);  // beyond the 8 targets of adapter 0
  addDrive({1, 0, 12, 0}, std::nullopt);
  auto scsi = transport();
  ASSERT_EQ(scsi->GetDeviceCount(), 1);
  EXPECT_EQ(scsi->Device(1)->address, (DeviceAddress{1, 0, 12, 0}));
}

TEST_F(TransportTest, TheTableHoldsThirtyDevices) {
  bus().addAdapter(1, "AHA-2940UW", 16);
  for (int target = 0; target < 8; ++target) addDrive({0, 0, target, 0}, std::nullopt);
  for (int target = 0; target < 16; ++target) addDrive({1, 0, target, 0}, std::nullopt);
  bus().addAdapter(2, "AHA-2940UW", 16);
  for (int target = 0; target < 16; ++target) addDrive({2, 0, target, 0}, std::nullopt);
  auto scsi = transport();
  EXPECT_EQ(scsi->GetDeviceCount(), kMaxDevices);
  EXPECT_EQ(scsi->Device(kMaxDevices)->address, (DeviceAddress{2, 0, 5, 0}));
}

TEST(AspiScan, BusWithoutAdaptersFindsNothing) {
  TestMachine machine;
  machine.bus().addDrive({0, 0, 1, 0}, std::nullopt, testing::cdromIdentity());
  ScsiTransport scsi;
  EXPECT_EQ(scsi.GetInterface(), NO_INTERFACE);
  EXPECT_TRUE(machine.bus().calls().empty());
}

TEST_F(TransportTest, SetInterfaceScansAgainAndSelectsTheFirstDevice) {
  addDrive({0, 0, 0, 0}, 'D');
  addDrive({0, 0, 1, 0}, 'E');
  auto scsi = transport();
  ASSERT_TRUE(scsi->SelectDevice(2));
  EXPECT_FALSE(scsi->SelectDevice(3));
  EXPECT_FALSE(scsi->SelectDevice(0));
  EXPECT_EQ(scsi->CurrentDevice(), 2);
  scsi->SetInterface(NO_INTERFACE);  // taken as DEFAULT
  EXPECT_EQ(scsi->GetInterface(), SPTI_INTERFACE);
  EXPECT_EQ(scsi->CurrentDevice(), 1);
}

TEST_F(TransportTest, InquiryAdapterAnswersOnlyThroughAspi) {
  addDrive({0, 0, 0, 0}, std::nullopt);
  auto scsi = transport();
  platform::SRB_HAInquiry answer;
  EXPECT_EQ(scsi->InquiryAdapter(0, answer), 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(answer.HA_Identifier), 8), "ESDI_506");
  EXPECT_EQ(scsi->InquiryAdapter(1, answer), 0);
  EXPECT_EQ(answer.HA_Identifier[0], 0);
  EXPECT_EQ(scsi->InquiryAdapter(300, answer), 0);

  bus().addDrive({0, 0, 1, 0}, 'D', testing::cdromIdentity());
  scsi->SetInterface(SPTI_INTERFACE);
  EXPECT_EQ(scsi->InquiryAdapter(0, answer), 0);
}

TEST_F(TransportTest, InquiryDeviceReadsFiftySixBytes) {
  addDrive({0, 0, 0, 0}, 'D');
  auto scsi = transport();
  std::array<std::uint8_t, kDeviceInquirySize> answer;
  answer.fill(0xAA);
  scsi->InquiryDevice(answer);
  EXPECT_EQ(scsi->GetLastStatus()[0], platform::SS_COMP);
  EXPECT_EQ(std::string(answer.begin() + 32, answer.begin() + 36), "1.00");
  EXPECT_EQ(std::string(answer.begin() + 52, answer.begin() + 56), "Q042");
  EXPECT_EQ(bus().calls().back().cdb, (std::vector<std::uint8_t>{0x12, 0x00, 0x00, 0x00, 0x38, 0x00}));
}

TEST_F(TransportTest, NtFourUsesTheBufferedPassThrough) {
  machine_.setPlatform(kPlatformWindowsNt4);
  addDrive({0, 0, 0, 0}, 'D', {.mediumPresent = true});
  auto scsi = transport();
  ASSERT_EQ(scsi->GetDeviceCount(), 1);
  EXPECT_EQ(scsi->Device(1)->vendor, "QUILLON ");
  scsi->SetTrace(kTraceDump, kTraceAll);
  std::array<std::uint8_t, kDeviceInquirySize> answer{};
  scsi->InquiryDevice(answer);
  ASSERT_FALSE(scsi->lines.empty());
  EXPECT_EQ(scsi->lines[0], "** Inquiry : SPTI : SCSISTAT_GOOD (01:00:00) (P0:B0:T0:L0) ");
}

}  // namespace
}  // namespace quillon
