#pragma once
// The names the command trace gives to operation codes, request and SCSI status values,
// sense keys and additional sense codes. A code missing from its table reads "???".

#include <cstdint>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kUnknownName = "???";

std::string_view commandName(std::uint32_t operationCode);
std::string_view aspiStatusName(std::uint32_t requestStatus);
// The fixed part of the SPTI table; the transport keeps the text for its failed calls (0xFF).
std::string_view sptiStatusName(std::uint32_t scsiStatus);
std::string_view senseKeyName(std::uint32_t senseKey);
std::string_view ascName(std::uint32_t asc);

}  // namespace quillon
