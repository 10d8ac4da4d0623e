#include "sim/machines/oem_set.h"

#include <set>

#include "platform/files.h"

namespace sim {
namespace {

using nlohmann::json;

const std::set<std::string> kRecordKeys = {"text", "vendor", "product", "skew", "revisionPattern", "driveType"};

std::string textField(const json& record, const char* key, const std::string& at, const std::string& fallback) {
  if (!record.contains(key)) return fallback;
  if (!record.at(key).is_string()) throw DescriptionError(at + "/" + key + ": wrong type, expected string");
  return record.at(key).get<std::string>();
}

OemEntry parseRecord(const json& record, const std::string& at) {
  if (!record.is_object()) throw DescriptionError(at + ": expected an object");
  for (const auto& [key, value] : record.items())
    if (!kRecordKeys.count(key)) throw DescriptionError(at + "/" + key + ": unknown key");
  OemEntry entry;
  entry.text = textField(record, "text", at, "");
  entry.vendor = textField(record, "vendor", at, "");
  entry.product = textField(record, "product", at, "");
  entry.skew = textField(record, "skew", at, entry.skew);
  entry.revisionPattern = textField(record, "revisionPattern", at, entry.revisionPattern);
  if (!record.contains("driveType") || !record.at("driveType").is_number_unsigned())
    throw DescriptionError(at + "/driveType: expected an unsigned number");
  entry.driveType = record.at("driveType").get<std::uint32_t>();
  return entry;
}

}  // namespace

OemSet parseOemSet(const json& description) {
  if (!description.is_object()) throw DescriptionError("/: expected an object");
  for (const auto& [key, value] : description.items())
    if (key != "keySeed" && key != "records") throw DescriptionError("/" + key + ": unknown key");
  OemSet set;
  if (description.contains("keySeed")) {
    if (!description.at("keySeed").is_number_unsigned()) throw DescriptionError("/keySeed: expected an unsigned number");
    set.keySeed = description.at("keySeed").get<std::uint32_t>();
  }
  const json& records = description.contains("records") ? description.at("records") : json::array();
  if (!records.is_array()) throw DescriptionError("/records: expected an array");
  for (std::size_t i = 0; i < records.size(); ++i)
    set.records.push_back(parseRecord(records[i], std::string("/records/").append(std::to_string(i))));
  return set;
}

void writeOemSet(const OemSet& set, const std::string& folder) {
  auto path = platform::joinPath(folder, quillon::kOemFileName);
  if (!path) throw DescriptionError(folder + ": path too long");
  auto bytes = buildOemFile(keyFromSeed(set.keySeed), set.records);
  if (platform::writeWholeFile(*path, bytes) != platform::FileError::None)
    throw DescriptionError(*path + ": cannot write");
}

}  // namespace sim
