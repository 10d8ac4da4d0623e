// The devices of a machine description: each one on its own, then against each other and
// against the adapters they sit on.

#include <fmt/format.h>

#include <algorithm>
#include <map>

#include "quillon/firmware/model_table.h"
#include "sim/drives/vorante/drive_profile.h"
#include "sim/machine/description.h"
#include "sim/machine/drive_models.h"
#include "sim/machine/faults_json.h"

namespace sim {
namespace {

using nlohmann::json;

constexpr int kMostDeviceTypes = 31;  // five bits of the peripheral device type
constexpr std::string_view kVoranteModel = "vorante";
constexpr std::string_view kVoranteKeys[] = {"driveType", "skew", "eftim", "factorySetting", "disturbedBySettings"};
constexpr std::size_t kNumberWidth = 4;

std::optional<char> parseLetter(const ObjectFields& fields) {
  if (!fields.has("letter") || fields.value("letter").is_null()) return std::nullopt;
  std::string text = fields.text("letter");
  if (text.size() != 1 || text[0] < 'C' || text[0] > 'Z') fail(fields.at("letter"), "expected a letter C to Z or null");
  return text[0];
}

Identity parseIdentity(const ObjectFields& fields) {
  Identity identity;
  identity.vendor = fieldText(fields, "vendor", 8);
  identity.product = fieldText(fields, "product", 16);
  identity.revision = fieldText(fields, "revision", 4);
  identity.vendorSpecific = fieldText(fields, "vendorSpecific", 4, "");
  return identity;
}

const AdapterDescription& adapterOf(const ObjectFields& fields, const std::vector<AdapterDescription>& adapters) {
  int number = static_cast<int>(fields.integer("adapter", 0, 255));
  if (std::size_t(number) >= adapters.size()) fail(fields.at("adapter"), fmt::format("no adapter {}", number));
  return adapters[std::size_t(number)];
}

platform::ScsiAddress parseAddress(const ObjectFields& fields, const AdapterDescription& adapter) {
  platform::ScsiAddress address;
  address.adapter = adapter.number;
  address.target = static_cast<int>(fields.integer("target", 0, 255));
  if (address.target >= adapter.targets)
    fail(fields.at("target"), fmt::format("adapter {} ({}) has targets 0 to {}", adapter.number,
                                          kindName(adapter.kind), adapter.targets - 1));
  address.lun = static_cast<int>(fields.integer("lun", 0, 7, 0));
  if (address.lun >= lunsPerTarget(adapter.kind))
    fail(fields.at("lun"), fmt::format("devices on adapter {} ({}) answer on LUN 0 only", adapter.number,
                                       kindName(adapter.kind)));
  return address;
}

int parseDriveType(const ObjectFields& fields, const Identity& identity) {
  if (!fields.has("driveType")) {
    std::string model = identity.product.substr(0, quillon::kModelIdentifierLength);
    int driveType = quillon::lookupDriveType(model, false);
    if (driveType == 0)
      fail(fields.at("product"), fmt::format("{} is no model of the maker's; name its driveType", model));
    if (!vorante::isVoranteDriveType(driveType))
      fail(fields.at("product"),
           fmt::format("{} is drive type {}, which another maker's flasher updates", model, driveType));
    return driveType;
  }
  int driveType = static_cast<int>(fields.integer("driveType", 1, 35));
  if (!vorante::isVoranteDriveType(driveType))
    fail(fields.at("driveType"), fmt::format("drive type {} is updated by another maker's flasher", driveType));
  return driveType;
}

// Any ASCII but NUL, since its first byte may be the value 5 rather than a character.
std::string parseEftim(const ObjectFields& fields, std::string fallback) {
  std::string eftim = fields.text("eftim", std::move(fallback));
  bool ascii = std::all_of(eftim.begin(), eftim.end(), [](char c) { return c > 0 && c < 0x7F; });
  if (eftim.size() > kNumberWidth || !ascii) fail(fields.at("eftim"), "expected up to 4 ASCII characters");
  return eftim;
}

std::optional<vorante::DriveSetup> parseVorante(const ObjectFields& fields, const DeviceDescription& device) {
  if (device.model != kVoranteModel) {
    for (std::string_view key : kVoranteKeys)
      if (fields.has(key)) fail(fields.at(key), "only the maker's own drives (model vorante) have this");
    return std::nullopt;
  }
  vorante::DriveSetup setup;
  setup.driveType = parseDriveType(fields, device.identity);
  setup.skew = fieldText(fields, "skew", kNumberWidth, setup.skew);
  setup.eftim = parseEftim(fields, setup.eftim);
  setup.factorySetting = static_cast<std::uint8_t>(fields.integer("factorySetting", 0, 255, setup.factorySetting));
  return setup;
}

DeviceDescription parseDevice(const json& value, const JsonPath& path, const std::vector<AdapterDescription>& adapters) {
  ObjectFields fields(value, path,
                      {"adapter", "target", "lun", "letter", "deviceType", "model", "vendor", "product", "revision",
                       "vendorSpecific", "flash", "faults", "driveType", "skew", "eftim", "factorySetting",
                       "disturbedBySettings"});
  DeviceDescription device;
  device.address = parseAddress(fields, adapterOf(fields, adapters));
  device.letter = parseLetter(fields);
  device.deviceType = static_cast<int>(fields.integer("deviceType", 0, kMostDeviceTypes, device.deviceType));
  device.model = fields.text("model", device.model);
  if (!findDriveModel(device.model))
    fail(fields.at("model"), fmt::format("unknown model {}, expected one of {}", device.model, driveModelNames()));
  device.identity = parseIdentity(fields);
  device.flash = fields.text("flash", device.flash);
  if (device.flash.empty()) fail(fields.at("flash"), "expected a firmware file name or blank");
  if (fields.has("faults")) device.faults = parseFaults(fields.value("faults"), fields.at("faults"));
  device.vorante = parseVorante(fields, device);
  device.disturbedBySettings = fields.flag("disturbedBySettings", false);
  return device;
}

std::string addressText(const platform::ScsiAddress& address) {
  return fmt::format("{}:{}:{}", address.adapter, address.target, address.lun);
}

// Each device against those before it, so that the later of two clashing entries is named.
class Clashes {
 public:
  explicit Clashes(const std::vector<AdapterDescription>& adapters) : adapters_(adapters) {}

