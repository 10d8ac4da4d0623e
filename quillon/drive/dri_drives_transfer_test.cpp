#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "quillon/drive/command_test_support.h"
#include "quillon/drive/drive_results.h"
#include "quillon/drive/scsi_opcodes.h"

namespace quillon {
namespace {

using testing::Bytes;
using testing::CommandTest;
using testing::field24;

constexpr std::uint32_t kBlock = 16384;

// No two blocks alike, so that a block sent from the wrong place shows.
Bytes image(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + i / kBlock);
  return data;
}

Bytes blockOf(const Bytes& data, std::size_t n) {
  return {data.begin() + static_cast<std::ptrdiff_t>((n - 1) * kBlock),
          data.begin() + static_cast<std::ptrdiff_t>(n * kBlock)};
}

class TransferTest : public CommandTest {};

// WRITE BUFFER with read-back (drive type 1).

TEST_F(TransferTest, ImageGoesAsSixteenVerifiedBlocksAtTheirOffsets) {
  start(1);
  const Bytes data = image(262144);
  EXPECT_EQ(drives_->DownloadFW(0, kBlock, 0, data, 0x1234, 0x5678), kSuccess);
  auto writes = script_.withOpcode(kWriteBuffer);
  auto reads = script_.withOpcode(kReadBuffer);
  ASSERT_EQ(writes.size(), 16u);
  ASSERT_EQ(reads.size(), 16u);
  for (std::size_t i = 0; i < 16; ++i) {
    const std::uint8_t offsetHigh = static_cast<std::uint8_t>(i * 0x40 >> 8);
    const std::uint8_t offsetMiddle = static_cast<std::uint8_t>(i * 0x40);
    EXPECT_EQ(writes[i].cdb, (Bytes{0x3B, 0x01, 0x00, offsetHigh, offsetMiddle, 0x00, 0x00, 0x40, 0x00, 0x00})) << i;
    EXPECT_EQ(reads[i].cdb, (Bytes{0x3C, 0x01, 0x00, offsetHigh, offsetMiddle, 0x00, 0x00, 0x40, 0x00, 0x00})) << i;
    EXPECT_EQ(field24(writes[i].cdb, 3), i * 0x004000);
    EXPECT_EQ(writes[i].data, blockOf(data, i + 1)) << i;
  }
  EXPECT_EQ(field24(writes.back().cdb, 3), 0x03C000u);
  // Each block is read back before the next is sent.
  EXPECT_EQ(script_.received[0].cdb[0], kWriteBuffer);
  EXPECT_EQ(script_.received[1].cdb[0], kReadBuffer);
  EXPECT_EQ(script_.buffer, data);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Downloading FW block <16> ..."));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Uploading FW block <16> ..."));
  EXPECT_EQ(logTexts().back(), "FW downloaded successfully");
}

TEST_F(TransferTest, AFailedBlockIsTriedOnceMore) {
  struct Case {
    const char* what;
    std::set<int> refusedWrites;
    std::set<int> refusedReads;
    std::set<int> corruptReads;
    ResultCode result;
    std::size_t writes;  // of a two-block image
  };
  const Case cases[] = {
      {"write refused once", {1}, {}, {}, kSuccess, 3},
      {"read refused once", {}, {1}, {}, kSuccess, 3},
      {"corrupted once", {}, {}, {1}, kSuccess, 3},
      {"corrupted in the second block once", {}, {}, {2}, kSuccess, 3},
      {"write refused twice", {1, 2}, {}, {}, kAspiSendError, 2},
      {"read refused twice", {}, {1, 2}, {}, kAspiSendError, 2},
      {"refused, then corrupted", {1}, {}, {1}, kVerificationError, 2},
      {"corrupted twice", {}, {}, {1, 2}, kVerificationError, 2},
  };
  const Bytes data = image(2 * kBlock);
  for (const auto& c : cases) {
    script_ = {};
    script_.refused[kWriteBuffer] = c.refusedWrites;
    script_.refused[kReadBuffer] = c.refusedReads;
    script_.corruptReads = c.corruptReads;
    start(1);
    EXPECT_EQ(drives_->DownloadFW(0, kBlock, 0, data, 0, 0), c.result) << c.what;
    EXPECT_EQ(script_.withOpcode(kWriteBuffer).size(), c.writes) << c.what;
    EXPECT_EQ(log_.contains(LogLevel::Info, "FW downloaded successfully"), c.result == kSuccess) << c.what;
  }
}

