#include "sim/simpc/arguments.h"

#include <filesystem>

namespace sim::simpc {
namespace {

using Words = std::vector<std::string>;

bool isInterface(const std::string& word) { return word == "aspi" || word == "spti" || word == "default"; }

std::optional<int> traceLevel(const std::string& word) {
  if (word.size() != 1 || word[0] < '0' || word[0] > '3') return std::nullopt;
  return word[0] - '0';
}

// The options of `scan` that take a value, with the word after them (none at the end).
void takeScanOption(const std::string& option, const std::string* value, Invocation& invocation,
                    std::string& error) {
  if (option == "--interface") {
    if (value && isInterface(*value))
      invocation.interface = *value;
    else
      error = "--interface takes aspi, spti or default";
    return;
  }
  invocation.traceLevel = value ? traceLevel(*value) : std::nullopt;
  if (!invocation.traceLevel) error = "--trace takes a level from 0 to 3";
}

// The words of a command other than `run`: folder and options in any order.
bool parseOptions(const Words& words, Invocation& invocation, std::string& error) {
  const bool scan = invocation.command == "scan";
  for (std::size_t i = 0; i < words.size() && error.empty(); ++i) {
    const std::string& word = words[i];
    if (word == "--json" && (invocation.command == "show" || scan)) {
      invocation.json = true;
    } else if (word == "--from" && invocation.command == "new" && i + 1 < words.size()) {
      invocation.from = words[++i];
    } else if ((word == "--interface" || word == "--trace") && scan) {
      takeScanOption(word, i + 1 < words.size() ? &words[++i] : nullptr, invocation, error);
    } else if (word.starts_with("-") || invocation.folder) {
      error = "unexpected " + word;
    } else {
      invocation.folder = word;
    }
  }
  if (error.empty() && invocation.command == "new" && !invocation.folder)
    error = "new needs the folder to make the machine in";
  return error.empty();
}

// A first word that names a folder is the machine; programs are files.
bool parseRun(const Words& words, Invocation& invocation, std::string& error) {
  std::size_t start = 0;
  if (words.size() >= 2 && words[0] == "--machine") {
    invocation.folder = words[1];
    start = 2;
  } else if (words.size() >= 2 && std::filesystem::is_directory(words[0])) {
    invocation.folder = words[0];
    start = 1;
  }
  invocation.program.assign(words.begin() + static_cast<std::ptrdiff_t>(start), words.end());
  if (invocation.program.empty()) error = "run needs a PROGRAM";
  return error.empty();
}

}  // namespace

const char kUsage[] =
    "usage: simpc new DIR [--from default|FILE]\n"
    "       simpc reset [DIR]\n"
    "       simpc show [DIR] [--json]\n"
    "       simpc run [DIR] PROGRAM [ARGS...]\n"
    "       simpc run [DIR] quillon [--headless] [--drive ADAPTER:TARGET:LUN] [ARGS...]\n"
    "       simpc scan [DIR] [--interface aspi|spti|default] [--trace 0-3] [--json]\n"
    "Without DIR: the built-in default machine, made on first use in the user's state folder.\n";

std::optional<Invocation> parseArguments(const Words& arguments, std::string& error) {
  error.clear();
  if (arguments.empty()) {
    error = "no command";
    return std::nullopt;
  }
  Invocation invocation;
  invocation.command = arguments[0];
  Words words(arguments.begin() + 1, arguments.end());
  bool parsed = false;
  if (invocation.command == "run") {
    parsed = parseRun(words, invocation, error);
  } else if (invocation.command == "new" || invocation.command == "reset" || invocation.command == "show" ||
             invocation.command == "scan") {
    parsed = parseOptions(words, invocation, error);
  } else {
    error = "unknown command " + invocation.command;
  }
  return parsed ? std::optional(invocation) : std::nullopt;
}

}  // namespace sim::simpc
