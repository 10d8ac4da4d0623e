#pragma once
// The command line of quillon-cli:
//   quillon-cli drives [--json]
//   quillon-cli firmware --drive N [--folder DIR] [--json]
//   quillon-cli flash --drive N FILE [--yes] [--json]
//   quillon-cli settings --drive N [--switch-off [--yes]] [--json]

#include <optional>
#include <string>
#include <vector>

namespace quillon::cli {

enum class Command { Drives, Firmware, Flash, Settings };

struct Request {
  Command command = Command::Drives;
  int drive = -1;
  std::optional<std::string> folder;
  std::string file;
  bool yes = false;
  bool switchOff = false;
  bool json = false;
};

struct Parsed {
  std::optional<Request> request;
  std::string error;  // set when request is empty
};

Parsed parseArguments(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace quillon::cli
