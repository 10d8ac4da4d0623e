#include "sim/simpc/quillon_session.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "platform/process.h"
#include "sim/simpc/run.h"

namespace sim::simpc {
namespace {

bool takeOption(std::vector<std::string>& arguments, const std::string& option) {
  auto found = std::find(arguments.begin(), arguments.end(), option);
  if (found == arguments.end()) return false;
  arguments.erase(found);
  return true;
}

// "--drive ADDRESS" anywhere among the arguments: the address, and both words taken out.
std::optional<std::string> takeValue(std::vector<std::string>& arguments, const std::string& option) {
  auto found = std::find(arguments.begin(), arguments.end(), option);
  if (found == arguments.end() || found + 1 == arguments.end()) return std::nullopt;
  std::string value = *(found + 1);
  arguments.erase(found, found + 2);
  return value;
}

}  // namespace

int runQuillon(const MachineFolder& folder, const std::filesystem::path& program, std::vector<std::string> arguments,
               std::ostream& out) {
  bool headless = takeOption(arguments, kHeadlessOption);
  std::optional<std::string> drive = takeValue(arguments, kDriveOption);
  // Quillon inherits simpc's environment; simpc ends with it.
  if (headless) ::setenv(kFrontEndVariable, "headless", 1);
  if (drive) ::setenv(kAutomaticDriveVariable, drive->c_str(), 1);
  ProgramEnd end = runProgramToEnd(folder, program, arguments, out, StatusLine::OnFailure);
  carryOutHandOffs(folder, out);
  if (!end.restarted || !headless) return end.status;
  fmt::print(out, "simpc: Windows is up again; the user starts Quillon once more\n");
  end = runProgramToEnd(folder, program, arguments, out, StatusLine::OnFailure);
  carryOutHandOffs(folder, out);
  return end.status;
}

void carryOutHandOffs(const MachineFolder& folder, std::ostream& out) {
  std::filesystem::path launches = folder.state() / platform::kLaunchesFileName;
  std::ifstream file(launches);
  if (!file) return;
  for (std::string path; std::getline(file, path);)
    if (!path.empty()) fmt::print(out, "simpc: Quillon started {}; that flasher is not in this build\n", path);
  file.close();
  std::error_code ignored;
  std::filesystem::remove(launches, ignored);
}

}  // namespace sim::simpc
