// Firmware into the drive: the image block by block, read back and compared where the drive
// type needs it, and the command that has the drive write its flash memory. A block is taken
// from the image only where the image holds all of it, and nothing is sent for a block that
// is not there.

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "quillon/drive/dri_drives.h"
#include "quillon/drive/drive_results.h"
#include "quillon/drive/os_info.h"
#include "quillon/drive/scsi_opcodes.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

constexpr int kModeDownload = 1;
constexpr int kModeFlash = 5;
constexpr int kVerifiedDriveType = 1;  // WRITE BUFFER, read back, flash command
constexpr int kFlashBootDriveType = 2;
// The DVD part of a combined file continues after the 32 blocks of its CD-R/RW part.
constexpr int kCdPartBlocks = 32;
constexpr std::uint64_t kMaxField24 = 0xFFFFFF;

constexpr std::uint8_t byteOf(std::uint64_t value, int shift) { return static_cast<std::uint8_t>(value >> shift); }

std::uint64_t blockStart(int blockNumber, std::uint32_t blockSize) {
  return static_cast<std::uint64_t>(blockNumber - 1) * blockSize;
}

bool blockWithin(std::size_t size, int blockNumber, std::uint32_t blockSize) {
  return blockNumber >= 1 && blockSize > 0 && blockStart(blockNumber, blockSize) + blockSize <= size;
}

// WRITE BUFFER and READ BUFFER give offset and length in three bytes each.
bool fitsBufferFields(int blockNumber, std::uint32_t blockSize) {
  return blockSize <= kMaxField24 && blockStart(blockNumber, blockSize) <= kMaxField24;
}

// The transport carries at most its data area per command.
bool wholeBlocks(std::size_t size, std::uint32_t blockSize) {
  return blockSize > 0 && blockSize <= kDataAreaSize && size >= blockSize && size % blockSize == 0;
}

int blockCount(std::size_t size, std::uint32_t blockSize) { return static_cast<int>(size / blockSize); }

std::uint8_t vendorBlockByte(int driveType, int firmwarePart, int blockNumber) {
  bool dvdPartOfCombi = IsCombinedDrive(driveType) && firmwarePart == kDvdPart;
  return static_cast<std::uint8_t>(dvdPartOfCombi ? blockNumber + kCdPartBlocks - 1 : blockNumber - 1);
}

}  // namespace

ResultCode DriDrives::DownloadFW(int index, std::uint32_t blockSize, int firmwarePart,
                                 std::span<const std::uint8_t> data, std::uint16_t linearChecksum,
                                 std::uint16_t rotatedChecksum) {
  if (!validIndex(index, "DownloadFW")) return kInvalidDriveHandle;
  int type = driveType(index);
  if (type < kVerifiedDriveType) {
    LogError("Invalid drive type WHILE calling DownloadFW");
    return kInvalidDriveType;
  }
  // A remainder would never reach the drive, which would then flash a cut image.
  if (!wholeBlocks(data.size(), blockSize)) {
    LogError("FW of %zu bytes is no whole number of %u-byte blocks WHILE calling DownloadFW", data.size(), blockSize);
    return kAspiSendError;
  }
  if (type == kVerifiedDriveType) return DownloadVerified(index, data, blockSize);
  if (type == kFlashBootDriveType) EnableFlashBoot(index);
  return DownloadBlocks(index, data, blockSize, firmwarePart, linearChecksum, rotatedChecksum);
}

ResultCode DriDrives::DownloadVerified(int index, std::span<const std::uint8_t> data, std::uint32_t blockSize) {
  std::vector<std::uint8_t> readBack;
  try {
    readBack.resize(blockSize);
  } catch (const std::bad_alloc&) {
    LogFatal("Out of memory WHILE DownloadFW");
    return kDriMemoryError;
  }
  for (int n = 1; n <= blockCount(data.size(), blockSize); ++n) {
    // A block that failed once gets one more full attempt, download and read-back alike.
    ResultCode result = verifyBlock(index, data, n, blockSize, readBack);
    if (result != kSuccess) result = verifyBlock(index, data, n, blockSize, readBack);
    if (result != kSuccess) return result;
  }
  LogInfo("FW downloaded successfully");
  return kSuccess;
}

