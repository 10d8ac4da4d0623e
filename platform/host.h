#pragma once
// The PC the program runs on: its Windows version, whether the user is an administrator,
// which outside libraries are installed, the SCSI bus behind ASPI and SPTI, and the
// restart the program may ask for. A bare host (no machine chosen) has no drives. Inside a
// simulated PC the launcher names the machine folder in QUILLON_MACHINE, and the host is the
// simulated PC's, loaded at first use from libsimpc.so.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/scsi_bus.h"
#include "platform/win32.h"

namespace platform {

// The basic version record: platform id 0 Win32s, 1 Windows 95 family, 2 NT family.
struct VersionInfo {
  DWORD major = 5;
  DWORD minor = 1;
  DWORD build = 2600;
  DWORD platformId = 2;
  std::string servicePack;  // up to 127 characters
};

class Host {
 public:
  virtual ~Host() = default;
  virtual std::optional<VersionInfo> version() const = 0;  // nothing: the query fails
  virtual bool isAdministrator() const = 0;
  // Whether the library of this name ("WNASPI32", "CDR4DLL") is installed on the PC.
  virtual bool libraryInstalled(std::string_view name) const = 0;
  virtual ScsiBus* bus() = 0;  // nothing: no drives can be reached
  // A folder where the PC's stand-in libraries keep state between processes (the CD-recorder
  // manager's blocking); nothing for a bare host.
  virtual std::optional<std::string> stateFolder() const = 0;
  // Records that the program asked Windows to restart (the launcher carries it out).
  virtual void requestRestart(DWORD flags) = 0;
};

Host& host();

// Makes `replacement` the host for the lifetime of this object (tests).
class ScopedHost {
 public:
  explicit ScopedHost(Host& replacement);
  ~ScopedHost();
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;

 private:
  Host* previous_;
};

// The entry point libsimpc.so exports; returns the machine's host or nothing with a message.
using AttachMachineFunction = Host* (*)(const char* machineFolder, std::string* error);
inline constexpr const char* kAttachMachineName = "quillon_attach_machine";
inline constexpr const char* kMachineVariable = "QUILLON_MACHINE";

}  // namespace platform
