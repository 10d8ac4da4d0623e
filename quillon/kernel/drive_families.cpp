#include "quillon/kernel/drive_families.h"

namespace quillon {
namespace {

constexpr HandOff kCorvel{"Corvel", "Launch V - quillon.", "%s/Corvel/Corvel.exe"};
constexpr HandOff kTessway{"Tessway", "Launch B - quillon.", "%s/Tessway/Tessway.exe"};
constexpr HandOff kChipup{"Chipup", "Launch B - quillon.", "%s/Oltaro/Chipup.exe"};
constexpr HandOff kDromup{"dromup", "Launch B - quillon.", "%s/OltaroDROM/dromup.exe"};

}  // namespace

std::optional<HandOff> handOffFor(int driveType, std::string_view product) {
  switch (driveType) {
    case 12:
    case 22:
    case 27:
      return kCorvel;
    case 13:
      if (product == kCombinedDriveProduct) return kCorvel;
      return std::nullopt;
    case 23:
    case 28:
    case 29:
      return kTessway;
    case 33:
      return kChipup;
    case 34:
      return kDromup;
    default:
      return std::nullopt;
  }
}

int progressIntervalMs(int driveType) {
  switch (driveType) {
    case 31:
    case 32:
    case 35:
      return 200;
    case 13:
    case 14:
    case 15:
    case 25:
    case 30:
      return 150;
    default:
      return 100;
  }
}

bool DmaDisturbs(int driveType) { return driveType == 2 || driveType == 11; }

bool DmaOnlyByHand(int driveType, PlatformCode platform) {
  bool windows2000OrXp = platform == kPlatformWindows2000 || platform == kPlatformWindowsXp;
  return windows2000OrXp && DmaDisturbs(driveType);
}

}  // namespace quillon
