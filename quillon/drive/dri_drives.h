#pragma once
// Quillon's list of optical drives and the per-drive operations: keeping the file system away
// from a drive through the CD-recorder manager, testing for a medium, opening the tray,
// choosing the transport interface before a flash, sending firmware block by block and having
// the drive flash it, and the maker's vendor commands around an update. A drive is named by
// its index in the list. Commands go through the program-wide transport, which outlives this
// object.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "platform/cdrmgr.h"
#include "platform/dynlib.h"
#include "quillon/drive/drive_record.h"
#include "quillon/drive/scsi_transport.h"
#include "quillon/result_code.h"

namespace quillon {

class DriDrives {
 public:
  // Lists the transport's devices and loads the CD-recorder manager; never fails.
  explicit DriDrives(ScsiTransport& transport);
  ~DriDrives();
  DriDrives(const DriDrives&) = delete;
  DriDrives& operator=(const DriDrives&) = delete;

  // The kernel keeps the pointer and writes its own fields into the records.
  ResultCode GetDrives(int& count, DriveRecord*& records);
  bool IsCdrManagerLoaded() const;
  ResultCode LockDrive(int index);
  ResultCode UnlockDrive(int index);
  ResultCode TestMediaStatus(int index);  // 0 with a medium ready, kNoMediumPresent otherwise
  ResultCode OpenTray(int index);
  void SelectInterface(int index);

  // Firmware transfer (dri_drives_transfer.cpp). `data` is the whole validated image; it must
  // be a whole number of blocks of `blockSize` bytes, or nothing is sent.
  ResultCode DownloadFW(int index, std::uint32_t blockSize, int firmwarePart, std::span<const std::uint8_t> data,
                        std::uint16_t linearChecksum, std::uint16_t rotatedChecksum);
  // WRITE BUFFER of block `blockNumber` (from 1) in mode 1 (download), or mode 5 (flash), which
  // carries no block: offset and length 0, no data.
  ResultCode downloadBlock(int index, std::span<const std::uint8_t> data, int blockNumber, std::uint32_t blockSize,
                           int mode);
  // The maker's download command (0xFA) with block `blockNumber` (from 1).
  ResultCode downloadBlock(int index, std::span<const std::uint8_t> data, int firmwarePart, int blockNumber,
                           std::uint32_t blockSize, std::uint16_t linearChecksum, std::uint16_t rotatedChecksum);
  // READ BUFFER of block `blockNumber` (from 1) into the first `blockSize` bytes of `buffer`.
  ResultCode uploadBlock(int index, std::span<std::uint8_t> buffer, int blockNumber, std::uint32_t blockSize);
  ResultCode FlashFW(int index);

  // Vendor commands (dri_drives_vendor.cpp).
  // kNoAspiLayer when the image cannot pass through SPTI to this drive.
  ResultCode CheckSptiCapable(int index, std::uint16_t linearChecksum);
  // Both texts keep two characters and a terminating zero.
  ResultCode ReadSkew(int index, std::span<char, 4> text);
  ResultCode ReadEFTIM(int index, std::span<char, 4> text);
  ResultCode EnableDiagnostics(int index);
  ResultCode DisableDiagnostics(int index);
  // Each runs inside its own diagnostics session; `factorySetting` is 0 unless the read succeeds.
  ResultCode ReadFFW(int index, std::uint8_t& factorySetting);
  ResultCode WriteFFW(int index, std::uint8_t value);

 private:
  void BuildDriveList();
  void fillRecord(std::size_t i, bool windows95Family);
  ResultCode loadCdr();
  bool validIndex(int index, const char* operation) const;
  // Selects the transport's device of the drive, wherever a rescan has put it.
  bool selectDrive(int index);
  int deviceOf(const DriveRecord& record) const;
  // A 12-byte command without data to the selected device; true when it completed.
  bool sendCommand(std::initializer_list<std::uint8_t> bytes);
  void LogInterface() const;
  // Commands that move data: `direction` kDataIn or kDataOut, `length` the CDB length.
  bool sendCommand(int length, std::initializer_list<std::uint8_t> bytes, std::span<std::uint8_t> data,
                   std::uint8_t direction);
  bool sendData(int length, std::initializer_list<std::uint8_t> bytes, std::span<const std::uint8_t> data);

  // dri_drives_transfer.cpp
  ResultCode DownloadVerified(int index, std::span<const std::uint8_t> data, std::uint32_t blockSize);
  ResultCode verifyBlock(int index, std::span<const std::uint8_t> data, int blockNumber, std::uint32_t blockSize,
                         std::span<std::uint8_t> readBack);
  ResultCode DownloadBlocks(int index, std::span<const std::uint8_t> data, std::uint32_t blockSize, int firmwarePart,
                            std::uint16_t linearChecksum, std::uint16_t rotatedChecksum);
  void EnableFlashBoot(int index);
  // Whether the vendor download command carries the checksums once rather than twice.
  bool shortVendorForm(int index) const;
  int driveType(int index) const;

  // dri_drives_vendor.cpp
  ResultCode readText(int index, std::uint8_t selector, std::span<char, 4> text);
  // One command inside EnableDiagnostics and DisableDiagnostics; `failure` is logged when the
  // drive refuses diagnostics.
  ResultCode diagnosticsSession(int index, const char* failure, std::initializer_list<std::uint8_t> bytes,
                                std::span<std::uint8_t> data, std::uint8_t direction);

  int driveCount_ = 0;
  std::vector<DriveRecord> records_;
  int lockedDrive_ = -1;
  platform::ScopedLibrary cdrLibrary_;
  platform::CdrBlockingFunction startBlocking_ = nullptr;
  platform::CdrBlockingFunction endBlocking_ = nullptr;
  platform::CdrBlockingFunction queryBlocking_ = nullptr;
  ScsiTransport& transport_;
};

}  // namespace quillon
