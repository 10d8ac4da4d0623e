#pragma once
// Who a drive says it is: the texts of its standard INQUIRY data, which the programs read to
// list drives, pick models and tell an updated firmware revision from the old one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

struct Identity {
  std::string vendor;          // up to 8 characters, INQUIRY bytes 8-15
  std::string product;         // up to 16 characters, bytes 16-31
  std::string revision;        // up to 4 characters, bytes 32-35
  std::string vendorSpecific;  // up to 4 characters, bytes 52-55
};

// Throws std::invalid_argument for a text too long for its field or not printable ASCII,
// which a drive could not report.
void validate(const Identity& identity);

inline constexpr std::size_t kInquiryDataLength = 96;

// Standard INQUIRY data of a removable CD/DVD device, texts space padded.
std::array<std::uint8_t, kInquiryDataLength> inquiryData(const Identity& identity);

}  // namespace sim
