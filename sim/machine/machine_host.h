#pragma once
// The host of a simulated PC: the Windows version, user and libraries its description
// names, its SCSI bus, and the restart a program asks for, recorded for the launcher.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host.h"
#include "platform/registry.h"
#include "sim/machine/description.h"
#include "sim/machine/machine_folder.h"
#include "sim/machine/simulated_bus.h"

namespace sim {

// Where the machine's Windows keeps its drives in the registry. The maker writes these keys, a
// restart makes the volatile ones again (HARDWARE\DEVICEMAP on NT, HKEY_DYN_DATA on 9x), and
// the host reads from them which settings are in effect.
enum class RegistryStyle { None, Nt, Windows9x };
RegistryStyle registryStyle(int platformCode);

inline constexpr char kCdromServiceKey[] = "System\\CurrentControlSet\\Services\\Cdrom";
std::string scsiPortKey(int adapter);     // NT: HARDWARE\DEVICEMAP\Scsi\Scsi Port N
std::string atapiDeviceKey(int adapter);  // NT: the atapi driver's parameters of channel N

// Where an IDE adapter sits: its controller and its channel on it (0 primary, 1 secondary),
// counted over the machine's IDE adapters in their order.
struct IdeChannel {
  int controller = 0;
  int channel = 0;
};
IdeChannel ideChannelOf(const MachineDescription& machine, int adapter);
// An IDE controller's PCI function, as Windows 9x names it in its keys.
std::string idePciFunction(int controller);
// Windows 9x: the device's key below Enum. "SCSI\", the vendor, product and first character of
// the revision in 25 columns with "_" for blanks, then the instance: on an IDE channel
// "MF&CHILD000", the channel and the controller's PCI function. Two devices of one identity on
// one channel share it.
std::string hardwareKey(const MachineDescription& machine, const DeviceDescription& device);

// The value at `path` below `root`, found without letter case; nothing when missing.
const platform::RegValue* hiveValue(platform::Hive& hive, platform::HKEY root, std::string_view path,
                                    std::string_view name);

// The machine's registry.reg; throws MachineError for a malformed one.
platform::Hive openHive(const MachineFolder& folder);

// Whether Windows has bus-master DMA or autorun in effect for the device.
bool disturbingSettingsOn(platform::Hive& hive, const MachineDescription& machine, const DeviceDescription& device);

class MachineHost final : public platform::Host {
 public:
  // Throws MachineError for a folder a program cannot run on: a fault in its description,
  // a part missing, or read-only. A drive disturbed by DMA or autorun reads from the hive
  // whether they are in effect.
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
