// What the maker's drives refuse, and the faults a machine injects into their downloads.

#include <gtest/gtest.h>

#include "sim/drives/vorante/sense_codes.h"
#include "sim/drives/vorante/vorante_test_support.h"

namespace sim::vorante {
namespace {

using namespace testing_support;
using Kind = platform::ScsiOutcome::Kind;

class Refusals : public VoranteDriveTest {
 protected:
  // Nothing of a refused download reaches the flash or the drive's identity.
  void expectUnflashed() {
    EXPECT_TRUE(flash_->read().empty());
    EXPECT_EQ(identity().revision, "1.00");
    EXPECT_EQ(personality_->indicator(), Indicator::ErrorBlink);
  }
};

TEST_F(Refusals, AFirmwareWhoseChecksumsDoNotMatchItsData) {
  for (bool rotated : {false, true}) {
    makeDrive(16);
    Firmware firmware = firmwareFor(16, "3.10");
    (rotated ? firmware.sums.rotated : firmware.sums.linear) ^= 0x0100;
    std::vector<Sense> outcomes = downloadVendor(firmware, 0, true);
    EXPECT_EQ(outcomes.back(), kInvalidFieldInParameterList) << "rotated " << rotated;
    outcomes.pop_back();
    EXPECT_EQ(outcomes, std::vector<Sense>(31, kNoSense));
    expectUnflashed();
  }
}

// Block bytes as they arrive; the last one is refused as out of its place.
struct Sequence {
  std::vector<std::uint8_t> blocks;
  const char* what;
};

TEST_F(Refusals, ABlockOutOfSequence) {
  const Sequence sequences[] = {
      {{1}, "a download that does not start at its first block"},
      {{0, 2}, "a block skipped"},
      {{0, 1, 1}, "a block repeated"},
  };
  for (const Sequence& sequence : sequences) {
    makeDrive(14);
    Firmware firmware = firmwareFor(14, "3.10");
    Sense last;
    for (std::uint8_t block : sequence.blocks)
      last = senseOfLast(sendOut(vendorCdb(firmware.sums, block, false), this->block(firmware, 0)));
    EXPECT_EQ(last, kCommandSequenceError) << sequence.what;
    EXPECT_EQ(senseOfLast(sendOut(vendorCdb(firmware.sums, 0, false), this->block(firmware, 0))), kNoSense)
        << "its first block starts the download afresh";
  }
}

// One command to a drive of a type, and the sense it is refused with.
struct Refusal {
  const char* what;
  int driveType;
  Cdb cdb;
  DataDirection direction;
  std::size_t dataLength;
  Sense sense;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.what; }

Cdb withByte(Cdb cdb, std::size_t at, std::uint8_t value) {
  cdb[at] = value;
  return cdb;
}

const quillon::Checksums kSums{0x1234, 0xABCD};
const Cdb kLongForm = vendorCdb(kSums, 0, true);
const Cdb kShortForm = vendorCdb(kSums, 0, false);
constexpr DataDirection kOut = DataDirection::Out;
constexpr DataDirection kIn = DataDirection::In;
constexpr DataDirection kNone = DataDirection::None;

const Refusal kRefusals[] = {
    {"a long form whose repeated checksum differs", 16, withByte(kLongForm, 9, 0xAC), kOut, 16384, kInvalidFieldInCdb},
    {"the long form to a drive that knows only the short one", 6, kLongForm, kOut, 16384, kInvalidFieldInCdb},
    {"a vendor download with byte 6 other than 1", 16, withByte(kShortForm, 6, 0x02), kOut, 16384, kInvalidFieldInCdb},
    {"a vendor download with byte 11 set", 16, withByte(kShortForm, 11, 0x01), kOut, 16384, kInvalidFieldInCdb},
    {"a block beyond the flash", 6, withByte(kShortForm, 5, 16), kOut, 16384, kInvalidFieldInCdb},
    {"a block of half the size", 6, kShortForm, kOut, 8192, kParameterListLengthError},
    {"a block read instead of sent", 6, kShortForm, kIn, 16384, kParameterListLengthError},
    {"a vendor download of ten bytes", 6, Cdb(kShortForm.begin(), kShortForm.begin() + 10), kOut, 16384,
     kInvalidFieldInCdb},
    {"the vendor download to a drive of type 1", 1, kShortForm, kOut, 16384, kInvalidOperationCode},
    {"WRITE BUFFER to a drive of type 16", 16, writeBufferCdb(1, 0, 16384), kOut, 16384, kInvalidOperationCode},
    {"WRITE BUFFER past the buffer's end", 1, writeBufferCdb(1, 0x3C000, 0x8000), kOut, 0x8000, kInvalidFieldInCdb},
    {"WRITE BUFFER with less data than its length", 1, writeBufferCdb(1, 0, 16384), kOut, 4096,
     kParameterListLengthError},
    {"WRITE BUFFER reading data", 1, writeBufferCdb(1, 0, 16384), kIn, 16384, kInvalidFieldInCdb},
    {"WRITE BUFFER into buffer 1", 1, withByte(writeBufferCdb(1, 0, 16384), 2, 1), kOut, 16384, kInvalidFieldInCdb},
    {"WRITE BUFFER mode 2", 1, writeBufferCdb(2, 0, 16384), kOut, 16384, kInvalidFieldInCdb},
    {"the flash command carrying data", 1, writeBufferCdb(5, 0, 16384), kOut, 16384, kInvalidFieldInCdb},
    {"the flash command before the image has arrived", 1, writeBufferCdb(5, 0, 0), kNone, 0, kCommandSequenceError},
    {"READ BUFFER past the buffer's end", 1, readBufferCdb(0x40000, 1), kIn, 1, kInvalidFieldInCdb},
    {"READ BUFFER mode 2", 1, withByte(readBufferCdb(0, 16384), 1, 2), kIn, 16384, kInvalidFieldInCdb},
    {"EnableFlashBoot to a drive of type 3", 3, enableFlashBootCdb(), kIn, 32, kInvalidOperationCode},
    {"0xF6 with another sub-command", 2, withByte(enableFlashBootCdb(), 1, 0x4F), kIn, 32, kInvalidFieldInCdb},
    {"a number the drive does not keep", 6, readNumberCdb(0xD1), kIn, 4, kInvalidFieldInCdb},
    {"the factory setting outside diagnostics mode", 11, factorySettingCdb(kReadSetting), kIn, 4,
     kInvalidOperationCode},
    {"diagnostics without the access code", 11, enterDiagnosticsCdb(""), kNone, 0, kInvalidFieldInCdb},
};

class RefusesACommand : public VoranteDriveTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusesACommand, WithItsSense) {
  const Refusal& refusal = GetParam();
  makeDrive(refusal.driveType);
  std::vector<std::uint8_t> data(refusal.dataLength);
  EXPECT_EQ(senseOfLast(send(refusal.cdb, refusal.direction, data)), refusal.sense);
}

INSTANTIATE_TEST_SUITE_P(Table, RefusesACommand, ::testing::ValuesIn(kRefusals));

class Faulty : public VoranteDriveTest {};

TEST_F(Faulty, ABlockThatFailsOnceIsTakenWhenSentAgain) {
  makeDrive(16, {.failingBlock = 3});
  Firmware firmware = firmwareFor(16, "3.10");
  EXPECT_EQ(downloadVendor(firmware, 0, true)[2], kDataPhaseError);
  for (const Sense& outcome : downloadVendor(firmware, 0, true)) EXPECT_EQ(outcome, kNoSense);
  finishProgramming(firmware.data.size());
  EXPECT_EQ(flash_->read(), firmware.data);
  EXPECT_EQ(personality_->indicator(), Indicator::SteadyOk) << "the download that went through decides";
  EXPECT_FALSE(faults_->failingBlock) << "used up";
}

TEST_F(Faulty, ABlockThatAlwaysFailsKeepsTheFlashAsItWas) {
  makeDrive(1, {.failingBlock = 2, .failingBlockAlways = true});
  Firmware firmware = firmwareFor(1, "1.40");
  for (int attempt = 0; attempt < 2; ++attempt)
    EXPECT_EQ(senseOfLast(sendOut(writeBufferCdb(1, kVendorBlockSize, kVendorBlockSize), block(firmware, 1))),
              kDataPhaseError);
  EXPECT_EQ(senseOfLast(flashCommand()), kCommandSequenceError);
  EXPECT_TRUE(flash_->read().empty());
  EXPECT_EQ(personality_->indicator(), Indicator::ErrorBlink);
}

TEST_F(Faulty, AReadBackDiffersAtItsPosition) {
  for (bool always : {false, true}) {
    makeDrive(1, {.corruptReadBackAt = 0x4000 + 0x3FFF, .corruptReadBackAlways = always});
    Firmware firmware = firmwareFor(1, "1.40");
    sendOut(writeBufferCdb(1, kVendorBlockSize, kVendorBlockSize), block(firmware, 1));
    for (int read = 0; read < 2; ++read) {
      std::vector<std::uint8_t> back(kVendorBlockSize);
      send(readBufferCdb(kVendorBlockSize, kVendorBlockSize), DataDirection::In, back);
      auto [sent, readBack] = std::mismatch(block(firmware, 1).begin(), block(firmware, 1).end(), back.begin());
      bool differs = read == 0 || always;
      EXPECT_EQ(readBack - back.begin(), differs ? 0x3FFF : 0x4000) << "always " << always << ", read " << read;
      if (differs) {
        EXPECT_EQ(*readBack, std::uint8_t(~*sent));
      }
    }
  }
}

TEST_F(Faulty, ADriveThatHangsAtABlockAnswersNothingAnyMore) {
  makeDrive(16, {.timeoutFromBlock = 5});
  Firmware firmware = firmwareFor(16, "3.10");
  for (std::uint8_t n = 0; n < 4; ++n)
    EXPECT_EQ(sendOut(vendorCdb(firmware.sums, n, true), block(firmware, n)).status, platform::kStatusGood);
  EXPECT_EQ(sendOut(vendorCdb(firmware.sums, 4, true), block(firmware, 4)).kind, Kind::Timeout);
  std::vector<std::uint8_t> data(96);
  EXPECT_EQ(send(sim::testing_support::inquiryCdb(96), DataDirection::In, data).kind, Kind::Timeout);
  EXPECT_EQ(send(sim::testing_support::testUnitReadyCdb()).kind, Kind::Timeout);
  EXPECT_TRUE(faults_->stoppedAnswering) << "kept with the faults, for whoever keeps them";
  EXPECT_TRUE(flash_->read().empty());
}

}  // namespace
}  // namespace sim::vorante
