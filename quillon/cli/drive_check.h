#pragma once
// What the command line asks a drive itself after a flash, so that it reports success only
// when the drive has finished programming and names the new revision.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "quillon/drive/scsi_transport.h"

namespace quillon::cli {

enum class DriveAnswer { Ready, Working };

// TEST UNIT READY to transport device `device`: ready also without a medium; working while
// it is busy, becoming ready, resetting or not answering.
DriveAnswer probeDrive(ScsiTransport& transport, int device);

// Polls every half second until the drive is ready or `limitMs` have passed; `progress` is
// told the time waited so far. True when the drive became ready.
bool waitUntilReady(ScsiTransport& transport, int device, std::uint32_t limitMs,
                    const std::function<void(std::uint32_t)>& progress);

// The revision in the drive's INQUIRY answer; nothing when it does not answer.
std::optional<std::string> reportedRevision(ScsiTransport& transport, int device);

// How long the wizard lets the progress page run for a drive type: its interval times 400.
std::uint32_t programmingTimeMs(int driveType);

}  // namespace quillon::cli
