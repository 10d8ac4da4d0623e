#include "sim/machine/faults_json.h"

#include <limits>

namespace sim {
namespace {

constexpr std::int64_t kMaxCount = std::numeric_limits<std::uint32_t>::max();

std::uint32_t count(const ObjectFields& fields, std::string_view key) {
  return static_cast<std::uint32_t>(fields.integer(key, 0, kMaxCount, 0));
}

std::optional<std::uint32_t> place(const ObjectFields& fields, std::string_view key, std::int64_t first) {
  if (!fields.has(key) || fields.value(key).is_null()) return std::nullopt;
  return static_cast<std::uint32_t>(fields.integer(key, first, kMaxCount));
}

// "Always" says how often its fault strikes, so it needs the fault.
bool always(const ObjectFields& fields, std::string_view key, bool faulty, std::string_view fault) {
  bool value = fields.flag(key, false);
  if (value && !faulty) fail(fields.at(key), std::string("needs ") + std::string(fault));
  return value;
}

nlohmann::json orNull(const std::optional<std::uint32_t>& value) { return value ? nlohmann::json(*value) : nullptr; }

void parseFirmwareFaults(const ObjectFields& fields, Faults& faults) {
  faults.failingBlock = place(fields, "failingBlock", 1);
  faults.failingBlockAlways = always(fields, "failingBlockAlways", faults.failingBlock.has_value(), "failingBlock");
  faults.corruptReadBackAt = place(fields, "corruptReadBackAt", 0);
  faults.corruptReadBackAlways =
      always(fields, "corruptReadBackAlways", faults.corruptReadBackAt.has_value(), "corruptReadBackAt");
  faults.timeoutFromBlock = place(fields, "timeoutFromBlock", 1);
}

}  // namespace

Faults parseFaults(const nlohmann::json& value, const JsonPath& path) {
  ObjectFields fields(value, path,
                      {"mediumPresent", "busyCommands", "notReadyCommands", "unitAttentionCommands", "timeoutCommands",
                       "timeoutFromCommand", "stoppedAnswering", "failingBlock", "failingBlockAlways",
                       "corruptReadBackAt", "corruptReadBackAlways", "timeoutFromBlock"});
  Faults faults;
  faults.mediumPresent = fields.flag("mediumPresent", false);
  faults.busyCommands = count(fields, "busyCommands");
  faults.notReadyCommands = count(fields, "notReadyCommands");
  faults.unitAttentionCommands = count(fields, "unitAttentionCommands");
  faults.timeoutCommands = count(fields, "timeoutCommands");
  if (fields.has("timeoutFromCommand") && !fields.value("timeoutFromCommand").is_null())
    faults.timeoutFromCommand = fields.integer("timeoutFromCommand", 1, std::numeric_limits<std::int64_t>::max());
  faults.stoppedAnswering = fields.flag("stoppedAnswering", false);
  parseFirmwareFaults(fields, faults);
  return faults;
}

nlohmann::json faultsJson(const Faults& faults) {
  nlohmann::json timeoutFrom = faults.timeoutFromCommand ? nlohmann::json(*faults.timeoutFromCommand) : nullptr;
  return {{"mediumPresent", faults.mediumPresent},
          {"busyCommands", faults.busyCommands},
          {"notReadyCommands", faults.notReadyCommands},
          {"unitAttentionCommands", faults.unitAttentionCommands},
          {"timeoutCommands", faults.timeoutCommands},
          {"timeoutFromCommand", timeoutFrom},
          {"stoppedAnswering", faults.stoppedAnswering},
          {"failingBlock", orNull(faults.failingBlock)},
          {"failingBlockAlways", faults.failingBlockAlways},
          {"corruptReadBackAt", orNull(faults.corruptReadBackAt)},
          {"corruptReadBackAlways", faults.corruptReadBackAlways},
          {"timeoutFromBlock", orNull(faults.timeoutFromBlock)}};
}

}  // namespace sim
