#pragma once
// What both scans need: the path and the SCSI address of a drive-letter device, and the
// texts of an INQUIRY answer.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/spti.h"

namespace quillon {

std::string devicePath(char letter);  // "\\.\X:"
std::optional<platform::SCSI_ADDRESS> queryAddress(platform::HANDLE device);
// The field's characters up to its first zero byte.
std::string inquiryText(std::span<const std::uint8_t> field);

}  // namespace quillon
