#include "sim/machine/machine_parts.h"

#include <fmt/format.h>

#include <map>

#include "platform/registry.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/firmware/model_table.h"
#include "sim/machine/machine_folder.h"

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
std::string freshRegistryText() {
  return platform::Hive::fromText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorante\\Quillon]\n").toText();
}

}  // namespace sim
