#pragma once
// The command line of simpc:
//   simpc new DIR [--from default|FILE]
//   simpc reset [DIR]
//   simpc show [DIR] [--json]
//   simpc run [DIR | --machine DIR] PROGRAM [ARGS...]
//   simpc scan [DIR] [--interface aspi|spti|default] [--trace 0-3] [--json]
// Without DIR the built-in default machine is meant.

#include <optional>
#include <string>
#include <vector>

namespace sim::simpc {

inline constexpr char kDefaultSource[] = "default";

struct Invocation {
  std::string command;  // new, reset, show, run, scan
  std::optional<std::string> folder = std::nullopt;
  std::string from = kDefaultSource;
  bool json = false;
  std::optional<std::string> interface = std::nullopt;  // scan: aspi, spti or default
  std::optional<int> traceLevel = std::nullopt;         // scan: 0 to 3
  std::vector<std::string> program = {};                // run: PROGRAM and its arguments
};

// Nothing, with `error` set, for a command line simpc does not take.
std::optional<Invocation> parseArguments(const std::vector<std::string>& arguments, std::string& error);

extern const char kUsage[];

}  // namespace sim::simpc
