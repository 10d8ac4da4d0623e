#include "platform/spti.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <span>

#include "platform/device_handles.h"
#include "platform/host.h"

namespace platform {
namespace {

constexpr ULONG kMaxTimeoutSeconds = std::numeric_limits<std::uint32_t>::max() / 1000;

BOOL fail(int error) {
  SetLastError(static_cast<DWORD>(error));
  return FALSE;
}

bool inside(std::uint64_t offset, std::uint64_t length, DWORD size) { return offset <= size && length <= size - offset; }

bool overlap(std::uint64_t aOffset, std::uint64_t aLength, std::uint64_t bOffset, std::uint64_t bLength) {
  return aLength && bLength && aOffset < bOffset + bLength && bOffset < aOffset + aLength;
}

// Checks shared by both record forms. Sense lies in the output buffer, behind the record.
template <typename Record>
bool commonFieldsFit(const Record& record, DWORD outSize) {
  bool directionKnown = record.DataIn == SCSI_IOCTL_DATA_OUT || record.DataIn == SCSI_IOCTL_DATA_IN ||
                        record.DataIn == SCSI_IOCTL_DATA_UNSPECIFIED;
  bool senseFits = record.SenseInfoLength == 0 ||
                   (record.SenseInfoOffset >= sizeof(Record) && inside(record.SenseInfoOffset, record.SenseInfoLength, outSize));
  return record.Length == sizeof(Record) && record.CdbLength >= 1 && record.CdbLength <= kMaxCdbSize &&
         record.DataTransferLength <= kSptiMaxTransfer && directionKnown && senseFits;
}

// Data comes from the input buffer and goes back in the output buffer, as the buffered
// request travels on Windows.
bool bufferedDataFits(const SCSI_PASS_THROUGH& record, DWORD inSize, DWORD outSize) {
  std::uint64_t offset = record.DataBufferOffset, length = record.DataTransferLength;
  if (length == 0) return true;
  bool fromIn = record.DataIn != SCSI_IOCTL_DATA_IN, toOut = record.DataIn != SCSI_IOCTL_DATA_OUT;
  return offset >= sizeof record && (!fromIn || inside(offset, length, inSize)) &&
         (!toOut || inside(offset, length, outSize)) &&
         !overlap(offset, length, record.SenseInfoOffset, record.SenseInfoLength);
}

// SCSI_IOCTL_DATA_UNSPECIFIED moves no data: the bus is told the direction of every byte.
DataDirection directionOf(UCHAR dataIn, ULONG length) {
  if (length == 0 || dataIn == SCSI_IOCTL_DATA_UNSPECIFIED) return DataDirection::None;
  return dataIn == SCSI_IOCTL_DATA_IN ? DataDirection::In : DataDirection::Out;
}

template <typename Record>
std::optional<Record> readRecord(const void* in, DWORD inSize, const void* out, DWORD outSize) {
  if (!in || !out || inSize < sizeof(Record) || outSize < sizeof(Record)) return std::nullopt;
  Record record;
  std::memcpy(&record, in, sizeof record);
  return record;
}

// Runs the request and writes the answer into the record and the sense area behind it in
// `out`; the data has already gone to or come from the buffer the command points at.
template <typename Record>
BOOL run(const DeviceHandle& device, Record& record, std::span<std::uint8_t> data, void* out) {
  ScsiBus* bus = host().bus();
  if (!bus) return fail(ERROR_NOT_READY);
  DataDirection direction = directionOf(record.DataIn, record.DataTransferLength);
  ScsiCommand command;
  command.cdb = std::span<const std::uint8_t>(record.Cdb, record.CdbLength);
  command.direction = direction;
  command.data = direction == DataDirection::None ? std::span<std::uint8_t>() : data;
  command.timeoutMs = std::min(record.TimeOutValue, kMaxTimeoutSeconds) * 1000;
  ScsiOutcome outcome = bus->execute(device.address, command);
  switch (outcome.kind) {
    case ScsiOutcome::Kind::Done: break;
    case ScsiOutcome::Kind::Timeout: return fail(ERROR_SEM_TIMEOUT);
    case ScsiOutcome::Kind::NoDevice: return fail(ERROR_NOT_READY);
    case ScsiOutcome::Kind::Refused: return fail(ERROR_GEN_FAILURE);
  }
  record.ScsiStatus = outcome.status;
  record.DataTransferLength = static_cast<ULONG>(std::min(outcome.transferred, command.data.size()));
  std::size_t sense = outcome.status == kStatusCheckCondition ? std::min<std::size_t>(record.SenseInfoLength, kSenseSize) : 0;
  if (sense) std::memcpy(static_cast<std::uint8_t*>(out) + record.SenseInfoOffset, outcome.sense.data(), sense);
  record.SenseInfoLength = static_cast<UCHAR>(sense);
  std::memcpy(out, &record, sizeof record);
  return TRUE;
}

BOOL passThrough(const DeviceHandle& device, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  std::optional<SCSI_PASS_THROUGH> record = readRecord<SCSI_PASS_THROUGH>(in, inSize, out, outSize);
  if (!record || !commonFieldsFit(*record, outSize) || !bufferedDataFits(*record, inSize, outSize))
    return fail(ERROR_INVALID_PARAMETER);
  if (!device.writable) return fail(ERROR_ACCESS_DENIED);
  bool dataIn = record->DataIn == SCSI_IOCTL_DATA_IN;
  auto* base = static_cast<std::uint8_t*>(dataIn ? out : in);
  std::span<std::uint8_t> data(base + (record->DataTransferLength ? record->DataBufferOffset : 0), record->DataTransferLength);
  if (!run(device, *record, data, out)) return FALSE;
  bool dataCame = dataIn && record->DataTransferLength > 0;
  if (returned) *returned = dataCame ? static_cast<DWORD>(record->DataBufferOffset + record->DataTransferLength) : sizeof *record;
  return TRUE;
}

BOOL passThroughDirect(const DeviceHandle& device, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  std::optional<SCSI_PASS_THROUGH_DIRECT> record = readRecord<SCSI_PASS_THROUGH_DIRECT>(in, inSize, out, outSize);
  if (!record || !commonFieldsFit(*record, outSize) || (record->DataTransferLength && !record->DataBuffer))
    return fail(ERROR_INVALID_PARAMETER);
  if (!device.writable) return fail(ERROR_ACCESS_DENIED);
  std::span<std::uint8_t> data(static_cast<std::uint8_t*>(record->DataBuffer), record->DataTransferLength);
  if (!run(device, *record, data, out)) return FALSE;
  if (returned) *returned = sizeof *record;
  return TRUE;
}

BOOL scsiAddress(const DeviceHandle& device, void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < sizeof(SCSI_ADDRESS)) return fail(ERROR_INSUFFICIENT_BUFFER);
  SCSI_ADDRESS answer{sizeof(SCSI_ADDRESS), static_cast<UCHAR>(device.address.adapter), static_cast<UCHAR>(device.address.bus),
                      static_cast<UCHAR>(device.address.target), static_cast<UCHAR>(device.address.lun)};
  std::memcpy(out, &answer, sizeof answer);
  if (returned) *returned = sizeof answer;
  return TRUE;
}

}  // namespace

BOOL DeviceIoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                     void*) {
  std::optional<DeviceHandle> device = deviceHandle(handle);
  if (!device) return fail(ERROR_INVALID_HANDLE);
  switch (code) {
    case IOCTL_SCSI_GET_ADDRESS: return scsiAddress(*device, out, outSize, returned);
    case IOCTL_SCSI_PASS_THROUGH: return passThrough(*device, in, inSize, out, outSize, returned);
    case IOCTL_SCSI_PASS_THROUGH_DIRECT: return passThroughDirect(*device, in, inSize, out, outSize, returned);
    default: return fail(ERROR_INVALID_PARAMETER);
  }
}

}  // namespace platform
