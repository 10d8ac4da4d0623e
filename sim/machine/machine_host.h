#pragma once
// The host of a simulated PC: the Windows version, user and libraries its description
// names, its SCSI bus, and the restart a program asks for, recorded for the launcher.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host.h"
#include "sim/machine/description.h"
#include "sim/machine/machine_folder.h"
#include "sim/machine/simulated_bus.h"

namespace sim {

class MachineHost final : public platform::Host {
 public:
  // Throws MachineError for a folder a program cannot run on: a fault in its description,
  // a part missing, or read-only.
  explicit MachineHost(const std::filesystem::path& folder);
  MachineHost(const MachineHost&) = delete;
  MachineHost& operator=(const MachineHost&) = delete;

  std::optional<platform::VersionInfo> version() const override;
  bool isAdministrator() const override;
  bool libraryInstalled(std::string_view name) const override;
  platform::ScsiBus* bus() override;
  std::optional<std::string> stateFolder() const override;
  void requestRestart(platform::DWORD flags) override;

  const MachineFolder& folder() const { return folder_; }

 private:
  MachineFolder folder_;
  MachineDescription machine_;
  SimulatedBus bus_;
};

}  // namespace sim
