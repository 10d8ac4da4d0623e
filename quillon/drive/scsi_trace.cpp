#include "quillon/drive/scsi_trace.h"

#include <fmt/format.h>

#include <algorithm>

#include "quillon/drive/scsi_names.h"

namespace quillon {
namespace {

constexpr std::size_t kDumpWidth = 16;
constexpr std::size_t kMessageLimit = 110;
// What the system answers when it has no message for a code (ERROR_MR_MID_NOT_FOUND).
constexpr std::uint32_t kNoMessage = 317;
constexpr std::uint8_t kFailedCall = 0xFF;

bool completed(const platform::SRB_ExecSCSICmd& request) { return request.SRB_Status == platform::SS_COMP; }
bool dataIn(const platform::SRB_ExecSCSICmd& request) { return request.SRB_Flags & platform::SRB_DIR_IN; }

std::string statusPart(const CommandTrace& trace) {
  const auto& request = trace.request;
  const auto& address = trace.address;
  if (!trace.spti)
    return fmt::format("{} ({:02X}:{:02X}:{:02X}) (A{:X}:T{:X}:L{:X}) ", aspiStatusName(request.SRB_Status),
                       request.SRB_Status, request.SRB_HaStat, request.SRB_TargStat, address[0], address[2],
                       address[3]);
  // SPTI keeps the SCSI status in the host-adapter field.
  std::string_view name =
      request.SRB_HaStat == kFailedCall ? trace.sptiFailureName : sptiStatusName(request.SRB_HaStat);
  return fmt::format("{} ({:02X}:{:02X}:{:02X}) (P{:X}:B{:X}:T{:X}:L{:X}) {}", name, request.SRB_Status,
                     request.SRB_HaStat, request.SRB_TargStat, address[0], address[1], address[2], address[3],
                     trace.direct ? "(D)" : "");
}

std::string systemErrorLine(std::uint32_t error) {
  auto text = systemErrorText(error);
  if (!text) return fmt::format("** TranslateSystemError of ({:04X}) failed with ({:04X})", error, kNoMessage);
  return fmt::format("** ({:04x}) {}", error, text->substr(0, kMessageLimit));
}

std::string cdbLine(const CommandTrace& trace) {
  const auto& request = trace.request;
  std::size_t length = std::min<std::size_t>(request.SRB_CDBLen, sizeof request.CDBByte);
  std::string line = fmt::format("** CDB ({:02X} Bytes) : ", request.SRB_CDBLen);
  for (std::size_t i = 0; i < length; ++i) fmt::format_to(std::back_inserter(line), "{:02X} ", request.CDBByte[i]);
  fmt::format_to(std::back_inserter(line), " ({:.3f} sec)", trace.seconds);
  return line;
}

std::string senseLine(const CommandTrace& trace) {
  const auto& status = trace.lastStatus;
  return fmt::format("** {} ({:02X}) - {} ({:02X}) ({:02X})", senseKeyName(status[1]), status[1],
                     ascName(status[2]), status[2], status[3]);
}

bool bulkTransfer(std::uint8_t operationCode) {
  constexpr std::uint8_t kBulk[] = {0x28, 0x2A, 0xA8, 0xB9, 0xBE};
  return std::find(std::begin(kBulk), std::end(kBulk), operationCode) != std::end(kBulk);
}

void writeDataPart(const CommandTrace& trace, const TraceWriter& write) {
  const auto& request = trace.request;
  if (request.SRB_BufLen == 0 || (dataIn(request) && !completed(request))) {
    write("");
    return;
  }
  write(fmt::format("** Data transfer ({} - {:04X} Bytes) ", dataIn(request) ? "target to host" : "host to target",
                    platform::DWORD{request.SRB_BufLen}));
  bool dump = trace.level == kTraceDump || (trace.level == kTraceDumpNoTransfers && !bulkTransfer(request.CDBByte[0]));
  if (dump)
    for (std::size_t offset = 0; offset < trace.data.size(); offset += kDumpWidth)
      write(HexDumpLine(trace.data, offset));
  write("");
}

}  // namespace

void WriteTrace(const CommandTrace& trace, const TraceWriter& write) {
  if (trace.level < kTraceSummary || trace.level > kTraceDumpNoTransfers) return;
  const auto& request = trace.request;
  write(fmt::format("** {} : {}", commandName(request.CDBByte[0]), statusPart(trace)));
  if (trace.spti && request.SRB_HaStat == kFailedCall && request.SRB_TargStat == kFailedCall)
    write(systemErrorLine(trace.systemError));
  write(cdbLine(trace));
  write(senseLine(trace));
  writeDataPart(trace, write);
}

std::string HexDumpLine(std::span<const std::uint8_t> data, std::size_t offset) {
  std::size_t start = std::min(offset, data.size());
  auto bytes = data.subspan(start, std::min(kDumpWidth, data.size() - start));
  std::string line = fmt::format("{:04x} : ", offset);
  for (std::size_t i = 0; i < kDumpWidth; ++i) {
    if (i < bytes.size())
      fmt::format_to(std::back_inserter(line), "{:02x} ", bytes[i]);
    else
      line += "   ";
    // The gap after the eighth position keeps the columns of a short last line aligned.
    if (i == 7) line += ' ';
  }
  line += "  ";
  for (std::size_t i = 0; i < kDumpWidth; ++i) {
    if (i >= bytes.size())
      line += ' ';
    else
      line += bytes[i] < 32 || bytes[i] > 126 ? '.' : static_cast<char>(bytes[i]);
  }
  return line;
}

std::optional<std::string_view> systemErrorText(std::uint32_t error) {
  struct Message {
    std::uint32_t error;
    std::string_view text;
  };
  // The messages of the codes a pass-through call comes back with.
  static constexpr Message kMessages[] = {
      {2, "The system cannot find the file specified."},
      {5, "Access is denied."},
      {6, "The handle is invalid."},
      {21, "The device is not ready."},
      {31, "A device attached to the system is not functioning."},
      {87, "The parameter is incorrect."},
      {121, "The semaphore timeout period has expired."},
      {122, "The data area passed to a system call is too small."},
      {1117, "The request could not be performed because of an I/O device error."},
  };
  auto found = std::find_if(std::begin(kMessages), std::end(kMessages),
                            [error](const Message& message) { return message.error == error; });
  if (found == std::end(kMessages)) return std::nullopt;
  return found->text;
}

}  // namespace quillon
