#pragma once
// The two hosts that host() chooses between, open to tests: the bare PC, and a machine's
// host loaded from a library that exports quillon_attach_machine.

#include <optional>
#include <string>

#include "platform/host.h"

namespace platform {

// No drives, no libraries, no state folder; Windows XP and an administrator.
class BareHost final : public Host {
 public:
  std::optional<VersionInfo> version() const override { return VersionInfo{}; }
  bool isAdministrator() const override { return true; }
  bool libraryInstalled(std::string_view) const override { return false; }
  ScsiBus* bus() override { return nullptr; }
  std::optional<std::string> stateFolder() const override { return std::nullopt; }
  void requestRestart(DWORD flags) override { restart_ = flags; }
  // The flags of the last restart asked for; nobody carries it out.
  std::optional<DWORD> requestedRestart() const { return restart_; }

 private:
  std::optional<DWORD> restart_;
};

BareHost& bareHost();

// The machine's host from the library at `libraryPath`; nothing, with `reason` set, when the
// library cannot be loaded, lacks the entry point or refuses the machine folder. The library
// stays loaded for the life of the process either way once it was opened.
Host* loadMachineHost(const std::string& libraryPath, const char* machineFolder, std::string& reason);

inline constexpr const char* kMachineLibrary = "libsimpc.so";

}  // namespace platform
