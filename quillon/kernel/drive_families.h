#pragma once
// What the drive type decides outside the Kernel: which families another flasher updates
// (the wizard starts it, the command line names it), and how long a drive programs its flash.

#include <optional>
#include <string_view>

#include "quillon/drive/os_info.h"
#include "quillon/result_code.h"

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

// The drives whose flash bus-master DMA disturbs, so it must be off before they are flashed.
bool DmaDisturbs(int driveType);
// Windows 2000 and XP do not let DMA of those drives be switched off for them: the user does
// it in the Device Manager, told so by kDmaByHand and walked through it by kDmaSteps.
bool DmaOnlyByHand(int driveType, PlatformCode platform);
inline constexpr ResultCode kDmaByHand = 0x01000044;
inline constexpr ResultCode kDmaSteps = 0x01000045;

}  // namespace quillon
