#include "quillon/drive/scsi_transport.h"

#include <algorithm>

#include "quillon/drive/os_info.h"
#include "quillon/drive/scsi_opcodes.h"

namespace quillon {
namespace {

// What the request block's sense area holds; asking ASPI for more would let it write past it.
constexpr std::uint8_t kAspiSenseLength = sizeof(platform::SRB_ExecSCSICmd::SenseArea);
constexpr std::uint8_t kUnusableCdbLength = 0xFF;

}  // namespace

void ScsiDevice::clear() {
  handle.reset();
  letter = {'?', ':', '\0'};
  vendor.clear();
  product.clear();
  lastStatus = {};
  traceLevel = 0;
  traceCondition = kTraceAll;
  request = {};
  systemError = 0;
  duration = 0;
  address = {};
}

void ScsiTransportBase::TraceDeviceLine(int, std::string_view) {}
void ScsiTransportBase::TraceDeviceLine2(int, std::string_view) {}
void ScsiTransportBase::TraceLine(std::string_view) {}
void ScsiTransportBase::OnTimeout(int) {}

ScsiTransport::ScsiTransport() {
  PlatformCode platform = OsInfo().GetPlatform(0);
  flags_.windows95Family = isWindows95Family(platform);
  flags_.ntFamily = isNtFamily(platform);
  flags_.nt4 = platform == kPlatformWindowsNt4;
  scan();
}

ScsiTransport::~ScsiTransport() { release(); }

void ScsiTransport::OnTimeout(int) {}

void ScsiTransport::SetInterface(Interface requested) {
  release();
  interface_ = requested == ASPI_INTERFACE || requested == SPTI_INTERFACE ? requested : DEFAULT_INTERFACE;
  scan();
}

void ScsiTransport::release() {
  for (auto& device : devices_) device.clear();
  deviceCount_ = 0;
  current_ = 0;
  event_.reset();
  getSupportInfo_ = nullptr;
  sendCommand_ = nullptr;
  aspiLibrary_.reset();
}

void ScsiTransport::scan() {
  deviceCount_ = 0;
  retryLimit_ = 3;
  for (auto& device : devices_) device.clear();
  event_.reset(platform::CreateEvent(nullptr, platform::TRUE, platform::FALSE, nullptr));
  if (event_) {
    if (flags_.windows95Family || interface_ == ASPI_INTERFACE) {
      scanAspi();
    } else if (interface_ == SPTI_INTERFACE) {
      scanSpti();
    } else {
      scanSpti();
      if (deviceCount_ == 0) scanAspi();
    }
  }
  if (deviceCount_ == 0) interface_ = NO_INTERFACE;
  current_ = deviceCount_ > 0 ? 1 : 0;
}

int ScsiTransport::addDevice(DeviceAddress address) {
  devices_[static_cast<std::size_t>(deviceCount_)].address = address;
  ++deviceCount_;
  SelectDevice(deviceCount_);
  return deviceCount_;
}

bool ScsiTransport::inquireStandard(std::array<std::uint8_t, 36>& answer) {
  BuildCdb(6, {kInquiry, 0x00, 0x00, 0x00, 0x24, 0x00});
  SetDataBuffer(answer, kDataIn);
  return Execute() == platform::SS_COMP;
}

bool ScsiTransport::SelectDevice(int number) {
  if (number < 1 || number > deviceCount_) return false;
  current_ = number;
  return true;
}

const ScsiDevice* ScsiTransport::Device(int number) const {
  if (number < 1 || number > deviceCount_) return nullptr;
  return &devices_[static_cast<std::size_t>(number - 1)];
}

ScsiDevice* ScsiTransport::current() {
  if (current_ < 1 || current_ > deviceCount_) return nullptr;
  return &devices_[static_cast<std::size_t>(current_ - 1)];
}

void ScsiTransport::SetTrace(int level, int condition) {
  if (ScsiDevice* device = current()) {
    device->traceLevel = level;
    device->traceCondition = condition;
  }
}

void ScsiTransport::BuildCdb(int length, std::initializer_list<std::uint8_t> bytes) {
  ScsiDevice* device = current();
  if (!device) return;
  auto& request = device->request;
  request = {};
  request.SRB_Cmd = platform::SC_EXEC_SCSI_CMD;
  request.SRB_Flags = platform::SRB_EVENT_NOTIFY;
  request.SRB_SenseLen = kAspiSenseLength;
  request.SRB_CDBLen = length >= 0 && length <= 0xFF ? static_cast<std::uint8_t>(length) : kUnusableCdbLength;
  std::size_t count = std::min({bytes.size(), static_cast<std::size_t>(std::max(length, 0)), kMaxCdbLength});
  std::copy_n(bytes.begin(), count, request.CDBByte);
}

void ScsiTransport::SetDataBuffer(std::span<std::uint8_t> buffer, std::uint8_t direction) {
  ScsiDevice* device = current();
  if (!device) return;
  auto& request = device->request;
  request.SRB_Flags = static_cast<std::uint8_t>(platform::SRB_EVENT_NOTIFY | direction);
  request.SRB_BufPointer = buffer.data();
  request.SRB_BufLen = static_cast<platform::DWORD>(std::min<std::size_t>(buffer.size(), 0xFFFFFFFF));
}

void ScsiTransport::InquiryDevice(std::span<std::uint8_t, kDeviceInquirySize> buffer) {
  std::fill(buffer.begin(), buffer.end(), 0);
  BuildCdb(6, {kInquiry, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(kDeviceInquirySize), 0x00});
  SetDataBuffer(buffer, kDataIn);
  Execute();
}

}  // namespace quillon
