#include "sim/machine/machine_parts.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/ascii_case.h"
#include "platform/registry.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/firmware/model_table.h"
#include "sim/machine/machine_folder.h"
#include "sim/machine/machine_host.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kBlankFallbackSize = 0x40000;
constexpr std::uint8_t kErased = 0xFF;

std::vector<std::uint8_t> firmwareData(const FirmwareFile& file) {
  std::vector<std::uint8_t> bytes = buildFirmware(file.spec);
  auto begin = bytes.begin() + quillon::kDataOffset;
  auto length = quillon::dataLength(quillon::readLe32(bytes, quillon::kHeaderSize));
  return {begin, begin + static_cast<std::ptrdiff_t>(length)};
}

std::vector<std::uint8_t> blankFlash(const DeviceDescription& device) {
  std::string model = device.identity.product.substr(0, quillon::kModelIdentifierLength);
  int driveType = quillon::lookupDriveType(model, false);
  return std::vector<std::uint8_t>(quillon::requiredLength(driveType).value_or(kBlankFallbackSize), kErased);
}

// A part of the description given inline or by the name of a file beside it.
template <typename Parse>
auto parseReferenced(const nlohmann::json& reference, const char* key, const fs::path& description, Parse parse) {
  bool inFile = reference.is_string();
  fs::path source = inFile ? description.parent_path() / reference.get<std::string>() : description;
  nlohmann::json part = inFile ? readJsonFile(source) : reference;
  try {
    return parse(part);
  } catch (const DescriptionError& fault) {
    throw MachineError(fmt::format("{}: {}{}", source.native(), inFile ? "" : std::string("/") + key, fault.what()));
  }
}

// ---- The drives in the registry ----

using platform::HKEY_DYN_DATA;
using platform::HKEY_LOCAL_MACHINE;
using Key = platform::Hive::Key;

constexpr char kClassKeys[] = "System\\CurrentControlSet\\Services\\Class\\";
constexpr char kDmaDetectionLevel[] = "dmadetectionlevel=";
constexpr unsigned kFirstDevnode = 0xC29A3B20;
constexpr unsigned kDevnodeStep = 0x40;

Key& machineKey(platform::Hive& hive, std::string_view path) { return hive.root(HKEY_LOCAL_MACHINE).make(path); }

platform::RegValue text(std::string_view value) {
  platform::RegValue result{platform::REG_SZ, {value.begin(), value.end()}};
  result.data.push_back(0);
  return result;
}

platform::RegValue dword(std::uint32_t value) {
  return {platform::REG_DWORD, {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                std::uint8_t(value >> 24)}};
}

// Windows 9x keeps its device flags as one byte.
platform::RegValue flagByte(bool on) { return {platform::REG_BINARY, {std::uint8_t(on ? 1 : 0)}}; }

std::string portDriver(const AdapterDescription& adapter) {
  switch (adapter.kind) {
    case AdapterKind::Ide:
      return "atapi";
    case AdapterKind::Parallel:
      return "epatapi";
    case AdapterKind::Scsi:
      break;
  }
  std::string driver;
  for (char c : platform::lowerAscii(adapter.identifier))
    if (std::isalnum(static_cast<unsigned char>(c))) driver += c;
  return driver;
}

// As the atapi driver reads its parameters: "DmaDetectionLevel = 0x0;" switches DMA off.
bool dmaDetectionOff(platform::Hive& hive, int adapter) {
  const platform::RegValue* value = hiveValue(hive, HKEY_LOCAL_MACHINE, atapiDeviceKey(adapter), "DriverParameter");
  if (!value || value->type != platform::REG_SZ) return false;
  std::string parameters;
  for (char c : platform::lowerAscii(std::string(value->data.begin(), value->data.end())))
    if (c != ' ' && c != '\0') parameters += c;
  std::size_t at = parameters.find(kDmaDetectionLevel);
  if (at == std::string::npos) return false;
  return std::strtoul(parameters.c_str() + at + std::strlen(kDmaDetectionLevel), nullptr, 0) == 0;
}

void writeNtKeys(platform::Hive& hive, const MachineDescription& machine) {
  machineKey(hive, kCdromServiceKey).set("Autorun", dword(machine.autorun ? 1 : 0));
  for (const AdapterDescription& adapter : machine.adapters)
    if (adapter.kind == AdapterKind::Ide) machineKey(hive, atapiDeviceKey(adapter.number));
}

void writeDeviceMap(platform::Hive& hive, const MachineDescription& machine) {
  machineKey(hive, "HARDWARE\\DEVICEMAP\\Scsi").subkeys.clear();
  for (const AdapterDescription& adapter : machine.adapters) {
    Key& port = machineKey(hive, scsiPortKey(adapter.number));
    port.set("Driver", text(portDriver(adapter)));
    if (adapter.kind == AdapterKind::Ide)
      port.set("DMAEnabled", dword(adapter.dma && !dmaDetectionOff(hive, adapter.number) ? 1 : 0));
  }
}

std::string channelHardwareKey(const IdeChannel& place) {
  return fmt::format("MF\\CHILD000{}\\{}", place.channel, idePciFunction(place.controller));
}

std::string channelClassKey(const IdeChannel& place) {
  return fmt::format("{}hdc\\{:04}", kClassKeys, 1 + 2 * place.controller + place.channel);
}

