#pragma once
// What the drive type decides outside the Kernel: which families another flasher updates
// (the wizard starts it, the command line names it), and how long a drive programs its flash.

#include <optional>
#include <string_view>

namespace quillon {

// The product identification of the maker's combined drive, the one type-13 drive that
// another flasher updates.
inline constexpr std::string_view kCombinedDriveProduct = "VC2408V";

struct HandOff {
  std::string_view program;     // "Corvel"
  std::string_view logLine;     // "Launch V - quillon."
  std::string_view pathFormat;  // below the current folder, "%s" standing for it
};

std::optional<HandOff> handOffFor(int driveType, std::string_view product);

// The progress page advances one of its 400 steps every this many milliseconds, so that the
// bar ends about when the drive has finished programming.
inline constexpr int kProgressSteps = 400;
int progressIntervalMs(int driveType);

}  // namespace quillon
