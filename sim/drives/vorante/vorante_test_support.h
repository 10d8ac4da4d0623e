#pragma once
// What the tests of the maker's drives share: the commands laid out byte by byte as the host
// builds them, firmware made by the release builder, and a drive of the maker.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "quillon/firmware/checksum.h"
#include "quillon/firmware/combi_split.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"
#include "sim/drives/drive_test_support.h"
#include "sim/drives/vorante/vendor_opcodes.h"
#include "sim/drives/vorante/vorante_personality.h"
#include "sim/fixtures/firmware_builder.h"

namespace sim::vorante::testing_support {

using Cdb = std::vector<std::uint8_t>;
using platform::DataDirection;
using platform::ScsiOutcome;
using sim::testing_support::senseOf;

inline std::uint8_t byteOf(std::uint32_t value, int shift) { return static_cast<std::uint8_t>(value >> shift); }

inline Cdb writeBufferCdb(std::uint8_t mode, std::uint32_t offset, std::uint32_t length) {
  return {0x3B,
          mode,
          0x00,
          byteOf(offset, 16),
          byteOf(offset, 8),
          byteOf(offset, 0),
          byteOf(length, 16),
          byteOf(length, 8),
          byteOf(length, 0),
          0x00};
}

inline Cdb readBufferCdb(std::uint32_t offset, std::uint32_t length) {
  Cdb cdb = writeBufferCdb(0x01, offset, length);
  cdb[0] = 0x3C;
  return cdb;
}

inline Cdb vendorCdb(const quillon::Checksums& sums, std::uint8_t block, bool longForm) {
  Cdb cdb = {0xFA,
             byteOf(sums.linear, 8),
             byteOf(sums.linear, 0),
             byteOf(sums.rotated, 8),
             byteOf(sums.rotated, 0),
             block,
             0x01,
             0x00,
             0x00,
             0x00,
             0x00,
             0x00};
  if (longForm) std::copy(cdb.begin() + 1, cdb.begin() + 5, cdb.begin() + 7);
  return cdb;
}

inline Cdb enableFlashBootCdb() { return {0xF6, 0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }

inline Cdb readNumberCdb(std::uint8_t number) { return {0xF8, 0x00, 0x60, 0, 0, 0, 0, 0, 0x04, 0xA1, number, 0x00}; }

inline Cdb enterDiagnosticsCdb(std::string_view code) {
  Cdb cdb(12, 0);
  cdb[0] = 0xF0;
  std::copy(code.begin(), code.end(), cdb.begin() + 1);
  cdb[11] = 0xAA;
  return cdb;
}
inline Cdb leaveDiagnosticsCdb() { return {0xF1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAA}; }
inline constexpr std::uint8_t kReadSetting = 0x00;
inline constexpr std::uint8_t kWriteSetting = 0x01;
inline Cdb factorySettingCdb(std::uint8_t direction) {
  return {0xFF, direction, 0x00, 0x00, 0x00, 0x38, 0x00, 0x04, 0x00, 0x00, 0x00, 0xAA};
}

// The data and checksums of a single firmware file, as CheckFW hands them to the download.
struct Firmware {
  std::vector<std::uint8_t> data;
  quillon::Checksums sums;
};

inline Firmware firmwareOf(std::span<const std::uint8_t> file) {
  std::size_t length = static_cast<std::size_t>(quillon::dataLength(quillon::readLe32(file, quillon::kHeaderSize)));
  auto data = file.subspan(quillon::kDataOffset, length);
  std::size_t end = quillon::kDataOffset + length;
  std::uint16_t rotated = file.size() >= end + 4 ? quillon::readLe16(file, end + 2) : 0;
  return {{data.begin(), data.end()}, {quillon::readLe16(file, end), rotated}};
}

// The model identifier whose row in the model table gives the drive type.
inline FirmwareSpec specFor(int driveType, const std::string& revision) {
  FirmwareSpec spec;
  spec.revision = revision;
  for (const quillon::ModelRow& row : quillon::kModelTable) {
    if (row.driveType != driveType) continue;
    spec.model = quillon::modelIdentifier(row);
    spec.ext = row.condition == quillon::ExtCondition::ExtOn;
    return spec;
  }
  ADD_FAILURE() << "no model for drive type " << driveType;
  return spec;
}

inline Firmware firmwareFor(int driveType, const std::string& revision) {
  return firmwareOf(buildFirmware(specFor(driveType, revision)));
}

// One part of a combined file, or one half of a dual file, cut as the host cuts them.
inline Firmware cutFirmware(std::vector<std::uint8_t> file, int combiPart, const std::string& eftim = {}) {
  quillon::FirmwareImage image;
  image.assign(std::move(file));
  quillon::ResultCode cut =
      combiPart != 0 ? quillon::SplitCombiFile(image, combiPart) : quillon::SelectDualHalf(image, eftim);
  EXPECT_EQ(cut, quillon::kSuccess);
  return firmwareOf(image.bytes());
}

class VoranteDriveTest : public ::testing::Test {
 protected:
  void makeDrive(const DriveSetup& setup, const Faults& faults = {}) {
    faults_ = std::make_shared<Faults>(faults);
    Identity identity{"VORANTE", specFor(setup.driveType, "1.00").model, "1.00", "D100"};
    auto personality = std::make_unique<VorantePersonality>(setup, flash_, faults_);
    personality_ = personality.get();
    drive_ = std::make_unique<EmulatedDrive>(identity, Faults{}, std::move(personality));
    std::vector<std::uint8_t> sense(platform::kSenseSize);
    send({0x03, 0, 0, 0, std::uint8_t(platform::kSenseSize), 0}, DataDirection::In, sense);
  }
  void makeDrive(int driveType, const Faults& faults = {}) { makeDrive(DriveSetup{.driveType = driveType}, faults); }

  ScsiOutcome send(const Cdb& cdb, DataDirection direction = DataDirection::None, std::span<std::uint8_t> data = {}) {
    platform::ScsiCommand command{cdb, direction, data};
    return drive_->execute(command);
  }
  ScsiOutcome sendOut(const Cdb& cdb, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> copy(data.begin(), data.end());
    return send(cdb, DataDirection::Out, copy);
  }
  Sense senseOfLast(const ScsiOutcome& outcome) const {
    return outcome.status == platform::kStatusGood ? kNoSense : senseOf(outcome);
  }

  std::span<const std::uint8_t> block(const Firmware& firmware, std::uint32_t n) const {
    return std::span(firmware.data).subspan(n * kVendorBlockSize, kVendorBlockSize);
  }
  // Every block of the part that begins at block byte `first`; the outcome of each in order.
  std::vector<Sense> downloadVendor(const Firmware& firmware, std::uint8_t first, bool longForm) {
    std::vector<Sense> outcomes;
    for (std::uint32_t n = 0; n < firmware.data.size() / kVendorBlockSize; ++n)
      outcomes.push_back(senseOfLast(
          sendOut(vendorCdb(firmware.sums, static_cast<std::uint8_t>(first + n), longForm), block(firmware, n))));
    return outcomes;
  }
  // WRITE BUFFER and READ BUFFER for each block, as type 1 is sent its firmware; true when
  // everything read back as it was written.
  bool downloadVerified(const Firmware& firmware) {
    bool same = true;
    for (std::uint32_t n = 0; n < firmware.data.size() / kVendorBlockSize; ++n) {
      std::uint32_t offset = n * kVendorBlockSize;
      EXPECT_EQ(sendOut(writeBufferCdb(0x01, offset, kVendorBlockSize), block(firmware, n)).status,
                platform::kStatusGood);
      std::vector<std::uint8_t> back(kVendorBlockSize);
      EXPECT_EQ(send(readBufferCdb(offset, kVendorBlockSize), DataDirection::In, back).status, platform::kStatusGood);
      same = same && std::equal(back.begin(), back.end(), block(firmware, n).begin());
    }
    return same;
  }
  ScsiOutcome flashCommand() { return send(writeBufferCdb(0x05, 0, 0), DataDirection::Out); }

  Identity identity() {
    std::vector<std::uint8_t> data(kInquiryDataLength);
    EXPECT_EQ(send(sim::testing_support::inquiryCdb(kInquiryDataLength), DataDirection::In, data).status,
              platform::kStatusGood);
    auto text = [&](std::size_t from, std::size_t length) {
      std::string field(data.begin() + from, data.begin() + from + length);
      return field.substr(0, field.find_last_not_of(' ') + 1);
    };
    return {text(8, 8), text(16, 16), text(32, 4), text(52, 4)};
  }
  Sense tur() { return senseOfLast(send(sim::testing_support::testUnitReadyCdb())); }
  void finishProgramming(std::size_t bytes) { clock_.advance(programmingMs(bytes)); }

  platform::VirtualClock clock_;
  platform::ScopedClock scope_{clock_};
  quillon::LogCapture log_;  // the firmware image code logs as Quillon does
  std::shared_ptr<MemoryFlash> flash_ = std::make_shared<MemoryFlash>();
  std::shared_ptr<Faults> faults_;
  std::unique_ptr<EmulatedDrive> drive_;
  VorantePersonality* personality_ = nullptr;
};

}  // namespace sim::vorante::testing_support
