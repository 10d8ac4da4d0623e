// The ASPI for Win32 back-end: the scan over host adapters and targets, and the execution
// of a request through SendASPI32Command.

#include "quillon/drive/scan_support.h"
#include "quillon/drive/scsi_transport.h"

namespace quillon {
namespace {

constexpr std::uint8_t kCdRom = 5;
constexpr std::uint8_t kWideAdapter = 16;

}  // namespace

bool ScsiTransport::loadAspi() {
  aspiLibrary_.reset(platform::LoadLibrary("WNASPI32"));
  if (!aspiLibrary_) return false;
  auto supportInfo = platform::GetProcAddress(aspiLibrary_.get(), "GetASPI32SupportInfo");
  auto sendCommand = platform::GetProcAddress(aspiLibrary_.get(), "SendASPI32Command");
  if (!supportInfo || !sendCommand) return false;
  getSupportInfo_ = reinterpret_cast<platform::GetASPI32SupportInfoFunction>(supportInfo);
  sendCommand_ = reinterpret_cast<platform::SendASPI32CommandFunction>(sendCommand);
  return true;
}

void ScsiTransport::scanAspi() {
  interface_ = ASPI_INTERFACE;
  if (!loadAspi()) return;
  platform::DWORD support = getSupportInfo_();
  std::uint8_t status = static_cast<std::uint8_t>(support >> 8);
  if (status != platform::SS_COMP && status != platform::SS_NO_ADAPTERS) return;
  int adapters = static_cast<int>(support & 0xFF);
  for (int adapter = 0; adapter < adapters; ++adapter) {
    platform::SRB_HAInquiry answer;
    int targets = InquiryAdapter(adapter, answer);
    if (targets == 0) break;
    scanAspiAdapter(adapter, targets);
  }
  if (flags_.ntFamily) assignLettersByAddress();
  if (flags_.windows95Family) assignLettersByDiskInfo();
}

int ScsiTransport::InquiryAdapter(int adapter, platform::SRB_HAInquiry& answer) {
  answer = {};
  if (!sendCommand_ || adapter < 0 || adapter > 0xFF) return 0;
  platform::SRB_HAInquiry request{};
  request.SRB_Cmd = platform::SC_HA_INQUIRY;
  request.SRB_HaId = static_cast<std::uint8_t>(adapter);
  sendCommand_(&request);
  if (request.SRB_Status != platform::SS_COMP) return 0;
  answer = request;
  return answer.HA_Unique[3] == kWideAdapter ? 16 : 8;
}

void ScsiTransport::scanAspiAdapter(int adapter, int targets) {
  for (int target = 0; target < targets && deviceCount_ < kMaxDevices; ++target)
    if (isCdRom(adapter, target)) addAspiDevice(adapter, target);
}

bool ScsiTransport::isCdRom(int adapter, int target) {
  platform::SRB_GDEVBlock request{};
  request.SRB_Cmd = platform::SC_GET_DEV_TYPE;
  request.SRB_HaId = static_cast<std::uint8_t>(adapter);
  request.SRB_Target = static_cast<std::uint8_t>(target);
  sendCommand_(&request);
  return request.SRB_Status == platform::SS_COMP && request.SRB_DeviceType == kCdRom;
}

void ScsiTransport::addAspiDevice(int adapter, int target) {
  int number = addDevice({static_cast<std::uint8_t>(adapter), 0, static_cast<std::uint8_t>(target), 0});
  ScsiDevice& device = devices_[static_cast<std::size_t>(number - 1)];
  std::array<std::uint8_t, 36> answer{};
  if (inquireStandard(answer)) {
    device.vendor = inquiryText(std::span(answer).subspan(8, 8));
    device.product = inquiryText(std::span(answer).subspan(16, 16));
  } else {
    device.vendor = "INQ failed";
    device.product = "INQ failed";
  }
}

// ASPI knows no drive letters; on the NT family the letters' own devices tell their address.
void ScsiTransport::assignLettersByAddress() {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    platform::ScopedHandle handle(platform::CreateFile(devicePath(letter).c_str(), 0, platform::FILE_SHARE_READ,
                                                       nullptr, platform::OPEN_EXISTING, 0, 0));
    auto address = handle ? queryAddress(handle.get()) : std::nullopt;
    if (!address) continue;
    for (int i = 0; i < deviceCount_; ++i) {
      ScsiDevice& device = devices_[static_cast<std::size_t>(i)];
      if (device.address.adapter == address->PortNumber && device.address.target == address->TargetId) {
        device.letter = {letter, ':', '\0'};
        break;
      }
    }
  }
}

void ScsiTransport::assignLettersByDiskInfo() {
  constexpr std::uint8_t kLetters = 26;
  for (int i = 0; i < deviceCount_; ++i) {
    ScsiDevice& device = devices_[static_cast<std::size_t>(i)];
    platform::SRB_GetDiskInfo request{};
    request.SRB_Cmd = platform::SC_GET_DISK_INFO;
    request.SRB_HaId = device.address.adapter;
    request.SRB_Target = device.address.target;
    sendCommand_(&request);
    if (request.SRB_Status == platform::SS_COMP && request.SRB_Int13HDriveInfo < kLetters)
      device.letter = {static_cast<char>('A' + request.SRB_Int13HDriveInfo), ':', '\0'};
  }
}

ScsiTransport::Outcome ScsiTransport::runAspi(platform::SRB_ExecSCSICmd& request) {
  request.SRB_Cmd = platform::SC_EXEC_SCSI_CMD;
  request.SRB_Lun = 0;
  if (sendCommand_(&request) == platform::SS_PENDING)
    platform::WaitForSingleObject(event_.get(), platform::INFINITE);
  // One thread: a request still pending after the wait will never end.
  bool neverEnded = request.SRB_Status == platform::SS_PENDING;
  bool timedOut = request.SRB_Status == platform::SS_ERR && (request.SRB_HaStat == platform::HASTAT_TIMEOUT ||
                                                            request.SRB_HaStat == platform::HASTAT_COMMAND_TIMEOUT);
  if (neverEnded) request.SRB_Status = platform::SS_ERR;
  return neverEnded || timedOut ? Outcome::Timeout : Outcome::Finished;
}

}  // namespace quillon
