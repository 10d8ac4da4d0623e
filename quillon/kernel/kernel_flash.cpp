// The flash sequences: from a firmware file to a drive, every step only while all before it
// succeeded, so that a failure reaches the caller with the code of the step that failed.

#include "quillon/drive/drive_results.h"
#include "quillon/firmware/combi_split.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel.h"
#include "quillon/kernel/matching.h"

namespace quillon {
namespace {

constexpr int kDriveTypeDual = 6;
constexpr int kDriveTypeFactorySetting = 11;
// Checked against a drive that must never be flashed over SPTI: every bit of the high byte set.
constexpr std::uint16_t kAlwaysHighChecksum = 0xFFFF;

}  // namespace

ResultCode Kernel::FlashFirmware(int drive, const std::string& path, bool keepUnflashed) {
  if (!knownDrive(drive, "FlashFirmware")) return kKnlIllegalDriveHandle;
  DriveRecord& record = drives_[drive];
  ResultCode result = kSuccess;
  if (record.driveType == kDriveTypeFactorySetting) {
    result = dri_->CheckSptiCapable(drive, kAlwaysHighChecksum);
    if (result == kSuccess) result = CheckFactorySetting(drive);
  }
  std::uint32_t fileSize = 0;
  if (result == kSuccess) result = LoadFW(image_, path, fileSize);
  if (result == kSuccess && record.driveType == kDriveTypeDual && fileSize == kDualFileSize) {
    result = dri_->ReadEFTIM(drive, record.eftim);
    if (result == kSuccess) result = SelectDualHalf(image_, std::string(record.eftim.data(), record.eftim.size()));
  }
  if (result == kSuccess) result = transfer(drive, kPlainFirmware, path, keepUnflashed);
  return result;
}

ResultCode Kernel::FlashCombiFirmware(int drive, const std::string& path, bool keepUnflashed) {
  if (!knownDrive(drive, "FlashCombiFirmware")) return kKnlIllegalDriveHandle;
  LogInfo("Flashing the CDR-R/RW part of the Combi cvt-file.");
  ResultCode result = kSuccess;
  int part = kCdPart;
  for (int pass = 0; pass < 2 && result == kSuccess; ++pass) {
    std::uint32_t fileSize = 0;
    result = LoadFW(image_, path, fileSize);
    if (result != kSuccess) return result;
    result = SplitCombiFile(image_, part);
    if (result == kSuccess) result = transfer(drive, part, path, keepUnflashed);
    part = kDvdPart;
    if (pass == 0) LogInfo("Flashing the DVD part of the Combi cvt-file.");
  }
  return result;
}

// A file for another drive type would turn the drive into a brick, whoever chose it; the
// firmware page never offers one, but a path can come from elsewhere.
ResultCode Kernel::transfer(int drive, int firmwarePart, const std::string& path, bool keepUnflashed) {
  FirmwareCheck check;
  if (ResultCode valid = CheckFW(image_, kFlashBlockSize, firmwarePart, check); valid != kSuccess) return valid;
  int driveType = drives_[drive].driveType;
  if (check.driveType != driveType) {
    LogError("%s, No Match, Drive:%d, Fw:%d", path.c_str(), driveType, check.driveType);
    return kKnlNoMatch;
  }
  if (ResultCode capable = dri_->CheckSptiCapable(drive, check.linear); capable != kSuccess) return capable;
  std::span<const std::uint8_t> data(check.data, static_cast<std::size_t>(check.length));
  ResultCode sent = dri_->DownloadFW(drive, kFlashBlockSize, firmwarePart, data, check.linear, check.rotated);
  if (sent != kSuccess || keepUnflashed) return sent;
  return dri_->FlashFW(drive);
}

ResultCode Kernel::CheckFactorySetting(int drive) {
  std::uint8_t setting = 0;
  if (ResultCode read = dri_->ReadFFW(drive, setting); read != kSuccess) return read;
  if (setting == 0) return kSuccess;
  LogInfo("FFW Factory setting detected: 0x%02X. This value should be 0x00", setting);
  return dri_->WriteFFW(drive, 0);
}

}  // namespace quillon
