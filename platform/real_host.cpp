#include "platform/real_host.h"

#include <unistd.h>

#include <cstdio>

namespace platform {

RealHost::RealHost(std::vector<RealDrive> drives, SgIoCalls calls) : bus_(std::move(drives), std::move(calls)) {}

// Opening the devices for pass-through is what matters; that needs root or the device's group,
// and the programs ask for an administrator before they touch a drive.
bool RealHost::isAdministrator() const { return ::geteuid() == 0 || ::access("/dev", W_OK) == 0; }

bool RealHost::libraryInstalled(std::string_view name) const { return name == "WNASPI32"; }

void RealHost::requestRestart(DWORD flags) {
  std::fprintf(stderr, "quillon: the program asked to restart the PC (flags 0x%X); restart it yourself when it is done\n",
               static_cast<unsigned>(flags));
}

}  // namespace platform