TEST_F(TransferTest, ReadBackThatDiffersIsLoggedWithBlockPositionAndBothBytes) {
  const Bytes data = image(2 * kBlock);
  for (std::size_t position : {std::size_t{0}, std::size_t{kBlock - 1}}) {
    script_ = {};
    script_.corruptReads = {1, 2};
    script_.corruptPosition = position;
    start(1);
    EXPECT_EQ(drives_->DownloadFW(0, kBlock, 0, data, 0, 0), kVerificationError);
    std::uint8_t inFile = data[position];
    std::string mismatch = fmt::format("Verification mismatch on position <{}> [0x{:x},0x{:x}]", position,
                                       static_cast<std::uint8_t>(~inFile), inFile);
    std::vector<std::string> expected = {"Downloading FW block <1> ...",
                                         "Uploading FW block <1> ...",
                                         "Verification error WHILE downloading FW block <1>",
                                         mismatch,
                                         "Downloading FW block <1> ...",
                                         "Uploading FW block <1> ...",
                                         "Verification error WHILE downloading FW block <1>",
                                         mismatch};
    ASSERT_EQ(logTexts(), expected);
    EXPECT_EQ(log_.entries()[2].level, LogLevel::Fatal);
    EXPECT_EQ(log_.entries()[3].level, LogLevel::Fatal);
  }
}

// The maker's download command (drive types 2 and above).

TEST_F(TransferTest, VendorBlocksCarryTheirNumberAndTheChecksums) {
  struct Case {
    int driveType;
    int firmwarePart;
    std::uint8_t firstBlockByte;
  };
  // The DVD part of a combined file follows the 32 blocks of its CD-R/RW part.
  const Case cases[] = {{14, 101, 32}, {25, 101, 32}, {30, 101, 32}, {13, 101, 0}, {14, 100, 0}, {14, 0, 0}, {3, 0, 0}};
  const Bytes data = image(262144);
  for (const auto& c : cases) {
    script_ = {};
    start(c.driveType);
    EXPECT_EQ(drives_->DownloadFW(0, kBlock, c.firmwarePart, data, 0x1234, 0xABCD), kSuccess) << c.driveType;
    auto blocks = script_.withOpcode(kVendorDownload);
    ASSERT_EQ(blocks.size(), 16u);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      EXPECT_EQ(blocks[i].cdb.size(), 12u);
      EXPECT_EQ(Bytes(blocks[i].cdb.begin(), blocks[i].cdb.begin() + 7),
                (Bytes{0xFA, 0x12, 0x34, 0xAB, 0xCD, static_cast<std::uint8_t>(c.firstBlockByte + i), 0x01}))
          << c.driveType << " part " << c.firmwarePart << " block " << i + 1;
      EXPECT_EQ(blocks[i].data, blockOf(data, i + 1));
    }
    EXPECT_EQ(script_.withOpcode(kWriteBuffer).size(), 0u);
    EXPECT_EQ(logTexts().back(), "FW downloaded successfully");
  }
}

