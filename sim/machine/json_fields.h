#pragma once
// Reads one object of a JSON description field by field, so that every fault names its JSON
// path: an unknown or missing key, a wrong type, a value out of range.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

using JsonPath = nlohmann::json::json_pointer;

// The path as a message shows it: "/devices/2/letter", and "/" for the whole document.
std::string where(const JsonPath& path);

// Throws DescriptionError "<path>: <message>".
[[noreturn]] void fail(const JsonPath& path, std::string_view message);

class ObjectFields {
 public:
  // Throws unless `value` is an object whose keys are all among `keys`.
  ObjectFields(const nlohmann::json& value, JsonPath path, std::initializer_list<std::string_view> keys);

  bool has(std::string_view key) const;
  JsonPath at(std::string_view key) const;
  const nlohmann::json& value(std::string_view key) const;  // throws when missing

  bool flag(std::string_view key) const;
  bool flag(std::string_view key, bool fallback) const;
  std::string text(std::string_view key) const;
  std::string text(std::string_view key, std::string fallback) const;
  std::int64_t integer(std::string_view key, std::int64_t min, std::int64_t max) const;
  std::int64_t integer(std::string_view key, std::int64_t min, std::int64_t max, std::int64_t fallback) const;
  const nlohmann::json& array(std::string_view key) const;

 private:
  const nlohmann::json& object_;
  JsonPath path_;
};

// A text of at most `width` printable ASCII characters, as INQUIRY data and ASPI records hold.
// Without a fallback the key is required.
std::string fieldText(const ObjectFields& fields, std::string_view key, std::size_t width,
                      std::optional<std::string> fallback = std::nullopt);

}  // namespace sim
