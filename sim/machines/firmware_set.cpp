#include "sim/machines/firmware_set.h"

#include <set>

#include "platform/files.h"

namespace sim {
namespace {

using nlohmann::json;

const std::set<std::string> kSpecKeys = {"model", "revision", "form", "ext", "size", "fill", "badLinear", "badRotated"};
// A combined file's DVD part, or a dual file's second half.
const std::set<std::string> kPartKeys = {"dvd", "second"};

template <typename T>
T field(const json& entry, const std::string& key, const std::string& at, json::value_t type) {
  const json& value = entry.at(key);
  bool fits = value.type() == type || (type == json::value_t::number_unsigned && value.is_number_unsigned());
  if (!fits) throw DescriptionError(at + "/" + key + ": wrong type, expected " + json(type).type_name());
  return value.get<T>();
}

FirmwareSpec parseSpec(const json& entry, const std::string& at, const std::set<std::string>& otherKeys) {
  if (!entry.is_object()) throw DescriptionError(at + ": expected an object");
  for (const auto& [key, value] : entry.items())
    if (!kSpecKeys.count(key) && !otherKeys.count(key)) throw DescriptionError(at + "/" + key + ": unknown key");
  if (!entry.contains("model")) throw DescriptionError(at + "/model: missing");
  FirmwareSpec spec;
  spec.model = field<std::string>(entry, "model", at, json::value_t::string);
  if (entry.contains("revision")) spec.revision = field<std::string>(entry, "revision", at, json::value_t::string);
  if (entry.contains("form")) {
    std::string form = field<std::string>(entry, "form", at, json::value_t::string);
    if (form != "A" && form != "B") throw DescriptionError(at + "/form: A or B");
    spec.form = form[0];
  }
  if (entry.contains("ext")) spec.ext = field<bool>(entry, "ext", at, json::value_t::boolean);
  if (entry.contains("size")) spec.size = field<std::uint32_t>(entry, "size", at, json::value_t::number_unsigned);
  if (entry.contains("fill")) spec.fill = parseFill(field<std::string>(entry, "fill", at, json::value_t::string));
  if (entry.contains("badLinear")) spec.badLinear = field<bool>(entry, "badLinear", at, json::value_t::boolean);
  if (entry.contains("badRotated")) spec.badRotated = field<bool>(entry, "badRotated", at, json::value_t::boolean);
  return spec;
}

FirmwareFile parseEntry(const json& entry, const std::string& at) {
  std::set<std::string> otherKeys = kPartKeys;
  otherKeys.insert("file");
  FirmwareFile file;
  file.spec = parseSpec(entry, at, otherKeys);
  if (!entry.contains("file")) throw DescriptionError(at + "/file: missing");
  file.name = field<std::string>(entry, "file", at, json::value_t::string);
  if (entry.contains("dvd") && entry.contains("second"))
    throw DescriptionError(at + ": a file is combined (dvd) or dual (second), not both");
  if (entry.contains("dvd")) file.dvdPart = parseSpec(entry.at("dvd"), at + "/dvd", {});
  if (entry.contains("second")) file.secondHalf = parseSpec(entry.at("second"), at + "/second", {});
  return file;
}

std::vector<std::uint8_t> bytesOf(const FirmwareFile& file) {
  if (file.dvdPart) return buildCombinedFirmware(file.spec, *file.dvdPart);
  if (file.secondHalf) return buildDualFirmware(file.spec, *file.secondHalf);
  return buildFirmware(file.spec);
}

}  // namespace

std::vector<FirmwareFile> parseFirmwareSet(const json& description) {
  if (!description.is_array()) throw DescriptionError("/: expected an array of firmware files");
  std::vector<FirmwareFile> files;
  std::set<std::string> names;
  for (std::size_t i = 0; i < description.size(); ++i) {
    // Built by append: at -O3 GCC 12 wrongly reports "/" + std::string as overlapping (-Wrestrict).
    std::string at = std::string("/").append(std::to_string(i));
    files.push_back(parseEntry(description[i], at));
    if (!names.insert(files.back().name).second) throw DescriptionError(at + "/file: duplicate name");
  }
  return files;
}

void writeFirmwareSet(const std::vector<FirmwareFile>& files, const std::string& folder) {
  for (const FirmwareFile& file : files) {
    auto path = platform::joinPath(folder, file.name);
    if (!path) throw DescriptionError(file.name + ": path too long");
    std::vector<std::uint8_t> bytes;
    try {
      bytes = bytesOf(file);
    } catch (const BuildError& error) {
      throw BuildError(file.name + ": " + error.what());
    }
    if (platform::writeWholeFile(*path, bytes) != platform::FileError::None)
      throw DescriptionError(*path + ": cannot write");
  }
}

}  // namespace sim