TEST_F(TransferTest, LongVendorFormOnlyOnWindows2000AndXpForTheSptiDriveTypes) {
  struct Case {
    PlatformCode platform;
    int driveType;
    bool longForm;
  };
  const Case cases[] = {
      {kPlatformWindowsXp, 16, true},   {kPlatformWindowsXp, 7, true},   {kPlatformWindowsXp, 9, true},
      {kPlatformWindows2000, 12, true}, {kPlatformWindowsXp, 8, false},  {kPlatformWindowsXp, 11, false},
      {kPlatformWindowsXp, 3, false},   {kPlatformWindowsXp, 6, false},  {kPlatformWindows98, 16, false},
      {kPlatformWindowsNt4, 16, false}, {kPlatformWindowsMe, 30, false},
  };
  const Bytes data = image(kBlock);
  for (const auto& c : cases) {
    script_ = {};
    start(c.driveType, c.platform);
    ASSERT_EQ(drives_->DownloadFW(0, kBlock, 0, data, 0x1234, 0xABCD), kSuccess) << c.platform << "/" << c.driveType;
    Bytes expected = c.longForm ? Bytes{0xFA, 0x12, 0x34, 0xAB, 0xCD, 0x00, 0x01, 0x12, 0x34, 0xAB, 0xCD, 0x00}
                                : Bytes{0xFA, 0x12, 0x34, 0xAB, 0xCD, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(script_.received.size(), 1u);
    EXPECT_EQ(script_.received[0].cdb, expected) << c.platform << "/" << c.driveType;
  }
}

TEST_F(TransferTest, FirstRefusedVendorBlockEndsTheDownload) {
  script_.refused[kVendorDownload] = {3};
  start(3);
  EXPECT_EQ(drives_->DownloadFW(0, kBlock, 0, image(8 * kBlock), 0, 0), kAspiSendError);
  EXPECT_EQ(script_.withOpcode(kVendorDownload).size(), 3u);
  EXPECT_EQ(script_.withOpcode(kReadBuffer).size(), 0u);
  EXPECT_FALSE(log_.contains(LogLevel::Info, "FW downloaded successfully"));
}

TEST_F(TransferTest, DriveTypeTwoEnablesBootAfterFlashFirstAndGoesOnWithoutIt) {
  for (bool refused : {false, true}) {
    script_ = {};
    if (refused) script_.refused[kEnableFlashBoot] = {1};
    start(2);
    EXPECT_EQ(drives_->DownloadFW(0, kBlock, 0, image(2 * kBlock), 0, 0), kSuccess);
    ASSERT_EQ(script_.received.size(), 3u);
    EXPECT_EQ(script_.received[0].cdb, (Bytes{0xF6, 0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(script_.withOpcode(kVendorDownload).size(), 2u);
    EXPECT_EQ(logTexts().front(), "Enable Boot after Flash");
    EXPECT_EQ(log_.contains(LogLevel::Error, "Unable to set 'BootAfterFlash'"), refused);
  }
}

// The flash command.

TEST_F(TransferTest, FlashFWSendsTheFlashCommandOnlyToDriveTypeOne) {
  start(1);
  EXPECT_EQ(drives_->FlashFW(0), kSuccess);
  ASSERT_EQ(script_.received.size(), 1u);
  EXPECT_EQ(script_.received[0].cdb, (Bytes{0x3B, 0x05, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(script_.received[0].data.empty());
  EXPECT_EQ(logTexts(), (std::vector<std::string>{"Flash command to drive"}));
  for (int type : {2, 3, 16, 35}) {
    setDriveType(type);
    script_.received.clear();
    EXPECT_EQ(drives_->FlashFW(0), kSuccess) << type;
    EXPECT_TRUE(script_.received.empty()) << type;
  }
}

TEST_F(TransferTest, FlashCommandThatFailsIsReportedAsFailure) {
  script_.refused[kWriteBuffer] = {1};
  start(1);
  EXPECT_EQ(drives_->FlashFW(0), kAspiSendError);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "Flash command to drive failed"));
}

TEST_F(TransferTest, UnknownWriteBufferModeSendsNothing) {
  start(1);
  const Bytes data = image(kBlock);
  EXPECT_EQ(drives_->downloadBlock(0, data, 1, kBlock, 2), kAspiSendError);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "Unknown mode in downloadBlock"));
  EXPECT_TRUE(script_.received.empty());
}

// Sizes that do not fit: nothing is sent and nothing is read outside the caller's bytes.

TEST_F(TransferTest, ImageThatIsNoWholeNumberOfBlocksIsRefusedBeforeAnyCommand) {
  struct Case {
    std::size_t length;
    std::uint32_t blockSize;
  };
  const Case cases[] = {{262144, 0}, {kBlock + 2, kBlock}, {0, kBlock}, {kBlock / 2, kBlock}, {131072, 131072}};
  for (int type : {1, 2, 3}) {
    start(type);
    for (const auto& c : cases) {
      const Bytes data = image(c.length);
      log_.clear();
      EXPECT_EQ(drives_->DownloadFW(0, c.blockSize, 0, data, 0, 0), kAspiSendError)
          << type << ": " << c.length << "/" << c.blockSize;
      ASSERT_EQ(log_.entries().size(), 1u);
      EXPECT_EQ(log_.entries()[0].level, LogLevel::Error);
      EXPECT_NE(log_.entries()[0].text.find("WHILE calling DownloadFW"), std::string::npos);
    }
    EXPECT_TRUE(script_.received.empty()) << type;
  }
}

TEST_F(TransferTest, BlockOutsideTheDataOrBufferIsRefused) {
  start(3);
  const Bytes data = image(2 * kBlock);
  Bytes small(kBlock - 1);
  struct Case {
    const char* what;
    ResultCode (*call)(DriDrives&, const Bytes&, Bytes&);
  };
  const Case cases[] = {
      {"write past the end", [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 3, kBlock, 1); }},
      {"write block 0", [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 0, kBlock, 1); }},
      {"write size 0", [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 1, 0, 1); }},
      {"write larger block",
       [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 1, 3 * kBlock, 1); }},
      {"vendor past the end",
       [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 0, 3, kBlock, 0, 0); }},
      {"vendor half past the end",
       [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 0, 2, kBlock + 1, 0, 0); }},
      {"vendor block 0",
       [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 0, 0, kBlock, 0, 0); }},
      {"vendor size 0", [](DriDrives& d, const Bytes& x, Bytes&) { return d.downloadBlock(0, x, 0, 1, 0, 0, 0); }},
      {"read into a short buffer", [](DriDrives& d, const Bytes&, Bytes& b) { return d.uploadBlock(0, b, 1, kBlock); }},
      {"read size 0", [](DriDrives& d, const Bytes&, Bytes& b) { return d.uploadBlock(0, b, 1, 0); }},
      {"read block 0", [](DriDrives& d, const Bytes&, Bytes& b) { return d.uploadBlock(0, b, 0, 16); }},
      {"read beyond the offset field",
       [](DriDrives& d, const Bytes&, Bytes& b) { return d.uploadBlock(0, b, 4097, 4096); }},
  };
  for (const auto& c : cases) {
    log_.clear();
    EXPECT_EQ(c.call(*drives_, data, small), kAspiSendError) << c.what;
    ASSERT_EQ(log_.entries().size(), 1u) << c.what;
    EXPECT_EQ(log_.entries()[0].level, LogLevel::Error) << c.what;
  }
  EXPECT_TRUE(script_.received.empty());
}

