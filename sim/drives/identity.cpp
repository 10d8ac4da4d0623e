#include "sim/drives/identity.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace sim {
namespace {

constexpr std::uint8_t kCdDvdDevice = 0x05;
constexpr std::uint8_t kRemovable = 0x80;
// MMC drives claim no SPC version here but use the response data format 2 layout.
constexpr std::uint8_t kVersion = 0x00;
constexpr std::uint8_t kResponseDataFormat = 0x02;

struct Field {
  std::size_t offset;
  std::size_t width;
};

constexpr Field kVendor{8, 8};
constexpr Field kProduct{16, 16};
constexpr Field kRevision{32, 4};
constexpr Field kVendorSpecific{52, 4};

void check(std::string_view text, Field field, const char* name) {
  if (text.size() > field.width)
    throw std::invalid_argument(std::string(name) + " longer than " + std::to_string(field.width));
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
    throw std::invalid_argument(std::string(name) + " is not printable ASCII");
}

void put(std::array<std::uint8_t, kInquiryDataLength>& out, Field field, std::string_view text) {
  std::fill_n(out.begin() + field.offset, field.width, ' ');
  std::copy(text.begin(), text.end(), out.begin() + field.offset);
}

}  // namespace

void validate(const Identity& identity) {
  check(identity.vendor, kVendor, "vendor");
  check(identity.product, kProduct, "product");
  check(identity.revision, kRevision, "revision");
  check(identity.vendorSpecific, kVendorSpecific, "vendor-specific text");
}

std::array<std::uint8_t, kInquiryDataLength> inquiryData(const Identity& identity) {
  std::array<std::uint8_t, kInquiryDataLength> out{};
  out[0] = kCdDvdDevice;
  out[1] = kRemovable;
  out[2] = kVersion;
  out[3] = kResponseDataFormat;
  out[4] = kInquiryDataLength - 5;
  put(out, kVendor, identity.vendor);
  put(out, kProduct, identity.product);
  put(out, kRevision, identity.revision);
  put(out, kVendorSpecific, identity.vendorSpecific);
  return out;
}

}  // namespace sim
