// The maker's own commands around an update: whether an image can pass through SPTI, the skew
// and EFTIM numbers that pick the firmware, and the factory setting behind the diagnostics
// mode.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string>

#include "quillon/drive/diagnostics_code.h"
#include "quillon/drive/dri_drives.h"
#include "quillon/drive/drive_results.h"
#include "quillon/drive/os_info.h"
#include "quillon/drive/scsi_opcodes.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

constexpr std::uint8_t kDiagnosticsEnd = 0xAA;
// Bits 13-15 of the linear checksum.
constexpr std::uint16_t kAspiOnlyChecksumBits = 0xE000;
// The operations name the models whose numbers they read in their index-check lines.
constexpr std::size_t kSkewModel = 2;   // M3
constexpr std::size_t kEftimModel = 5;  // M6

static_assert(kDiagnosticsAccessCode.size() == 10, "the access code fills bytes 1-10 of the command");

constexpr std::uint8_t codeByte(std::size_t i) { return static_cast<std::uint8_t>(kDiagnosticsAccessCode[i]); }

}  // namespace

ResultCode DriDrives::CheckSptiCapable(int index, std::uint16_t linearChecksum) {
  if (!validIndex(index, "CheckSptiCapable")) return kInvalidDriveHandle;
  LogInterface();
  PlatformCode platform = OsInfo().GetPlatform(0);
  bool windows2000OrXp = platform == kPlatformWindows2000 || platform == kPlatformWindowsXp;
  // These drives get such an image intact only through ASPI.
  if (windows2000OrXp && transport_.GetInterface() == SPTI_INTERFACE && shortVendorForm(index) &&
      (linearChecksum & kAspiOnlyChecksumBits) != 0) {
    LogError("The chosen CVT file cannot be flashed with SPTI: Install an ASPI layer");
    return kNoAspiLayer;
  }
  return kSuccess;
}

ResultCode DriDrives::ReadSkew(int index, std::span<char, 4> text) {
  if (!validIndex(index, fmt::format("ReadSkew{}", kModelIdentifiers[kSkewModel]).c_str())) return kInvalidDriveHandle;
  ResultCode result = readText(index, kSkewNumber, text);
  if (result == kSuccess) LogInfo("Drive skew number <%s>", text.data());
  return result;
}

ResultCode DriDrives::ReadEFTIM(int index, std::span<char, 4> text) {
  if (!validIndex(index, fmt::format("ReadEFTIM {}", kModelIdentifiers[kEftimModel]).c_str()))
    return kInvalidDriveHandle;
  ResultCode result = readText(index, kEftimNumber, text);
  if (result == kSuccess) LogInfo("Drive eftim number <%s>", text.data());
  return result;
}

// The drive answers four bytes; its number is the first two characters.
ResultCode DriDrives::readText(int index, std::uint8_t selector, std::span<char, 4> text) {
  std::fill(text.begin(), text.end(), '\0');
  std::array<std::uint8_t, 4> answer{};
  if (!selectDrive(index) ||
      !sendCommand(12, {kReadNumber, 0x00, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xA1, selector, 0x00}, answer,
                   kDataIn))
    return kAspiSendError;
  text[0] = static_cast<char>(answer[0]);
  text[1] = static_cast<char>(answer[1]);
  return kSuccess;
}

ResultCode DriDrives::EnableDiagnostics(int index) {
  if (!validIndex(index, "EnableDiagnostics")) return kInvalidDriveHandle;
  bool done = selectDrive(index) &&
              sendCommand({kEnterDiagnostics, codeByte(0), codeByte(1), codeByte(2), codeByte(3), codeByte(4),
                           codeByte(5), codeByte(6), codeByte(7), codeByte(8), codeByte(9), kDiagnosticsEnd});
  return done ? kSuccess : kAspiSendError;
}

ResultCode DriDrives::DisableDiagnostics(int index) {
  if (!validIndex(index, "DisableDiagnostics")) return kInvalidDriveHandle;
  bool done = selectDrive(index) && sendCommand({kLeaveDiagnostics, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                 0x00, 0x00, kDiagnosticsEnd});
  return done ? kSuccess : kAspiSendError;
}

ResultCode DriDrives::ReadFFW(int index, std::uint8_t& factorySetting) {
  factorySetting = 0;
  if (!validIndex(index, "ReadFFW")) return kInvalidDriveHandle;
  std::array<std::uint8_t, 4> answer{};
  ResultCode result = diagnosticsSession(
      index, "Error ReadFFW",
      {kFactorySetting, 0x00, 0x00, 0x00, 0x00, 0x38, 0x00, 0x04, 0x00, 0x00, 0x00, kDiagnosticsEnd}, answer, kDataIn);
  if (result == kSuccess) factorySetting = answer[1];
  return result;
}

ResultCode DriDrives::WriteFFW(int index, std::uint8_t value) {
  if (!validIndex(index, "WriteFFW")) return kInvalidDriveHandle;
  std::array<std::uint8_t, 4> setting{0x00, value, 0x00, 0x00};
  return diagnosticsSession(
      index, "Error WriteFFW",
      {kFactorySetting, 0x01, 0x00, 0x00, 0x00, 0x38, 0x00, 0x04, 0x00, 0x00, 0x00, kDiagnosticsEnd}, setting,
      kDataOut);
}

// The drive leaves its diagnostics mode whether or not the command in between completed.
ResultCode DriDrives::diagnosticsSession(int index, const char* failure, std::initializer_list<std::uint8_t> bytes,
                                         std::span<std::uint8_t> data, std::uint8_t direction) {
  if (EnableDiagnostics(index) != kSuccess) {
    LogError("%s", failure);
    return kAspiSendError;
  }
  bool done = sendCommand(12, bytes, data, direction);
  DisableDiagnostics(index);
  return done ? kSuccess : kAspiSendError;
}

}  // namespace quillon
