#pragma once
// The restart of Windows that makes switched-off drive settings take effect.

namespace quillon {

// Logs "Start Shutdown", closes the status log and asks Windows for a forced reboot (with the
// shutdown privilege on the NT family first). 0 when Windows accepted, 1 when it refused.
int RestartWindows(bool ntFamily);

}  // namespace quillon
