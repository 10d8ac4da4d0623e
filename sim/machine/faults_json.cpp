#include "sim/machine/faults_json.h"

#include <limits>

namespace sim {
namespace {

constexpr std::int64_t kMaxCount = std::numeric_limits<std::uint32_t>::max();

std::uint32_t count(const ObjectFields& fields, std::string_view key) {
  return static_cast<std::uint32_t>(fields.integer(key, 0, kMaxCount, 0));
}

}  // namespace

Faults parseFaults(const nlohmann::json& value, const JsonPath& path) {
  ObjectFields fields(value, path,
                      {"mediumPresent", "busyCommands", "notReadyCommands", "unitAttentionCommands", "timeoutCommands",
                       "timeoutFromCommand"});
  Faults faults;
  faults.mediumPresent = fields.flag("mediumPresent", false);
  faults.busyCommands = count(fields, "busyCommands");
  faults.notReadyCommands = count(fields, "notReadyCommands");
  faults.unitAttentionCommands = count(fields, "unitAttentionCommands");
  faults.timeoutCommands = count(fields, "timeoutCommands");
  if (fields.has("timeoutFromCommand") && !fields.value("timeoutFromCommand").is_null())
    faults.timeoutFromCommand = fields.integer("timeoutFromCommand", 1, std::numeric_limits<std::int64_t>::max());
  return faults;
}

nlohmann::json faultsJson(const Faults& faults) {
  nlohmann::json timeoutFrom = faults.timeoutFromCommand ? nlohmann::json(*faults.timeoutFromCommand) : nullptr;
  return {{"mediumPresent", faults.mediumPresent},
          {"busyCommands", faults.busyCommands},
          {"notReadyCommands", faults.notReadyCommands},
          {"unitAttentionCommands", faults.unitAttentionCommands},
          {"timeoutCommands", faults.timeoutCommands},
          {"timeoutFromCommand", timeoutFrom}};
}

}  // namespace sim