ResultCode DriDrives::verifyBlock(int index, std::span<const std::uint8_t> data, int blockNumber,
                                  std::uint32_t blockSize, std::span<std::uint8_t> readBack) {
  if (ResultCode sent = downloadBlock(index, data, blockNumber, blockSize, kModeDownload); sent != kSuccess)
    return sent;
  if (ResultCode read = uploadBlock(index, readBack, blockNumber, blockSize); read != kSuccess) return read;
  auto block = data.subspan(blockStart(blockNumber, blockSize), blockSize);
  auto [inFile, fromDrive] = std::mismatch(block.begin(), block.end(), readBack.begin());
  if (inFile == block.end()) return kSuccess;
  LogFatal("Verification error WHILE downloading FW block <%d>", blockNumber);
  LogFatal("Verification mismatch on position <%d> [0x%x,0x%x]", static_cast<int>(inFile - block.begin()), *fromDrive,
           *inFile);
  return kVerificationError;
}

ResultCode DriDrives::DownloadBlocks(int index, std::span<const std::uint8_t> data, std::uint32_t blockSize,
                                     int firmwarePart, std::uint16_t linearChecksum, std::uint16_t rotatedChecksum) {
  for (int n = 1; n <= blockCount(data.size(), blockSize); ++n) {
    ResultCode result = downloadBlock(index, data, firmwarePart, n, blockSize, linearChecksum, rotatedChecksum);
    if (result != kSuccess) return result;
  }
  LogInfo("FW downloaded successfully");
  return kSuccess;
}

ResultCode DriDrives::downloadBlock(int index, std::span<const std::uint8_t> data, int blockNumber,
                                    std::uint32_t blockSize, int mode) {
  if (!validIndex(index, "downloadBlock")) return kInvalidDriveHandle;
  if (mode == kModeFlash) {
    LogInfo("Flash command to drive");
    if (!selectDrive(index)) return kAspiSendError;
    return sendCommand(10, {kWriteBuffer, kModeFlash}, {}, kDataOut) ? kSuccess : kAspiSendError;
  }
  if (mode != kModeDownload) {
    LogWarn("Unknown mode in downloadBlock");
    return kAspiSendError;
  }
  if (!blockWithin(data.size(), blockNumber, blockSize) || !fitsBufferFields(blockNumber, blockSize)) {
    LogError("FW block <%d> of %u bytes lies outside the %zu bytes of FW WHILE calling downloadBlock", blockNumber,
             blockSize, data.size());
    return kAspiSendError;
  }
  LogInfo("Downloading FW block <%d> ...", blockNumber);
  if (!selectDrive(index)) return kAspiSendError;
  std::uint64_t offset = blockStart(blockNumber, blockSize);
  bool done = sendData(10,
                       {kWriteBuffer, kModeDownload, 0x00, byteOf(offset, 16), byteOf(offset, 8), byteOf(offset, 0),
                        byteOf(blockSize, 16), byteOf(blockSize, 8), byteOf(blockSize, 0), 0x00},
                       data.subspan(offset, blockSize));
  return done ? kSuccess : kAspiSendError;
}

ResultCode DriDrives::uploadBlock(int index, std::span<std::uint8_t> buffer, int blockNumber, std::uint32_t blockSize) {
  if (!validIndex(index, "uploadBlock")) return kInvalidDriveHandle;
  bool fits = blockSize > 0 && blockSize <= buffer.size() && blockNumber >= 1;
  if (!fits || !fitsBufferFields(blockNumber, blockSize)) {
    LogError("FW block <%d> of %u bytes does not fit the %zu-byte buffer WHILE calling uploadBlock", blockNumber,
             blockSize, buffer.size());
    return kAspiSendError;
  }
  LogInfo("Uploading FW block <%d> ...", blockNumber);
  if (!selectDrive(index)) return kAspiSendError;
  std::uint64_t offset = blockStart(blockNumber, blockSize);
  bool done = sendCommand(10,
                          {kReadBuffer, 0x01, 0x00, byteOf(offset, 16), byteOf(offset, 8), byteOf(offset, 0),
                           byteOf(blockSize, 16), byteOf(blockSize, 8), byteOf(blockSize, 0), 0x00},
                          buffer.first(blockSize), kDataIn);
  return done ? kSuccess : kAspiSendError;
}