void writeIdeChannel(platform::Hive& hive, const IdeChannel& place) {
  Key& channel = machineKey(hive, "Enum\\" + channelHardwareKey(place));
  channel.set("Class", text("hdc"));
  channel.set("Driver", text(channelClassKey(place).substr(std::strlen(kClassKeys))));
  machineKey(hive, channelClassKey(place)).set("DriverDesc",
      text(place.channel == 0 ? "Primary IDE controller (dual fifo)" : "Secondary IDE controller (dual fifo)"));
}

void write9xDevice(platform::Hive& hive, const MachineDescription& machine, const DeviceDescription& device) {
  Key& key = machineKey(hive, "Enum\\" + hardwareKey(machine, device));
  key.set("Class", text("CDROM"));
  key.set("SCSITargetID", text(std::to_string(device.address.target)));
  key.set("SCSILUN", text(std::to_string(device.address.lun)));
  if (device.letter) key.set("CurrentDriveLetterAssignment", text(std::string(1, *device.letter)));
  key.set("AutoInsertNotification", flagByte(machine.autorun));
  const AdapterDescription& adapter = machine.adapters.at(std::size_t(device.address.adapter));
  if (adapter.kind != AdapterKind::Ide) return;
  key.set("DMACurrentlyUsed", flagByte(adapter.dma));
  machineKey(hive, channelClassKey(ideChannelOf(machine, adapter.number)))
      .set(fmt::format("IDEDMADRIVE{}", device.address.target), flagByte(adapter.dma));
}

void write9xKeys(platform::Hive& hive, const MachineDescription& machine) {
  for (const AdapterDescription& adapter : machine.adapters)
    if (adapter.kind == AdapterKind::Ide) writeIdeChannel(hive, ideChannelOf(machine, adapter.number));
  for (const DeviceDescription& device : machine.devices) write9xDevice(hive, machine, device);
}

// One devnode per IDE channel, then one per device, each naming its hardware key.
void writeConfigManager(platform::Hive& hive, const MachineDescription& machine) {
  Key& devnodes = hive.root(HKEY_DYN_DATA).make("Config Manager\\Enum");
  devnodes.subkeys.clear();
  std::vector<std::string> hardwareKeys;
  for (const AdapterDescription& adapter : machine.adapters)
    if (adapter.kind == AdapterKind::Ide)
      hardwareKeys.push_back(channelHardwareKey(ideChannelOf(machine, adapter.number)));
  for (const DeviceDescription& device : machine.devices) hardwareKeys.push_back(hardwareKey(machine, device));
  for (std::size_t i = 0; i < hardwareKeys.size(); ++i) {
    Key& devnode = devnodes.make(fmt::format("{:08X}", kFirstDevnode + kDevnodeStep * i));
    devnode.set("HardWareKey", text(hardwareKeys[i]));
  }
}

}  // namespace

std::vector<FirmwareFile> firmwareSetOf(const MachineDescription& machine, const fs::path& description) {
  return parseReferenced(machine.firmware, "firmware", description, parseFirmwareSet);
}

std::optional<OemSet> oemSetOf(const MachineDescription& machine, const fs::path& description) {
  if (machine.oem.is_null()) return std::nullopt;
  return parseReferenced(machine.oem, "oem", description, parseOemSet);
}

std::vector<std::vector<std::uint8_t>> flashImages(const MachineDescription& machine,
                                                   const std::vector<FirmwareFile>& firmware,
                                                   const fs::path& description) {
  std::map<std::string, const FirmwareFile*> byName;
  for (const FirmwareFile& file : firmware) byName[file.name] = &file;
  std::vector<std::vector<std::uint8_t>> images;
  for (std::size_t i = 0; i < machine.devices.size(); ++i) {
    const DeviceDescription& device = machine.devices[i];
    if (device.flash == kBlankFlash) {
      images.push_back(blankFlash(device));
      continue;
    }
    auto found = byName.find(device.flash);
    if (found == byName.end())
      throw MachineError(fmt::format("{}: /devices/{}/flash: no firmware file {} in the machine's firmware set",
                                     description.native(), i, device.flash));
    try {
      images.push_back(firmwareData(*found->second));
    } catch (const BuildError& error) {
      throw MachineError(fmt::format("{}: {}", device.flash, error.what()));
    }
  }
  return images;
}

// Only what the suite reads; a program that finds no value of its own takes its default
// (without a Language value Parlex speaks English).
std::string freshRegistryText(const MachineDescription& machine) {
  platform::Hive hive = platform::Hive::fromText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorante\\Quillon]\n");
  switch (registryStyle(machine.platform)) {
    case RegistryStyle::Nt:
      writeNtKeys(hive, machine);
      break;
    case RegistryStyle::Windows9x:
      write9xKeys(hive, machine);
      break;
    case RegistryStyle::None:
      break;
  }
  rebuildVolatileKeys(hive, machine);
  return hive.toText();
}

void rebuildVolatileKeys(platform::Hive& hive, const MachineDescription& machine) {
  switch (registryStyle(machine.platform)) {
    case RegistryStyle::Nt:
      writeDeviceMap(hive, machine);
      break;
    case RegistryStyle::Windows9x:
      writeConfigManager(hive, machine);
      break;
    case RegistryStyle::None:
      break;
  }
}

}  // namespace sim
