#pragma once
// The drive a command acts on, and what `flash` and `settings --switch-off` both do before
// they change anything: refuse a drive Quillon does not update, and ask.

#include <optional>
#include <string>

#include "quillon/cli/cli_arguments.h"
#include "quillon/cli/cli_session.h"

namespace quillon::cli {

// "drive 0 (D: VORANTE VR1204A 2.00)"
std::string describe(const DriveRecord& record);

// The drive the request names; null, with the reason printed and `status` set, when there is none.
const DriveRecord* namedDrive(Session& session, const Request& request, const Io& io, int& status);

// The exit status of the refusal when the OEM file does not support the drive or another
// flasher updates it; nothing when Quillon itself may change it.
std::optional<int> refuseUnflashable(const Io& io, const DriveRecord& record);

// True with --yes, or when the user answers `question` with y. Without a terminal there is no
// one to ask: `action` completes "add --yes to ACTION without a question".
bool confirmed(const Request& request, const Io& io, const std::string& question, const std::string& action,
               int& status);

}  // namespace quillon::cli
