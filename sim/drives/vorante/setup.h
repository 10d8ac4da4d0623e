#pragma once
// How one of the maker's drives left the factory: its drive type, the numbers it reports
// about itself, and the byte behind its diagnostics mode.

#include <cstdint>
#include <string>

namespace sim::vorante {

struct DriveSetup {
  int driveType = 0;
  std::string skew = "A7";  // ReadSkew's answer, up to four bytes
  // ReadEFTIM's answer, up to four bytes; a first byte of value 5 (not the character "5")
  // makes the host take the second half of a dual firmware file.
  std::string eftim = "01";
  std::uint8_t factorySetting = 0;
};

}  // namespace sim::vorante
