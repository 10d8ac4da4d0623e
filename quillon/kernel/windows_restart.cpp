#include "quillon/kernel/windows_restart.h"

#include "platform/system.h"
#include "quillon/gui/logging.h"

namespace quillon {

int RestartWindows(bool ntFamily) {
  if (ntFamily) platform::EnableShutdownPrivilege();
  LogInfo("Start Shutdown");
  LogClose();
  return platform::ExitWindowsEx(platform::EWX_REBOOT | platform::EWX_FORCE, 0) ? 0 : 1;
}

}  // namespace quillon
