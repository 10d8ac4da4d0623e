// The SCSI pass-through back-end: the scan over drive letters, and the execution of a request
// with IOCTL_SCSI_PASS_THROUGH (NT 4.0) or IOCTL_SCSI_PASS_THROUGH_DIRECT (later versions).

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>

#include "platform/scsi_bus.h"
#include "quillon/drive/scan_support.h"
#include "quillon/drive/scsi_transport.h"

namespace quillon {
namespace {

constexpr std::uint8_t kCdRom = 5;
constexpr std::uint8_t kUnknownAddress = 0xFF;
constexpr platform::UCHAR kSenseInfoLength = 24;
constexpr platform::ULONG kTimeoutSeconds = 108000;
constexpr std::uint8_t kFailedCall = 0xFF;

// Critical-error message boxes would stop the scan at every empty floppy or card reader.
class QuietErrors {
 public:
  QuietErrors() : previous_(platform::SetErrorMode(platform::SEM_FAILCRITICALERRORS)) {}
  ~QuietErrors() { platform::SetErrorMode(previous_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  platform::UINT previous_;
};

platform::HANDLE openDevice(char letter) {
  std::string path = devicePath(letter);
  constexpr platform::DWORD kShare = platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE;
  platform::HANDLE handle = platform::CreateFile(path.c_str(), platform::GENERIC_READ | platform::GENERIC_WRITE,
                                                 kShare, nullptr, platform::OPEN_EXISTING, 0, 0);
  if (handle != platform::INVALID_HANDLE_VALUE) return handle;
  return platform::CreateFile(path.c_str(), platform::GENERIC_READ, kShare, nullptr, platform::OPEN_EXISTING, 0, 0);
}

template <typename Record>
void fillPassThrough(Record& record, const platform::SRB_ExecSCSICmd& request) {
  record = {};
  record.Length = sizeof(Record);
  record.CdbLength = request.SRB_CDBLen;
  std::copy_n(request.CDBByte, std::min<std::size_t>(request.SRB_CDBLen, sizeof record.Cdb), record.Cdb);
  record.SenseInfoLength = kSenseInfoLength;
  record.DataIn = (request.SRB_Flags & platform::SRB_DIR_IN) ? platform::SCSI_IOCTL_DATA_IN : platform::SCSI_IOCTL_DATA_OUT;
  record.DataTransferLength = request.SRB_BufLen;
  record.TimeOutValue = kTimeoutSeconds;
}

// The pass-through answers with the SCSI status alone; the request block wants it in ASPI's
// terms. The call shortens the sense length to what the drive returned.
template <typename Record>
void takeAnswer(const Record& record, std::span<const platform::UCHAR> senseArea, platform::SRB_ExecSCSICmd& request) {
  request.SRB_Status = platform::SS_COMP;
  request.SRB_HaStat = record.ScsiStatus;
  if (record.ScsiStatus == platform::kStatusGood) return;
  request.SRB_Status = platform::SS_ERR;
  auto sense = senseArea.first(std::min<std::size_t>(record.SenseInfoLength, senseArea.size()));
  if (sense.empty()) {
    // A BUSY drive sends no sense; passing its status on lets the caller retry as with ASPI.
    request.SRB_TargStat = record.ScsiStatus;
    return;
  }
  request.SRB_TargStat = platform::kStatusCheckCondition;
  std::copy_n(sense.begin(), std::min(sense.size(), sizeof request.SenseArea), request.SenseArea);
}

}  // namespace

void ScsiTransport::scanSpti() {
  interface_ = SPTI_INTERFACE;
  QuietErrors quiet;
  for (char letter = 'C'; letter <= 'Z' && deviceCount_ < kMaxDevices; ++letter) addSptiDevice(letter);
}

void ScsiTransport::addSptiDevice(char letter) {
  ScsiDevice& device = devices_[static_cast<std::size_t>(deviceCount_)];
  device.handle.reset(openDevice(letter));
  if (!device.handle) return;
  auto address = queryAddress(device.handle.get());
  addDevice(address ? DeviceAddress{address->PortNumber, address->PathId, address->TargetId, address->Lun}
                    : DeviceAddress{kUnknownAddress, kUnknownAddress, kUnknownAddress, kUnknownAddress});
  device.letter = {letter, ':', '\0'};
  std::array<std::uint8_t, 36> answer{};
  if (inquireStandard(answer) && (answer[0] & 0x0F) == kCdRom) {
    device.vendor = inquiryText(std::span(answer).subspan(8, 8));
    device.product = inquiryText(std::span(answer).subspan(16, 16));
    return;
  }
  device.clear();
  --deviceCount_;
}

ScsiTransport::Outcome ScsiTransport::runSpti(ScsiDevice& device) {
  if (!passThrough(device)) return failedCall(device, platform::GetLastError());
  device.systemError = 0;
  return Outcome::Finished;
}

bool ScsiTransport::passThrough(ScsiDevice& device) {
  auto& request = device.request;
  platform::DWORD returned = 0;
  if (flags_.nt4) {
    fillPassThrough(buffered_.record, request);
    buffered_.record.SenseInfoOffset = offsetof(BufferedPassThrough, sense);
    buffered_.record.DataBufferOffset = offsetof(BufferedPassThrough, data);
    buffered_.sense = {};
    if (!platform::DeviceIoControl(device.handle.get(), platform::IOCTL_SCSI_PASS_THROUGH, &buffered_,
                                   sizeof buffered_, &buffered_, sizeof buffered_, &returned, nullptr))
      return false;
    takeAnswer(buffered_.record, buffered_.sense, request);
    return true;
  }
  fillPassThrough(direct_.record, request);
  direct_.record.SenseInfoOffset = offsetof(DirectPassThrough, sense);
  direct_.record.DataBuffer = request.SRB_BufLen > 0 ? request.SRB_BufPointer : nullptr;
  direct_.sense = {};
  if (!platform::DeviceIoControl(device.handle.get(), platform::IOCTL_SCSI_PASS_THROUGH_DIRECT, &direct_,
                                 sizeof direct_, &direct_, sizeof direct_, &returned, nullptr))
    return false;
  takeAnswer(direct_.record, direct_.sense, request);
  return true;
}

ScsiTransport::Outcome ScsiTransport::failedCall(ScsiDevice& device, std::uint32_t error) {
  auto& request = device.request;
  request.SRB_Status = platform::SS_ERR;
  request.SRB_HaStat = kFailedCall;
  request.SRB_TargStat = kFailedCall;
  device.systemError = error;
  auto written = fmt::format_to_n(sptiFailureName_.data(), sptiFailureName_.size() - 1,
                                  "SPTI : DeviceIoCtrl error ({:04X})", error);
  *written.out = '\0';
  return error == platform::ERROR_SEM_TIMEOUT ? Outcome::Timeout : Outcome::Finished;
}

}  // namespace quillon
