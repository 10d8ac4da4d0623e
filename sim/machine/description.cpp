#include "sim/machine/description.h"

#include <fmt/format.h>

#include <limits>
#include <regex>

#include "sim/machine/platform_versions.h"

namespace sim {
namespace {

using nlohmann::json;

constexpr std::size_t kIdentifierWidth = 16;  // HA_Identifier
constexpr std::size_t kServicePackWidth = 127;
constexpr int kMostAdapters = 255;  // the adapter count is one byte

struct KindRow {
  AdapterKind kind;
  std::string_view name;
  int targets;
  int luns;
};

constexpr KindRow kKinds[] = {
    {AdapterKind::Ide, "ide", 2, 1},
    {AdapterKind::Parallel, "parallel", 1, 1},
    {AdapterKind::Scsi, "scsi", 8, 8},
};

const KindRow& rowOf(AdapterKind kind) {
  for (const KindRow& row : kKinds)
    if (row.kind == kind) return row;
  return kKinds[0];
}

std::string defaultIdentifier(AdapterKind kind, int platformCode) {
  switch (kind) {
    case AdapterKind::Ide:
      return windows9xStyle(platformCode) ? "ESDI_506" : "atapi";
    case AdapterKind::Parallel:
      return "EPATAPI";
    case AdapterKind::Scsi:
      break;
  }
  return "AIC-7880";
}

std::optional<platform::VersionInfo> parseVersion(const ObjectFields& top, int platformCode) {
  platform::VersionInfo version = versionOfPlatform(platformCode);
  if (!top.has("version")) return version;
  if (top.value("version").is_null()) return std::nullopt;
  ObjectFields fields(top.value("version"), top.at("version"), {"platformId", "major", "minor", "build", "servicePack"});
  constexpr std::int64_t kDword = std::numeric_limits<platform::DWORD>::max();
  version.platformId = static_cast<platform::DWORD>(fields.integer("platformId", 0, 2, version.platformId));
  version.major = static_cast<platform::DWORD>(fields.integer("major", 0, kDword, version.major));
  version.minor = static_cast<platform::DWORD>(fields.integer("minor", 0, kDword, version.minor));
  version.build = static_cast<platform::DWORD>(fields.integer("build", 0, kDword, version.build));
  version.servicePack = fieldText(fields, "servicePack", kServicePackWidth, version.servicePack);
  return version;
}

AdapterKind parseKind(const ObjectFields& fields) {
  std::string name = fields.text("kind");
  for (const KindRow& row : kKinds)
    if (row.name == name) return row.kind;
  fail(fields.at("kind"), fmt::format("unknown kind {}, expected ide, parallel or scsi", name));
}

AdapterDescription parseAdapter(const json& value, const JsonPath& path, int index, int platformCode) {
  ObjectFields fields(value, path, {"number", "kind", "identifier", "targets", "dma"});
  AdapterDescription adapter;
  adapter.number = static_cast<int>(fields.integer("number", 0, kMostAdapters - 1));
  if (adapter.number != index)
    fail(fields.at("number"), fmt::format("expected {}: adapters are numbered in order from 0", index));
  adapter.kind = parseKind(fields);
  adapter.identifier = fieldText(fields, "identifier", kIdentifierWidth, defaultIdentifier(adapter.kind, platformCode));
  adapter.targets = rowOf(adapter.kind).targets;
  if (fields.has("targets")) {
    if (adapter.kind != AdapterKind::Scsi) fail(fields.at("targets"), "only a SCSI adapter has a choice of targets");
    adapter.targets = static_cast<int>(fields.integer("targets", 8, 16));
    if (adapter.targets != 8 && adapter.targets != 16) fail(fields.at("targets"), "expected 8 or 16");
  }
  if (fields.has("dma") && adapter.kind != AdapterKind::Ide)
    fail(fields.at("dma"), "only an IDE channel has bus-master DMA");
  adapter.dma = fields.flag("dma", adapter.dma);
  return adapter;
}

std::vector<AdapterDescription> parseAdapters(const ObjectFields& top, int platformCode) {
  const json& list = top.array("adapters");
  if (list.size() > std::size_t(kMostAdapters)) fail(top.at("adapters"), "more adapters than ASPI can count");
  std::vector<AdapterDescription> adapters;
  for (std::size_t i = 0; i < list.size(); ++i)
    adapters.push_back(parseAdapter(list[i], top.at("adapters") / i, static_cast<int>(i), platformCode));
  return adapters;
}

void parseAspi(const ObjectFields& top, MachineDescription& machine) {
  ObjectFields fields(top.value("aspi"), top.at("aspi"), {"installed", "version"});
  machine.aspiInstalled = fields.flag("installed");
  machine.aspiVersion = fields.text("version", machine.aspiVersion);
  if (!std::regex_match(machine.aspiVersion, std::regex("[0-9]+\\.[0-9]{2}")))
    fail(fields.at("version"), "expected a version such as 4.60");
}

// A part described inline (of JSON type `inlineType`), or the name of its description file.
json parseReference(const ObjectFields& top, const char* key, json::value_t inlineType, const char* expected) {
  const json& value = top.value(key);
  if (value.type() == inlineType) return value;
  if (!value.is_string()) fail(top.at(key), std::string("wrong type, expected ") + expected + " or a file name");
  std::string name = value.get<std::string>();
  // Only a file beside machine.json keeps the machine folder whole when it is copied.
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
    fail(top.at(key), "expected the name of a file beside machine.json");
  return value;
}

}  // namespace

std::string_view kindName(AdapterKind kind) { return rowOf(kind).name; }

int lunsPerTarget(AdapterKind kind) { return rowOf(kind).luns; }

MachineDescription parseMachine(const json& document) {
  ObjectFields top(document, JsonPath(),
                   {"platform", "version", "administrator", "aspi", "cdrManager", "autorun", "adapters", "devices",
                    "firmware", "oem"});
  MachineDescription machine;
  machine.platform = static_cast<int>(top.integer("platform", kLowestPlatform, kHighestPlatform));
  machine.version = parseVersion(top, machine.platform);
  machine.administrator = top.flag("administrator");
  parseAspi(top, machine);
  machine.cdrManagerInstalled = ObjectFields(top.value("cdrManager"), top.at("cdrManager"), {"installed"}).flag("installed");
  machine.autorun = top.flag("autorun", machine.autorun);
  machine.adapters = parseAdapters(top, machine.platform);
  machine.devices = parseDevices(top.array("devices"), top.at("devices"), machine.adapters);
  if (top.has("firmware"))
    machine.firmware = parseReference(top, "firmware", json::value_t::array, "an array of firmware files");
  if (top.has("oem")) machine.oem = parseReference(top, "oem", json::value_t::object, "an OEM file description");
  return machine;
}

}  // namespace sim
