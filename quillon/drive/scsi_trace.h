#pragma once
// The text trace of one finished command, as the transport writes it at trace levels 1 to 3:
// 1 a summary, 2 the summary and a dump of the data, 3 the same except for the bulk data
// transfers (reads and writes of medium data), whose dumps would drown everything else.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/aspi.h"

namespace quillon {

inline constexpr int kTraceNone = 0;
inline constexpr int kTraceSummary = 1;
inline constexpr int kTraceDump = 2;
inline constexpr int kTraceDumpNoTransfers = 3;

struct CommandTrace {
  int level = kTraceSummary;
  bool spti = false;
  bool direct = false;  // SPTI through IOCTL_SCSI_PASS_THROUGH_DIRECT
  platform::SRB_ExecSCSICmd request{};
  std::array<std::uint8_t, 4> address{};     // adapter (SPTI: port), bus, target, LUN
  std::array<std::uint8_t, 4> lastStatus{};  // request status, sense key, ASC, ASCQ
  double seconds = 0;
  std::uint32_t systemError = 0;
  std::string_view sptiFailureName;  // what SCSI status 0xFF (a failed call) is called
  std::span<const std::uint8_t> data;
};

using TraceWriter = std::function<void(std::string_view line)>;

void WriteTrace(const CommandTrace& trace, const TraceWriter& write);

// One line of the dump: the up to 16 bytes of `data` from `offset`, in hex and as characters.
std::string HexDumpLine(std::span<const std::uint8_t> data, std::size_t offset);

// The system's message for an error code, as the trace shows it after a failed call.
std::optional<std::string_view> systemErrorText(std::uint32_t error);

}  // namespace quillon
