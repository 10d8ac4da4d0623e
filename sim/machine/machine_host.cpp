#include "sim/machine/machine_host.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>

#include "platform/ascii_case.h"

namespace sim {
namespace {

using platform::HKEY_LOCAL_MACHINE;

constexpr std::size_t kDeviceNameLength = 25;
constexpr int kFirstIdePciDevice = 7;
constexpr int kFirstScsiPciDevice = 0x0B;

const AdapterDescription& adapterOf(const MachineDescription& machine, const DeviceDescription& device) {
  return machine.adapters.at(static_cast<std::size_t>(device.address.adapter));
}

// As Quillon's display text begins: the vendor in 8 columns, the product in 16, the revision.
std::string deviceName(const Identity& identity) {
  std::string name = fmt::format("{:<8}{:<16}{}", identity.vendor, identity.product, identity.revision);
  name.resize(std::min(name.size(), kDeviceNameLength));
  for (char& c : name) c = c == ' ' ? '_' : platform::upperAscii(c);
  return name;
}

std::string instanceOf(const MachineDescription& machine, const DeviceDescription& device) {
  const AdapterDescription& adapter = adapterOf(machine, device);
  switch (adapter.kind) {
    case AdapterKind::Ide: {
      IdeChannel place = ideChannelOf(machine, adapter.number);
      return fmt::format("MF&CHILD000{}&{}", place.channel, idePciFunction(place.controller));
    }
    case AdapterKind::Parallel:
      return fmt::format("ROOT&SCSIADAPTER&{:04}", adapter.number);
    case AdapterKind::Scsi:
      break;
  }
  return fmt::format("PCI&VEN_9004&DEV_8178&BUS_00&DEV_{:02X}&FUNC_00&TARGET_{}&LUN_{}",
                     kFirstScsiPciDevice + adapter.number, device.address.target, device.address.lun);
}

bool on(const platform::RegValue* value) {
  return value && std::any_of(value->data.begin(), value->data.end(), [](std::uint8_t byte) { return byte != 0; });
}

std::vector<DriveState> withSettingsInEffect(const MachineFolder& folder, const MachineDescription& machine,
                                             std::vector<DriveState> states) {
  auto disturbed = [](const DeviceDescription& device) { return device.disturbedBySettings; };
  if (std::none_of(machine.devices.begin(), machine.devices.end(), disturbed)) return states;
  platform::Hive hive = openHive(folder);
  for (std::size_t i = 0; i < states.size(); ++i)
    if (disturbed(machine.devices[i]))
      states[i].faultsLeft.downloadDisturbed = disturbingSettingsOn(hive, machine, machine.devices[i]);
  return states;
}

MachineDescription runnable(const MachineFolder& folder) {
  MachineDescription machine = readDescription(folder);
  checkComplete(folder, machine);
  checkWritable(folder);
  return machine;
}

}  // namespace

platform::Hive openHive(const MachineFolder& folder) {
  try {
    return platform::Hive::openFile(folder.registry().native());
  } catch (const platform::HiveError& error) {
    throw MachineError(fmt::format("{}: {}", folder.registry().native(), error.what()));
  }
}

RegistryStyle registryStyle(int platformCode) {
  if (platformCode >= 2 && platformCode <= 4) return RegistryStyle::Windows9x;
  if (platformCode >= 5 && platformCode <= 7) return RegistryStyle::Nt;
  return RegistryStyle::None;
}

std::string scsiPortKey(int adapter) { return fmt::format("HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port {}", adapter); }

std::string atapiDeviceKey(int adapter) {
  return fmt::format("SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\Device{}", adapter);
}

IdeChannel ideChannelOf(const MachineDescription& machine, int adapter) {
  int before = 0;
  for (const AdapterDescription& other : machine.adapters)
    if (other.kind == AdapterKind::Ide && other.number < adapter) ++before;
  return {before / 2, before % 2};
}

std::string idePciFunction(int controller) {
  return fmt::format("PCI&VEN_8086&DEV_7111&BUS_00&DEV_{:02X}&FUNC_01", kFirstIdePciDevice + controller);
}

std::string hardwareKey(const MachineDescription& machine, const DeviceDescription& device) {
  return fmt::format("SCSI\\{}\\{}", deviceName(device.identity), instanceOf(machine, device));
}

const platform::RegValue* hiveValue(platform::Hive& hive, platform::HKEY root, std::string_view path,
                                    std::string_view name) {
  platform::Hive::Key* key = hive.root(root).find(path);
  return key ? key->value(name) : nullptr;
}

bool disturbingSettingsOn(platform::Hive& hive, const MachineDescription& machine, const DeviceDescription& device) {
  switch (registryStyle(machine.platform)) {
    case RegistryStyle::Nt:
      return on(hiveValue(hive, HKEY_LOCAL_MACHINE, scsiPortKey(device.address.adapter), "DMAEnabled")) ||
             on(hiveValue(hive, HKEY_LOCAL_MACHINE, kCdromServiceKey, "Autorun"));
    case RegistryStyle::Windows9x: {
      std::string key = "Enum\\" + hardwareKey(machine, device);
      return on(hiveValue(hive, HKEY_LOCAL_MACHINE, key, "DMACurrentlyUsed")) ||
             on(hiveValue(hive, HKEY_LOCAL_MACHINE, key, "AutoInsertNotification"));
    }
    case RegistryStyle::None:
      break;
  }
  return false;
}

MachineHost::MachineHost(const std::filesystem::path& folder)
    : folder_(folder),
      machine_(runnable(folder_)),
      bus_(
          machine_, withSettingsInEffect(folder_, machine_, readDriveStates(folder_, machine_)),
          [this](const std::vector<DriveState>& states) {
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
  if (platform::sameIgnoringCase(name, "WNASPI32")) return machine_.aspiInstalled;
  if (platform::sameIgnoringCase(name, "CDR4DLL")) return machine_.cdrManagerInstalled;
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
