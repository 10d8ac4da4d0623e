#include "sim/machine/drive_state.h"

#include <fmt/format.h>

#include "sim/machine/faults_json.h"

namespace sim {
namespace {

using nlohmann::json;

json indicatorJson(const std::optional<vorante::Indicator>& indicator) {
  if (!indicator) return nullptr;
  return std::string(vorante::indicatorName(*indicator));
}

// Absent in the drive states of machines made before drives had one.
std::optional<vorante::Indicator> parseIndicator(const ObjectFields& fields) {
  if (!fields.has("indicator") || fields.value("indicator").is_null()) return std::nullopt;
  std::optional<vorante::Indicator> indicator = vorante::indicatorNamed(fields.text("indicator"));
  if (!indicator) fail(fields.at("indicator"), "expected off, blinking, steady or error");
  return indicator;
}

json stateJson(const DriveState& state) {
  json faults = faultsJson(state.faultsLeft);
  faults.erase("mediumPresent");
  return {{"indicator", indicatorJson(state.indicator)},
          {"vendor", state.identity.vendor},
          {"product", state.identity.product},
          {"revision", state.identity.revision},
          {"vendorSpecific", state.identity.vendorSpecific},
          {"trayOpen", state.trayOpen},
          {"medium", state.medium},
          {"removalPrevented", state.removalPrevented},
          {"faultsLeft", faults}};
}

json addressJson(const platform::ScsiAddress& address) {
  return {{"adapter", address.adapter}, {"target", address.target}, {"lun", address.lun}};
}

DriveState parseState(const json& value, const JsonPath& path, const DeviceDescription& device) {
  ObjectFields fields(value, path,
                      {"adapter", "target", "lun", "vendor", "product", "revision", "vendorSpecific", "trayOpen",
                       "medium", "removalPrevented", "faultsLeft", "indicator"});
  json address = addressJson(device.address);
  for (const auto& [key, expected] : address.items())
    if (fields.integer(key, 0, 255) != expected.get<int>())
      fail(fields.at(key), fmt::format("expected {} for the drive described here", expected.get<int>()));
  DriveState state;
  state.device = device;
  state.identity = {fieldText(fields, "vendor", 8), fieldText(fields, "product", 16), fieldText(fields, "revision", 4),
                    fieldText(fields, "vendorSpecific", 4)};
  state.trayOpen = fields.flag("trayOpen");
  state.medium = fields.flag("medium");
  state.removalPrevented = fields.flag("removalPrevented");
  state.faultsLeft = parseFaults(fields.value("faultsLeft"), fields.at("faultsLeft"));
  state.indicator = parseIndicator(fields);
  return state;
}

}  // namespace

DriveState powerOnState(const DeviceDescription& device) {
  DriveState state;
  state.device = device;
  state.identity = device.identity;
  state.medium = device.faults.mediumPresent;
  state.faultsLeft = device.faults;
  state.faultsLeft.mediumPresent = false;
  if (device.model == "vorante") state.indicator = vorante::Indicator::Off;
  return state;
}

DriveState restartedState(DriveState state, const DeviceDescription& device) {
  state.removalPrevented = false;
  DriveState powerOn = powerOnState(device);
  state.faultsLeft = powerOn.faultsLeft;
  state.indicator = powerOn.indicator;
  return state;
}

bool sameState(const DriveState& a, const DriveState& b) { return stateJson(a) == stateJson(b); }

json driveStateJson(const DeviceDescription& device, const DriveState& state) {
  json entry = addressJson(device.address);
  entry.update(stateJson(state));
  return entry;
}

json drivesJson(const std::vector<DeviceDescription>& devices, const std::vector<DriveState>& states) {
  json list = json::array();
  for (std::size_t i = 0; i < devices.size() && i < states.size(); ++i) list.push_back(driveStateJson(devices[i], states[i]));
  return list;
}

std::vector<DriveState> parseDrives(const json& document, const std::vector<DeviceDescription>& devices) {
  if (!document.is_array()) fail(JsonPath(), "wrong type, expected an array of drives");
  if (document.size() != devices.size())
    fail(JsonPath(), fmt::format("{} drives, but the machine has {}", document.size(), devices.size()));
  std::vector<DriveState> states;
  for (std::size_t i = 0; i < devices.size(); ++i) states.push_back(parseState(document[i], JsonPath() / i, devices[i]));
  return states;
}

}  // namespace sim
