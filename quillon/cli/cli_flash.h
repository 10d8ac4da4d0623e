#pragma once
// quillon-cli flash: the Kernel's whole flashing sequence for one drive and one file, with
// the wizard's settings guard, medium checks, lock and tray, then a wait for the drive to
// finish programming and a look at the revision it reports. Success only when the drive
// names the new revision.

#include "quillon/cli/cli_arguments.h"
#include "quillon/cli/cli_session.h"

namespace quillon::cli {

int flashDrive(Session& session, const Request& request, const Io& io);

}  // namespace quillon::cli
