#pragma once
// One optical drive as Quillon lists it: its address, what it says it is, how it is attached,
// and the fields the kernel fills in. Texts are zero-terminated within their fields.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr int kAdapterUnclassified = 0;
inline constexpr int kAdapterIde = 1;
inline constexpr int kAdapterParallelPort = 2;
inline constexpr int kAdapterScsi = 3;

struct DriveRecord {
  std::int32_t driveIndex = 0;
  std::int32_t hostAdapter = 0;
  std::array<char, 20> adapterId{};
  std::int32_t adapterClass = kAdapterUnclassified;
  std::int32_t channel = 0;
  std::int32_t target = 0;
  std::int32_t lun = 0;
  std::array<char, 52> displayText{};  // Windows 95 family: vendor, product, revision in columns
  std::array<char, 9> vendor{};
  std::array<char, 17> product{};
  std::array<char, 5> revision{};
  std::array<char, 5> vendorSpecific{};
  std::array<char, 4> skew{};
  std::array<char, 4> eftim{};
  std::int32_t driveType = 0;
  char driveLetter = 0;  // 'C' to 'Z', or '?'
  // The kernel's.
  std::uint8_t supported = 0;
  std::uint8_t dmaInUse = 0;
  std::uint8_t autoInsert = 0;
  std::array<char, 260> registryKey{};
};

// The text of a field, up to its terminating zero.
std::string_view fieldText(std::span<const char> field);
// The same as a string of its own.
inline std::string fieldString(std::span<const char> field) { return std::string(fieldText(field)); }
// Copies as much of `text` as fits and terminates it.
void setFieldText(std::span<char> field, std::string_view text);

// Removes trailing spaces from the first `width` characters, but never the first one, so a
// field of spaces keeps a single space.
void TrimRight(std::span<char> text, std::size_t width);

// "Vendor  Product         Rev": vendor padded to 8, product to 16.
void BuildDisplayText(DriveRecord& record);

// Windows 9x names its IDE channels "ESDI_506" and parallel-port adapters "EPATAPI".
void ClassifyAdapter(DriveRecord& record);

// Consecutive adapters with the same identifier are channels of one controller: the second
// of them counts on from the first.
void NumberChannels(std::span<DriveRecord> records, std::size_t i);

}  // namespace quillon
