#include "quillon/drive/scan_support.h"

#include <fmt/format.h>

#include <algorithm>

namespace quillon {

std::string devicePath(char letter) { return fmt::format("\\\\.\\{}:", letter); }

std::optional<platform::SCSI_ADDRESS> queryAddress(platform::HANDLE device) {
  platform::SCSI_ADDRESS address{};
  address.Length = sizeof address;
  platform::DWORD returned = 0;
  if (!platform::DeviceIoControl(device, platform::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address,
                                 &returned, nullptr))
    return std::nullopt;
  return address;
}

std::string inquiryText(std::span<const std::uint8_t> field) {
  auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

}  // namespace quillon