ResultCode DriDrives::downloadBlock(int index, std::span<const std::uint8_t> data, int firmwarePart, int blockNumber,
                                    std::uint32_t blockSize, std::uint16_t linearChecksum,
                                    std::uint16_t rotatedChecksum) {
  if (!validIndex(index, "downloadBlock")) return kInvalidDriveHandle;
  if (!blockWithin(data.size(), blockNumber, blockSize)) {
    LogError("FW block <%d> of %u bytes lies outside the %zu bytes of FW WHILE calling downloadBlock", blockNumber,
             blockSize, data.size());
    return kAspiSendError;
  }
  if (!selectDrive(index)) return kAspiSendError;
  LogInfo("Downloading FW block <%d> ...", blockNumber);
  std::uint8_t block = vendorBlockByte(driveType(index), firmwarePart, blockNumber);
  std::uint8_t linearHigh = byteOf(linearChecksum, 8);
  std::uint8_t linearLow = byteOf(linearChecksum, 0);
  std::uint8_t rotatedHigh = byteOf(rotatedChecksum, 8);
  std::uint8_t rotatedLow = byteOf(rotatedChecksum, 0);
  // The drive types that Windows 2000 and XP reach through SPTI take the checksums twice.
  bool repeat = !shortVendorForm(index);
  auto repeated = [repeat](std::uint8_t value) { return repeat ? value : std::uint8_t{0}; };
  bool done = sendData(12,
                       {kVendorDownload, linearHigh, linearLow, rotatedHigh, rotatedLow, block, 0x01,
                        repeated(linearHigh), repeated(linearLow), repeated(rotatedHigh), repeated(rotatedLow), 0x00},
                       data.subspan(blockStart(blockNumber, blockSize), blockSize));
  return done ? kSuccess : kAspiSendError;
}

ResultCode DriDrives::FlashFW(int index) {
  if (!validIndex(index, "FlashFW")) return kInvalidDriveHandle;
  int type = driveType(index);
  if (type < kVerifiedDriveType) {
    LogError("Invalid drive type <%d> WHILE calling FlashFW", type);
    return kInvalidDriveType;
  }
  // The other drive types write their flash on their own once the last block has arrived.
  if (type != kVerifiedDriveType) return kSuccess;
  ResultCode flashed = downloadBlock(index, {}, 0, 0, kModeFlash);
  if (flashed != kSuccess) LogError("Flash command to drive failed");
  return flashed;
}

void DriDrives::EnableFlashBoot(int index) {
  LogInfo("Enable Boot after Flash");
  std::array<std::uint8_t, 32> answer{};
  if (!selectDrive(index) || !sendCommand(12, {kEnableFlashBoot, 0x4E}, answer, kDataIn))
    LogError("Unable to set 'BootAfterFlash'");
}

bool DriDrives::shortVendorForm(int index) const {
  PlatformCode platform = OsInfo().GetPlatform(0);
  if (platform != kPlatformWindows2000 && platform != kPlatformWindowsXp) return true;
  int type = driveType(index);
  return type < 7 || type == 8 || type == 11;
}

int DriDrives::driveType(int index) const { return records_[static_cast<std::size_t>(index)].driveType; }

bool DriDrives::sendCommand(int length, std::initializer_list<std::uint8_t> bytes, std::span<std::uint8_t> data,
                            std::uint8_t direction) {
  transport_.BuildCdb(length, bytes);
  if (!data.empty()) transport_.SetDataBuffer(data, direction);
  transport_.Execute();
  return transport_.GetLastStatus()[0] == platform::SS_COMP;
}

// The transport only reads an outgoing buffer, but takes it writable; the image stays untouched.
bool DriDrives::sendData(int length, std::initializer_list<std::uint8_t> bytes, std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> copy(data.begin(), data.end());
  return sendCommand(length, bytes, copy, kDataOut);
}

}  // namespace quillon
