#include "quillon/kernel/medium_wait.h"

#include "platform/clock.h"

namespace quillon {
namespace {

constexpr std::uint32_t kRetryMs = 100;

}  // namespace

// TestMediaStatus answers a drive that is not ready with the no-medium code, so the retries
// serve the other failures only.
ResultCode WaitNoMedium(const std::function<ResultCode(bool& medium)>& testMedia, std::uint32_t limitMs) {
  platform::Clock& clock = platform::clock();
  std::uint32_t start = clock.tickCount();
  for (;;) {
    bool medium = false;
    ResultCode result = testMedia(medium);
    if (result == kSuccess) return medium ? kDiscInDrive : kSuccess;
    if (clock.tickCount() - start > limitMs) return result;
    clock.sleep(kRetryMs);
  }
}

ResultCode WaitNoMedium(Kernel& kernel, int drive, std::uint32_t limitMs) {
  return WaitNoMedium([&](bool& medium) { return kernel.TestMedia(drive, medium); }, limitMs);
}

}  // namespace quillon
