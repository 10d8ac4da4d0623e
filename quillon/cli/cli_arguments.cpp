#include "quillon/cli/cli_arguments.h"

#include <charconv>

namespace quillon::cli {
namespace {

std::optional<Command> commandNamed(const std::string& word) {
  if (word == "drives") return Command::Drives;
  if (word == "firmware") return Command::Firmware;
  if (word == "flash") return Command::Flash;
  if (word == "settings") return Command::Settings;
  return std::nullopt;
}

std::optional<int> driveNumber(const std::string& text) {
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

Parsed failure(std::string error) { return {std::nullopt, std::move(error)}; }

// The words after the command; returns an error text, empty when they all made sense.
std::string readOptions(const std::vector<std::string>& args, Request& request) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    bool hasValue = i + 1 < args.size();
    if (word == "--json") {
      request.json = true;
    } else if (word == "--yes" && (request.command == Command::Flash || request.command == Command::Settings)) {
      request.yes = true;
    } else if (word == "--switch-off" && request.command == Command::Settings) {
      request.switchOff = true;
    } else if (word == "--drive" && request.command != Command::Drives) {
      std::optional<int> drive = hasValue ? driveNumber(args[++i]) : std::nullopt;
      if (!drive) return "--drive needs a drive number (0, 1, ...) as `quillon-cli drives` lists them";
      request.drive = *drive;
    } else if (word == "--folder" && request.command == Command::Firmware) {
      if (!hasValue) return "--folder needs a folder";
      request.folder = args[++i];
    } else if (request.command == Command::Flash && !word.starts_with("--") && request.file.empty()) {
      request.file = word;
    } else {
      return "unexpected '" + word + "'";
    }
  }
  return {};
}

}  // namespace

const char* const kUsage =
    "usage: quillon-cli drives [--json]\n"
    "       quillon-cli firmware --drive N [--folder DIR] [--json]\n"
    "       quillon-cli flash --drive N FILE [--yes] [--json]\n"
    "       quillon-cli settings --drive N [--switch-off [--yes]] [--json]\n";

Parsed parseArguments(const std::vector<std::string>& args) {
  if (args.empty()) return failure("no command");
  std::optional<Command> command = commandNamed(args.front());
  if (!command) return failure("unknown command '" + args.front() + "'");
  Request request;
  request.command = *command;
  if (std::string error = readOptions(args, request); !error.empty()) return failure(error);
  if (request.command != Command::Drives && request.drive < 0) return failure("--drive N is needed");
  if (request.command == Command::Flash && request.file.empty()) return failure("flash needs the firmware FILE");
  // Only switching off asks a question; listing the settings changes nothing.
  if (request.command == Command::Settings && request.yes && !request.switchOff)
    return failure("--yes goes with --switch-off");
  return {request, {}};
}

}  // namespace quillon::cli
