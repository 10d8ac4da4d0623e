// One command on the current device: refusal of requests that do not fit, the attempts with
// their retries, the copy back of the data, the duration and the trace.

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/clock.h"
#include "platform/scsi_bus.h"
#include "quillon/drive/scsi_trace.h"
#include "quillon/drive/scsi_transport.h"

namespace quillon {
namespace {

constexpr std::uint32_t kRetryDelayMs = 200;
constexpr std::uint8_t kUnitAttention = 0x06;
constexpr std::uint8_t kNotReadyToReady = 0x28;

// Checked before anything is sent, so that no request reaches past its CDB or the data area.
std::optional<std::uint8_t> refusal(const platform::SRB_ExecSCSICmd& request) {
  if (request.SRB_CDBLen == 0 || request.SRB_CDBLen > kMaxCdbLength) return platform::SS_INVALID_SRB;
  if (request.SRB_BufLen == 0) return std::nullopt;
  if (request.SRB_BufLen > kDataAreaSize) return platform::SS_BUFFER_TO_BIG;
  std::uint8_t direction = request.SRB_Flags & (kDataIn | kDataOut);
  if (!request.SRB_BufPointer || (direction != kDataIn && direction != kDataOut)) return platform::SS_INVALID_SRB;
  return std::nullopt;
}

bool dataIn(const platform::SRB_ExecSCSICmd& request) { return request.SRB_Flags & kDataIn; }

std::uint32_t elapsedMs(std::uint32_t start, std::uint32_t end) {
  return start > end ? 0xFFFFFFFF - start + end : end - start;
}

}  // namespace

std::uint8_t ScsiTransport::Execute() {
  ScsiDevice* device = current();
  if (!device) {
    lastStatus_ = {platform::SS_ERR, 0, 0, 0};
    return platform::SS_ERR;
  }
  auto& request = device->request;
  std::uint32_t start = platform::clock().tickCount();
  request.SRB_HaId = device->address.adapter;
  request.SRB_Target = device->address.target;
  std::uint8_t* callerBuffer = request.SRB_BufPointer;
  if (auto refused = refusal(request)) {
    request.SRB_Status = *refused;
    lastStatus_ = {*refused, 0, 0, 0};
  } else {
    attempts(*device, callerBuffer);
  }
  device->lastStatus = lastStatus_;
  giveBack(request, callerBuffer);
  device->duration = elapsedMs(start, platform::clock().tickCount()) * 0.001;
  bool failed = request.SRB_Status != platform::SS_COMP;
  if (device->traceCondition == kTraceAll || (device->traceCondition == kTraceFailuresOnly && failed)) trace(*device);
  return request.SRB_Status;
}

void ScsiTransport::attempts(ScsiDevice& device, std::uint8_t* callerBuffer) {
  const platform::SRB_ExecSCSICmd saved = device.request;
  for (int attempt = 1;; ++attempt) {
    prepare(device.request, callerBuffer);
    Outcome outcome = interface_ == SPTI_INTERFACE ? runSpti(device) : runAspi(device.request);
    if (outcome == Outcome::Timeout) {
      lastStatus_ = {platform::SS_ERR, 0xFF, 0xFF, 0xFF};
      OnTimeout(current_);
      return;
    }
    bool retry = judge(device.request);
    if (!retry || attempt >= retryLimit_) return;
    device.request = saved;
    platform::clock().sleep(kRetryDelayMs);
  }
}

void ScsiTransport::prepare(platform::SRB_ExecSCSICmd& request, const std::uint8_t* callerBuffer) {
  if (request.SRB_BufLen > 0) {
    request.SRB_BufPointer = buffered_.data.data();
    if (dataIn(request))
      std::fill_n(buffered_.data.begin(), request.SRB_BufLen, 0);
    else
      std::memcpy(buffered_.data.data(), callerBuffer, request.SRB_BufLen);
  }
  platform::ResetEvent(event_.get());
  request.SRB_PostProc = reinterpret_cast<void*>(event_.get());
}

bool ScsiTransport::judge(const platform::SRB_ExecSCSICmd& request) {
  lastStatus_ = {request.SRB_Status, 0, 0, 0};
  if (request.SRB_Status != platform::SS_ERR) return false;
  if (request.SRB_TargStat == platform::kStatusBusy) return true;
  if (request.SRB_TargStat != platform::kStatusCheckCondition) return false;
  lastStatus_[1] = request.SenseArea[2] & 0x0F;
  lastStatus_[2] = request.SenseArea[12];
  lastStatus_[3] = request.SenseArea[13];
  return lastStatus_[1] == kUnitAttention && lastStatus_[2] == kNotReadyToReady && lastStatus_[3] == 0x00;
}

// The caller's buffer is the request's again in every case; only a completed read fills it.
void ScsiTransport::giveBack(platform::SRB_ExecSCSICmd& request, std::uint8_t* callerBuffer) const {
  if (request.SRB_BufLen == 0) return;
  bool filled = request.SRB_BufPointer == buffered_.data.data();
  if (filled && request.SRB_Status == platform::SS_COMP && dataIn(request))
    std::memcpy(callerBuffer, buffered_.data.data(), request.SRB_BufLen);
  request.SRB_BufPointer = callerBuffer;
}

void ScsiTransport::trace(const ScsiDevice& device) {
  const auto& request = device.request;
  CommandTrace record;
  record.level = device.traceLevel;
  record.spti = interface_ == SPTI_INTERFACE;
  record.direct = record.spti && !flags_.nt4;
  record.request = request;
  record.address = {device.address.adapter, device.address.bus, device.address.target, device.address.lun};
  record.lastStatus = device.lastStatus;
  record.seconds = device.duration;
  record.systemError = device.systemError;
  record.sptiFailureName = sptiFailureName_.data();
  if (request.SRB_BufPointer)
    record.data = {request.SRB_BufPointer, std::min<std::size_t>(request.SRB_BufLen, kDataAreaSize)};
  WriteTrace(record, [this](std::string_view line) { TraceDeviceLine(current_, line); });
}

}  // namespace quillon
