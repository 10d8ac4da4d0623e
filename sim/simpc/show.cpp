#include "sim/simpc/show.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include "platform/files.h"
#include "quillon/firmware/checksum.h"
#include "quillon/firmware/firmware_image.h"
#include "sim/machine/platform_versions.h"

namespace sim::simpc {
namespace {

using nlohmann::json;

json versionJson(const std::optional<platform::VersionInfo>& version) {
  if (!version) return nullptr;
  return {{"platformId", version->platformId}, {"major", version->major}, {"minor", version->minor},
          {"build", version->build}, {"servicePack", version->servicePack}};
}

json flashJson(const MachineFolder& folder, const platform::ScsiAddress& address) {
  std::filesystem::path image = folder.flashImage(address);
  platform::FileBytes file = platform::readWholeFile(image.native(), quillon::kMaxFirmwareFileSize);
  if (file.error != platform::FileError::None) throw MachineError(image.native() + ": cannot be read");
  quillon::Checksums sums = quillon::computeChecksums(file.bytes);
  return {{"image", image.lexically_relative(folder.root()).generic_string()},
          {"bytes", file.bytes.size()},
          {"linear", sums.linear},
          {"rotated", sums.rotated}};
}

// The drive's state as the machine keeps it, with what the description and the flash add.
json driveJson(const MachineFolder& folder, const DeviceDescription& device, const DriveState& state) {
  json drive = driveStateJson(device, state);
  drive.update({{"letter", device.letter ? json(std::string(1, *device.letter)) : json(nullptr)},
                {"deviceType", device.deviceType},
                {"model", device.model},
                {"flash", flashJson(folder, device.address)}});
  return drive;
}

json adaptersJson(const MachineFolder& folder, const MachineDescription& machine,
                  const std::vector<DriveState>& states) {
  json adapters = json::array();
  for (const AdapterDescription& adapter : machine.adapters) {
    json drives = json::array();
    for (std::size_t i = 0; i < machine.devices.size(); ++i)
      if (machine.devices[i].address.adapter == adapter.number)
        drives.push_back(driveJson(folder, machine.devices[i], states[i]));
    adapters.push_back({{"number", adapter.number},
                        {"kind", kindName(adapter.kind)},
                        {"identifier", adapter.identifier},
                        {"targets", adapter.targets},
                        {"drives", drives}});
  }
  return adapters;
}

std::string versionText(const json& version) {
  if (version.is_null()) return "the version query fails";
  // The Windows 95 family keeps the version in the build number's high word.
  std::uint32_t build = version["build"];
  if (version["platformId"] == 1) build &= 0xFFFF;
  std::string text = fmt::format("version {}.{:02} build {}, platform id {}", version["major"].get<int>(),
                                 version["minor"].get<int>(), build, version["platformId"].get<int>());
  std::string servicePack = version["servicePack"];
  return servicePack.empty() ? text : text + ", " + servicePack;
}

void printDrive(const json& drive, std::ostream& out) {
  std::string letter = drive["letter"].is_null() ? "--" : drive["letter"].get<std::string>() + ":";
  std::string identity = fmt::format("{:<8} {:<16} {:<4} {}", drive["vendor"].get<std::string>(),
                                     drive["product"].get<std::string>(), drive["revision"].get<std::string>(),
                                     drive["vendorSpecific"].get<std::string>());
  identity.erase(identity.find_last_not_of(' ') + 1);
  fmt::print(out, "  {}:{}:{}  {}  type {}  {}  {}\n", drive["adapter"].get<int>(), drive["target"].get<int>(),
             drive["lun"].get<int>(), letter, drive["deviceType"].get<int>(), drive["model"].get<std::string>(),
             identity);
  const json& flash = drive["flash"];
  const json& light = drive["indicator"];
  std::string indicator = light.is_null() ? "" : ", DISC IN " + light.get<std::string>();
  fmt::print(out, "         tray {}, {}, removal {}{}; {} {} bytes, linear 0x{:04X}, rotated 0x{:04X}\n",
             drive["trayOpen"].get<bool>() ? "open" : "closed", drive["medium"].get<bool>() ? "a disc" : "no disc",
             drive["removalPrevented"].get<bool>() ? "prevented" : "allowed", indicator,
             flash["image"].get<std::string>(),
             flash["bytes"].get<std::size_t>(), flash["linear"].get<int>(), flash["rotated"].get<int>());
}

}  // namespace

json machineReport(const MachineFolder& folder) {
  MachineDescription machine = readDescription(folder);
  checkComplete(folder, machine);
  std::vector<DriveState> states = readDriveStates(folder, machine);
  std::optional<std::uint32_t> restart = recordedRestart(folder);
  return {{"folder", folder.root().native()},
          {"platform", machine.platform},
          {"platformName", platformName(machine.platform)},
          {"version", versionJson(machine.version)},
          {"administrator", machine.administrator},
          {"aspi", {{"installed", machine.aspiInstalled}, {"version", machine.aspiVersion}}},
          {"cdrManager", {{"installed", machine.cdrManagerInstalled}}},
          {"adapters", adaptersJson(folder, machine, states)},
          {"restartPending", restart ? json(*restart) : json(nullptr)}};
}

void printReport(const json& report, std::ostream& out) {
  fmt::print(out, "Machine {}\n", report["folder"].get<std::string>());
  fmt::print(out, "{} (platform {}), {}\n", report["platformName"].get<std::string>(), report["platform"].get<int>(),
             versionText(report["version"]));
  fmt::print(out, "User: {}\n", report["administrator"].get<bool>() ? "administrator" : "no administrator rights");
  const json& aspi = report["aspi"];
  fmt::print(out, "ASPI: {}\n", aspi["installed"].get<bool>() ? "installed, version " + aspi["version"].get<std::string>()
                                                              : std::string("not installed"));
  fmt::print(out, "CD-recorder manager: {}\n", report["cdrManager"]["installed"].get<bool>() ? "installed" : "not installed");
  for (const json& adapter : report["adapters"]) {
    fmt::print(out, "Adapter {}: {} \"{}\", targets 0-{}\n", adapter["number"].get<int>(),
               adapter["kind"].get<std::string>(), adapter["identifier"].get<std::string>(),
               adapter["targets"].get<int>() - 1);
    for (const json& drive : adapter["drives"]) printDrive(drive, out);
  }
  if (!report["restartPending"].is_null())
    fmt::print(out, "A restart is pending (flags 0x{:X}); the next `simpc run` carries it out\n",
               report["restartPending"].get<std::uint32_t>());
}

}  // namespace sim::simpc