TEST_F(TransferTest, LastBlockThatFitsExactlyIsSent) {
  start(3);
  const Bytes data = image(2 * kBlock);
  Bytes readBack(kBlock);
  EXPECT_EQ(drives_->downloadBlock(0, data, 2, kBlock, 1), kSuccess);
  EXPECT_EQ(drives_->downloadBlock(0, data, 0, 2, kBlock, 0, 0), kSuccess);
  EXPECT_EQ(drives_->uploadBlock(0, readBack, 2, kBlock), kSuccess);
  EXPECT_EQ(readBack, blockOf(data, 2));
}

// Drives that are not there, and drive types that cannot be flashed.

struct Operation {
  const char* name;
  ResultCode (*call)(DriDrives&, int);
};

const Bytes kOneBlock = image(kBlock);

const Operation kTransferOperations[] = {
    {"DownloadFW", [](DriDrives& d, int i) { return d.DownloadFW(i, kBlock, 0, kOneBlock, 0, 0); }},
    {"downloadBlock", [](DriDrives& d, int i) { return d.downloadBlock(i, kOneBlock, 1, kBlock, 1); }},
    {"downloadBlock", [](DriDrives& d, int i) { return d.downloadBlock(i, kOneBlock, 0, 1, kBlock, 0, 0); }},
    {"uploadBlock",
     [](DriDrives& d, int i) {
       Bytes buffer(kBlock);
       return d.uploadBlock(i, buffer, 1, kBlock);
     }},
    {"FlashFW", [](DriDrives& d, int i) { return d.FlashFW(i); }},
};

TEST_F(TransferTest, DriveIndexOutsideTheListIsRefused) {
  start(1);
  for (const auto& operation : kTransferOperations) {
    for (int index : {1, -1}) {
      log_.clear();
      EXPECT_EQ(operation.call(*drives_, index), kInvalidDriveHandle) << operation.name << " " << index;
      EXPECT_EQ(logTexts(),
                (std::vector<std::string>{std::string("Invalid drive handle WHILE calling ") + operation.name}));
      EXPECT_EQ(log_.entries().at(0).level, LogLevel::Error);
    }
  }
  EXPECT_TRUE(script_.received.empty());
}

TEST_F(TransferTest, DriveTypeBelowOneIsNeitherDownloadedNorFlashed) {
  for (int type : {0, -1}) {
    start(type);
    EXPECT_EQ(drives_->DownloadFW(0, kBlock, 0, kOneBlock, 0, 0), kInvalidDriveType);
    EXPECT_TRUE(log_.contains(LogLevel::Error, "Invalid drive type WHILE calling DownloadFW"));
    EXPECT_EQ(drives_->FlashFW(0), kInvalidDriveType);
    EXPECT_TRUE(
        log_.contains(LogLevel::Error, "Invalid drive type <" + std::to_string(type) + "> WHILE calling FlashFW"));
    EXPECT_TRUE(script_.received.empty());
  }
}

}  // namespace
}  // namespace quillon
