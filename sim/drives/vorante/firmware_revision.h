#pragma once
// The revision a firmware carries in its identification block, which the drive reports once
// it runs that firmware: the four bytes 24 to 27 after the first "VORANTE" in the data, or
// after the first "IDE-CD" in firmware without one. The file variant (GetFWRevision) looks
// at a file's first 32 KiB; the drive looks at all of its firmware.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace sim::vorante {

// Nothing when there is no block, or its revision is not printable text INQUIRY can carry.
std::optional<std::string> firmwareRevision(std::span<const std::uint8_t> data);

}  // namespace sim::vorante
