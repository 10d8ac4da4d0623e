#include "sim/machine/machine_host.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sim {
namespace {

MachineDescription runnable(const MachineFolder& folder) {
  MachineDescription machine = readDescription(folder);
  checkComplete(folder, machine);
  checkWritable(folder);
  return machine;
}

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y)); });
}

}  // namespace

MachineHost::MachineHost(const std::filesystem::path& folder)
    : folder_(folder),
      machine_(runnable(folder_)),
      bus_(machine_, readDriveStates(folder_, machine_), [this](const std::vector<DriveState>& states) {
        // The program's command has been carried out; a drive state that cannot be kept
        // must not turn it into a failure the program would misread.
        try {
          writeDriveStates(folder_, machine_, states);
        } catch (const MachineError& error) {
          std::fprintf(stderr, "simpc: %s\n", error.what());
        }
      },
      [this](const platform::ScsiAddress& address) { return folder_.flashImage(address); }) {}

std::optional<platform::VersionInfo> MachineHost::version() const { return machine_.version; }

bool MachineHost::isAdministrator() const { return machine_.administrator; }

bool MachineHost::libraryInstalled(std::string_view name) const {
  if (sameName(name, "WNASPI32")) return machine_.aspiInstalled;
  if (sameName(name, "CDR4DLL")) return machine_.cdrManagerInstalled;
  return false;
}

platform::ScsiBus* MachineHost::bus() { return &bus_; }

std::optional<std::string> MachineHost::stateFolder() const { return folder_.state().native(); }

void MachineHost::requestRestart(platform::DWORD flags) {
  try {
    recordRestart(folder_, flags);
  } catch (const MachineError& error) {
    std::fprintf(stderr, "simpc: %s\n", error.what());
  }
}

}  // namespace sim
