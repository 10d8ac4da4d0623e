#include "sim/machine/json_fields.h"

#include <fmt/format.h>

#include <algorithm>

#include "sim/machines/firmware_set.h"

namespace sim {

using nlohmann::json;

std::string where(const JsonPath& path) {
  std::string text = path.to_string();
  return text.empty() ? "/" : text;
}

void fail(const JsonPath& path, std::string_view message) {
  throw DescriptionError(fmt::format("{}: {}", where(path), message));
}

ObjectFields::ObjectFields(const json& value, JsonPath path, std::initializer_list<std::string_view> keys)
    : object_(value), path_(std::move(path)) {
  if (!value.is_object()) fail(path_, "wrong type, expected an object");
  for (const auto& [key, ignored] : value.items())
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) fail(path_ / key, "unknown key");
}

bool ObjectFields::has(std::string_view key) const { return object_.contains(key); }

JsonPath ObjectFields::at(std::string_view key) const { return path_ / std::string(key); }

const json& ObjectFields::value(std::string_view key) const {
  auto found = object_.find(key);
  if (found == object_.end()) fail(at(key), "missing");
  return *found;
}

bool ObjectFields::flag(std::string_view key) const {
  const json& value = this->value(key);
  if (!value.is_boolean()) fail(at(key), "wrong type, expected true or false");
  return value.get<bool>();
}

bool ObjectFields::flag(std::string_view key, bool fallback) const { return has(key) ? flag(key) : fallback; }

std::string ObjectFields::text(std::string_view key) const {
  const json& value = this->value(key);
  if (!value.is_string()) fail(at(key), "wrong type, expected a string");
  return value.get<std::string>();
}

std::string ObjectFields::text(std::string_view key, std::string fallback) const {
  return has(key) ? text(key) : fallback;
}

std::int64_t ObjectFields::integer(std::string_view key, std::int64_t min, std::int64_t max) const {
  const json& value = this->value(key);
  if (!value.is_number_integer()) fail(at(key), "wrong type, expected an integer");
  // Above the range of int64 only an unsigned value can be, and it is out of range anyway.
  bool tooLarge = value.is_number_unsigned() && value.get<std::uint64_t>() > std::uint64_t(max);
  std::int64_t number = tooLarge ? max : value.get<std::int64_t>();
  if (tooLarge || number < min || number > max) fail(at(key), fmt::format("out of range, expected {} to {}", min, max));
  return number;
}

std::int64_t ObjectFields::integer(std::string_view key, std::int64_t min, std::int64_t max,
                                   std::int64_t fallback) const {
  return has(key) ? integer(key, min, max) : fallback;
}

const json& ObjectFields::array(std::string_view key) const {
  const json& value = this->value(key);
  if (!value.is_array()) fail(at(key), "wrong type, expected an array");
  return value;
}

std::string fieldText(const ObjectFields& fields, std::string_view key, std::size_t width,
                      std::optional<std::string> fallback) {
  std::string text = fallback && !fields.has(key) ? *fallback : fields.text(key);
  if (text.size() > width) fail(fields.at(key), fmt::format("longer than {} characters", width));
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
    fail(fields.at(key), "not printable ASCII");
  return text;
}

}  // namespace sim
