#pragma once
// Sense data as the drive reports it: key, additional sense code and qualifier, laid out in
// the fixed format (response code 70h) that the transports hand back after CHECK CONDITION.

#include <array>
#include <cstdint>
#include <optional>

#include "platform/scsi_bus.h"

namespace sim {

struct Sense {
  std::uint8_t key = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  // The INFORMATION field (e.g. the block at fault); sets the VALID bit when present.
  std::optional<std::uint32_t> information = std::nullopt;
  friend bool operator==(const Sense&, const Sense&) = default;
};

namespace sense_key {
inline constexpr std::uint8_t kNoSense = 0x00;
inline constexpr std::uint8_t kNotReady = 0x02;
inline constexpr std::uint8_t kIllegalRequest = 0x05;
inline constexpr std::uint8_t kUnitAttention = 0x06;
}  // namespace sense_key

inline constexpr Sense kNoSense{};
inline constexpr Sense kBecomingReady{sense_key::kNotReady, 0x04, 0x01};
inline constexpr Sense kNoMediumTrayClosed{sense_key::kNotReady, 0x3A, 0x01};
inline constexpr Sense kNoMediumTrayOpen{sense_key::kNotReady, 0x3A, 0x02};
inline constexpr Sense kInvalidOperationCode{sense_key::kIllegalRequest, 0x20, 0x00};
inline constexpr Sense kInvalidFieldInCdb{sense_key::kIllegalRequest, 0x24, 0x00};
inline constexpr Sense kRemovalPrevented{sense_key::kIllegalRequest, 0x53, 0x02};
inline constexpr Sense kMediumMayHaveChanged{sense_key::kUnitAttention, 0x28, 0x00};
inline constexpr Sense kPowerOnOrReset{sense_key::kUnitAttention, 0x29, 0x00};

std::array<std::uint8_t, platform::kSenseSize> fixedSense(const Sense& sense);

}  // namespace sim
