#pragma once
// The one object through which Quillon reaches drives and firmware files: it decides from the
// OEM list which drives may be updated and with which revisions, lists the fitting firmware
// files of a folder, and runs the flash sequences. It is an OEM reader, so the list it
// matches against is its own.

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "quillon/drive/dri_drives.h"
#include "quillon/drive/scsi_transport.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/kernel/oem_file.h"
#include "quillon/result_code.h"

namespace quillon {

inline constexpr std::uint32_t kFlashBlockSize = 16384;
inline constexpr std::size_t kLogoBufferSize = 260;

// One listed firmware file; texts are zero-terminated within their fields.
struct FirmwareEntry {
  std::array<char, 260> fileName{};
  std::array<char, 12> revision{};
  std::array<char, 20> date{};
};

class Kernel : public OemReader {
 public:
  // Commands go through `transport`, which must outlive the Kernel.
  explicit Kernel(ScsiTransport& transport);
  ~Kernel();
  Kernel(const Kernel&) = delete;
  Kernel& operator=(const Kernel&) = delete;

  // Loads the OEM list anew; the first record's text names the logo. No record: no logo.
  ResultCode GetLogoFile(std::string& name, std::size_t bufferSize = kLogoBufferSize);
  // Lists and matches the drives on the first call; later calls hand out the same array.
  ResultCode GetDriveList(int& count, DriveRecord*& drives);
  // The firmware files of `folder` that fit the drive; `table` is a fresh copy.
  ResultCode GetFWTable(int drive, const std::string& folder, int& count, std::vector<FirmwareEntry>& table);
  ResultCode OpenTray(int drive);
  // With `keepUnflashed` the sequence stops after the download.
  ResultCode FlashFirmware(int drive, const std::string& path, bool keepUnflashed);
  ResultCode FlashCombiFirmware(int drive, const std::string& path, bool keepUnflashed);
  ResultCode TestMedia(int drive, bool& mediumPresent);
  void SelectInterface(int drive);

  // The drive-settings guard (kernel_settings.cpp). Reads every drive's DMA and auto-insert
  // flags from the registry; GetDriveList does so once.
  ResultCode ReadDriveSettings();
  // Which of the drive's settings must be off before it is flashed.
  ResultCode CheckDriveProperties(int drive, bool& dmaMustGo, bool& autoInsertMustGo);
  // Saves the settings' values in Quillon.Reg in the home folder, then switches them off;
  // they take effect when Windows restarts.
  ResultCode DisableDriveProperties(int drive, bool dma, bool autoInsert);
  // Writes the saved values back and deletes the file; no file is nothing to restore.
  ResultCode RestoreDriveProperties();

  // The current folder at construction, with a separator at its end.
  const std::string& homeFolder() const { return homeFolder_; }
  // The patterns of the OEM records that matched the drive, in list order.
  std::vector<std::string> allowedRevisions(int drive) const;

 private:
  ResultCode MatchDrives();
  ResultCode matchDrive(int drive);
  ResultCode CheckSkew(int drive, const OemRecord& record);
  void appendAllowedRevision(int drive, const std::string& pattern);
  ResultCode examineFile(int drive, const std::string& path, std::string& revision);
  ResultCode CheckFWDriveType(int drive, const std::string& path);
  ResultCode CheckFWRevision(int drive, const std::string& revision);
  ResultCode CheckFactorySetting(int drive);
  // Validates the loaded image for the drive and sends it; the last steps of both sequences.
  ResultCode transfer(int drive, int firmwarePart, const std::string& path, bool keepUnflashed);
  bool knownDrive(int drive, const char* operation) const;

  FirmwareImage image_;
  std::unique_ptr<DriDrives> dri_;
  DriveRecord* drives_ = nullptr;
  int driveCount_ = 0;
  std::vector<FirmwareEntry> firmwareList_;
  std::vector<std::vector<std::string>> allowedRevisions_;  // empty until the first append
  std::string homeFolder_;
  ScsiTransport& transport_;
};

}  // namespace quillon
