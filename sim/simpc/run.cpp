#include "sim/simpc/run.h"

#include <fmt/format.h>
#include <fmt/ostream.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/host.h"
#include "sim/machine/machine_maker.h"

namespace sim::simpc {
namespace {

namespace fs = std::filesystem;

// Text for execve: pointers into `words`, ended by a null pointer.
std::vector<char*> pointers(std::vector<std::string>& words) {
  std::vector<char*> result;
  for (std::string& word : words) result.push_back(word.data());
  result.push_back(nullptr);
  return result;
}

// The program's environment: simpc's own, with the machine named.
std::vector<std::string> environmentFor(const MachineFolder& folder) {
  std::string prefix = std::string(platform::kMachineVariable) + "=";
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry)
    if (!std::string_view(*entry).starts_with(prefix)) environment.emplace_back(*entry);
  environment.push_back(prefix + folder.root().native());
  return environment;
}

// Everything is prepared before the fork, so that the child only changes folder and starts
// the program.
[[noreturn]] void becomeProgram(const MachineFolder& folder, const fs::path& program, char* const* argv,
                                char* const* environment) {
  if (::chdir(folder.files().c_str()) == 0) ::execve(program.c_str(), argv, environment);
  std::fprintf(stderr, "simpc: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
  std::_Exit(127);
}

int waitFor(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) throw MachineError(std::string("waiting for the program failed: ") + std::strerror(errno));
  return status;
}

void checkRunnable(const MachineFolder& folder) {
  MachineDescription machine = readDescription(folder);
  checkComplete(folder, machine);
  checkWritable(folder);
  readDriveStates(folder, machine);
}

bool carryOutRestart(const MachineFolder& folder, std::ostream& out, const std::string& who) {
  std::optional<std::uint32_t> flags = recordedRestart(folder);
  if (!flags) return false;
  restartMachine(folder);
  fmt::print(out, "simpc: {} asked Windows to restart (flags 0x{:X}); the machine has rebooted\n", who, *flags);
  return true;
}

void reportEnd(const std::string& name, int status, StatusLine statusLine, std::ostream& out) {
  if (!WIFEXITED(status))
    fmt::print(out, "simpc: {} was ended by signal {} ({})\n", name, WTERMSIG(status), ::strsignal(WTERMSIG(status)));
  else if (WEXITSTATUS(status) != 0 || statusLine == StatusLine::Always)
    fmt::print(out, "simpc: {} exited with status {}\n", name, WEXITSTATUS(status));
}

}  // namespace

ProgramEnd runProgramToEnd(const MachineFolder& folder, const fs::path& program,
                           const std::vector<std::string>& arguments, std::ostream& out, StatusLine statusLine) {
  checkRunnable(folder);
  if (::access(program.c_str(), X_OK) != 0)
    throw MachineError(fmt::format("{}: no such program, or not executable", program.native()));
  carryOutRestart(folder, out, "an earlier program");
  std::vector<std::string> words = {program.filename().native()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = environmentFor(folder);
  std::vector<char*> argv = pointers(words);
  std::vector<char*> envp = pointers(environment);
  // The program writes to the same terminal: what simpc has written so far comes first.
  out.flush();
  std::fflush(nullptr);
  pid_t child = ::fork();
  if (child < 0) throw MachineError(std::string("cannot start a process: ") + std::strerror(errno));
  if (child == 0) becomeProgram(folder, program, argv.data(), envp.data());
  int status = waitFor(child);
  std::string name = program.filename().native();
  reportEnd(name, status, statusLine, out);
  bool restarted = carryOutRestart(folder, out, name);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), restarted};
}

int runProgram(const MachineFolder& folder, const fs::path& program, const std::vector<std::string>& arguments,
               std::ostream& out, StatusLine statusLine) {
  return runProgramToEnd(folder, program, arguments, out, statusLine).status;
}

}  // namespace sim::simpc
