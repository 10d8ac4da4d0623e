#include "quillon/cli/drive_check.h"

#include <array>

#include "platform/aspi.h"
#include "platform/clock.h"
#include "quillon/drive/scan_support.h"
#include "quillon/kernel/drive_families.h"

namespace quillon::cli {
namespace {

constexpr std::uint8_t kSenseNotReady = 0x02;
constexpr std::uint8_t kMediumNotPresent = 0x3A;
constexpr std::uint32_t kPollIntervalMs = 500;

}  // namespace

DriveAnswer probeDrive(ScsiTransport& transport, int device) {
  if (!transport.SelectDevice(device)) return DriveAnswer::Working;
  transport.BuildCdb(6, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
  if (transport.Execute() == platform::SS_COMP) return DriveAnswer::Ready;
  const LastStatus& status = transport.GetLastStatus();
  bool empty = (status[1] & 0x0F) == kSenseNotReady && status[2] == kMediumNotPresent;
  return empty ? DriveAnswer::Ready : DriveAnswer::Working;
}

bool waitUntilReady(ScsiTransport& transport, int device, std::uint32_t limitMs,
                    const std::function<void(std::uint32_t)>& progress) {
  platform::Clock& clock = platform::clock();
  std::uint32_t start = clock.tickCount();
  for (;;) {
    std::uint32_t waited = clock.tickCount() - start;
    progress(waited);
    if (probeDrive(transport, device) == DriveAnswer::Ready) return true;
    if (waited >= limitMs) return false;
    clock.sleep(kPollIntervalMs);
  }
}

std::optional<std::string> reportedRevision(ScsiTransport& transport, int device) {
  if (!transport.SelectDevice(device)) return std::nullopt;
  std::array<std::uint8_t, kDeviceInquirySize> answer{};
  transport.InquiryDevice(answer);
  if (transport.GetLastStatus()[0] != platform::SS_COMP) return std::nullopt;
  return inquiryText(std::span(answer).subspan(32, 4));
}

std::uint32_t programmingTimeMs(int driveType) {
  return static_cast<std::uint32_t>(progressIntervalMs(driveType) * kProgressSteps);
}

}  // namespace quillon::cli
