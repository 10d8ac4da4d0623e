#include "sim/simpc/commands.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include "sim/machine/machine_maker.h"
#include "sim/simpc/quillon_session.h"
#include "sim/simpc/run.h"
#include "sim/simpc/show.h"

namespace sim::simpc {
namespace {

namespace fs = std::filesystem;

constexpr char kScanProgram[] = "quillon-scan";

bool emptyOrAbsent(const fs::path& path) {
  std::error_code error;
  return !fs::exists(path, error) || (fs::is_directory(path, error) && fs::is_empty(path, error));
}

// The folder named, or the user's copy of the built-in machine, made on first use.
MachineFolder machineFolder(const Invocation& invocation, const Places& places, std::ostream& out) {
  if (invocation.folder) return MachineFolder(*invocation.folder);
  if (!places.defaultMachine) throw MachineError("no state folder for the default machine: set HOME or XDG_STATE_HOME");
  MachineFolder folder(*places.defaultMachine);
  if (emptyOrAbsent(folder.root())) {
    makeMachine(places.defaultSource, folder);
    fmt::print(out, "simpc: made the default machine in {}\n", folder.root().native());
  }
  return folder;
}

int makeNew(const Invocation& invocation, const Places& places, std::ostream& out) {
  MachineFolder folder(*invocation.folder);
  makeMachine(invocation.from == kDefaultSource ? places.defaultSource : fs::path(invocation.from), folder);
  fmt::print(out, "simpc: made a machine in {}\n", folder.root().native());
  return 0;
}

// quillon-scan takes the same options as `simpc scan`.
int scan(const Invocation& invocation, const MachineFolder& folder, const Places& places, std::ostream& notes) {
  std::vector<std::string> arguments;
  if (invocation.interface) arguments.insert(arguments.end(), {"--interface", *invocation.interface});
  if (invocation.traceLevel) arguments.insert(arguments.end(), {"--trace", std::to_string(*invocation.traceLevel)});
  if (invocation.json) arguments.emplace_back("--json");
  return runProgram(folder, programPath(places, kScanProgram), arguments, notes, StatusLine::OnFailure);
}

int dispatch(const Invocation& invocation, const Places& places, std::ostream& out, std::ostream& err) {
  if (invocation.command == "new") return makeNew(invocation, places, out);
  // JSON on standard output is read by programs: simpc's own notes go to standard error.
  std::ostream& notes = invocation.json ? err : out;
  MachineFolder folder = machineFolder(invocation, places, notes);
  if (invocation.command == "scan") return scan(invocation, folder, places, notes);
  if (invocation.command == "reset") {
    resetMachine(folder);
    fmt::print(out, "simpc: the machine in {} is as freshly made\n", folder.root().native());
  } else if (invocation.command == "show") {
    nlohmann::json report = machineReport(folder);
    if (invocation.json)
      out << report.dump(2) << '\n';
    else
      printReport(report, out);
  } else {
    std::vector<std::string> arguments(invocation.program.begin() + 1, invocation.program.end());
    fs::path program = programPath(places, invocation.program.front());
    if (invocation.program.front() == kQuillonProgram) return runQuillon(folder, program, arguments, out);
    return runProgram(folder, program, arguments, out);
  }
  return 0;
}

}  // namespace

int runCommand(const Invocation& invocation, const Places& places, std::ostream& out, std::ostream& err) {
  try {
    return dispatch(invocation, places, out, err);
  } catch (const std::exception& error) {
    out.flush();
    fmt::print(err, "simpc: {}\n", error.what());
    return 1;
  }
}

}  // namespace sim::simpc
