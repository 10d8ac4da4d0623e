#pragma once
// The settings of Windows that must be off while a drive is flashed (DMA, auto-insert): the
// refusal of `flash` while they are on, the write-back of their saved values right before a
// flash, and `quillon-cli settings`, which lists them and switches them off.

#include <optional>

#include "quillon/cli/cli_arguments.h"
#include "quillon/cli/cli_session.h"

namespace quillon::cli {

// The exit status of the refusal when a setting must still go for the drive; nothing when
// the drive may be flashed as Windows is set up.
std::optional<int> refuseForSettings(Kernel& kernel, const DriveRecord& record, const Io& io);

// Puts back what `settings --switch-off` saved, for the next start of Windows. A failure is
// only a warning: the flash does not depend on it, and the file stays for the next run.
void restoreSettings(Kernel& kernel, const Io& io);

int driveSettings(Session& session, const Request& request, const Io& io);

}  // namespace quillon::cli
