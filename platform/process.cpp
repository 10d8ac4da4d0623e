#include "platform/process.h"

#include <spawn.h>
#include <sys/stat.h>

#include <fstream>
#include <optional>

#include "platform/host.h"

extern char** environ;

namespace platform {
namespace {

bool recordLaunch(const std::string& stateFolder, const std::string& path) {
  std::ofstream launches(stateFolder + "/" + kLaunchesFileName, std::ios::app);
  launches << path << '\n';
  launches.flush();
  return static_cast<bool>(launches);
}

bool isRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The started program runs on alone; nobody waits for it.
bool spawnDetached(const std::string& path) {
  if (!isRegularFile(path)) return false;
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t child = 0;
  return ::posix_spawn(&child, path.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace

bool CreateProcess(const std::string& path) {
  std::optional<std::string> stateFolder = host().stateFolder();
  if (stateFolder) return recordLaunch(*stateFolder, path);
  return spawnDetached(path);
}

}  // namespace platform