  void check(const DeviceDescription& device, const JsonPath& path) {
    const AdapterDescription& adapter = adapters_[std::size_t(device.address.adapter)];
    int capacity = adapter.targets * lunsPerTarget(adapter.kind);
    if (++perAdapter_[adapter.number] > capacity)
      fail(path, fmt::format("more devices than adapter {} ({}) holds ({})", adapter.number, kindName(adapter.kind),
                             capacity));
    std::string address = addressText(device.address);
    if (!addresses_.emplace(address, where(path)).second)
      fail(path / "target", fmt::format("duplicate address {} (also {})", address, addresses_[address]));
    if (device.letter && !letters_.emplace(*device.letter, where(path)).second)
      fail(path / "letter", fmt::format("duplicate drive letter {} (also {})", *device.letter, letters_[*device.letter]));
  }

 private:
  const std::vector<AdapterDescription>& adapters_;
  std::map<int, int> perAdapter_;
  std::map<std::string, std::string> addresses_;
  std::map<char, std::string> letters_;
};

}  // namespace

std::vector<DeviceDescription> parseDevices(const json& list, const JsonPath& path,
                                            const std::vector<AdapterDescription>& adapters) {
  std::vector<DeviceDescription> devices;
  Clashes clashes(adapters);
  for (std::size_t i = 0; i < list.size(); ++i) {
    devices.push_back(parseDevice(list[i], path / i, adapters));
    clashes.check(devices.back(), path / i);
  }
  return devices;
}

}  // namespace sim
